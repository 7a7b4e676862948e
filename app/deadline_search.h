#pragma once

// The search of the deadline list (RICERCA, declared in procedures.h): a date range
// and a piece of task text replace the list's view by every deadline of the slot
// that matches, done or not, of any date.

#include "common/util/date.h"

#include <string>

namespace dn::app {

// The view's text for the criteria given, in this order: from-date, to-date, text
// (trailing blanks already removed; leading ones are part of it). Each criterion
// adds MKSTR(value) + " <= FIELD -> data .AND. ", " >= FIELD -> data .AND. " or
// " $ UPPER( FIELD -> incombenza ) .AND. "; the last " .AND. " is dropped and the
// whole is upper-cased, which makes the text match in any letter case. It is also
// the view's condition, compiled. Empty when no criterion is given.
std::string searchText(Date from, Date to, const std::string& text);

} // namespace dn::app
