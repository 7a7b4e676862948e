#pragma once

// Index keys and conditions computed from their texts with the expression compiler
// (expr.h): the bytes of a key value, the key type and length that a key text
// gives, and the evaluators that build, maintain and check an index. The data
// layer's orders and the administrator's tool (check, reindex) get their keys here,
// so a key that the program can build the tool can check and rebuild.

#include "common/dbf/expr.h"
#include "common/dbf/index_file.h"

#include <string>
#include <string_view>

namespace dn::dbf {

class Table;

// The bytes of a key value for an index of that type and key length: a text as it
// is, cut to the key length (the caller pads a shorter one); a number, or a date as
// its Julian day number (an empty date as 0), as a numeric key; a logical as "T" or
// "F"; a date in a text key as DTOS gives it. Throws ExpressionError for a value
// that the key type cannot hold.
std::string keyBytes(const Value& value, KeyType type, uint16_t keyLength);

struct KeyShape {
    KeyType type = KeyType::Character;
    uint16_t length = 0; // 1..240; numeric keys are 8
};

// The shape of the keys of a key whose value for a blank record is `sample`:
// numbers and dates give numeric keys, texts and logicals text keys as long as the
// sample. Throws ExpressionError (naming keyText) for a text of no byte or of more
// than 240, or for a value of another kind.
KeyShape keyShapeOf(const Value& sample, std::string_view keyText);

// Whether a condition text keeps deleted records out: "!DELETED()" or
// ".NOT. DELETED()" on its own or as the first operand of .AND. (blanks and case
// do not matter).
bool excludesDeleted(std::string_view condition);

// The parts of a KeyEvaluator computed by compiled expressions of `table` (see
// Expression::compile for what the table must ensure). The key writer throws
// ExpressionError for a value that keyBytes refuses, the condition test for a value
// that is not logical.
using KeyWriter = decltype(KeyEvaluator::key);
using ConditionTest = decltype(KeyEvaluator::condition);
KeyWriter keyWriter(const Expression& key, KeyShape shape, const Table& table);
ConditionTest conditionTest(const Expression& condition, const Table& table);

// The key and condition texts of an index compiled against table: the evaluator,
// with the shape of the keys found from the key's value for a blank record numbered
// after the last one (as the data layer finds it when it builds an order). An empty
// condition admits every record. Throws ExpressionError.
struct KeyExpression {
    KeyEvaluator eval;
    KeyShape shape;
};
KeyExpression compileKeyExpression(std::string_view key, std::string_view condition, Table& table);

} // namespace dn::dbf
