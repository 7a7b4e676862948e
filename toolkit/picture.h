#pragma once

#include "common/util/value.h"

#include <optional>
#include <string>
#include <string_view>

namespace dn::tk {

// What a bound variable holds, which decides how its field edits it.
enum class FieldType { Text, Number, Date, Logical };
FieldType fieldTypeOf(const Value& v);

// An edit mask: an optional function part ("@" and letters, up to a blank) and a
// template. Function letters: "!" upper case, "9" digits only, "E" European numbers
// (comma before the decimals, dots between thousands), "R" template literals are
// shown but not stored. Template characters: "9" and "#" digits, "A" letters, "N"
// letters and digits, "X" anything, "!" anything in upper case, "L" and "Y" logical
// letters; in numbers "." is the decimal point and "," the thousands separator.
// Anything else is a literal that the cursor skips ("99:99", "99/99/9999").
//
// Text and date fields with a template edit in fixed positions: the field always
// holds the whole template, literals included; an untouched "99:99" reads "  :  ".
// Text without a template edits freely up to the variable's width. Numbers edit
// freely (digits, one leading minus, the decimal separator) up to the template's
// width and are shown right-aligned.
class Picture {
public:
    Picture() = default;
    // textWidth: length of the bound text, for text without a template (0: no limit).
    Picture(std::string_view mask, FieldType type, int textWidth = 0);

    FieldType type() const { return type_; }
    const std::string& mask() const { return mask_; }
    const std::string& tmpl() const { return tmpl_; }
    bool upper() const { return upper_; }
    bool digitsOnly() const { return digits_; }
    bool european() const { return european_; }
    // Fixed-position editing (a text template, a date, a logical).
    bool positional() const { return positional_; }
    // Characters the field can hold; 0 for no limit.
    int width() const { return width_; }
    int decimals() const { return decimals_; }
    char decimalChar() const { return european_ ? ',' : '.'; }
    char thousandsChar() const { return european_ ? '.' : ','; }

    // Positional editing: whether pos takes typed characters.
    bool isSlot(int pos) const;
    // The character that typing c at pos stores, or nothing when refused. Without
    // positions, pos is ignored.
    std::optional<char> accept(int pos, char c) const;
    // The untouched text of a positional field.
    std::string blank() const;

    // The field text that shows v. A number that does not fit shows asterisks.
    std::string format(const Value& v) const;
    // The value that a field text stands for; nothing when it reads as no value of
    // the field's kind (a bad date, a number that is malformed or does not fit).
    std::optional<Value> parse(std::string_view text) const;
    // Whether a text can stand in a number field while it is being typed.
    bool acceptsNumberText(std::string_view text) const;

    // Text is neither the blank date nor a real date.
    bool badDate(std::string_view text) const;
    // Text is not a number that fits the mask.
    bool badNumber(std::string_view text) const;

private:
    std::string mask_;
    std::string tmpl_;
    FieldType type_ = FieldType::Text;
    bool upper_ = false;
    bool digits_ = false;
    bool european_ = false;
    bool raw_ = false; // "@R"
    bool positional_ = false;
    int width_ = 0;
    int decimals_ = 0;
    int intSlots_ = 0;
};

// Fixed-position editing steps on a field text; cursor is a character position.
// Each returns whether the text or cursor changed.
bool typeAt(const Picture& pic, std::string& text, int& cursor, char c);
bool backspaceAt(const Picture& pic, std::string& text, int& cursor);
bool deleteAt(const Picture& pic, std::string& text, int cursor);
// Blanks the slots in [from, to).
void clearRange(const Picture& pic, std::string& text, int from, int to);

} // namespace dn::tk
