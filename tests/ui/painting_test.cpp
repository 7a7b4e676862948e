// Painting helpers checked pixel by pixel on images.

#include "common/ui/painting.h"

#include "common/ui/startup.h"
#include "tests/support/gui.h"
#include "toolkit/toolkit.h"
#include "toolkit/tray.h"
#include "toolkit/window.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace dn::test {
namespace {

using namespace dn::ui;

constexpr tk::Color kRed = tk::rgb(255, 0, 0);
constexpr tk::Color kBlue = tk::rgb(0, 0, 255);
constexpr tk::Color kGreen = tk::rgb(0, 255, 0);

QImage canvas(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

TEST(Gradient, BandsSplitTheAreaByTheirFractions) {
    QImage img = canvas(10, 100);
    {
        QPainter p(&img);
        GradientBands b;
        b.bands = {{0.3, kRed, kRed}, {0.5, kBlue, kBlue}, {0.1, kGreen, kGreen}};
        GRADIENTFILL(p, 0, 0, 100, 10, b);
    }
    EXPECT_EQ(img.pixelColor(5, 0), QColor(255, 0, 0));
    EXPECT_EQ(img.pixelColor(5, 29), QColor(255, 0, 0));
    EXPECT_EQ(img.pixelColor(5, 30), QColor(0, 0, 255));
    EXPECT_EQ(img.pixelColor(5, 79), QColor(0, 0, 255));
    // The last band reaches the end whatever its fraction.
    EXPECT_EQ(img.pixelColor(5, 80), QColor(0, 255, 0));
    EXPECT_EQ(img.pixelColor(5, 99), QColor(0, 255, 0));
}

TEST(Gradient, DirectionOverrideAndBandsPastTheEnd) {
    QImage img = canvas(100, 10);
    {
        QPainter p(&img);
        GradientBands b;
        b.bands = {{0.6, kRed, kRed}, {0.6, kBlue, kBlue}, {0.5, kGreen, kGreen}};
        b.vertical = false;
        GRADIENTFILL(p, 0, 0, 10, 100, b, true);
    }
    EXPECT_EQ(img.pixelColor(59, 5), QColor(255, 0, 0));
    EXPECT_EQ(img.pixelColor(60, 5), QColor(0, 0, 255));
    EXPECT_EQ(img.pixelColor(99, 5), QColor(0, 0, 255)) << "no room is left for the third band";
    // A two-colour band runs from one colour to the other.
    QImage g = canvas(10, 101);
    {
        QPainter p(&g);
        GradientBands b;
        b.bands = {{1.0, tk::rgb(0, 0, 0), tk::rgb(200, 200, 200)}};
        GRADIENTFILL(p, 0, 0, 101, 10, b);
    }
    EXPECT_LT(g.pixelColor(5, 0).red(), 10);
    EXPECT_NEAR(g.pixelColor(5, 50).red(), 100, 6);
    EXPECT_GT(g.pixelColor(5, 100).red(), 190);
}

TEST(FillRect, ColoursBrushesAlphaAndNothing) {
    QImage img = canvas(40, 10);
    {
        QPainter p(&img);
        FILLRECTEX(p, QRect(0, 0, 10, 10), Fill(-static_cast<long long>(kBlue)));
        FILLRECTEX(p, QRect(10, 0, 10, 10), Fill(QBrush(Qt::green)));
        FILLRECTEX(p, QRect(20, 0, 10, 10), Fill(0x80LL << 24 | kRed));
        FILLRECTEX(p, QRect(30, 0, 10, 10), Fill(std::monostate()));
        // An empty band list fills nothing either.
        GRADIENTFILL(p, 0, 30, 10, 40, Fill(GradientBands()));
    }
    EXPECT_EQ(img.pixelColor(5, 5), QColor(0, 0, 255));
    EXPECT_EQ(img.pixelColor(15, 5), QColor(0, 255, 0));
    const QColor blended = img.pixelColor(25, 5);
    EXPECT_EQ(blended.red(), 255);
    EXPECT_NEAR(blended.green(), 127, 2);
    EXPECT_NEAR(blended.blue(), 127, 2);
    EXPECT_EQ(img.pixelColor(35, 5), QColor(255, 255, 255));
    // A colour passed to GRADIENTFILL fills plainly.
    {
        QPainter p(&img);
        GRADIENTFILL(p, 0, 30, 10, 40, Fill(static_cast<long long>(kRed)));
    }
    EXPECT_EQ(img.pixelColor(35, 5), QColor(255, 0, 0));
    EXPECT_EQ(img.pixelColor(29, 5), blended);
}

TEST(SystemLook, BackgroundColourAndFont) {
    guiApp();
    setMakerWorkstationCheck({});
    EXPECT_EQ(GETSYSBGCOLOR(tk::kColorButtonFace), tk::getSysColor(tk::kColorButtonFace));
    setMakerWorkstationCheck([] { return true; });
    EXPECT_EQ(GETSYSBGCOLOR(tk::kColorButtonFace), tk::rgb(255, 255, 255));
    setMakerWorkstationCheck({});
    EXPECT_EQ(GETSYSFONT(), "Segoe UI");
    // Installed at start-up, the rule reaches the toolkit's lists and fields.
    const QPalette old = QApplication::palette();
    QPalette pal = old;
    pal.setColor(QPalette::Base, QColor(10, 20, 30));
    QApplication::setPalette(pal);
    installUi([] { return false; });
    EXPECT_EQ(tk::fieldBackground(), tk::rgb(10, 20, 30));
    installUi([] { return true; });
    EXPECT_EQ(tk::fieldBackground(), tk::rgb(255, 255, 255));
    uninstallUi();
    setMakerWorkstationCheck({});
    QApplication::setPalette(old);
}

TEST(BackgroundBitmap, LeavesTheMessageBarAlone) {
    guiApp();
    auto win = TWindow::New(0, 0, 200, 300, "Sfondo");
    win->SetSize(300, 200);
    TMsgBar* bar = TMsgBar::New(*win, "Pronto");
    win->Show();
    settle();
    const QRect area = backgroundArea(*win);
    EXPECT_EQ(area.top(), 0);
    EXPECT_EQ(area.bottom(), bar->hWnd()->geometry().top() - 1);
    QImage img = canvas(300, 200);
    {
        QPainter p(&img);
        PAINTBGBMP(p, *win, "VELT");
    }
    // The logo is drawn inside the area and not over the bar.
    bool drawn = false;
    for (int x = 0; x < 300; ++x)
        drawn |= img.pixelColor(x, area.center().y()) != QColor(255, 255, 255);
    EXPECT_TRUE(drawn);
    for (int x = 0; x < 300; ++x)
        ASSERT_EQ(img.pixelColor(x, area.bottom() + 2), QColor(255, 255, 255));
}

} // namespace
} // namespace dn::test
