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

// Creates the table when its file (name + ".DBF") is missing; an existing one must
// hold the fields (any more of its own are left alone), or it is reported as a
// damaged file. False when that failed; the error handler has shown why.
bool ensureTable(const std::string& name, const std::vector<dbf::FieldDef>& fields);

// Builds the index file name + ".NTX" when it is missing, with rebuildIndex.
// An existing index file is opened as an order first; when that finds it damaged
// (IndexFile::open and WorkArea::addOrder check its headers, root and key), it is
// deleted and built as a missing one, and its name is added to `rebuilt` so that
// the caller tells the user once (rebuiltIndexNotice) when the start-up lock is
// released.
bool ensureIndex(const std::string& name, const std::string& keyText, const data::KeyBlock& key,
                 std::vector<std::string>* rebuilt = nullptr);
// The notice for an index file that was damaged and has been built again.
std::string rebuiltIndexNotice(const std::string& index);

// Rebuilds the index file name + ".NTX": opens the table exclusively in a free
// work area (waiting while other instances have it open), packs it when pack is
// true, builds the one order with the key (key block, or empty to compile keyText)
// under schema::kIndexCondition, and closes the table; the selected area stays selected.
// False when that failed (the error handler has shown why): if the table was open
// by then, its index file is deleted before the table is closed, because after a
// pack it no longer matches the table; the next start builds it again.
bool rebuildIndex(const std::string& name, const std::string& keyText, const data::KeyBlock& key,
                  bool pack);

} // namespace dn::app
