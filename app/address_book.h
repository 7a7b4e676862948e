#pragma once

// The address book window: the contacts in alphabetical order with type-ahead,
// and the buttons that add, change, delete, search and print them.

#include <string>

namespace dn::app {

// The address book. Opens the contact table shared in a free work area with its
// name order, runs the list window modally, and on every way out closes the table
// (and any search view) and selects the work area that was selected before. A
// failure while the window runs ends it after the error handler's message.
void RUBRICA();

// The list window's title for the selected area: "Rubrica telefonica - " + the
// contacts shown (the search view's, or all) + " di " + all contacts.
std::string addressBookTitle();

} // namespace dn::app
