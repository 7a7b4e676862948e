#pragma once

#include <stdexcept>
#include <string>

namespace dn::dbf {

// A table or memo file whose bytes contradict its own header: truncated, counts
// past the end, descriptors that overflow the header, memo pointers outside the
// memo file. Nothing is repaired; the file is left as it was found.
class CorruptFile : public std::runtime_error {
public:
    // path: the file's name as the store knows it (upper-cased); detail: what was
    // wrong, for logs.
    CorruptFile(std::string path, std::string detail);
    // The upper-cased path of the damaged file.
    const std::string& path() const { return path_; }
    const std::string& detail() const { return detail_; }
    // The user's message: "Il file " + path + " risulta corrotto." (Windows-1252).
    std::string message() const;

private:
    std::string path_;
    std::string detail_;
};

// A call that breaks the store's rules: an unknown field, a record number out of
// range, a write without the lock it needs, a write to a read-only table, a value
// that does not fit its field. Nothing is written when it is thrown.
class TableError : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

} // namespace dn::dbf
