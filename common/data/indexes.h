#pragma once

// Index orders of the selected area: opening and building index files, listing
// them, choosing the controlling order, scopes and counts.

#include "common/data/area.h"

#include <optional>
#include <string>
#include <vector>

namespace dn::data {

// Opens an index file as a further order (".NTX" added when the name has no
// extension). The first order opened in an area becomes controlling, on its first
// record.
void ORDADD(const std::string& file);

// Sets the condition of the next ORDBUILD in the selected area: its text (stored
// in the file) and a block of the same test (empty: the text is compiled).
void ORDCONDSET(const std::string& condText, CondBlock cond = {});

// Builds an index file (".NTX" added without extension; an existing file is
// replaced) with every "FIELD -> " removed from keyText, under the condition set by
// ORDCONDSET just before (default "!DELETED()"), and opens it as the controlling
// order. tag: default the file's base name. key: a block computing the key, or
// empty to compile the key text.
void ORDBUILD(const std::string& file, const std::string& tag, const std::string& keyText,
              KeyBlock key = {}, bool unique = false);

// Full paths of the files of the open orders, in order.
std::vector<std::string> ORDLIST();
// The same without the file named (".NTX" added, compared as full upper-case paths).
std::vector<std::string> ORDLIST(const std::string& without);
// Opens each file with ORDADD, in list order; returns an empty list.
std::vector<std::string> ORDLIST(const std::vector<std::string>& files);

// Visible records within the scope: of order 1 (firstOrder, the default) or of the
// controlling order. The controlling order's scope is first carried over to order
// 1, and stays on it.
uint64_t TOTREC(bool firstOrder = true);

// Makes order n (0: record-number order) or the order of that tag controlling;
// returns the number of the order that was controlling before.
int ORDSETFOCUS(int n);
int ORDSETFOCUS(const std::string& tag);
// Tag and key text of order n (0: the controlling one); empty when there is none.
std::string ORDNAME(int n = 0);
std::string ORDKEY(int n = 0);
// Sets the top (which 0) or bottom (1) of the controlling order's scope; nothing
// clears it.
void ORDSCOPE(int which, const std::optional<Value>& value);
// Keys of the controlling order within its scope.
uint64_t ORDKEYCOUNT();

// True when the upper-cased text is found in the first order of the selected area,
// with its scope lifted for the search. Record, orders and scopes are left as they
// were.
bool ISDUP(const std::string& text);

} // namespace dn::data
