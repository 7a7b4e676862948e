#pragma once

// The expression language of index keys, index conditions and views: a text is
// compiled once against the fields of one table and evaluated over its raw records.
// The program's orders and views, and the administrator's tool reading the texts
// stored in index files, all use this one compiler (index_expr.h turns its values
// into index keys).
//
// The language is the dBase one that index headers and search conditions are
// written in: field names (optionally as "FIELD -> name" or "alias -> name"),
// literals ("text", 'text', [text], numbers, .T., .F.), + - * / %, the comparisons
// = == != <> # < <= > >= (texts compared over the length of the right-hand text,
// except ==), $ (left text contained in the right one), ! .NOT. .AND. .OR.,
// parentheses, and the functions UPPER LOWER DTOS DTOC CTOD STR VAL LEFT RIGHT
// SUBSTR TRIM RTRIM LTRIM ALLTRIM EMPTY IIF RECNO DELETED DATE. A code block
// "{ || expression }" is accepted for its expression. Division by zero gives 0.

#include "common/util/value.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace dn::dbf {

class Table;

class ExpressionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Expression {
public:
    struct Node;

    Expression() = default;
    // Compiles text against the fields of table. Throws ExpressionError for a syntax
    // error, an unknown field or function, or a wrong argument count. REQUIRES: the
    // table stays open with the same structure while the expression is used.
    static Expression compile(std::string_view text, const Table& table);

    bool valid() const { return root_ != nullptr; }
    const std::string& text() const { return text_; }
    // The value for one record (deletion flag first, the table's record length).
    // Throws ExpressionError when operand kinds do not fit their operator.
    Value eval(std::string_view record, uint32_t recno) const;
    // The value of a condition for one record. Throws ExpressionError when it is not
    // a logical value.
    bool holds(std::string_view record, uint32_t recno) const;

private:
    std::shared_ptr<const Node> root_;
    std::string text_;
};

} // namespace dn::dbf
