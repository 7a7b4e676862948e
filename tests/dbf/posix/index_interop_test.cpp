// An independent reader (Perl's XBase::Index) lists the same keys, in the same
// order, with the same record numbers as our own reader.

#include "../index_test_util.h"
#include "common/dbf/index_file.h"
#include "common/util/trim.h"
#include "tests/support/readers.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace dn::dbf;
using namespace indextest;

namespace {

// "key TAB recno" lines from the Perl reader.
std::vector<std::pair<std::string, uint32_t>> perlList(const IndexFile& idx, char type) {
    const std::string out = dn::test::perlIndexKeys(idx.path(), idx.tagName(), type);
    std::vector<std::pair<std::string, uint32_t>> rows;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        const size_t tab = line.rfind('\t');
        if (tab == std::string::npos) {
            ADD_FAILURE() << "unexpected output: " << line;
            break;
        }
        rows.emplace_back(line.substr(0, tab),
                          static_cast<uint32_t>(std::stoul(line.substr(tab + 1))));
    }
    return rows;
}

// Our listing in the same terms: text keys without their trailing blanks.
std::vector<std::pair<std::string, uint32_t>> ourTextList(const IndexFile& idx) {
    std::vector<std::pair<std::string, uint32_t>> rows;
    for (const IndexEntry& e : idx.entries()) {
        rows.emplace_back(dn::trimRight(e.key), e.recno);
    }
    return rows;
}

} // namespace

TEST(IndexInterop, IndependentReaderListsTheSameTextKeys) {
    dn::test::TempFolder dir;
    // Many levels of pages, then single adds and removals that split and free pages.
    Records recs = randomDeadlines(30000, 41);
    IndexFile idx =
        IndexFile::create(dir / "SCADENZE", "", textDefinition(23), recs.scan(), textKey(23));
    const auto built = perlList(idx, 'C');
    ASSERT_EQ(built.size(), recs.expected().size());
    EXPECT_EQ(built, ourTextList(idx));
    std::mt19937 rng(42);
    for (int i = 0; i < 3000; ++i) {
        const size_t r = rng() % recs.rows.size();
        if (i % 3 == 0 && recs.rows[r][0] != '*') {
            ASSERT_TRUE(idx.remove(recs.rows[r].substr(1), static_cast<uint32_t>(r + 1)));
            recs.rows[r][0] = '*';
        } else {
            ASSERT_TRUE(idx.insert(deadlineKey(1 + i % 10, 20150101 + i, "08:30"), 40000 + i));
        }
    }
    EXPECT_EQ(perlList(idx, 'C'), ourTextList(idx));
}

TEST(IndexInterop, IndependentReaderListsUpperCaseNamesAndRecordNumberKeys) {
    dn::test::TempFolder dir;
    Records names{35, {}};
    for (const char* n : {"ROSSI MARIO", "\xC0LVARO D'ANDREA", "BIANCHI", "ROSSI", "", "ZETA SRL",
                          "BIANCHI", "N\xD2 \xC8 ROSSI"})
        names.add(n);
    IndexDefinition def = textDefinition(35);
    def.keyExpression = dn::schema::kContactKey;
    IndexFile byName = IndexFile::create(dir / "RUBRICA", "", def, names.scan(), textKey(35));
    EXPECT_EQ(perlList(byName, 'C'), ourTextList(byName));

    const KeyEvaluator eval = recnoKey([](const char*, uint32_t recno) { return recno % 3 != 0; });
    Records many = randomDeadlines(5000, 43);
    IndexFile byRecno =
        IndexFile::create(dir / "\x7FVIEW3", "", recnoDefinition(), many.scan(), eval);
    std::vector<std::pair<std::string, uint32_t>> ours;
    for (const IndexEntry& e : byRecno.entries())
        ours.emplace_back(std::to_string(e.recno), e.recno);
    EXPECT_EQ(perlList(byRecno, 'N'), ours);
}
