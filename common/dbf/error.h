#pragma once

#include <stdexcept>
#include <string>

namespace dn::dbf {

// A table or memo file whose bytes contradict its own header: truncated, counts
// past the end, descriptors that overflow the header, memo pointers outside the
// memo file. Nothing is repaired; the file is left as it was found.
//
// The same error, with its own message, reports a file of a format the store does
// not read (a table whose memo file is in the dBase III layout): it is not damaged,
// and it is left alone just the same.
class CorruptFile : public std::runtime_error {
public:
    enum class Reason { Damaged, Unsupported };
    // path: the file's name as the store knows it (upper-cased); detail: what was
    // wrong, for logs.
    CorruptFile(std::string path, std::string detail, Reason reason = Reason::Damaged);
    // The upper-cased path of the damaged file.
    const std::string& path() const { return path_; }
    const std::string& detail() const { return detail_; }
    Reason reason() const { return reason_; }
    // The user's message (Windows-1252): "Il file " + path + " risulta corrotto.", or
    // for an unsupported format "Il formato del file " + path + " non \xE8 supportato.".
    std::string message() const { return messageNaming(path_); }
    // The same message naming the file as `shown`.
    std::string messageNaming(const std::string& shown) const;

private:
    std::string path_;
    std::string detail_;
    Reason reason_;
};

// A call that breaks the store's rules: an unknown field, a record number out of
// range, a write without the lock it needs, a write to a read-only table, a value
// that does not fit its field. Nothing is written when it is thrown.
class TableError : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

} // namespace dn::dbf
