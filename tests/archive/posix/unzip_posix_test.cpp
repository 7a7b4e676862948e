// Restores on POSIX: archives written by the zip command and by make_zip.py
// (python3), hostile ones among them, and an entry larger than a small tmpfs.
#include "archive/archive_fixture.h"
#include "platform/file.h"
#include "tests/support/mounts.h"

using namespace archivetest;
using dn::archive::kMsgExtractFailed;
using dn::archive::kMsgNotFound;
using dn::archive::StagedFile;
using dn::archive::UNZIP;
using dn::archive::UnzipOptions;
using dn::archive::ZIP;

TEST_F(UnzipTest, AnArchiveWithFoldersGoesStraightIntoTheFolder) {
    // Made by the zip command, with folder entries and files two levels down.
    const std::string src = tmpDir() + "/src";
    fs::create_directories(src + "/dati/sub");
    for (const char* f : {"SCADENZE.DBF", "SCADENZE.DBT", "DELTRA.CFG"})
        fs::copy_file(f, src + "/dati/sub/" + f);
    const std::string a = arch() + "/cartelle.zip";
    ASSERT_EQ(runCommand("cd " + shellQuote(src) + " && zip -qr " + shellQuote(a) + " dati").status,
              0);
    EXPECT_NE(runCommand("unzip -Z1 " + shellQuote(a)).out.find("dati/sub/\n"), std::string::npos);
    const auto before = tree(".");
    changeLiveFiles();
    ASSERT_TRUE(UNZIP(a));
    auto want = before;
    EXPECT_EQ(tree("."), want);
    EXPECT_FALSE(fs::exists("dati"));

    // Kept with folders, below the target folder.
    UnzipOptions o;
    o.withFolders = true;
    o.targetFolder = tmpDir() + "/deep";
    fs::create_directories(o.targetFolder);
    ASSERT_TRUE(UNZIP(a, o));
    EXPECT_EQ(readFile(o.targetFolder + "/dati/sub/SCADENZE.DBF"), readFile("SCADENZE.DBF"));
    // One entry only, by its name in any letter case.
    o = UnzipOptions{};
    o.onlyEntry = "deltra.cfg";
    o.targetFolder = tmpDir() + "/one";
    fs::create_directories(o.targetFolder);
    ASSERT_TRUE(UNZIP(a, o));
    EXPECT_EQ(fileNames(o.targetFolder), std::set<std::string>{"DELTRA.CFG"});
}

TEST_F(UnzipTest, NamesFollowTheStoreAndTheFilesAlreadyThere) {
    writeFile(arch() + "/cfg", "[Vars]\r\n");
    makeZip(arch() + "/minuscole.zip", {{"scadenze.dbf", readFile("SCADENZE.DBF")},
                                        {"scadenze.dbt", readFile("SCADENZE.DBT")},
                                        {"deltra.cfg", "[Vars]\r\n"},
                                        {"nuovo.txt", "x"}});
    ASSERT_TRUE(UNZIP(arch() + "/minuscole.zip"));
    EXPECT_EQ(fileNames("."), (std::set<std::string>{"DELTRA.CFG", "RUBRICA.DBF", "RUBRICA.DBT",
                                                     "SCADENZE.DBF", "SCADENZE.DBT", "nuovo.txt"}));
    EXPECT_EQ(readFile("DELTRA.CFG"), "[Vars]\r\n");
}

TEST_F(UnzipTest, AMissingOrEncryptedArchiveChangesNothing) {
    const auto before = tree(".");
    EXPECT_FALSE(UNZIP(arch() + "/manca.zip"));
    EXPECT_EQ(msgs.askedTexts(), std::vector<std::string>{kMsgNotFound + arch() + "/manca.zip"});
    const std::string enc = arch() + "/cifrato.zip";
    ASSERT_EQ(
        runCommand("zip -q -P segreta " + shellQuote(enc) + " SCADENZE.DBF SCADENZE.DBT").status,
        0);
    forget();
    EXPECT_FALSE(UNZIP(enc));
    EXPECT_EQ(msgs.askedTexts(), std::vector<std::string>{kMsgExtractFailed + enc});
    EXPECT_EQ(tree("."), before);
}

TEST_F(UnzipTest, HostileArchivesChangeNothing) {
    const std::string mnt = tmpDir() + "/mnt";
    fs::create_directories(mnt);
    auto tmpfs = dn::test::ScopedMount::tmpfs(mnt, 1024 * 1024);
    if (!tmpfs.ok())
        GTEST_SKIP() << tmpfs.error();
    const std::string data = mnt + "/data";
    fs::create_directories(data);
    fillDataFolder(data);
    const std::string table = readFile("SCADENZE.DBF"), memo = readFile("SCADENZE.DBT");
    const std::string outside = "/tmp/dn_hostile_" + std::to_string(::getpid());
    const std::string good = arch() + "/buono.zip";
    makeZip(good, {{"SCADENZE.DBF", table}, {"SCADENZE.DBT", memo}});
    std::string damaged = table;
    damaged[8] = '\x01'; // header length of one byte
    std::string truncated = readFile(good);
    truncated.resize(truncated.size() / 2);
    std::string corrupt = readFile(good);
    corrupt[60] = static_cast<char>(corrupt[60] ^ 0x55); // inside the first entry's data

    struct Case {
        std::string what;
        std::vector<std::pair<std::string, std::string>> entries; // empty: bytes below
        std::string bytes;
        bool withFolders = false;
    };
    const std::vector<Case> cases = {
        {"../x", {{"SCADENZE.DBF", table}, {"SCADENZE.DBT", memo}, {"../x", "x"}}, {}},
        {"/tmp/x", {{"SCADENZE.DBF", table}, {"SCADENZE.DBT", memo}, {outside, "x"}}, {}},
        {"C:x", {{"SCADENZE.DBF", table}, {"SCADENZE.DBT", memo}, {"C:x", "x"}}, {}},
        {"control character",
         {{"SCADENZE.DBF", table},
          {"SCADENZE.DBT", memo},
          {"a\x01"
           "b",
           "x"}},
         {}},
        {"folders leaving the target",
         {{"SCADENZE.DBF", table}, {"SCADENZE.DBT", memo}, {"dati/../../x", "x"}},
         {},
         true},
        {"more than the free space",
         {{"SCADENZE.DBF", table},
          {"SCADENZE.DBT", memo},
          {"GRANDE.DAT", std::string(3 << 20, 'z')}},
         {}},
        {"truncated archive", {}, truncated},
        {"damaged entry data", {}, corrupt},
        {"damaged table", {{"SCADENZE.DBF", damaged}, {"SCADENZE.DBT", memo}}, {}},
        {"table without its memo file", {{"SCADENZE.DBF", table}}, {}},
        {"memo file without its table", {{"RUBRICA.DBT", memo}}, {}},
    };
    const auto before = tree(mnt);
    for (const Case& c : cases) {
        const std::string a = arch() + "/ostile.zip";
        fs::remove(a);
        if (c.entries.empty())
            writeFile(a, c.bytes);
        else
            makeZip(a, c.entries);
        forget();
        UnzipOptions o;
        o.targetFolder = data;
        o.withFolders = c.withFolders;
        EXPECT_FALSE(UNZIP(a, o)) << c.what;
        EXPECT_EQ(msgs.askedTexts(), std::vector<std::string>{kMsgExtractFailed + a}) << c.what;
        EXPECT_EQ(tree(mnt), before) << c.what;
        EXPECT_FALSE(fs::exists(outside)) << c.what;
        EXPECT_FALSE(fs::exists(tmpDir() + "/x")) << c.what;
    }
    // The same archive without the hostile entry goes in.
    UnzipOptions o;
    o.targetFolder = data;
    EXPECT_TRUE(UNZIP(good, o));
}
