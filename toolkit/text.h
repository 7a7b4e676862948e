#pragma once

#include <QColor>
#include <QString>

#include <cstdint>
#include <string>
#include <string_view>

namespace dn::tk {

// The program's texts are Windows-1252 bytes; Qt's are Unicode. Every text that
// crosses into a widget or comes back out of one goes through these two.
QString toQt(std::string_view cp1252);
// Characters that Windows-1252 cannot hold become '?'.
std::string fromQt(const QString& text);

// Colours as the program passes them around: 0x00BBGGRR.
using Color = uint32_t;

constexpr Color rgb(int r, int g, int b) {
    return static_cast<Color>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int redOf(Color c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int greenOf(Color c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int blueOf(Color c) {
    return static_cast<int>((c >> 16) & 0xFF);
}

inline QColor toQColor(Color c) {
    return QColor(redOf(c), greenOf(c), blueOf(c));
}
inline Color fromQColor(const QColor& c) {
    return rgb(c.red(), c.green(), c.blue());
}

} // namespace dn::tk
