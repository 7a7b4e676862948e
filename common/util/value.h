#pragma once

#include "common/util/date.h"

#include <functional>
#include <string>
#include <variant>
#include <vector>

namespace dn {

class Value;
using ValueList = std::vector<Value>;
// A callable block: takes its arguments, returns a value. May throw.
using Callable = std::function<Value(const ValueList&)>;

// A value of the kinds the program passes around untyped: configuration variables,
// filter literals, bound dialog variables. Text is Windows-1252 bytes.
class Value {
public:
    enum class Kind { Absent, Text, Number, Logical, Date, List, Callable };

    Value() = default;
    Value(std::string s) : v_(std::move(s)) {}
    Value(const char* s) : v_(std::string(s)) {}
    Value(double n) : v_(n) {}
    Value(int n) : v_(static_cast<double>(n)) {}
    Value(long long n) : v_(static_cast<double>(n)) {}
    Value(bool b) : v_(b) {}
    Value(Date d) : v_(d) {}
    Value(ValueList l) : v_(std::move(l)) {}
    Value(Callable c) : v_(std::move(c)) {}

    Kind kind() const { return static_cast<Kind>(v_.index()); }
    bool isAbsent() const { return kind() == Kind::Absent; }
    bool isText() const { return kind() == Kind::Text; }
    bool isNumber() const { return kind() == Kind::Number; }
    bool isLogical() const { return kind() == Kind::Logical; }
    bool isDate() const { return kind() == Kind::Date; }
    bool isList() const { return kind() == Kind::List; }
    bool isCallable() const { return kind() == Kind::Callable; }

    // REQUIRES: the value is of that kind (std::bad_variant_access otherwise).
    const std::string& text() const { return std::get<std::string>(v_); }
    double number() const { return std::get<double>(v_); }
    bool logical() const { return std::get<bool>(v_); }
    Date date() const { return std::get<Date>(v_); }
    const ValueList& list() const { return std::get<ValueList>(v_); }
    const Callable& callable() const { return std::get<Callable>(v_); }

    // Empty as the filter language's EMPTY() sees it: absent, blank text, zero,
    // false, the empty date, an empty list. A callable is never empty.
    bool isEmpty() const {
        switch (kind()) {
        case Kind::Absent:
            return true;
        case Kind::Text:
            return text().find_first_not_of(" \t\r\n") == std::string::npos;
        case Kind::Number:
            return number() == 0;
        case Kind::Logical:
            return !logical();
        case Kind::Date:
            return date().isEmpty();
        case Kind::List:
            return list().empty();
        case Kind::Callable:
            return false;
        }
        return true;
    }

private:
    std::variant<std::monostate, std::string, double, bool, Date, ValueList, Callable> v_;
};

} // namespace dn
