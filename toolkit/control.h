#pragma once

#include "toolkit/binding.h"
#include "toolkit/window.h"

#include <initializer_list>
#include <string>

namespace dn {

class TDialog;

// What the data controls' Redefine and New take besides their variable.
struct DataOptions {
    Block change{};        // runs after every change the user makes
    CondBlock valid{};     // runs when the control is left; false keeps the focus there
    CondBlock when{};      // enabling condition
    std::string varName{}; // cVarName
};

namespace tk {
// The template widget for id on dlg; throws std::logic_error naming the id and the
// template when it is missing or of another kind.
QWidget* templateWidget(TDialog& dlg, int id, std::initializer_list<const char*> kinds);
} // namespace tk

// A control bound to a variable through a Binding (see binding.h).
class TControl : public TWindow {
public:
    Binding bSetGet;
    Block bChange;

    // The bound variable's value (absent when unbound).
    Value VarGet() const { return bSetGet.get ? bSetGet.get() : Value(); }
    // Stores v into the variable and shows it.
    virtual void VarPut(const Value& v);
    // The dialog (or window) the control sits on.
    TWindow* Owner() const { return oWnd; }
    // Stores the shown value into the variable; false (variable unchanged) when the
    // shown text stands for no value (a bad date or number).
    virtual bool Assign() { return true; }
    void FinishEdit() override { Assign(); }

protected:
    void applyOptions(const DataOptions& o);
    void runChange();
    // Leaving the control: stores the value, then runs the valid block unless the
    // focus went to a cancel button; a refusal puts the focus back here.
    void onFocusOut(bool withinWindow) override;
};

} // namespace dn
