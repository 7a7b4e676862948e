// The one-value prompt and the about box, driven as a person would.

#include "common/ui/prompts.h"

#include "tests/support/gui.h"
#include "tests/support/messages_fake.h"

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

TEST(AboutBox, ShowsTheProductAndFillsMissingContactLinesWithTheMaker) {
    guiApp();
    DialogDriver drive;
    std::vector<std::string> shown;
    const auto grab = [&](TDialog& d) {
        shown.clear();
        for (int id : {102, 103, 104, 106, 107, 108})
            shown.push_back(text(d, id));
        press(d, 201);
    };
    drive.on("INFOS", grab);
    INFOS("Deltranota", "1.38", "2024");
    ASSERT_EQ(shown.size(), 6u);
    EXPECT_EQ(shown[0], "Deltranota");
    EXPECT_EQ(shown[1], "Versione: 1.38");
    EXPECT_EQ(shown[2], std::string("\xA9 2024 ") + MakerInfo::name);
    EXPECT_EQ(shown[3], MakerInfo::address);
    EXPECT_EQ(shown[4], MakerInfo::phone);
    EXPECT_EQ(shown[5], MakerInfo::mail);

    drive.on("INFOS", grab);
    INFOS("Deltranota", "1.38", "2024", "Via Nuova 1 - Citt\xE0", "", "E-mail: a@b.it");
    EXPECT_EQ(shown[3], "Via Nuova 1 - Citt\xE0");
    EXPECT_EQ(shown[4], MakerInfo::phone);
    EXPECT_EQ(shown[5], "E-mail: a@b.it");
}

} // namespace
} // namespace dn::test
