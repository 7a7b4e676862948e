#pragma once

#include <string>

namespace dn {

// Plain decimal text of n: no blanks, no exponent, the shortest digits that read
// back as n ("150", "-3", "0.5"); minus zero gives "0".
std::string numberText(double n);

// Integer in European style: a field of w digit places (w defaults to 10, 20 is
// taken as 10, and w is kept within 1-15) with "." between thousands, right-aligned
// in the mask's width (digits plus separators). n is rounded half away from zero;
// a negative number takes "-" before its first digit. A number that does not fit,
// and a non-finite one, fill the field with "*".
// NSTR shows 0 as "0"; ZSTR shows it as a blank field.
std::string NSTR(double n, int w = 10);
std::string ZSTR(double n, int w = 10);
// |n| as NSTR (showZero) or ZSTR, then " " for n >= 0 or "-" for n < 0.
std::string SSTR(double n, int w = 10, bool showZero = false);

// Two decimals after ",", w - 2 integer places (kept within 1-15) grouped by ".":
// ENSTR(1234.5, 9) is "    1.234,50" in the mask 9.999.999,99. Rounding, sign and
// overflow as NSTR. EZSTR shows 0 as a blank field.
std::string ENSTR(double n, int w = 10);
std::string EZSTR(double n, int w = 10);
// |n| as ENSTR (showZero) or EZSTR, then the sign character as SSTR.
std::string ESSTR(double n, int w = 10, bool showZero = false);

} // namespace dn
