#pragma once

#include "common/util/value.h"

#include <string>
#include <string_view>

namespace dn {

// The literal of v in the filter-expression language, as a text value:
// - an empty value (absent, blank text, zero, false, empty date, empty list): "";
// - a text: double-quoted; its double quotes go into bracket groups joined with
//   " + ", a run of quotes in one group: a"b gives "a" + ["] + "b";
// - a date: CTOD( "dd/mm/yyyy" );
// - a number: its plain decimal text (numberText).
// Any other value (true, a non-empty list, a callable, a date-time) comes back unchanged.
Value MKSTR(const Value& v);

// Readable text of any value: text as is; date "dd/mm/yyyy"; date-time
// "dd/mm/yyyy HH:MM:SS" (".mmm" added for milliseconds; the time alone for the
// empty date); ".T."/".F."; number as numberText; "{ || ... }" for a callable;
// "NIL" for absent; a list's elements by this same rule joined with CR LF, cut
// to 100 characters followed by " ... }" when longer.
std::string CVALTOCHAR(const Value& v);

// Replaces the DOS (code page 850) lower-case accented vowels by their
// Windows-1252 forms: 0x85 à, 0x8A è, 0x82 é, 0x8D ì, 0x95 ò, 0x97 ù.
std::string O2A(std::string_view text);

// Hook for translating interface texts; returns the text unchanged.
std::string FWSTRING(std::string_view text);

} // namespace dn
