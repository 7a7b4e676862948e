#include "common/ui/dbcombo.h"

#include "common/data/errors.h"
#include "common/data/guard.h"
#include "common/data/indexes.h"
#include "common/data/tables.h"
#include "common/data/views.h"
#include "common/data/workspace.h"
#include "common/ui/arearows.h"
#include "common/util/cp1252.h"
#include "common/util/format.h"
#include "common/util/trim.h"
#include "toolkit/browse.h"
#include "toolkit/dialog.h"
#include "toolkit/keys.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

#include <memory>

namespace dn::ui {

namespace {

// Closes the list when its window stops being the active one.
class CloseOnDeactivate : public QObject {
public:
    CloseOnDeactivate(TDialog& dlg, QObject* parent) : QObject(parent), dlg_(dlg) {}

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::WindowDeactivate && !dlg_.IsEnded())
            dlg_.End(0);
        return false;
    }

private:
    TDialog& dlg_;
};

// Moves the browse and the field to the row KEYSEARCH found.
class ListSearch : public data::SearchList {
public:
    explicit ListSearch(std::function<void()> moved) : moved_(std::move(moved)) {}
    void showCurrent() override { moved_(); }

private:
    std::function<void()> moved_;
};

// Stands on the field's value: the key itself, else the first one at or after it
// (keys are usually upper case), else the first row.
void position(data::WorkArea& a, const std::string& prefix, const std::string& text) {
    if (!text.empty() && a.seek(Value(prefix + text)))
        return;
    if (!text.empty() && a.seek(Value(prefix + upper1252(text)), true) && !a.eof())
        return;
    if (a.eof() || text.empty())
        a.goTop();
}

} // namespace

bool DBCOMBO(TGet& get, const DbComboOptions& o) {
    QWidget* gw = get.hWnd();
    if (!gw)
        return false;
    const Value before = get.VarGet();
    bool kept = false;
    data::AreaGuard guard;
    data::protect([&] {
        guard.open(o.table, data::GETNEWALIAS());
        data::ORDADD(o.index);
        const std::string prefix = o.prefix.value_or(std::string());
        if (o.prefix) {
            data::ORDSCOPE(0, Value(prefix));
            data::ORDSCOPE(1, Value(prefix));
        }
        if (!o.filter.empty())
            data::DBSETVIEW(data::conditionOf(o.filter), o.filter);
        data::WorkArea& a = data::area();
        const std::string fieldName = o.field.empty() ? a.table().fields().front().name : o.field;
        position(a, prefix, std::string(trimRight(get.GetText())));
        data::KEYSEARCH(nullptr, 0);

        // A borderless pop-up under the field, or above it when there is no room.
        tk::DialogTemplate t;
        t.name = kDbComboName;
        t.width = 1;
        t.height = 1;
        t.style = {"popup"};
        TDialog dlg(t);
        QWidget* dw = dlg.hWnd();
        dw->setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
        const int width = gw->width();
        const int height = (std::max(1, o.rows) + 1) * 15 + 2;
        QPoint at = gw->mapToGlobal(QPoint(0, gw->height()));
        const QScreen* screen = gw->screen() ? gw->screen() : QGuiApplication::primaryScreen();
        if (screen && at.y() + height > screen->availableGeometry().bottom() + 1)
            at = gw->mapToGlobal(QPoint(0, -height));
        dlg.SetSize(width, height);
        dlg.Move(at.y(), at.x());

        auto rows = std::make_shared<AreaRows>(a);
        TWBrowse::Options bo;
        bo.colSizes = {width};
        bo.source = rows;
        TWBrowse* list = TWBrowse::New(
            0, 0, width, height,
            [&a, fieldName] {
                return std::vector<BrowseCell>{BrowseCell(CVALTOCHAR(a.get(fieldName)))};
            },
            dlg, bo);
        const auto show = [&get, &a, fieldName] {
            if (!a.eof())
                get.VarPut(a.get(fieldName));
        };
        const auto keep = [&dlg, &kept] {
            kept = true;
            dlg.End(1);
        };
        ListSearch search([list, show] {
            list->Refresh();
            show();
        });
        list->bChange = show;
        list->bLClicked = [keep](int, int, int, TWindow&) { keep(); };
        list->bKeyDown = [keep](int key, int, TWindow&) {
            if (key == vk::Return)
                keep();
        };
        list->bKeyChar = [&search, prefix](int c, int, TWindow&) {
            if (c == 8 || (c >= 32 && c <= 126))
                data::KEYSEARCH(&search, c, prefix);
        };
        dw->installEventFilter(new CloseOnDeactivate(dlg, dw));
        TDialog::ActivateOptions ao;
        ao.start = [list, dw, at] {
            // Once shown, the frame (if the platform draws one) is known: the list
            // itself goes right under the field.
            dw->move(dw->pos() + (at - dw->geometry().topLeft()));
            list->SetFocus();
        };
        dlg.Activate(ao);
    });
    if (kept) {
        if (get.bChange) {
            Block change = get.bChange;
            change();
        }
    } else {
        get.VarPut(before);
    }
    return kept;
}

} // namespace dn::ui
