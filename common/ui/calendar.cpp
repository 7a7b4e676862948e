#include "common/ui/calendar.h"

#include "common/ui/valid.h"
#include "common/util/calendar.h"
#include "common/util/clock.h"
#include "toolkit/controls.h"
#include "toolkit/dialog.h"
#include "toolkit/get.h"
#include "toolkit/toolkit.h"

#include <array>
#include <charconv>
#include <string>
#include <vector>

namespace dn::ui {

namespace {

constexpr int kCells = 42;
constexpr int kFirstCellId = 301;
constexpr tk::Color kWhite = tk::rgb(255, 255, 255);

// Leading number of a text ("25 " -> 25); 0 when it has none.
int leadingNumber(const std::string& text) {
    size_t i = text.find_first_not_of(' ');
    if (i == std::string::npos)
        return 0;
    int n = 0;
    std::from_chars(text.data() + i, text.data() + text.size(), n);
    return n;
}

bool isBlank(const std::string& text) {
    return text.find_first_not_of(' ') == std::string::npos;
}

// What the picker writes its pick into.
struct Target {
    TWindow* control = nullptr; // a control of another dialog, or nullptr
    bool given = false;         // called with a date or a control
};

class Picker {
public:
    Picker(Date start, Target target) : target_(target), start_(start) {}

    std::optional<Date> run() {
        TWindow* owner = target_.control ? target_.control->oWnd : nullptr;
        TDialog dlg("CALENDAR", owner);
        dlg_ = &dlg;
        bind();
        month_ = start_.month();
        year_ = start_.year();
        monthList_->Select(month_);
        cAnno_ = std::to_string(year_);
        yearList_->Refresh();
        fill();
        TDialog::ActivateOptions opts;
        opts.centered = true;
        opts.valid = validBlock(dlg, false);
        dlg.Activate(opts);
        dlg_ = nullptr;
        if (target_.control)
            target_.control->SetFocus();
        if (picked_)
            return picked_;
        if (target_.given)
            return start_;
        return std::nullopt;
    }

private:
    void bind() {
        TDialog& dlg = *dlg_;
        TSay::Options head;
        head.clrText = kWhite;
        head.clrPane = tk::getSysColor(tk::kColorHighlight);
        for (int id = 201; id <= 207; ++id)
            TSay::Redefine(id, {}, dlg, head);
        for (int k = 0; k < kCells; ++k) {
            TSay* cell = TSay::Redefine(kFirstCellId + k, {}, dlg);
            cell->lWantClick = true;
            cell->bLClicked = [this, k](int, int, int, TWindow&) { SCELTA(k); };
            cells_[static_cast<size_t>(k)] = cell;
        }
        TSay::Redefine(501, {}, dlg);
        std::vector<std::string> months;
        for (int m = 1; m <= 12; ++m)
            months.push_back(CMNT(m).value_or(""));
        DataOptions mo;
        mo.change = [this] { CAMBIA(); };
        mo.varName = "cMese";
        monthList_ = TComboBox::Redefine(101, bindVar(cMese_), months, dlg, mo);
        TSay::Redefine(502, {}, dlg);
        std::vector<std::string> years;
        for (int y = kCalFirstYear; y <= kCalLastYear; ++y)
            years.push_back(std::to_string(y));
        DataOptions yo;
        yo.change = [this] { CAMBIA(); };
        yo.varName = "cAnno";
        yearList_ = TComboBox::Redefine(102, bindVar(cAnno_), years, dlg, yo);
    }

    // Lays out the 42 days of month_/year_ with their colours.
    void fill() {
        const Date first = Date::fromYmd(year_, month_, 1);
        const int days = MDAYS(first);
        const Date today = clock::today();
        const tk::Color face = tk::getSysColor(tk::kColorButtonFace);
        const tk::Color ink = tk::getSysColor(tk::kColorButtonText);
        int n = 2 - first.dow();
        for (int k = 0; k < kCells; ++k, ++n) {
            TSay* cell = cells_[static_cast<size_t>(k)];
            if (n >= 1 && n <= days) {
                const Date d = Date::fromYmd(year_, month_, n);
                const tk::Color text = ISFEST(d, false) ? kCalHolidayText : ink;
                tk::Color pane = face;
                if (d == today)
                    pane = kCalTodayPane;
                else if (d == start_)
                    pane = kCalStartPane;
                cell->SetText(std::to_string(n) + " ");
                cell->SetColor(text, pane);
                inMonth_[static_cast<size_t>(k)] = true;
            } else {
                const Date other = first.addDays(n - 1);
                cell->SetText(other.isEmpty() ? std::string() : std::to_string(other.day()) + " ");
                cell->SetColor(kCalOtherMonthText, face);
                inMonth_[static_cast<size_t>(k)] = false;
            }
        }
    }

    // The month or the year list changed: show that month.
    void CAMBIA() {
        dlg_->lModify = true;
        month_ = monthList_->nAt();
        const int y = leadingNumber(cAnno_);
        if (month_ >= 1 && y >= 1)
            year_ = y;
        if (month_ < 1)
            month_ = 1;
        fill();
        monthList_->SetFocus();
    }

    // A click on cell k picks its day.
    void SCELTA(int k) {
        // The window system may hand the picking press over again once the
        // picker has ended.
        if (!dlg_ || !dlg_->IsActive())
            return;
        const std::string text = cells_[static_cast<size_t>(k)]->GetText();
        if (isBlank(text))
            return;
        const int day = leadingNumber(text);
        int month = month_;
        int year = year_;
        if (!inMonth_[static_cast<size_t>(k)]) {
            // A grey cell before the first of the month belongs to the previous
            // month: a "1" follows it. Otherwise it belongs to the next one.
            month += 1;
            for (int j = k + 1; j < kCells; ++j) {
                if (leadingNumber(cells_[static_cast<size_t>(j)]->GetText()) == 1) {
                    month -= 2;
                    break;
                }
            }
        }
        if (month < 1) {
            month = 12;
            --year;
        } else if (month > 12) {
            month = 1;
            ++year;
        }
        const Date d = Date::fromYmd(year, month, day);
        if (d.isEmpty())
            return;
        picked_ = d;
        if (TWindow* c = target_.control) {
            if (auto* get = dynamic_cast<TGet*>(c)) {
                get->VarPut(Value(d));
            } else {
                const std::string t = d.toText();
                auto* ctl = dynamic_cast<TControl*>(c);
                if (ctl && ctl->bSetGet)
                    ctl->VarPut(Value(t));
                else
                    c->SetText(t);
                c->Refresh();
            }
            if (c->oWnd)
                c->oWnd->lModify = true;
        }
        dlg_->End(1);
    }

    Target target_;
    Date start_;
    TDialog* dlg_ = nullptr;
    std::array<TSay*, kCells> cells_{};
    std::array<bool, kCells> inMonth_{};
    TComboBox* monthList_ = nullptr;
    TComboBox* yearList_ = nullptr;
    std::string cMese_;
    std::string cAnno_;
    int month_ = 1;
    int year_ = kCalFirstYear;
    std::optional<Date> picked_;
};

// The date a control holds: a TGet's date value (or its text read as a date),
// another control's text read as a date; the empty date when it holds none.
Date dateOf(TWindow& control) {
    if (auto* get = dynamic_cast<TGet*>(&control)) {
        const Value v = get->VarGet();
        if (v.isDate())
            return v.date();
        if (v.isEmpty())
            return Date();
    }
    return Date::fromText(control.GetText());
}

Date orToday(Date d) {
    return d.isEmpty() ? clock::today() : d;
}

} // namespace

std::optional<Date> CALENDAR() {
    return Picker(clock::today(), Target{}).run();
}

std::optional<Date> CALENDAR(Date start) {
    return Picker(orToday(start), Target{nullptr, true}).run();
}

std::optional<Date> CALENDAR(TWindow& target) {
    return Picker(orToday(dateOf(target)), Target{&target, true}).run();
}

} // namespace dn::ui
