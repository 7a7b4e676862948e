#pragma once

// The start-up steps that create whichever of the application's tables and index
// files is missing. Files are plain names in the working directory (the data
// folder); their layouts, keys and conditions are in common/schema/tables.h.

#include "common/data/area.h"
#include "common/dbf/structure.h"

#include <string>
#include <vector>

namespace dn::app {

// The keys of schema::kDeadlineKey and schema::kContactKey, computed from the
// record the selected area shows.
data::KeyBlock deadlineKey();
data::KeyBlock contactKey();

// Creates the table when its file (name + ".DBF") is missing. False when that
// failed; the error handler has shown why.
bool ensureTable(const std::string& name, const std::vector<dbf::FieldDef>& fields);

// Builds the index file name + ".NTX" when it is missing: opens the table
// exclusively (waiting while other instances have it open), builds the one order
// with the key under schema::kIndexCondition, closes the table. On failure the table is closed
// and the half-built index file deleted, so that the next start builds it again;
// false then (the error handler has shown why).
bool ensureIndex(const std::string& name, const std::string& keyText, const data::KeyBlock& key);

} // namespace dn::app
