#pragma once

#include "common/util/value.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace dn::config {

// The configuration variables of the run: named values of four kinds (text,
// number, logical, date) that every procedure can see. Names are kept in upper
// case; lookups upper-case the name they are given, so "cfg_nm01" and "CFG_NM01"
// are one variable. A variable may exist without a value (absent) when it was
// declared before anything was assigned to it.
class Variables {
public:
    // True when a variable of that name exists.
    bool exists(std::string_view name) const;
    // Declares name without a value; an existing variable keeps its value.
    void declare(std::string_view name);
    // Creates the variable when missing and gives it value.
    // REQUIRES: value is absent, text, number, logical or date (std::invalid_argument).
    void set(std::string_view name, Value value);
    // The variable's value; absent when it does not exist or has none.
    Value get(std::string_view name) const;
    void remove(std::string_view name);
    void clear();

    // Typed reads for callers that need one kind: the value when it is of that
    // kind, otherwise the fallback (a hand-edited file may hold another kind).
    std::string text(std::string_view name, const std::string& fallback = {}) const;
    double number(std::string_view name, double fallback = 0) const;
    bool logical(std::string_view name, bool fallback = false) const;
    Date date(std::string_view name, Date fallback = {}) const;

    // Names of all variables in alphabetical (byte) order.
    std::vector<std::string> names() const;

private:
    std::map<std::string, Value, std::less<>> vars_;
};

// The variables of this run.
Variables& variables();

} // namespace dn::config
