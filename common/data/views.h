#pragma once

// Views and the incremental key search of lists.
//
// A view is a private index file in the instance folder (viewFileName) that holds
// only the records satisfying a condition and is the controlling order of its work
// area until it is cleared. Like every order it is kept current for writes made
// through its own work area; other instances' writes reach it only when it is
// laid again.

#include "common/data/area.h"

#include <optional>
#include <string>

namespace dn::data {

// A condition block that evaluates condition text (the expression language of
// common/dbf/expr.h) against the selected area's table.
CondBlock conditionOf(const std::string& text);

struct ViewOptions {
    std::string keyText;       // empty: the controlling order's key, or "RECNO()"
    std::optional<bool> quiet; // default: true while a wait message is shown
    bool unique = false;
    bool useCurrentOrder = false; // build from the controlling order within its scope
    bool keepSavedOrder = false;  // leave the saved order of the area as it is
    bool remoteBuild = false;     // never used: the build is always local
};

// Lays a view over the selected area (areas 1 to 249): the records for which cond is
// true (deleted records never), in the order of the key, with the scopes of the
// controlling order. Shows "Elaborazione in corso..." while it builds unless quiet,
// and goes to the first record of the view.
void DBSETVIEW(CondBlock cond, const std::string& condText, const ViewOptions& options = {});

// Removes the selected area's view: the other orders are opened again, the
// controlling one becomes the order that was controlling (keepCurrent) or the one
// saved when the first view was laid (when none was saved, the one that was
// controlling stays), scopes are kept, and the pointer goes to the first record.
// A failure is reported by the error handler and the clearing starts again; after
// three failures in a row the operation is abandoned (Abort).
void DBCLEARVIEW(bool keepCurrent = false);

// A list that shows the selected area's records.
class SearchList {
public:
    virtual ~SearchList() = default;
    // The record pointer moved: show the current record.
    virtual void showCurrent() = 0;
};

// Type-ahead search on the controlling order of the selected area. Without a list
// it empties the search buffer. Key codes 32 to 126 add their upper-case character,
// 8 takes the last one away; the pointer goes to the first key that begins with
// prefix + buffer, or, when there is none, the key is dropped and the pointer goes
// back where it was.
void KEYSEARCH(SearchList* list, int key, const std::string& prefix = {});

// The search buffer (for tests and for the list's own display).
const std::string& keySearchBuffer();

// Forgets the saved order table and the key-search state (the shut-down procedure
// does, at the end of the run).
void resetViewState();

} // namespace dn::data
