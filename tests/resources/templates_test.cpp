#include "app/panel.h"
#include "resource_files.h"

#include "tests/support/gui.h"
#include "toolkit/dialogtemplate.h"
#include "toolkit/units.h"

#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QMap>
#include <QRect>
#include <QSet>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace dn::test;
namespace tk = dn::tk;

namespace {

// Every template name that the dialogs of the program are built from.
const QStringList kTemplateNames = {
    "DELTRANOTA", "NOMI",     "POSINIZ",  "SCADENZE", "SCADENZA", "GENERA",
    "RICERCA",    "RUBRICA",  "RUBRICA2", "RICERCA2", "PASSWD",   "PASSWD2",
    "PASSWD3",    "CALENDAR", "PRINTDLG", "MSGGET",   "INFOS",    "PRINT",
};

using tk::ControlKind;
using tk::ControlTemplate;
using tk::DialogTemplate;

// Where a control stands in its template, for the failure messages.
QString where(const DialogTemplate& t, const ControlTemplate& c) {
    const auto index = &c - t.controls.data();
    return QString("%1 control #%2 (id %3, %4)")
        .arg(t.name)
        .arg(index)
        .arg(c.id)
        .arg(tk::kindName(c.kind));
}

// Place on the dialog in units; a drop-down list counts with its closed height only.
QRect unitRect(const ControlTemplate& c) {
    return QRect(c.x, c.y, c.width,
                 c.kind == ControlKind::ComboBox ? std::min(c.height, 12) : c.height);
}

// The controls that the code binds, in binding order: all but those with id -1.
std::vector<const ControlTemplate*> bound(const DialogTemplate& t) {
    std::vector<const ControlTemplate*> out;
    for (const ControlTemplate& c : t.controls)
        if (c.id != -1)
            out.push_back(&c);
    return out;
}

// The faces the templates use, each of which the toolkit maps to an installed font.
const QStringList kFaces = {"MS Sans Serif", "Arial", "Courier New"};

// What the toolkit's reader lets pass but the program's templates must not have.
QStringList departures(const QString& name, const DialogTemplate& t) {
    QStringList errors;
    if (t.name != name)
        errors << name + ": name \"" + t.name + "\" differs from the file name";
    if (!kFaces.contains(t.fontFace))
        errors << name + ": unknown font face \"" + t.fontFace + "\"";
    if (t.fontSize != std::floor(t.fontSize) || t.fontSize < 6 || t.fontSize > 20)
        errors << name + ": font size not a whole number from 6 to 20";
    if (t.controls.empty())
        errors << name + ": no controls";
    for (const ControlTemplate& c : t.controls) {
        if (c.id != -1 && c.id <= 0)
            errors << where(t, c) + ": id must be -1 or a positive whole number";
        if (c.x < 0 || c.y < 0)
            errors << where(t, c) + ": negative position";
        if (c.width == 0 || c.height == 0)
            errors << where(t, c) + ": empty size";
        const bool needsText = c.kind == ControlKind::Button || c.kind == ControlKind::CheckBox ||
                               c.kind == ControlKind::Radio || c.kind == ControlKind::Bitmap ||
                               c.kind == ControlKind::Folder;
        if (needsText && c.text.trimmed().isEmpty())
            errors << where(t, c) + ": " + tk::kindName(c.kind) + " without text";
    }
    return errors;
}

// All templates embedded in the program, as the toolkit reads them; those it
// refuses are reported by the first test.
const std::vector<DialogTemplate>& templates() {
    static const std::vector<DialogTemplate> all = [] {
        std::vector<DialogTemplate> out;
        for (const QString& n : tk::embeddedTemplateNames()) {
            try {
                out.push_back(tk::loadTemplate(n));
            } catch (const tk::TemplateError&) {
            }
        }
        return out;
    }();
    return all;
}

const DialogTemplate* find(const QString& name) {
    for (const DialogTemplate& t : templates())
        if (t.name == name)
            return &t;
    return nullptr;
}

QString overlapKey(const ControlTemplate& c) {
    return c.id == -1 ? c.text : QString::number(c.id);
}

} // namespace

TEST(DialogTemplates, EveryNamedTemplateExistsAndFollowsTheFormat) {
    const QStringList names = tk::embeddedTemplateNames();
    for (const QString& n : kTemplateNames)
        EXPECT_TRUE(names.contains(n)) << "missing template " << n.toStdString();
    EXPECT_EQ(names, resourceNames(dialogsDir(), "json")) << "not every file is embedded";
    for (const QString& n : names) {
        try {
            const QStringList errors = departures(n, tk::loadTemplate(n));
            EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
        } catch (const tk::TemplateError& e) {
            ADD_FAILURE() << e.what();
        }
    }
}

TEST(DialogTemplates, IdsAreUniqueAndBoundControlsComeFirst) {
    for (const DialogTemplate& t : templates()) {
        QSet<int> seen;
        bool unboundSeen = false;
        for (const ControlTemplate& c : t.controls) {
            if (c.id == -1) {
                unboundSeen = true;
                continue;
            }
            EXPECT_FALSE(seen.contains(c.id)) << where(t, c).toStdString() << ": duplicate id";
            seen.insert(c.id);
            // Controls with id -1 are not in the dialog's control list; keeping them last
            // makes a bound control's place in the file equal to its place in that list.
            EXPECT_FALSE(unboundSeen)
                << where(t, c).toStdString() << ": bound control after an unbound one";
        }
    }
}

TEST(DialogTemplates, ControlsLieInsideTheDialogAndDoNotOverlap) {
    // Overlaps that the dialog descriptions fix: the editor's labels above its date and
    // time fields reach 1 unit into them (label 10 high at y 11, field at y 20).
    const QSet<QString> fixedOverlaps = {"SCADENZA/101/Data:", "SCADENZA/104/Ora:"};
    QSet<QString> seenFixed;
    for (const DialogTemplate& t : templates()) {
        const QRect dialog(0, 0, t.width, t.height);
        for (const ControlTemplate& c : t.controls) {
            // The panel is sized at run time from its rows; its row separators are wider
            // than the template and the last one lies on the template's bottom edge.
            if (t.name == "DELTRANOTA" && c.kind == ControlKind::Line)
                continue;
            EXPECT_TRUE(dialog.contains(unitRect(c)))
                << where(t, c).toStdString() << " reaches outside the " << t.width << " x "
                << t.height << " dialog";
        }
        for (const ControlTemplate& a : t.controls)
            for (const ControlTemplate& b : t.controls) {
                // Frames enclose other controls by design.
                if (&a >= &b || a.kind == ControlKind::GroupBox || b.kind == ControlKind::GroupBox)
                    continue;
                if (!unitRect(a).intersects(unitRect(b)))
                    continue;
                const QString key = t.name + "/" + overlapKey(a) + "/" + overlapKey(b);
                if (fixedOverlaps.contains(key)) {
                    seenFixed << key;
                    continue;
                }
                ADD_FAILURE() << where(t, a).toStdString() << " overlaps "
                              << where(t, b).toStdString();
            }
    }
    EXPECT_EQ(seenFixed, fixedOverlaps) << "stale overlap exception";
}

TEST(DialogTemplates, ConfirmAndCancelButtonsKeepTheirIdsAndAccelerators) {
    for (const DialogTemplate& t : templates()) {
        bool confirm = false, cancel = false;
        int defaults = 0;
        QMap<QChar, QString> accelerators;
        for (const ControlTemplate& c : t.controls) {
            if (c.kind != ControlKind::Button && c.kind != ControlKind::CheckBox &&
                c.kind != ControlKind::Radio)
                continue;
            if (c.text == "&Conferma") {
                EXPECT_EQ(c.id, 201) << where(t, c).toStdString();
                confirm = true;
            }
            if (c.text == "&Annulla") {
                EXPECT_EQ(c.id, 202) << where(t, c).toStdString();
                cancel = true;
            }
            defaults += c.has("default");
            const qsizetype amp = c.text.indexOf('&');
            if (amp >= 0 && amp + 1 < c.text.size()) {
                const QChar key = c.text[amp + 1].toUpper();
                EXPECT_FALSE(accelerators.contains(key))
                    << t.name.toStdString() << ": \"" << c.text.toStdString() << "\" and \""
                    << accelerators.value(key).toStdString() << "\" share Alt+"
                    << QString(key).toStdString();
                accelerators[key] = c.text;
            }
        }
        // A dialog that can be confirmed can also be abandoned.
        EXPECT_TRUE(!confirm || cancel)
            << t.name.toStdString() << ": \"&Conferma\" without \"&Annulla\"";
        EXPECT_LE(defaults, 1) << t.name.toStdString() << ": more than one default button";
    }
}

TEST(DialogTemplates, ReferencedBitmapsExist) {
    const QStringList bitmaps = resourceNames(bitmapsDir(), "svg");
    for (const DialogTemplate& t : templates())
        for (const ControlTemplate& c : t.controls)
            if ((c.kind == ControlKind::Bitmap || c.kind == ControlKind::BitmapButton) &&
                !c.text.isEmpty()) {
                EXPECT_TRUE(bitmaps.contains(c.text))
                    << where(t, c).toStdString() << " shows missing bitmap "
                    << c.text.toStdString();
            }
}

TEST(DialogTemplates, PanelRowsAreBoundLabelThenLamp) {
    const DialogTemplate* t = find("DELTRANOTA");
    ASSERT_NE(t, nullptr);
    const auto bound = ::bound(*t);
    ASSERT_GE(bound.size(), 20u);
    for (int i = 1; i <= 10; ++i) {
        const ControlTemplate* label = bound[2 * i - 2]; // position 2i-1, counted from 1
        const ControlTemplate* lamp = bound[2 * i - 1];
        EXPECT_EQ(label->kind, ControlKind::Label) << "slot " << i;
        EXPECT_EQ(label->id, dn::app::nameLabelId(i)) << "slot " << i;
        EXPECT_EQ(lamp->kind, ControlKind::BitmapButton) << "slot " << i;
        EXPECT_EQ(lamp->id, dn::app::lampId(i)) << "slot " << i;
        EXPECT_LE(std::abs(label->y - lamp->y), 1) << "slot " << i << ": lamp off its row";
    }
}

TEST(DialogTemplates, CalendarCellsAreControls8To49InIdOrder) {
    const DialogTemplate* t = find("CALENDAR");
    ASSERT_NE(t, nullptr);
    const auto bound = ::bound(*t);
    ASSERT_EQ(bound.size(), 53u); // 7 headers, 42 cells, 2 labels, 2 lists
    for (int k = 0; k < 7; ++k)
        EXPECT_EQ(bound[k]->id, 201 + k);
    for (int n = 8; n <= 49; ++n) {
        const ControlTemplate* cell = bound[n - 1];
        EXPECT_EQ(cell->id, 300 + n - 7) << "control " << n;
        EXPECT_EQ(cell->kind, ControlKind::Label) << "control " << n;
        // Cells run left to right and top to bottom in id order.
        const ControlTemplate* prev = bound[n - 2];
        if (n > 8 && (n - 8) % 7 != 0) {
            EXPECT_GT(cell->x, prev->x) << "control " << n;
        } else if (n > 8) {
            EXPECT_GT(cell->y, prev->y) << "control " << n;
        }
    }
    const QList<int> tail = {bound[49]->id, bound[50]->id, bound[51]->id, bound[52]->id};
    EXPECT_EQ(tail, (QList<int>{501, 101, 502, 102}));
}

namespace {

// The font the toolkit draws the template's texts in.
QFont drawnFont(const DialogTemplate& t) {
    return tk::screenFont(t.fontFace, t.fontSize, t.fontBold);
}

// Pixels per dialog unit, as the toolkit converts the template.
QPointF pixelsPerUnit(const DialogTemplate& t) {
    const auto u = tk::DialogUnits::forFont(t.fontFace, t.fontSize, t.fontBold);
    return {u.baseX() / 4.0, u.baseY() / 8.0};
}

QString withoutAccelerator(QString s) {
    s.replace("&&", "\x01");
    s.remove('&');
    s.replace("\x01", "&");
    return s;
}

// Room that a kind needs beside its text: button frame, check/radio indicator, frame inset.
double chrome(ControlKind kind) {
    if (kind == ControlKind::Button)
        return 6;
    if (kind == ControlKind::CheckBox || kind == ControlKind::Radio)
        return 18;
    if (kind == ControlKind::GroupBox)
        return 12;
    return 0;
}

} // namespace

TEST(DialogTemplates, TextsFitTheirControls) {
    guiApp();
    // Sizes that the dialog descriptions fix and whose texts are wider than the room in
    // the face the toolkit draws them in; kept as given, listed with the overflow.
    const QMap<QString, QString> fixedTooNarrow = {
        {"CALENDAR/501", "label 18 units wide for \"Mese:\": 31.5 px, the text 32.5"},
    };
    QStringList stillTooNarrow;
    for (const DialogTemplate& t : templates()) {
        const QFont font = drawnFont(t);
        ASSERT_EQ(QFontInfo(font).family(), font.family())
            << "font " << font.family().toStdString() << " not installed (fonts-liberation)";
        const QFontMetricsF fm(font);
        const QPointF unit = pixelsPerUnit(t);
        for (const ControlTemplate& c : t.controls) {
            if (c.text.isEmpty() || c.kind == ControlKind::Bitmap ||
                c.kind == ControlKind::BitmapButton || c.kind == ControlKind::Folder ||
                c.kind == ControlKind::Edit || c.kind == ControlKind::MultiEdit)
                continue;
            const double lines = c.kind == ControlKind::Label
                                     ? std::max(1.0, std::floor(c.height * unit.y() / fm.height()))
                                     : 1;
            const double need = fm.horizontalAdvance(withoutAccelerator(c.text)) + chrome(c.kind);
            const double room = c.width * unit.x() * lines;
            const QString key = t.name + "/" + (c.id == -1 ? c.text : QString::number(c.id));
            if (fixedTooNarrow.contains(key)) {
                if (need > room)
                    stillTooNarrow << key;
                continue;
            }
            EXPECT_LE(need, room) << where(t, c).toStdString() << " \"" << c.text.toStdString()
                                  << "\" needs " << need << " px, has " << room;
        }
    }
    // An exception whose text now fits, or that names no control, is stale.
    for (const QString& k : fixedTooNarrow.keys())
        EXPECT_TRUE(stillTooNarrow.contains(k)) << "stale exception " << k.toStdString();
}
