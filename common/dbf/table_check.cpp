#include "common/dbf/table_check.h"

namespace dn::dbf {

void checkTable(Table& table) {
    std::vector<int> memos;
    for (size_t i = 0; i < table.fields().size(); ++i)
        if (table.fields()[i].type == FieldType::Memo)
            memos.push_back(static_cast<int>(i));
    table.scan(1, table.recordCount(), [&](uint32_t recno, std::string_view record) {
        if (record[0] != ' ' && record[0] != '*')
            throw CorruptFile(table.path(), "record " + std::to_string(recno) +
                                                ": deletion flag is neither "
                                                "blank nor \"*\"");
        for (int f : memos)
            table.valueOf(record, f); // reads the memo: CorruptFile when it lies outside
    });
}

} // namespace dn::dbf
