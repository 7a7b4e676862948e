#pragma once

// A drop-down list of another table's keys under a text field.

#include "toolkit/get.h"

#include <optional>
#include <string>

namespace dn::ui {

struct DbComboOptions {
    std::string table;                 // opened shared in a private work area
    std::string index;                 // the list's order
    std::string field;                 // shown and copied into the text field; empty: field 1
    std::optional<std::string> prefix; // only the keys that begin with it
    std::string filter;                // a condition the rows must meet (a view)
    int rows = 10;
};

// Opens the table, stands on the field's current value (prefix + value, else the
// first key at or after it, else the first row) and drops a borderless one-column
// list of (rows + 1) x 15 + 2 pixels just below the field (above it when it would
// leave the screen). Moving in the list shows the row's value in the field at
// once; typed characters search the list (KEYSEARCH). A click on a row, or Enter,
// keeps the value, closes the list and runs the field's change block; any other
// close (Esc, a click elsewhere, the list losing the focus) puts back the value the
// field had before. The table is closed and the selected work area restored on
// every path. Returns whether a value was kept; false too when the table could not
// be opened (the error handler has shown why).
bool DBCOMBO(TGet& field, const DbComboOptions& options);

// Name of the list's dialog (for tests that drive it).
inline constexpr const char* kDbComboName = "DBCOMBO";

} // namespace dn::ui
