#include "common/config/inifile.h"

#include "common/config/variables.h"
#include "common/util/number.h"
#include "common/util/trim.h"
#include "platform/file.h"
#include "platform/fileops.h"
#include "platform/ini_text.h"
#include "platform/profile.h"

#include <cstdlib>
#include <stdexcept>

namespace dn::config {

namespace {

// The leading number of text: blanks, a sign, digits with at most one point.
double leadingNumber(const std::string& text) {
    size_t i = text.find_first_not_of(' ');
    if (i == std::string::npos)
        return 0;
    const size_t start = i;
    if (text[i] == '+' || text[i] == '-')
        ++i;
    bool digits = false, point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9')
            digits = true;
        else if (c == '.' && !point)
            point = true;
        else
            break;
    }
    if (!digits)
        return 0;
    return std::strtod(text.substr(start, i - start).c_str(), nullptr);
}

// Finds out why the profile write of path was refused and throws it as the file
// error the error handler has a message for: the file itself may not be written,
// or its folder takes no new file of the new size (full disk, read-only medium).
// When neither shows, the file could not be reached: access denied.
[[noreturn]] void throwRefusedWrite(const std::string& path, uint64_t lineBytes) {
    using platform::FileError;
    uint64_t bytes = lineBytes;
    if (platform::GETFILEATTRIBUTES(path) >= 0) {
        platform::File f = platform::File::open(path, true); // throws the reason
        bytes += f.size();
    }
    const std::string probe = platform::FULLPATH(path) + platform::kPathSep +
                              "\x7F"
                              "CFGPROBE";
    try {
        platform::File f = platform::File::create(probe);
        f.writeAt(0, std::string(bytes, ' ').data(), bytes);
        f.flush();
        f.close();
        platform::removeFile(probe);
    } catch (const FileError& e) {
        platform::removeFile(probe);
        throw FileError(e.kind(), path, e.sysError(), e.what());
    }
    throw FileError(platform::FileErrorKind::AccessDenied, path, 0,
                    "the configuration file could not be written");
}

} // namespace

std::optional<std::string> iniValue(const Value& v) {
    switch (v.kind()) {
    case Value::Kind::Text:
        return "C" + std::string(trimRight(v.text()));
    case Value::Kind::Number:
        return "N" + numberText(v.number());
    case Value::Kind::Logical:
        return std::string(v.logical() ? "L.T." : "L.F.");
    case Value::Kind::Date:
        return "D" + std::string(trimRight(v.date().toText()));
    default:
        return std::nullopt;
    }
}

std::optional<Value> parseIniValue(const std::string& text) {
    if (text.empty())
        return std::nullopt;
    const std::string rest = text.substr(1);
    switch (text[0]) {
    case 'C':
        return Value(rest);
    case 'N':
        return Value(leadingNumber(rest));
    case 'L':
        return Value(rest.starts_with(".T."));
    case 'D':
        return Value(Date::fromText(rest));
    default:
        return std::nullopt;
    }
}

void SAVEINI(const std::string& mask, const std::string& file) {
    const std::string prefix = mask.empty() ? std::string() : mask.substr(0, mask.size() - 1);
    std::vector<std::string> names;
    for (const std::string& name : variables().names())
        if (name.starts_with(prefix))
            names.push_back(name);
    SAVEINI(names, file);
}

void SAVEINI(const std::vector<std::string>& names, const std::string& file) {
    const std::string path = platform::FULLNAME(file);
    const Variables& vars = variables();
    for (const std::string& name : names) {
        const auto line = iniValue(vars.get(name));
        if (!line)
            continue;
        if (!platform::IniText::isValidEntry(kSection, name, *line))
            throw std::invalid_argument("configuration variable " + name +
                                        " holds a value that the file cannot keep");
        if (!platform::WRITEPVPROFSTRING(kSection, name, *line, path))
            throwRefusedWrite(path, name.size() + line->size() + 3);
    }
}

namespace {

// Every line of the section, with its value when it has one that can be read; one
// read of the file.
std::vector<std::pair<std::string, std::optional<Value>>> sectionValues(const std::string& file) {
    std::vector<std::pair<std::string, std::optional<Value>>> out;
    for (auto& [name, text] : platform::GETPVPROFSECTIONENTRIES(kSection, platform::FULLNAME(file)))
        out.emplace_back(std::move(name), parseIniValue(text));
    return out;
}

} // namespace

void RESTOREINI(const std::string& file, bool declareAll) {
    Variables& vars = variables();
    const auto lines = sectionValues(file);
    if (declareAll)
        for (const auto& [name, value] : lines)
            vars.declare(name);
    for (const auto& [name, value] : lines)
        if (value)
            vars.set(name, *value);
}

std::vector<std::pair<std::string, Value>> readIni(const std::string& file) {
    std::vector<std::pair<std::string, Value>> out;
    for (auto& [name, value] : sectionValues(file))
        if (value)
            out.emplace_back(std::move(name), std::move(*value));
    return out;
}

} // namespace dn::config
