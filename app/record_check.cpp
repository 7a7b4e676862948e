#include "app/record_check.h"

#include "common/data/records.h"
#include "common/data/workspace.h"
#include "common/ui/popmsg.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace dn::app {

namespace {

// The bytes that tell whether a field changed: the field's bytes in the record, or
// for a memo field its text (the record holds only the memo's block number, which
// every rewrite of the memo may change).
std::string comparable(int field) {
    dbf::Table& t = data::area().table();
    if (t.fields()[static_cast<size_t>(field)].type == dbf::FieldType::Memo)
        return t.get(field).text();
    return std::string(t.raw(field));
}

} // namespace

LoadedRecord::LoadedRecord(std::vector<std::string> fields) {
    dbf::Table& t = data::area().table();
    if (fields.empty())
        for (const dbf::Field& f : t.fields())
            fields.push_back(f.name);
    // The table's own spelling, so that value() finds a field however it is named.
    for (const std::string& name : fields) {
        const int i = t.fieldIndex(name);
        if (i < 0)
            throw dbf::TableError("no field " + name + " in " + t.path());
        names_.push_back(t.fields()[static_cast<size_t>(i)].name);
    }
    take();
}

void LoadedRecord::take() {
    bytes_.clear();
    values_.clear();
    dbf::Table& t = data::area().table();
    for (const std::string& name : names_) {
        bytes_.push_back(comparable(t.fieldIndex(name)));
        values_.push_back(data::FIELDGET(name));
    }
}

bool LoadedRecord::matchesCurrent() const {
    dbf::Table& t = data::area().table();
    for (size_t n = 0; n < names_.size(); ++n)
        if (comparable(t.fieldIndex(names_[n])) != bytes_[n])
            return false;
    return true;
}

const Value& LoadedRecord::value(std::string_view field) const {
    for (size_t n = 0; n < names_.size(); ++n)
        if (std::ranges::equal(names_[n], field, [](char a, char b) {
                return std::toupper(static_cast<unsigned char>(a)) ==
                       std::toupper(static_cast<unsigned char>(b));
            }))
            return values_[n];
    throw std::out_of_range("field " + std::string(field) + " was not loaded");
}

bool lockForOverwrite(LoadedRecord& loaded) {
    for (;;) {
        data::DBLOCK(true);
        if (loaded.matchesCurrent())
            return true;
        // What the other computer left is what the user decides about.
        loaded.take();
        data::DBUNLOCK();
        if (ui::POPMSG(kChangedElsewhere, 5) != 1)
            return false;
    }
}

} // namespace dn::app
