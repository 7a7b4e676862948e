#pragma once

// Whole files and folder listings, byte for byte, for the tests' own checks.

#include <set>
#include <string>

namespace dn::test {

// Every byte of the file; empty when it cannot be read.
std::string readFile(const std::string& path);
// Replaces the file with exactly these bytes; fails the test when it cannot.
void writeFile(const std::string& path, const std::string& bytes);
// Names of the entries of a folder, sorted.
std::set<std::string> fileNames(const std::string& folder);

} // namespace dn::test
