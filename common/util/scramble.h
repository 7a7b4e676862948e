#pragma once

#include "common/util/value.h"

#include <string>
#include <string_view>

namespace dn {

// Keyless reversible scrambling of short secrets; each form is its own inverse.
// Text: every byte gets its top bit flipped ("A" -> 0xC1, a blank -> 0xA0), the
// length unchanged; an empty or all-blank text comes back as it is.
std::string CRYPT(std::string_view text);
std::string CRYPT(const std::string& text);
std::string CRYPT(const char* text);
// Number: the nines' complement at the length k of its plain decimal text (sign
// and point included): (10^k - 1) - n, so 123 -> 876, 95 -> 4, 4 -> 5. Zero, and
// a number whose complement cannot be represented, come back unchanged.
double CRYPT(double n);
// Text or number as above; any other value, and any empty value, unchanged.
Value CRYPT(const Value& v);

// Standard Base64 (RFC 4648 alphabet, "=" padding, no line breaks) of bytes.
std::string base64Encode(std::string_view bytes);
// Base64 of the whole content of the file at path (native bytes); a missing or
// unreadable file gives the empty text.
std::string FILEENCODE(const std::string& path);

} // namespace dn
