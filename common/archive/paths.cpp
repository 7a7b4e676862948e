#include "common/archive/paths.h"

#include "common/util/cp1252.h"
#include "platform/fileops.h"

namespace dn::archive {

std::string folderPart(const std::string& path) {
    const size_t sep = path.find_last_of("/\\");
    return sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
}

bool hasExtension(std::string_view name, std::string_view ext) {
    const size_t sep = name.find_last_of("/\\");
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || (sep != std::string_view::npos && dot < sep))
        return false;
    return upper1252(std::string(name.substr(dot + 1))) == upper1252(std::string(ext));
}

std::string withExtension(const std::string& path, std::string_view ext) {
    const size_t sep = path.find_last_of("/\\");
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || (sep != std::string::npos && dot < sep))
        dot = path.size();
    return path.substr(0, dot) + std::string(ext);
}

ScratchFiles::~ScratchFiles() {
    for (const std::string& p : paths_)
        platform::removeFile(p);
}

} // namespace dn::archive
