// The password dialogs on the offscreen platform.

#include "app/passwords.h"

#include "app/panel_fixture.h"
#include "app/settings.h"
#include "common/util/scramble.h"
#include "tests/support/files.h"

#include <QLineEdit>

using namespace paneltest;
namespace t = dn::test;
using dn::TDialog;
using dn::app::PASSWD;
using dn::app::PASSWD2;

namespace {

const std::string kCode = dn::schema::slotCode(1);

class Passwords : public PanelFixture {
protected:
    static void setPassword(const std::string& clear) {
        std::string padded = clear;
        padded.resize(10, ' ');
        dn::config::variables().set("CFG_PW01", dn::Value(dn::CRYPT(padded)));
    }
    static std::string stored() { return dn::config::variables().text("CFG_PW01"); }
    // Types entry into the password dialog name and confirms it.
    void answerWith(const std::string& name, const std::string& entry) {
        drive_.on(name, [entry](TDialog& d) {
            if (!entry.empty())
                t::type(d, 101, entry);
            t::press(d, 201);
        });
    }
    t::DialogDriver drive_;
};

} // namespace

TEST_F(Passwords, NoPasswordOpensWithoutAsking) {
    EXPECT_TRUE(PASSWD(kCode));
    dn::config::variables().set("CFG_PW01", dn::Value(std::string(10, ' ')));
    EXPECT_TRUE(PASSWD(kCode));
    EXPECT_TRUE(drive_.started.empty());
}

TEST_F(Passwords, ComparisonIsExactCaseAndLengthIncluded) {
    setPassword("Chiave");
    answerWith("PASSWD", "chiave");
    EXPECT_FALSE(PASSWD(kCode));
    answerWith("PASSWD", "CHIAVE");
    EXPECT_FALSE(PASSWD(kCode));
    answerWith("PASSWD", " Chiave");
    EXPECT_FALSE(PASSWD(kCode));
    answerWith("PASSWD", "Chiave1");
    EXPECT_FALSE(PASSWD(kCode));
    answerWith("PASSWD", "Chiave");
    EXPECT_TRUE(PASSWD(kCode));
    ASSERT_EQ(messages_.asked.size(), 4u);
    for (const auto& a : messages_.asked) {
        EXPECT_EQ(a.text, "Password non corretta.");
        EXPECT_EQ(a.kind, 1);
    }
}

TEST_F(Passwords, FieldShowsDotsAndTakesTenCharactersAtMost) {
    setPassword("abcdefghij");
    drive_.on("PASSWD", [](TDialog& d) {
        EXPECT_EQ(d.GetText(), "Password");
        auto* edit = static_cast<QLineEdit*>(t::widget(d, 101));
        EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
        EXPECT_TRUE(edit->font().bold());
        EXPECT_EQ(t::control(d, std::string("cPasswd")), t::control(d, 101));
        t::type(d, 101, "abcdefghijk");
        EXPECT_EQ(t::text(d, 101), "abcdefghij");
        t::press(d, 201);
    });
    EXPECT_TRUE(PASSWD(kCode));
}

TEST_F(Passwords, BlankEntryIsRefusedAndTheDialogStays) {
    setPassword("x");
    drive_.on("PASSWD", [this](TDialog& d) {
        t::press(d, 201);
        EXPECT_TRUE(d.IsActive());
        ASSERT_EQ(messages_.asked.size(), 1u);
        EXPECT_EQ(messages_.asked[0].text, "Campo non valido.");
        t::closeBox(d);
    });
    EXPECT_FALSE(PASSWD(kCode));
    EXPECT_EQ(messages_.asked.size(), 1u) << "abandoning shows nothing";
}

TEST_F(Passwords, NewPasswordIsTypedTwiceScrambledAndSaved) {
    ASSERT_TRUE(dn::app::loadOrWriteConfig());
    answerWith("PASSWD2", "Nuova");
    answerWith("PASSWD3", "Nuova");
    PASSWD2(kCode);
    EXPECT_EQ(stored(), dn::CRYPT(std::string("Nuova     ")));
    const std::string file = dn::test::readFile((fs::path(folder_.path()) / "DELTRA.CFG").string());
    EXPECT_NE(file.find("CFG_PW01=C" + dn::CRYPT(std::string("Nuova     "))), std::string::npos);
    EXPECT_EQ(file.find("Nuova"), std::string::npos) << "never in clear";
    EXPECT_TRUE(messages_.asked.empty());
}

TEST_F(Passwords, RepetitionMustMatchAndAbandoningKeepsTheOldOne) {
    setPassword("Vecchia");
    const std::string old = stored();
    answerWith("PASSWD2", "Nuova");
    answerWith("PASSWD3", "Nuovo");
    PASSWD2(kCode);
    ASSERT_EQ(messages_.asked.size(), 1u);
    EXPECT_EQ(messages_.asked[0].text, "Password non confermata.");
    answerWith("PASSWD2", "Nuova");
    answerWith("PASSWD3", ""); // left empty
    PASSWD2(kCode);
    EXPECT_EQ(messages_.asked.size(), 2u);
    answerWith("PASSWD2", "Nuova");
    drive_.on("PASSWD3", [](TDialog& d) {
        t::type(d, 101, "Nuova");
        t::escape(d);
    });
    PASSWD2(kCode);
    EXPECT_EQ(messages_.asked.size(), 2u) << "abandoning the repetition shows nothing";
    drive_.on("PASSWD2", [](TDialog& d) {
        t::type(d, 101, "Nuova");
        t::press(d, 202);
    });
    PASSWD2(kCode);
    EXPECT_EQ(stored(), old);
}

TEST_F(Passwords, EliminaAndAnEmptyEntryRemoveThePasswordWithoutRepetition) {
    setPassword("Vecchia");
    drive_.on("PASSWD2", [](TDialog& d) {
        t::type(d, 101, "Altro");
        t::press(d, 203);
    });
    PASSWD2(kCode);
    EXPECT_TRUE(stored().find_first_not_of(' ') == std::string::npos);
    EXPECT_TRUE(PASSWD(kCode)) << "the next opening asks nothing";
    setPassword("Vecchia");
    answerWith("PASSWD2", "");
    PASSWD2(kCode);
    EXPECT_TRUE(PASSWD(kCode));
    EXPECT_EQ(drive_.started, (std::vector<std::string>{"PASSWD2", "PASSWD2"}));
}
