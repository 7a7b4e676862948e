#pragma once

#include <string_view>

namespace dn {

// Shape and check-digit tests for texts typed into dialog fields. Texts are
// Windows-1252 bytes of any content and length (embedded NUL included); none of
// them throws, and bad input gives false. Positions below count from 1.

// A personal tax code: 16 characters (trailing blanks ignored), upper-cased first;
// character 12 a letter, characters 1-15 letters or digits, character 16 the check
// letter. Any other length is checked as a company's 11-digit VAT number (ISIVA).
bool ISCOD(std::string_view text);
// An 11-digit VAT number (trailing blanks ignored, digits only) whose eleventh
// digit is the check digit of the first ten; eleven zeros are refused.
bool ISIVA(std::string_view text);
// A 27-character bank account number (blanks around it ignored), digits and
// upper-case letters only, whose ISO 7064 mod 97-10 remainder is exactly 1.
bool ISIBAN(std::string_view text);
// Shape test of an e-mail address (trailing blanks allowed): no other blank, one
// "@", a "." after it, not ending in "."; apart from . @ _ - ' only ASCII letters
// and digits. Nothing is required before the "@".
bool ISEMAIL(std::string_view text);
// Not blank and made only of digits (a trailing blank fails).
bool ISNUMBER(std::string_view text);
// "HH:MM" or "HH:MM:SS" with two digits in each part, hours 0-23, minutes and
// seconds 0-59. The separators are not examined; a blank anywhere fails.
bool ISTIME(std::string_view text);
// One file-name component usable on Windows: not blank; after trimming blanks at
// most 255 characters, no control character and none of " * / : < > ? \ |, and
// not one of the device names NUL CON PRN AUX LPT1-LPT3 COM1-COM4 (any case).
bool LFNFNAME(std::string_view text);

} // namespace dn
