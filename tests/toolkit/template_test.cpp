#include "tests/support/gui.h"
#include "toolkit/dialogtemplate.h"
#include "toolkit/units.h"

#include <QFontInfo>
#include <QWidget>
#include <gtest/gtest.h>

using namespace dn;

namespace {

tk::DialogTemplate parse(const char* json) {
    return tk::parseTemplate(QByteArray(json), "PROVA");
}

std::string errorOf(const char* json) {
    try {
        parse(json);
    } catch (const tk::TemplateError& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(Template, DamagedTemplatesAreReportedNotHalfBuilt) {
    EXPECT_NE(errorOf("{"), "");
    EXPECT_NE(errorOf(R"({"name":"X","width":10})"), ""); // no height
    EXPECT_NE(errorOf(R"({"name":"X","width":10,"height":10,
        "controls":[{"id":1,"kind":"slider","x":0,"y":0,"width":1,"height":1}]})"),
              "");
    EXPECT_NE(errorOf(R"({"name":"X","width":10,"height":10,
        "controls":[{"id":1,"kind":"edit","x":0,"y":0,"width":1,"height":1,"style":["bold"]}]})"),
              "");
    EXPECT_NE(errorOf(R"({"name":"X","width":10,"height":10,
        "controls":[{"id":1,"kind":"edit","x":0.5,"y":0,"width":1,"height":1}]})"),
              "");
    // A misspelt field would lose its value: the template is damaged.
    EXPECT_NE(errorOf(R"({"name":"X","width":10,"height":10,"styel":["popup"]})"), "");
    EXPECT_NE(errorOf(R"({"name":"X","width":10,"height":10,"font":{"face":"Arial","sise":9}})"),
              "");
    EXPECT_NE(errorOf(R"({"name":"X","width":10,"height":10,
        "controls":[{"id":1,"kind":"edit","x":0,"y":0,"width":1,"height":1,"txt":"a"}]})"),
              "");
    EXPECT_NE(errorOf(R"({"name":"X","width":10,"height":10,
        "controls":[{"id":1,"kind":"label","text":5,"x":0,"y":0,"width":1,"height":1}]})"),
              "");
    const std::string msg = errorOf(R"({"name":"X","width":10,"height":-1})");
    EXPECT_NE(msg.find("Modello di finestra PROVA danneggiato"), std::string::npos) << msg;
    try {
        tk::loadTemplate("NONESISTE");
        FAIL();
    } catch (const tk::TemplateError& e) {
        EXPECT_STREQ(e.what(), "Modello di finestra NONESISTE non trovato.");
    }
}

TEST(Template, EightPointDialogUnitsAreSixByThirteen) {
    test::guiApp();
    const auto u = tk::DialogUnits::forFont("MS Sans Serif", 8);
    EXPECT_EQ(u.baseX(), 6);
    EXPECT_EQ(u.baseY(), 13);
    // 1 unit = 1.5 px across and 1.625 px down; edges round, so controls that touch
    // in units touch in pixels.
    EXPECT_EQ(u.rect(10, 20, 40, 13), QRect(15, 33, 60, 21));
    EXPECT_EQ(u.y(15 * 10), 244); // ten panel rows of 15 units: 243.75 px
    const QRect a = u.rect(0, 0, 7, 7), b = u.rect(7, 7, 7, 7);
    EXPECT_EQ(a.right() + 1, b.left());
    EXPECT_EQ(a.bottom() + 1, b.top());
    // Larger fonts give larger units, measured on the mapped face.
    const auto big = tk::DialogUnits::forFont("Arial", 11);
    EXPECT_GT(big.baseX(), 6);
    EXPECT_GT(big.baseY(), 13);
}

TEST(Template, FacesMapToWhatTheMachineHas) {
    test::guiApp();
    EXPECT_EQ(QFontInfo(tk::screenFont("Arial", 9)).family(), "Liberation Sans");
    EXPECT_EQ(QFontInfo(tk::screenFont("Courier New", 9)).family(), "Liberation Mono");
    EXPECT_EQ(QFontInfo(tk::screenFont("MS Sans Serif", 8)).family(), "Liberation Sans");
    EXPECT_EQ(tk::screenFont("MS Sans Serif", 8).pixelSize(), 11);
    EXPECT_EQ(tk::screenFont("Arial", 11).pixelSize(), 15);
}

TEST(Template, EveryEmbeddedTemplateBuildsWithItsControlsInPlace) {
    test::guiApp();
    const QStringList names = tk::embeddedTemplateNames();
    ASSERT_FALSE(names.isEmpty());
    for (const QString& n : names) {
        SCOPED_TRACE(n.toStdString());
        TDialog dlg(n.toStdString());
        const tk::DialogTemplate* t = dlg.Template();
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(dlg.hWnd()->size(), QSize(dlg.Units().x(t->width), dlg.Units().y(t->height)));
        for (const auto& c : t->controls) {
            if (c.id == -1 || t->find(c.id) != &c)
                continue;
            QWidget* w = dlg.ControlWidget(c.id);
            ASSERT_NE(w, nullptr) << c.id;
            const QRect want = dlg.Units().rect(c.x, c.y, c.width, c.height);
            EXPECT_EQ(w->pos(), want.topLeft()) << c.id;
            if (c.kind != tk::ControlKind::ComboBox && c.kind != tk::ControlKind::Line) {
                EXPECT_EQ(w->size(), want.size()) << c.id;
            }
        }
    }
}
