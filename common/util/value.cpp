#include "common/util/value.h"

namespace dn {

Value::Value(const Value&) = default;
Value::Value(Value&&) noexcept = default;
Value& Value::operator=(const Value&) = default;
Value& Value::operator=(Value&&) noexcept = default;
Value::~Value() = default;

Value IFNIL(const ValueList& args) {
    const ValueList& items = args.size() == 1 && args[0].isList() ? args[0].list() : args;
    for (const Value& v : items) {
        if (!v.isAbsent())
            return v;
    }
    return Value();
}

Value XEVAL(const ValueList& args) {
    if (args.empty())
        return Value();
    if (!args[0].isCallable())
        return args[0];
    const Callable& block = args[0].callable();
    if (!block)
        return Value();
    try {
        return block(ValueList(args.begin() + 1, args.end()));
    } catch (...) {
        return Value();
    }
}

} // namespace dn
