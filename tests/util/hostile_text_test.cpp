// Every text routine of the room, fed texts that no dialog should produce: empty,
// very long, bytes above 0x7F, embedded NUL. Run under the sanitizer build too.
#include "common/util/calendar.h"
#include "common/util/cp1252.h"
#include "common/util/date.h"
#include "common/util/format.h"
#include "common/util/scramble.h"
#include "common/util/validate.h"
#include "common/util/wildexp.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace dn;

namespace {

std::vector<std::string> hostileTexts() {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    std::string high;
    for (int b = 0x80; b < 0x100; ++b)
        high += static_cast<char>(b);
    std::vector<std::string> texts = {
        "",
        std::string(1, '\0'),
        std::string("RSSMRA80A01\0"
                    "501U",
                    16),
        std::string("IT60X0542811101\0"
                    "00123456",
                    24),
        std::string("12:30\0", 6),
        std::string("a@b.it\0", 7),
        std::string(1 << 20, 'x'),
        std::string(1 << 20, '\xFF'),
        std::string(1 << 16, ' '),
        std::string(1000, '"'),
        all,
        all + all,
        high,
    };
    // The lengths the validators look for, in NULs and in high bytes.
    for (const size_t n : {5u, 8u, 11u, 16u, 27u}) {
        texts.push_back(std::string(n, '\0'));
        texts.push_back(std::string(n, '\xE0'));
        texts.push_back(high.substr(0, n));
    }
    return texts;
}

} // namespace

TEST(HostileText, ValidatorsSayFalse) {
    for (const std::string& t : hostileTexts()) {
        SCOPED_TRACE(testing::Message() << "length " << t.size());
        EXPECT_FALSE(ISCOD(t));
        EXPECT_FALSE(ISIVA(t));
        EXPECT_FALSE(ISIBAN(t));
        EXPECT_FALSE(ISEMAIL(t));
        EXPECT_FALSE(ISNUMBER(t));
        EXPECT_FALSE(ISTIME(t));
        const bool usable = t.size() <= 255 && !t.empty() &&
                            t.find_first_of(std::string("\"*/:<>?\\|\0", 10)) == std::string::npos;
        EXPECT_EQ(LFNFNAME(t), usable);
    }
}

TEST(HostileText, ConversionsKeepEveryByte) {
    for (const std::string& t : hostileTexts()) {
        SCOPED_TRACE(testing::Message() << "length " << t.size());
        EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(t)), t);
        EXPECT_EQ(upper1252(t).size(), t.size());
        EXPECT_EQ(lower1252(upper1252(lower1252(t))), lower1252(t));
        (void)utf8ToCp1252(t); // arbitrary bytes as UTF-8
        EXPECT_EQ(CRYPT(CRYPT(t)), t);
        EXPECT_EQ(O2A(t).size(), t.size());
        EXPECT_EQ(FWSTRING(t), t);
        EXPECT_EQ(CVALTOCHAR(t), t);
        EXPECT_LE(CVALTOCHAR(ValueList{t, t}).size(), 106u);
        EXPECT_EQ(IFNIL({Value(), t}).text(), t);
        EXPECT_EQ(XEVAL({t}).text(), t);
    }
}

TEST(HostileText, LiteralsStayWellFormed) {
    for (const std::string& t : hostileTexts()) {
        SCOPED_TRACE(testing::Message() << "length " << t.size());
        const std::string lit = MKSTR(t).text();
        if (t.find_first_not_of(" \t\r\n") == std::string::npos) {
            EXPECT_EQ(lit, "\"\"");
        } else if (t.find('"') == std::string::npos) {
            EXPECT_EQ(lit, "\"" + t + "\"");
        } else {
            ASSERT_GE(lit.size(), 3u);
            EXPECT_TRUE(lit.front() == '"' || lit.front() == '[');
            EXPECT_TRUE(lit.back() == '"' || lit.back() == ']');
        }
    }
}

TEST(HostileText, FilesAndPatterns) {
    for (const std::string& t : hostileTexts()) {
        SCOPED_TRACE(testing::Message() << "length " << t.size());
        EXPECT_EQ(FILEENCODE(t), "");
        EXPECT_TRUE(WILDEXP({t}).empty());
        EXPECT_TRUE(wildMatch("*" + t, t));
    }
}

TEST(HostileText, DateReadersGiveTheEmptyDate) {
    for (const std::string& t : hostileTexts()) {
        SCOPED_TRACE(testing::Message() << "length " << t.size());
        EXPECT_TRUE(Date::fromText(t).isEmpty());
        EXPECT_TRUE(Date::fromDtos(t).isEmpty());
    }
    EXPECT_FALSE(CMNT(INT32_MIN).has_value());
    EXPECT_TRUE(EASTER(INT32_MIN).isEmpty());
    EXPECT_TRUE(EASTER(INT32_MAX).isEmpty());
}
