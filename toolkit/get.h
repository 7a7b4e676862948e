#pragma once

#include "toolkit/control.h"
#include "toolkit/picture.h"

class QKeyEvent;
class QLineEdit;
class QPlainTextEdit;

namespace dn {

// What TGet's Redefine and New take besides its variable.
struct GetOptions {
    std::string picture{}; // edit mask (see tk::Picture); "" for none
    CondBlock valid{};     // runs when the field is left; false keeps the focus there
    Block change{};        // runs after every edit the user makes
    CondBlock when{};      // enabling condition
    std::string varName{}; // cVarName
};

// A one-line edit bound to a variable. The variable's kind when bound decides the
// editing: text (the mask's template, or free up to the text's length, kept padded
// to it), number (right-aligned, the mask's width; "@E 9999" takes "-123"), date
// ("dd/mm/yyyy", the empty date shown as "  /  /    "), logical.
// The variable is written when the field is left (and by Assign); a text that
// stands for no value (BadDate, BadNumber) leaves the variable as it was.
class TGet : public TControl {
public:
    static TGet* Redefine(int id, Binding b, TDialog& dlg, const GetOptions& o);
    static TGet* Redefine(int id, Binding b, TDialog& dlg) {
        return Redefine(id, std::move(b), dlg, GetOptions{});
    }
    static TGet* New(int row, int col, Binding b, TWindow& parent, int width, int height,
                     const GetOptions& o);

    // The text the field shows (Windows-1252).
    std::string GetText() const override;
    // Shows text as it stands; the variable is not touched and no change block runs.
    void SetText(const std::string& text) override;
    // Shows the variable again.
    void Refresh(bool erase = true) override;
    // Stores v and shows it.
    void VarPut(const Value& v) override;
    bool Assign() override;

    // The text is neither the blank date nor a date (date fields only).
    bool BadDate() const;
    // The text is not a number that fits the mask (number fields only).
    bool BadNumber() const;
    // The text the field shows for v, exactly as Refresh would show it.
    std::string FormatValue(const Value& v) const;
    const std::string& cPicture() const { return pic_.mask(); }
    // Changes the mask; the field shows the variable again.
    void SetPicture(const std::string& mask);
    tk::FieldType Type() const { return pic_.type(); }
    const tk::Picture& Pic() const { return pic_; }
    QLineEdit* Edit() const;

protected:
    void onFocusIn() override;

private:
    void setup(Binding b, const GetOptions& o);
    void makePicture(const std::string& mask);
    bool handleKey(QKeyEvent* e);
    void show(const std::string& text);
    void edited();

    tk::Picture pic_;
    bool uppercaseStyle_ = false;
};

// A multi-line edit of a text; line breaks are CR LF in the variable.
class TMultiGet : public TControl {
public:
    static TMultiGet* Redefine(int id, Binding b, TDialog& dlg, const DataOptions& o);
    static TMultiGet* Redefine(int id, Binding b, TDialog& dlg) {
        return Redefine(id, std::move(b), dlg, DataOptions{});
    }
    static TMultiGet* New(int row, int col, Binding b, TWindow& parent, int width, int height,
                          const DataOptions& o);

    std::string GetText() const override;
    void SetText(const std::string& text) override;
    void Refresh(bool erase = true) override;
    bool Assign() override;
    QPlainTextEdit* Edit() const;

private:
    void setup(Binding b, const DataOptions& o);
    bool showing_ = false;
};

} // namespace dn
