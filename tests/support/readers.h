#pragma once

// Independent readers of the files this system writes, from Debian packages, run
// through the scripts in tests/dbf: python3-dbfread and python3-dbf for tables
// and memos (interop.py), Perl's XBase::Index for index files (index_list.pl).

#include <string>
#include <vector>

namespace dn::test {

// What tests/dbf/interop.py prints for command ("read-dbfread", "fields-dbfread",
// "read-dbf", "write-dbf", "write-rows", "write-db3") on path, with the command's further
// arguments; fails the test when the script fails.
std::string interopScript(const std::string& command, const std::string& path,
                          const std::vector<std::string>& more = {});
// "key TAB recno" lines of one tag of an index file as the Perl reader lists them;
// type is the key type (C, N or D). Fails the test when the reader fails.
std::string perlIndexKeys(const std::string& index, const std::string& tag, char type);

} // namespace dn::test
