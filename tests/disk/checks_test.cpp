#include "common/disk/checks.h"
#include "disk_test_util.h"
#include "platform/drive.h"
#include "platform/file.h"
#include "platform/fileops.h"
#include "tests/support/files.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

using namespace dn::disk;
using disktest::DiskChecks;
using disktest::Texts;
using dn::test::fileNames;
using dn::test::InFolder;
using dn::test::readFile;
using dn::test::writeFile;
namespace fs = std::filesystem;

TEST_F(DiskChecks, ReadyOnlyWhenTheFolderCanBeEntered) {
    fs::create_directory(dir / "d");
    writeFile(dir / "file", "x");
    EXPECT_TRUE(ISREADY(dn::platform::currentDrive()));
    EXPECT_TRUE(ISREADY(drive("d")));
    EXPECT_TRUE(ISREADY(""));
    EXPECT_TRUE(msgs.asked.empty());
    EXPECT_FALSE(ISREADY(drive("missing")));
    EXPECT_FALSE(ISREADY(drive("file")));
    EXPECT_EQ(msgs.askedTexts(), (Texts{"Disco non pronto.", "Disco non pronto."}));
    EXPECT_EQ(msgs.asked[0].title, "Attenzione");
    EXPECT_FALSE(ISREADY(drive("missing"), false));
    EXPECT_EQ(msgs.asked.size(), 2u);
    // A drive that is not ready is full and protected, with only that message.
    msgs.asked.clear();
    EXPECT_TRUE(ISFULL(drive("missing")));
    EXPECT_TRUE(ISPROTECTED(drive("missing")));
    EXPECT_EQ(msgs.askedTexts(), (Texts{"Disco non pronto.", "Disco non pronto."}));
}

TEST_F(DiskChecks, EmptyDriveIsNeverFull) {
    EXPECT_FALSE(ISFULL("", UINT64_MAX));
    EXPECT_TRUE(msgs.asked.empty());
}

TEST_F(DiskChecks, WritableDriveKeepsNoProbeFile) {
    fs::create_directory(dir / "d");
    EXPECT_EQ(probeName(drive("d")), drive("d") + "\x7f\x7f\x7f\x7f\x7f\x7f\x7f\x7f.\x7f\x7f\x7f");
    EXPECT_FALSE(ISPROTECTED(drive("d")));
    EXPECT_TRUE(fileNames(dir / "d").empty());
    // A probe left behind by a crash goes too.
    writeFile(probeName(drive("d")), "");
    EXPECT_FALSE(ISPROTECTED(drive("d")));
    EXPECT_TRUE(fileNames(dir / "d").empty());
    {
        InFolder in(dir / "d");
        EXPECT_FALSE(ISPROTECTED(dn::platform::currentDrive()));
        EXPECT_FALSE(ISPROTECTED(""));
    }
    EXPECT_TRUE(fileNames(dir / "d").empty());
    EXPECT_TRUE(msgs.asked.empty());
}

TEST_F(DiskChecks, ReadOnlyFileOnlyWhenItCannotBeOpenedForWriting) {
    writeFile(dir / "w.dbf", "contenuto");
    EXPECT_FALSE(ISREADONLY(dir / "w.dbf"));
    EXPECT_EQ(readFile(dir / "w.dbf"), "contenuto"); // opened, not truncated
    EXPECT_FALSE(ISREADONLY(dir / "missing.dbf"));
    EXPECT_TRUE(msgs.asked.empty());
#ifndef _WIN32
    if (::geteuid() == 0)
        return; // permissions do not stop root; the read-only mount test covers it
#endif
    ASSERT_TRUE(dn::platform::SETFILEATTRIBUTES(dir / "w.dbf", dn::platform::kAttrReadOnly));
    EXPECT_TRUE(ISREADONLY(dir / "w.dbf"));
    EXPECT_EQ(msgs.askedTexts(), Texts{"File non accessibile."});
}
