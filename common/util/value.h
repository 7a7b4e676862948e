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

// A date with a time of day. A bare time of day has the empty date.
struct DateTime {
    Date date;
    int msecs = 0; // since midnight, 0 to 86 399 999
    auto operator<=>(const DateTime&) const = default;
};

// A value of the kinds the program passes around untyped: configuration variables,
// filter literals, bound dialog variables. Text is Windows-1252 bytes.
class Value {
public:
    enum class Kind { Absent, Text, Number, Logical, Date, List, Callable, DateTime };

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
    Value(DateTime t) : v_(t) {}
    // Out of line: inlined, the variant's moves trip GCC 12's -Wmaybe-uninitialized
    // in every caller that puts values in containers.
    Value(const Value&);
    Value(Value&&) noexcept;
    Value& operator=(const Value&);
    Value& operator=(Value&&) noexcept;
    ~Value();

    Kind kind() const { return static_cast<Kind>(v_.index()); }
    bool isAbsent() const { return kind() == Kind::Absent; }
    bool isText() const { return kind() == Kind::Text; }
    bool isNumber() const { return kind() == Kind::Number; }
    bool isLogical() const { return kind() == Kind::Logical; }
    bool isDate() const { return kind() == Kind::Date; }
    bool isList() const { return kind() == Kind::List; }
    bool isCallable() const { return kind() == Kind::Callable; }
    bool isDateTime() const { return kind() == Kind::DateTime; }

    // REQUIRES: the value is of that kind (std::bad_variant_access otherwise).
    const std::string& text() const { return std::get<std::string>(v_); }
    double number() const { return std::get<double>(v_); }
    bool logical() const { return std::get<bool>(v_); }
    Date date() const { return std::get<Date>(v_); }
    const ValueList& list() const { return std::get<ValueList>(v_); }
    const Callable& callable() const { return std::get<Callable>(v_); }
    DateTime dateTime() const { return std::get<DateTime>(v_); }

    // Empty as the filter language's EMPTY() sees it: absent, blank text, zero,
    // false, the empty date (with no time), an empty list. A callable is never empty.
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
        case Kind::DateTime:
            return dateTime().date.isEmpty() && dateTime().msecs == 0;
        }
        return true;
    }

private:
    // Alternatives in the order of Kind.
    std::variant<std::monostate, std::string, double, bool, Date, ValueList, Callable, DateTime> v_;
};

// The first present value of args; when args is a single list, the first present
// element of that list. Absent when there is none.
Value IFNIL(const ValueList& args);

// args[0] called with the remaining arguments when it is a callable (an exception
// thrown inside gives absent), otherwise args[0] itself; absent for no arguments.
Value XEVAL(const ValueList& args);

} // namespace dn
