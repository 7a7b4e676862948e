#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace dn {

// Windows-1252 <-> Unicode. Every byte maps to one code point and back, so a
// cp1252 text survives a round trip through Unicode unchanged: 0x80-0x9F follow
// the Windows-1252 table, the five bytes it leaves undefined (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) map to the C1 controls of the same value, and 0x00-0x7F and
// 0xA0-0xFF map to themselves.

char32_t cp1252ToUnicode(unsigned char b);
// The byte for code point c; nothing when Windows-1252 has no such character.
std::optional<unsigned char> unicodeToCp1252(char32_t c);

// cp1252 bytes -> UTF-8. Embedded NUL bytes are kept.
std::string cp1252ToUtf8(std::string_view text);
// The same, appended to out.
void appendCp1252AsUtf8(std::string& out, std::string_view text);
// UTF-8 -> cp1252 bytes. A character that Windows-1252 cannot hold, and each byte
// of a malformed UTF-8 sequence, becomes `replacement`.
std::string utf8ToCp1252(std::string_view utf8, char replacement = '?');

// Case mapping of the Windows-1252 letters: ASCII, the accented Latin-1 letters
// and the pairs Š/š, Œ/œ, Ž/ž, Ÿ/ÿ. Other bytes (ß, µ, digits, symbols) are unchanged.
char upper1252(char c);
char lower1252(char c);
std::string upper1252(std::string_view text);
std::string lower1252(std::string_view text);

} // namespace dn
