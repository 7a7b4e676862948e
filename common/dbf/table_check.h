#pragma once

#include "common/dbf/table.h"

namespace dn::dbf {

// Reads every record of an open table and every memo that its records point to,
// and throws CorruptFile at the first damage found: a deletion flag other than
// blank or "*", a memo pointer that is not a number or leads outside the memo
// file. What the opening checks (header, field descriptors, record count against
// the file size, memo header) has been checked by Table::open already.
void checkTable(Table& table);

} // namespace dn::dbf
