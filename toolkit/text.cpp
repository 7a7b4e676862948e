#include "toolkit/text.h"

#include "common/util/cp1252.h"

namespace dn::tk {

QString toQt(std::string_view cp1252) {
    QString out;
    out.reserve(static_cast<qsizetype>(cp1252.size()));
    for (char c : cp1252) {
        const char32_t u = cp1252ToUnicode(static_cast<unsigned char>(c));
        // Every Windows-1252 character lies in the basic multilingual plane.
        out.append(QChar(static_cast<char16_t>(u)));
    }
    return out;
}

std::string fromQt(const QString& text) {
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (char32_t cp : text.toUcs4()) {
        const auto b = unicodeToCp1252(cp);
        out.push_back(b ? static_cast<char>(*b) : '?');
    }
    return out;
}

} // namespace dn::tk
