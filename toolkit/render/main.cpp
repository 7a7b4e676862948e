// Renders dialog templates to PNG files so that their layout can be looked at:
//   dn_render_dialogs OUTDIR [NAME...]
// For each template (all embedded ones when no NAME is given) it writes NAME.png,
// the dialog as it shows with its caption drawn above, and NAME-ids.png, the same
// with every control's rectangle and id marked. bitmaps.png shows every bitmap at
// 16, 32 and 64 pixels.

#include "toolkit/bitmaps.h"
#include "toolkit/dialog.h"
#include "toolkit/toolkit.h"
#include "toolkit/widgets.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QPainter>

#include <cstdio>

namespace {

QImage withCaption(const QImage& client, const QString& caption) {
    const int bar = 24;
    QImage out(client.width() + 2, client.height() + bar + 1, QImage::Format_ARGB32);
    out.fill(QColor(90, 90, 90));
    QPainter p(&out);
    p.fillRect(QRect(1, 1, client.width(), bar - 1), QColor(0, 84, 153));
    p.setPen(Qt::white);
    QFont f = QApplication::font();
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(8, 1, client.width() - 8, bar - 1), Qt::AlignVCenter | Qt::AlignLeft,
               caption.isEmpty() ? QStringLiteral("(titolo dato dal programma)") : caption);
    p.drawImage(1, bar, client);
    return out;
}

QImage withIds(const QImage& client, const dn::TDialog& dlg) {
    QImage out = client.convertToFormat(QImage::Format_ARGB32);
    QPainter p(&out);
    QFont f = QApplication::font();
    f.setPixelSize(9);
    p.setFont(f);
    for (const auto& c : dlg.Template()->controls) {
        const QRect r = dlg.Units().rect(c.x, c.y, c.width, c.height);
        p.setPen(QPen(QColor(220, 0, 0, 200), 1));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        if (c.id != -1) {
            p.setPen(QColor(0, 0, 200));
            p.drawText(r.topLeft() + QPoint(1, 9), QString::number(c.id));
        }
    }
    return out;
}

bool renderOne(const QString& name, const QDir& out) {
    try {
        dn::TDialog dlg(name.toStdString());
        QWidget* w = dlg.hWnd();
        w->show();
        QApplication::processEvents();
        const QImage client = w->grab().toImage();
        withCaption(client, w->windowTitle()).save(out.filePath(name + ".png"));
        withCaption(withIds(client, dlg), w->windowTitle()).save(out.filePath(name + "-ids.png"));
        w->hide();
        std::printf("%s: %dx%d px (base %dx%d)\n", qPrintable(name), client.width(),
                    client.height(), dlg.Units().baseX(), dlg.Units().baseY());
        return true;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(name), qPrintable(dn::tk::toQt(e.what())));
        return false;
    }
}

void renderBitmaps(const QDir& out) {
    QStringList names;
    QDirIterator it(QStringLiteral(":/bitmaps"), {QStringLiteral("*.svg")}, QDir::Files);
    while (it.hasNext())
        names << QFileInfo(it.next()).completeBaseName();
    names.sort();
    if (names.isEmpty())
        return;
    const int cell = 150;
    QImage img(cell * 3, 96 * names.size() + 10, QImage::Format_ARGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    int y = 5;
    for (const QString& n : names) {
        p.setPen(Qt::black);
        p.drawText(5, y + 12, n);
        int x = 5;
        for (int s : {16, 32, 64}) {
            dn::tk::paintBitmap(p, QRectF(x, y + 20, s, s), n);
            x += s + 20;
        }
        y += 96;
    }
    p.end();
    img.save(out.filePath(QStringLiteral("bitmaps.png")));
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    dn::tk::init();
    if (argc < 2) {
        std::fprintf(stderr, "uso: %s CARTELLA [NOME...]\n", argv[0]);
        return 2;
    }
    QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral(".")))
        return 1;
    QStringList names;
    for (int i = 2; i < argc; ++i)
        names << QString::fromLocal8Bit(argv[i]).toUpper();
    if (names.isEmpty())
        names = dn::tk::embeddedTemplateNames();
    int failed = 0;
    for (const QString& n : names)
        failed += renderOne(n, out) ? 0 : 1;
    renderBitmaps(out);
    return failed ? 1 : 0;
}
