#pragma once

// How message texts are prepared for the screen, and small text helpers of the
// dialog helpers.

#include <QString>
#include <QStringList>

#include <string>
#include <string_view>

namespace dn::ui {

// A message text as every message shows it: trimmed of blanks at both ends, the
// DOS accented letters repaired (O2A); ";" kept.
std::string messageText(std::string_view text);
// The text with each ";" turned into a line break (Windows-1252 bytes).
std::string displayText(std::string_view text);
// The lines of a message text for the screen, in Unicode.
QStringList qtLines(std::string_view text);
// The whole message text for the screen, lines joined by "\n".
QString qtText(std::string_view text);

} // namespace dn::ui
