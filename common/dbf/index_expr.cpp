#include "common/dbf/index_expr.h"

#include "common/dbf/table.h"
#include "common/util/cp1252.h"

#include <algorithm>
#include <cstring>

namespace dn::dbf {

namespace {

// Days between the day numbers of Date and the Julian day numbers that numeric
// keys of dates hold.
int32_t julianOffset() {
    static const int32_t off = 2451545 - Date::fromYmd(2000, 1, 1).serial();
    return off;
}

} // namespace

std::string keyBytes(const Value& value, KeyType type, uint16_t keyLength) {
    if (type == KeyType::Numeric) {
        if (value.isNumber())
            return cdx::encodeNumericKey(value.number());
        if (value.isDate())
            return cdx::encodeNumericKey(
                value.date().isEmpty()
                    ? 0.0
                    : static_cast<double>(value.date().serial() + julianOffset()));
        throw ExpressionError("a numeric key needs a number or a date");
    }
    std::string s;
    if (value.isText())
        s = value.text();
    else if (value.isLogical())
        s = value.logical() ? "T" : "F";
    else if (value.isDate())
        s = value.date().dtos();
    else
        throw ExpressionError("a text key needs a text, a logical or a date");
    if (s.size() > keyLength)
        s.resize(keyLength);
    return s;
}

KeyShape keyShapeOf(const Value& sample, std::string_view keyText) {
    if (sample.isNumber() || sample.isDate())
        return {KeyType::Numeric, 8};
    if (sample.isText() || sample.isLogical()) {
        const size_t n = sample.isText() ? sample.text().size() : 1;
        if (n == 0 || n > cdx::kMaxKeyLength)
            throw ExpressionError("key \"" + std::string(keyText) + "\" is " + std::to_string(n) +
                                  " characters long (1 to " + std::to_string(cdx::kMaxKeyLength) +
                                  " allowed)");
        return {KeyType::Character, static_cast<uint16_t>(n)};
    }
    throw ExpressionError("key \"" + std::string(keyText) + "\" has no usable value");
}

bool excludesDeleted(std::string_view condition) {
    std::string n;
    for (char c : condition)
        if (c != ' ')
            n.push_back(c);
    n = upper1252(n);
    for (const char* lead : {"!DELETED()", ".NOT.DELETED()"}) {
        const std::string_view l(lead);
        if (n == l || n.rfind(std::string(l) + ".AND.", 0) == 0)
            return true;
    }
    return false;
}

KeyWriter keyWriter(const Expression& key, KeyShape shape, const Table& table) {
    const uint32_t rl = table.structure().recordLength();
    return [key, shape, rl](const char* record, uint32_t recno, char* out) {
        const std::string b =
            keyBytes(key.eval(std::string_view(record, rl), recno), shape.type, shape.length);
        std::memcpy(out, b.data(), std::min<size_t>(b.size(), shape.length));
    };
}

ConditionTest conditionTest(const Expression& condition, const Table& table) {
    const uint32_t rl = table.structure().recordLength();
    return [condition, rl](const char* record, uint32_t recno) {
        return condition.holds(std::string_view(record, rl), recno);
    };
}

KeyExpression compileKeyExpression(std::string_view key, std::string_view condition, Table& table) {
    const Expression k = Expression::compile(key, table);
    KeyExpression out;
    out.shape = keyShapeOf(k.eval(table.structure().blankRecord(), table.recordCount() + 1), key);
    out.eval.key = keyWriter(k, out.shape, table);
    if (!condition.empty())
        out.eval.condition = conditionTest(Expression::compile(condition, table), table);
    return out;
}

} // namespace dn::dbf
