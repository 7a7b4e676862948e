#pragma once

// An editor's guard against writing over another computer's change. An editor
// keeps what it loaded of the selected work area's current record; when it comes
// to write, it locks the record (which reads it again from disk) and compares.
// When another computer changed the record meanwhile, the user is asked before
// that change is overwritten; on No the editor shows the other computer's values.
//
// Generic over the selected area's current record: the deadline editor and the
// contact editor both use it. The deleted mark is not compared: a record deleted
// elsewhere while it was being edited comes back live when the edit is written.

#include "common/util/value.h"

#include <string>
#include <string_view>
#include <vector>

namespace dn::app {

// Asked (Yes / No, No the default) when the record changed on another computer.
inline constexpr const char* kChangedElsewhere =
    "Questi dati sono stati modificati da un altro computer.;Sovrascrivo le sue modifiche?";

// What an editor loaded of the selected area's current record: the named fields
// (every field of the table when none are named), memo texts included.
class LoadedRecord {
public:
    // Takes the fields of the selected area's current record.
    // REQUIRES: a table is open in the selected area; every name is one of its fields.
    explicit LoadedRecord(std::vector<std::string> fields = {});

    // Takes the fields again from the current record, as it stands in memory.
    void take();
    // Whether the current record, as it stands in memory, holds what was taken.
    bool matchesCurrent() const;
    // A field's value as taken. REQUIRES: the field is one of those taken.
    const Value& value(std::string_view field) const;

private:
    std::vector<std::string> names_;
    std::vector<std::string> bytes_; // field bytes, or the memo text, for comparing
    std::vector<Value> values_;
};

// Locks the selected area's current record (DBLOCK, which reads it again) to
// write over what was loaded.
// - True, the record locked: it still holds what was loaded, or the user answered
//   Yes to kChangedElsewhere. The question is asked with no lock held; after a Yes
//   the record is locked and compared again with what it held when the question
//   was asked, so a further change asks again.
// - False, no lock held: the user answered No. `loaded` then holds the record's
//   values as the other computer left them, for the editor to show.
// A table lock held on entry is released when the question is asked.
bool lockForOverwrite(LoadedRecord& loaded);

} // namespace dn::app
