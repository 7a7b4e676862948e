// The profile-file text engine that the POSIX build uses (platform/ini_text.h)
// against the Windows profile functions on the same files: every value, key list
// and section list that the configuration code may ask for must come out the same,
// before and after writes.
#include "tests/support/files.h"
#include "tests/support/temp_folder.h"

#include "platform/ini_text.h"
#include "platform/profile.h"
#include "platform/win/win32.h"
#include <gtest/gtest.h>

using namespace dn::platform;
using dn::test::TempFolder;

namespace {

// Hand-edited files as offices keep them: mixed line ends, comments, blanks around
// names and values, quotes, Windows-1252 letters in both cases, repeated sections
// and keys, lines that mean nothing, keys before any section.
const char* const kFiles[] = {
    "; impostazioni\r\ntop=1\r\n[Vars]\r\nCFG_A = vecchio \r\nriga senza uguale\r\n"
    "CFG_B=L.T.\r\n\r\n[Citt\xE0]\nNome=Perch\xE9",
    "k0=fuori\r\n[Vars]\r\nCFG_B =  L.T.  \r\n; CFG_X=commento\r\nsolo testo\r\n"
    "CFG_A=\"  tra virgolette \"\r\ncfg_b=doppione\r\nCFG_\xC8=\xE8\r\n[Vuota]\r\n[vars]\r\n"
    "CFG_Z=seconda sezione\r\n",
    "[Vars]\r\nCFG_Q='apici'\r\nCFG_M=\"solo uno\r\nCFG_E=\r\nCFG_U=a=b=c\r\n"
    "  [ Spazi ]  \r\n  chiave  =  valore con spazi  \r\n[VARS]\r\nCFG_A=dopo\r\n",
};

// Names are asked in other letter cases only where the letters are ASCII: Wine's
// profile functions, unlike the engine and Windows itself, match accented letters
// only in the same case. The configuration's own names are all ASCII.
const char* const kSections[] = {"Vars", "VARS", "vars", "Citt\xE0", "Vuota", "Spazi", "Manca"};
const char* const kKeys[] = {"CFG_A", "cfg_b", "CFG_B",  "CFG_X",    "k0",    "top",
                             "Nome",  "nome",  "CFG_Z",  "CFG_\xC8", "CFG_Q", "CFG_M",
                             "CFG_E", "CFG_U", "chiave", "Manca"};

std::string apiValue(const std::string& file, const char* section, const char* key) {
    char buf[512];
    const DWORD n =
        ::GetPrivateProfileStringA(section, key, "<nessuno>", buf, sizeof buf, file.c_str());
    return std::string(buf, n);
}

std::string engineValue(const IniText& text, const char* section, const char* key) {
    const auto v = text.value(section, key);
    return v ? unquoteProfileValue(*v) : std::string("<nessuno>");
}

std::string slurp(const std::string& path) {
    return dn::test::readFile(path);
}

// Every answer the two give for the file, side by side where they differ.
void expectSameAnswers(const std::string& file, const std::string& what) {
    const IniText text(slurp(file));
    for (const char* s : kSections) {
        for (const char* k : kKeys)
            EXPECT_EQ(engineValue(text, s, k), apiValue(file, s, k))
                << what << ": [" << s << "] " << k;
        EXPECT_EQ(text.keys(s), GETPVPROFSECTION(s, file)) << what << ": keys of [" << s << "]";
    }
    EXPECT_EQ(text.sections(), GETPVPROFSECTIONNAMES(file)) << what << ": sections";
}

} // namespace

TEST(WinProfileApi, TheTextEngineReadsWhatTheSystemReads) {
    TempFolder dir;
    int n = 0;
    for (const char* bytes : kFiles) {
        const std::string f = dir / ("f" + std::to_string(++n) + ".ini");
        dn::test::writeFile(f, bytes);
        expectSameAnswers(f, "file " + std::to_string(n));
    }
}

TEST(WinProfileApi, WritesOfTheEngineAndOfTheSystemReadTheSame) {
    TempFolder dir;
    struct Write {
        const char *section, *key, *value;
    };
    const Write writes[] = {{"VARS", "cfg_a", "Cnuovo"},     {"Vars", "CFG_C", "N5"},
                            {"Citt\xE0", "nome", "Luc\xE0"}, {"Nuova", "K", "v"},
                            {"Vars", "CFG_E", ""},           {"Spazi", "chiave", " x "}};
    int n = 0;
    for (const char* bytes : kFiles) {
        const std::string viaApi = dir / ("api" + std::to_string(++n) + ".ini");
        const std::string viaEngine = dir / ("engine" + std::to_string(n) + ".ini");
        dn::test::writeFile(viaApi, bytes);
        IniText text{std::string_view(bytes)};
        for (const Write& w : writes) {
            ASSERT_TRUE(WRITEPVPROFSTRING(w.section, w.key, w.value, viaApi));
            text.set(w.section, w.key, w.value);
        }
        dn::test::writeFile(viaEngine, text.bytes());
        // The engine's file read by the system answers as the system's own file.
        for (const char* s : kSections)
            for (const char* k : kKeys)
                EXPECT_EQ(apiValue(viaEngine, s, k), apiValue(viaApi, s, k))
                    << "file " << n << ": [" << s << "] " << k;
        expectSameAnswers(viaEngine, "written file " + std::to_string(n));
    }
}
