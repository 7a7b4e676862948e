#include "common/dbf/error.h"

namespace dn::dbf {

namespace {

std::string messageText(CorruptFile::Reason reason, const std::string& path) {
    return reason == CorruptFile::Reason::Unsupported
               ? "Il formato del file " + path + " non \xE8 supportato."
               : "Il file " + path + " risulta corrotto.";
}

} // namespace

CorruptFile::CorruptFile(std::string path, std::string detail, Reason reason)
    : std::runtime_error(messageText(reason, path) + " (" + detail + ")"), path_(std::move(path)),
      detail_(std::move(detail)), reason_(reason) {}

std::string CorruptFile::messageNaming(const std::string& shown) const {
    return messageText(reason_, shown);
}

} // namespace dn::dbf
