// Independent readers (python3-dbfread, python3-dbf) read our tables, and a table
// written by python3-dbf reads correctly here.
#include "../dbf_test_util.h"
#include "common/dbf/table.h"
#include "common/util/trim.h"
#include "tests/support/files.h"
#include "tests/support/readers.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

using namespace dn::dbf;
using dn::Date;
using dn::Value;
using dn::test::TempFolder;

namespace {

std::string hex(const std::string& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string h;
    for (unsigned char c : bytes) {
        h += digits[c >> 4];
        h += digits[c & 15];
    }
    return h;
}

// The canonical text of one value, as interop.py prints it.
std::string canonical(const Field& f, const Value& v) {
    switch (f.type) {
    case FieldType::Character: {
        return hex(std::string(dn::trimRight(v.text())));
    }
    case FieldType::Date:
        return hex(v.date().isEmpty() ? std::string() : v.date().dtos());
    case FieldType::Numeric: {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.*f", static_cast<int>(f.decimals),
                      v.isNumber() ? v.number() : 0.0);
        return hex(buf);
    }
    case FieldType::Logical:
        return hex(v.isLogical() && v.logical() ? "T" : "F");
    case FieldType::Memo:
        return hex(v.isText() ? v.text() : std::string());
    }
    return {};
}

struct Row {
    bool deleted = false;
    std::vector<Value> values;
};

// Live rows first, then deleted ones, each in order: the order interop.py prints.
std::string canonicalRows(const std::vector<Field>& fields, const std::vector<Row>& rows) {
    std::string out;
    for (bool deleted : {false, true})
        for (const Row& r : rows) {
            if (r.deleted != deleted)
                continue;
            out += deleted ? "*" : " ";
            for (size_t i = 0; i < fields.size(); ++i)
                out += "|" + canonical(fields[i], r.values[i]);
            out += "\n";
        }
    return out;
}

std::vector<Row> readAll(Table& t) {
    std::vector<Row> rows;
    for (uint32_t r = 1; r <= t.recordCount(); ++r) {
        t.goTo(r);
        Row row{t.deleted(), {}};
        for (size_t i = 0; i < t.fields().size(); ++i)
            row.values.push_back(t.get(static_cast<int>(i)));
        rows.push_back(row);
    }
    return rows;
}

// Hands the two readers a copy of the table with its memo file named ".FPT".
void expectPythonReadersSee(const std::string& table, const std::string& expected) {
    TempFolder copy;
    std::filesystem::copy_file(table, copy / "COPIA.DBF");
    const std::string memo = Table::memoPathOf(table);
    if (std::filesystem::exists(memo))
        std::filesystem::copy_file(memo, copy / "COPIA.FPT");
    EXPECT_EQ(dn::test::interopScript("read-dbfread", copy / "COPIA.DBF"), expected) << "dbfread";
    EXPECT_EQ(dn::test::interopScript("read-dbf", copy / "COPIA.DBF"), expected) << "dbf";
}

} // namespace

TEST(Interop, PythonReadersSeeOurValuesDeletionFlagsAndMemos) {
    TempFolder dir;
    const std::string p = Table::create(dir / "misto", {{"NOME", 'C', 20, 0},
                                                        {"QUANDO", 'D', 8, 0},
                                                        {"IMPORTO", 'N', 9, 2},
                                                        {"PEZZI", 'N', 5, 0},
                                                        {"FATTO", 'L', 1, 0},
                                                        {"NOTE", 'M', 10, 0}});
    std::string longMemo;
    for (int i = 0; i < 400; ++i)
        longMemo += "riga " + std::to_string(i) + " perch\xe9 cos\xec\r\n";
    std::vector<Row> rows = {
        {false,
         {"Citt\xe0 \x80uro", Date::fromYmd(2024, 2, 29), 1234.56, 3, true,
          "prima\r\nseconda \xe8"}},
        {true, {"Cancellato", Date::fromYmd(1999, 1, 1), -0.5, 0, false, "memo cancellato"}},
        {false, {"Vuoto", Date(), 0.0, 0, false, ""}},
        {false, {"Lungo", Date::fromYmd(2079, 12, 31), 999999.99, 99999, true, longMemo}},
    };
    {
        Table t;
        t.open(p, {false, false});
        for (const Row& r : rows) {
            ASSERT_TRUE(t.append());
            if (&r == &rows[3])
                t.put("NOTE", std::string("testo da sostituire"));
            for (size_t i = 0; i < r.values.size(); ++i)
                t.put(static_cast<int>(i), r.values[i]);
            t.setDeleted(r.deleted);
        }
        t.commit();
    }
    Table t;
    t.open(p, {true, true});
    const std::string expected = canonicalRows(t.fields(), rows);
    EXPECT_EQ(canonicalRows(t.fields(), readAll(t)), expected);
    expectPythonReadersSee(p, expected);
}

TEST(Interop, PythonReadersReadTheDeadlineTableAfterPack) {
    TempFolder dir;
    const std::string p = Table::create(dir / "scadenze", dbftest::deadlineFields());
    Table t;
    t.open(p, {false, false});
    for (int i = 1; i <= 30; ++i) {
        ASSERT_TRUE(t.append());
        t.put("CODICE", std::string(i < 10 ? 9 : 8, ' ') + std::to_string(i % 10 + 1));
        t.put("DATA", Date::fromYmd(2024, 1, 1).addDays(i * 11));
        t.put("ORA", std::string(i % 2 ? "08:30" : ""));
        t.put("INCOMBENZA", "Scadenza " + std::to_string(i) + "\r\nnota");
        t.put("EVASA", i % 4 == 0);
        t.put("GENERAZIO", std::string("      1234"));
        t.setDeleted(i % 7 == 0);
    }
    t.pack();
    const std::vector<Row> rows = readAll(t);
    ASSERT_EQ(rows.size(), 26u);
    t.close();
    expectPythonReadersSee(
        p, canonicalRows(Structure::fromDefs(dbftest::deadlineFields()).fields(), rows));
}

TEST(Interop, AFoxProTableWrittenByPythonOpensAndReadsHereAndTakesOurWrites) {
    TempFolder dir;
    const std::string written = dn::test::interopScript("write-dbf", dir / "PYFOX.DBF");
    ASSERT_FALSE(written.empty());
    // Our memo file carries the ".DBT" name.
    std::filesystem::rename(dir / "PYFOX.FPT", dir / "PYFOX.DBT");
    Table t;
    t.open(dir / "pyfox", {false, false});
    EXPECT_EQ(canonicalRows(t.fields(), readAll(t)), written);
    // Our append and memo land where python3-dbf finds them.
    ASSERT_TRUE(t.append());
    t.put("NOME", std::string("Aggiunto qui"));
    t.put("NOTE", std::string("memo scritto da noi\r\n\xe0"));
    t.put("IMPORTO", 5.5);
    t.commit();
    t.goTo(1);
    t.put("NOTE", std::string("cambiato"));
    t.commit();
    const std::vector<Row> rows = readAll(t);
    const std::vector<Field> fields = t.fields();
    t.close();
    std::filesystem::rename(dir / "PYFOX.DBT", dir / "PYFOX.FPT");
    EXPECT_EQ(dn::test::interopScript("read-dbf", dir / "PYFOX.DBF"), canonicalRows(fields, rows));
}

TEST(Interop, ADbaseThreeTableWithItsMemoFileIsAFormatNotSupportedAndIsLeftAlone) {
    TempFolder dir;
    const std::string p = dir / "PROVA.DBF";
    dn::test::interopScript("write-db3", p);
    const std::string table = dn::test::readFile(p);
    const std::string memo = dn::test::readFile(dir / "PROVA.DBT");
    ASSERT_FALSE(memo.empty());
    for (bool shared : {true, false}) {
        try {
            Table t;
            t.open(p, {shared, false});
            ADD_FAILURE() << "opened";
        } catch (const CorruptFile& e) {
            EXPECT_EQ(e.reason(), CorruptFile::Reason::Unsupported);
            EXPECT_EQ(e.path(), dir / "PROVA.DBT");
            EXPECT_EQ(e.message(),
                      "Il formato del file " + (dir / "PROVA.DBT") + " non \xE8 supportato.");
        }
    }
    EXPECT_EQ(dn::test::readFile(p), table);
    EXPECT_EQ(dn::test::readFile(dir / "PROVA.DBT"), memo);
}
