#pragma once

// Evaluators for the key and condition texts stored in index files, for the
// places that have only the file: the administrator's tool (check, rebuild) and a
// view that takes the key of the controlling order. Only the forms that indexes
// of this program use are understood:
//
//   key:       term { "+" term }      term: FIELD [-> name] | name | UPPER( term... )
//                                            | DTOS( date field ) | "text" | 'text'
//              or a single RECNO(), or a single numeric field (numeric keys)
//   condition: empty, !DELETED(), .NOT. DELETED(), DELETED()
//
// Names are case-insensitive. Anything else is refused with std::invalid_argument.

#include "common/dbf/index_file.h"
#include "common/dbf/structure.h"

#include <string_view>

namespace dn::dbf {

struct KeyExpression {
    KeyEvaluator eval; // key, and condition when one was read
    KeyType type = KeyType::Character;
    uint16_t length = 0;
};

KeyExpression readKeyExpression(std::string_view key, std::string_view condition,
                                const Structure& structure);

} // namespace dn::dbf
