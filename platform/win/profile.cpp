#include "platform/profile.h"

#include "common/util/cp1252.h"
#include "platform/ini_text.h"

#include <algorithm>
#include <unordered_set>

#include "platform/win/win32.h"

namespace dn::platform {

namespace {

// Calls read with growing buffers until the answer fits; read returns the
// characters written, which is size - slack when the buffer was too small.
template <typename Read>
std::string readGrowing(Read read, DWORD slack) {
    std::string buf(4096, '\0');
    for (;;) {
        const DWORD n = read(buf.data(), static_cast<DWORD>(buf.size()));
        if (n + slack < buf.size()) {
            buf.resize(n);
            return buf;
        }
        buf.assign(buf.size() * 2, '\0');
    }
}

// Splits a list of names separated by NUL characters, trailing blanks removed.
// A name that comes again (in any letter case) is listed once, as the POSIX build
// lists it: the system lists repeated sections and keys as often as they occur.
std::vector<std::string> splitNames(const std::string& list) {
    std::vector<std::string> out;
    std::unordered_set<std::string> seen;
    size_t start = 0;
    while (start < list.size()) {
        size_t end = list.find('\0', start);
        if (end == std::string::npos)
            end = list.size();
        std::string name = list.substr(start, end - start);
        if (name.empty())
            break;
        while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
            name.pop_back();
        if (seen.insert(upper1252(name)).second)
            out.push_back(name);
        start = end + 1;
    }
    return out;
}

} // namespace

std::string GETPVPROFSTRING(const std::string& section, const std::string& key,
                            const std::string& fallback, const std::string& file) {
    return readGrowing(
        [&](char* buf, DWORD size) {
            return GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buf,
                                            size, file.c_str());
        },
        1);
}

bool WRITEPVPROFSTRING(const std::string& section, const std::string& key, const std::string& value,
                       const std::string& file) {
    return IniText::isValidEntry(section, key, value) &&
           WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) !=
               0;
}

std::vector<std::string> GETPVPROFSECTION(const std::string& section, const std::string& file) {
    return splitNames(readGrowing(
        [&](char* buf, DWORD size) {
            return GetPrivateProfileStringA(section.c_str(), nullptr, "", buf, size, file.c_str());
        },
        2));
}

std::vector<std::pair<std::string, std::string>> GETPVPROFSECTIONENTRIES(const std::string& section,
                                                                         const std::string& file) {
    // The system gives the section's lines as NUL-separated texts; they are read as
    // the lines of a section of their own, so that keys and values are cut as on
    // POSIX.
    std::string lines = readGrowing(
        [&](char* buf, DWORD size) {
            return GetPrivateProfileSectionA(section.c_str(), buf, size, file.c_str());
        },
        2);
    std::replace(lines.begin(), lines.end(), '\0', '\n');
    auto out = IniText("[s]\n" + lines).entries("s");
    for (auto& [key, value] : out)
        value = unquoteProfileValue(std::move(value));
    return out;
}

std::vector<std::string> GETPVPROFSECTIONNAMES(const std::string& file) {
    return splitNames(readGrowing(
        [&](char* buf, DWORD size) {
            return GetPrivateProfileSectionNamesA(buf, size, file.c_str());
        },
        2));
}

} // namespace dn::platform
