// The one-value prompt and the about box, driven as a person would.

#include "common/ui/prompts.h"

#include "tests/support/gui.h"
#include "tests/support/messages_fake.h"
#include "tests/support/temp_folder.h"

#include <QtGlobal>

#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>

namespace dn::test {
namespace {

using namespace dn::ui;

TEST(MsgGet, ConfirmedValueReachesTheCaller) {
    guiApp();
    ScriptedMessages msgs;
    DialogDriver drive;
    std::string caption, prompt;
    drive.on("MSGGET", [&](TDialog& d) {
        caption = d.GetText();
        prompt = text(d, 101);
        type(d, 102, "Verdi");
        press(d, 201);
    });
    std::string name = "Rossi     ";
    EXPECT_TRUE(MSGGET("Nominativo", "Nuovo nominativo;(massimo dieci lettere)", name));
    EXPECT_EQ(name, "Verdi     ");
    EXPECT_EQ(caption, "Nominativo");
    EXPECT_EQ(prompt, "Nuovo nominativo\n(massimo dieci lettere)");
}

TEST(MsgGet, CancelledOrClosedLeavesTheVariableUnchanged) {
    guiApp();
    ScriptedMessages msgs;
    DialogDriver drive;
    drive.on("MSGGET", [&](TDialog& d) {
        type(d, 102, "Verdi");
        press(d, 202);
    });
    drive.on("MSGGET", [&](TDialog& d) {
        type(d, 102, "Bianchi");
        closeBox(d);
    });
    drive.on("MSGGET", [&](TDialog& d) {
        type(d, 102, "Neri");
        escape(d);
    });
    std::string name = "Rossi     ";
    EXPECT_FALSE(MSGGET("Nominativo", "Nome:", name));
    EXPECT_FALSE(MSGGET("Nominativo", "Nome:", name));
    EXPECT_FALSE(MSGGET("Nominativo", "Nome:", name));
    EXPECT_EQ(name, "Rossi     ");
    EXPECT_TRUE(msgs.asked.empty()) << "closing the prompt never asks";
}

TEST(MsgGet, ABadDateIsRefusedOnConfirm) {
    guiApp();
    ScriptedMessages msgs;
    DialogDriver drive;
    bool openAfterBadDate = false;
    drive.on("MSGGET", [&](TDialog& d) {
        type(d, 102, "31022024");
        press(d, 201);
        openAfterBadDate = d.IsActive();
        type(d, 102, "29022024");
        press(d, 201);
    });
    Date when = Date::fromYmd(2024, 1, 1);
    EXPECT_TRUE(MSGGET("Data", "Nuova data:", when));
    EXPECT_TRUE(openAfterBadDate);
    EXPECT_EQ(when, Date::fromYmd(2024, 2, 29));
    ASSERT_EQ(msgs.asked.size(), 1u);
    EXPECT_EQ(msgs.asked[0].text, "Data non valida.");
}

TEST(AboutBox, NamesTheProductAsItsMakerAndDescribesThisCopyOfTheProgram) {
    guiApp();
    DialogDriver drive;
    std::vector<std::string> shown;
    const auto grab = [&](TDialog& d) {
        shown.clear();
        for (int id : {102, 103, 104, 106, 107, 108})
            shown.push_back(text(d, id));
        press(d, 201);
    };
    // The lines below the separator tell where the data and the program are and
    // what the program runs on.
    const std::array<std::string, 3> own = aboutLines();
    EXPECT_EQ(own[0], "Cartella dati: " + std::filesystem::current_path().string());
    EXPECT_EQ(own[1], "Programma: " + std::filesystem::read_symlink("/proc/self/exe").string());
    EXPECT_EQ(own[2].rfind(std::string("Qt ") + qVersion() + " su ", 0), 0u) << own[2];
    EXPECT_GT(own[2].size(), std::string("Qt ").size() + std::strlen(qVersion()) + 4);

    drive.on("INFOS", grab);
    INFOS("Deltranota", "1.38", "2024");
    ASSERT_EQ(shown.size(), 6u);
    EXPECT_EQ(shown[0], "Deltranota");
    EXPECT_EQ(shown[1], "Versione: 1.38");
    EXPECT_EQ(shown[2], "\xA9 2024 Deltranota");
    EXPECT_EQ(shown[3], own[0]);
    EXPECT_EQ(shown[4], own[1]);
    EXPECT_EQ(shown[5], own[2]);

    // Lines the caller gives take the place of their own ones; the data folder line
    // follows the working directory.
    std::string there;
    {
        const TempFolder elsewhere;
        const InFolder in(elsewhere.path());
        there = std::filesystem::current_path().string();
        drive.on("INFOS", grab);
        INFOS("Deltranota", "1.38", "2024", "", "Assistenza: ufficio interno", "");
    }
    EXPECT_EQ(shown[3], "Cartella dati: " + there);
    EXPECT_EQ(shown[4], "Assistenza: ufficio interno");
    EXPECT_EQ(shown[5], own[2]);
}

} // namespace
} // namespace dn::test
