#include "common/dbf/error.h"

namespace dn::dbf {

CorruptFile::CorruptFile(std::string path, std::string detail)
    : std::runtime_error("Il file " + path + " risulta corrotto. (" + detail + ")"),
      path_(std::move(path)), detail_(std::move(detail)) {}

std::string CorruptFile::message() const {
    return "Il file " + path_ + " risulta corrotto.";
}

} // namespace dn::dbf
