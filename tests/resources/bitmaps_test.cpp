#include "resource_files.h"

#include "tests/support/gui.h"

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <gtest/gtest.h>

#include <memory>

using namespace dn::test;

namespace {

// Every bitmap and icon the program shows by name.
const QStringList kBitmapNames = {
    "SPENTO",    "ACCESO",    "SELECT",     "NOSELECT", "CALENDAR",  "TELEFONO",
    "PRINT",     "VELT",      "ICONA",      "PREV_TOP", "PREV_PREV", "PREV_NEXT",
    "PREV_LAST", "PREV_ZOOM", "PREV_PRINT", "PREV_PDF", "PREV_MAIL", "PREV_EXIT",
};

QStringList* gWarnings = nullptr;

void collectWarnings(QtMsgType, const QMessageLogContext&, const QString& msg) {
    if (gWarnings)
        *gWarnings << msg;
}

struct LoadedSvg {
    std::unique_ptr<QSvgRenderer> renderer;
    QStringList warnings; // what the renderer said while parsing: unsupported features
};

LoadedSvg loadSvg(const QString& name) {
    LoadedSvg out;
    gWarnings = &out.warnings;
    const QtMessageHandler old = qInstallMessageHandler(collectWarnings);
    out.renderer = std::make_unique<QSvgRenderer>(bitmapsDir() + "/" + name + ".svg");
    qInstallMessageHandler(old);
    gWarnings = nullptr;
    return out;
}

QImage render(QSvgRenderer& r, int px) {
    QImage img(px, px, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    r.render(&p);
    return img;
}

double coverage(const QImage& img) {
    int opaque = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            opaque += qAlpha(img.pixel(x, y)) > 64;
    return double(opaque) / (img.width() * img.height());
}

} // namespace

TEST(Bitmaps, EveryNamedBitmapExists) {
    const QStringList files = resourceNames(bitmapsDir(), "svg");
    for (const QString& n : kBitmapNames)
        EXPECT_TRUE(files.contains(n)) << "missing bitmap " << n.toStdString();
}

TEST(Bitmaps, EverySvgParsesCleanlyOnASquareCanvas) {
    guiApp();
    const QStringList files = resourceNames(bitmapsDir(), "svg");
    ASSERT_FALSE(files.isEmpty());
    for (const QString& n : files) {
        LoadedSvg svg = loadSvg(n);
        ASSERT_TRUE(svg.renderer->isValid()) << n.toStdString() << " does not parse";
        // The renderer skips what it does not support, with a warning: the picture would
        // lose parts without failing.
        EXPECT_TRUE(svg.warnings.isEmpty())
            << n.toStdString() << ": " << svg.warnings.join("; ").toStdString();
        const QRectF box = svg.renderer->viewBoxF();
        EXPECT_GT(box.width(), 0) << n.toStdString() << " has no view box";
        EXPECT_EQ(box.width(), box.height()) << n.toStdString() << " view box is not square";
    }
}

TEST(Bitmaps, EveryBitmapDrawsSomethingAtSmallAndLargeSizes) {
    guiApp();
    for (const QString& n : resourceNames(bitmapsDir(), "svg")) {
        LoadedSvg svg = loadSvg(n);
        ASSERT_TRUE(svg.renderer->isValid()) << n.toStdString();
        for (int px : {16, 64}) {
            const double c = coverage(render(*svg.renderer, px));
            EXPECT_GT(c, 0.08) << n.toStdString() << " at " << px << " px is almost empty";
        }
    }
}

TEST(Bitmaps, NoTwoBitmapsLookTheSame) {
    guiApp();
    const QStringList names = resourceNames(bitmapsDir(), "svg");
    QList<QImage> images;
    for (const QString& n : names) {
        LoadedSvg svg = loadSvg(n);
        images << render(*svg.renderer, 32);
    }
    for (qsizetype i = 0; i < images.size(); ++i)
        for (qsizetype j = i + 1; j < images.size(); ++j)
            EXPECT_NE(images[i], images[j]) << names[i].toStdString() << " and "
                                            << names[j].toStdString() << " render the same";
}
