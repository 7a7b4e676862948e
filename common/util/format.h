#pragma once

#include "common/util/value.h"

#include <string>
#include <string_view>
#include <vector>

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

// The lines of a memo text word-wrapped at width characters, as a memo editor
// shows them: CR LF (or a lone LF) ends a line; a longer line breaks at its last
// blank within width + 1 characters (the blank is dropped), a word longer than
// width is cut at width. A text ending with a line break gives no empty last line.
std::vector<std::string> wrapLines(std::string_view text, size_t width);

// Hook for translating interface texts; returns the text unchanged.
std::string FWSTRING(std::string_view text);

} // namespace dn
