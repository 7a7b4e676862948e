#pragma once

#include "common/util/date.h"
#include "common/util/value.h"

#include <functional>
#include <string>

namespace dn {

// How a data control reaches the variable it edits: `get` reads the variable,
// `set` stores a new value into it. Every data control (TGet, TMultiGet,
// TComboBox, TCheckBox, TRadMenu) takes one; the kind of the value that `get`
// returns when the control is bound decides how the control edits it (text,
// number, date, logical).
struct Binding {
    std::function<Value()> get;
    std::function<void(const Value&)> set;

    explicit operator bool() const { return get && set; }
};

// Bindings to plain variables; the variable must outlive the control. A typed
// variable ignores a value of another kind, and an absent value clears it.
Binding bindVar(Value& v);
Binding bindVar(std::string& s);
Binding bindVar(Date& d);
Binding bindVar(double& n);
Binding bindVar(int& n);
Binding bindVar(bool& b);

} // namespace dn
