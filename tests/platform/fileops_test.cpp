#include "platform/file.h"
#include "platform/fileops.h"
#include "platform/sound.h"
#include "tests/support/files.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

using namespace dn::platform;
using dn::test::TempFolder;
using dn::test::writeFile;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> readAllLines(const std::string& path, size_t max) {
    File f = File::open(path, false);
    uint64_t pos = 0;
    std::vector<std::string> out;
    while (auto line = FREADLINE(f, pos, max))
        out.push_back(*line);
    return out;
}

} // namespace

TEST(FileOps, ReadLineHonoursEachLinesOwnTerminator) {
    TempFolder dir;
    const std::string f = dir / "lines.txt";
    writeFile(f, "uno\r\ndue\nre\rquattro\r\n\r\n\nsei");
    EXPECT_EQ(readAllLines(f, 128),
              (std::vector<std::string>{"uno", "due", "re", "quattro", "", "", "sei"}));
    // A line longer than max comes in pieces and loses no byte; a CR LF split by
    // the end of the bytes read still counts as one terminator.
    writeFile(f, "abcdefgh\r\nxy");
    EXPECT_EQ(readAllLines(f, 3), (std::vector<std::string>{"abc", "def", "gh", "xy"}));
    EXPECT_EQ(readAllLines(f, 9), (std::vector<std::string>{"abcdefgh", "xy"}));
    writeFile(f, "");
    EXPECT_TRUE(readAllLines(f, 128).empty());
}

TEST(FileOps, ToneLastsTicksOfOneEighteenthSecond) {
    std::vector<std::pair<int, int>> played;
    setToneSink([&](int hz, int ms) { played.emplace_back(hz, ms); });
    EXPECT_TRUE(TONE(880, 1));
    EXPECT_TRUE(TONE(440, 2));
    EXPECT_TRUE(TONE(440, 18));
    EXPECT_FALSE(TONE(20, 1));
    EXPECT_FALSE(TONE(40000, 1));
    setToneSink(nullptr);
    EXPECT_EQ(played, (std::vector<std::pair<int, int>>{{880, 55}, {440, 111}, {440, 1000}}));
}
