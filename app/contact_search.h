#pragma once

// The contact search: narrows the address book list to the contacts that match up
// to four criteria, through a view on the open contact table.

#include <string>

namespace dn::app {

// The four criteria as typed (trailing blanks do not count; leading ones do).
struct ContactCriteria {
    std::string name;  // part of NOMINATIVO, any case
    std::string phone; // part of the six numbers and the notes, joined by blanks
    std::string mail;  // part of E_MAIL, any case
    std::string notes; // part of NOTE, any case
};

// The condition text of the view for the criteria, upper-cased whole (the criteria
// inside their literals too, which makes the comparisons independent of case);
// empty when every criterion is empty.
std::string contactSearchCondition(const ContactCriteria& c);

// The search dialog on the selected area, which holds the contact table with its
// name order. "&Conferma" with a criterion replaces the view by the contacts that
// match (in name order, the pointer on the first); with no criterion it changes
// nothing. "&Tutti" drops the view. A failure ends the search after the error
// handler's message, with the name order in force.
void RICERCA2();

} // namespace dn::app
