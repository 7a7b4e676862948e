#include "common/data/views.h"

#include "common/data/errors.h"
#include "common/data/indexes.h"
#include "common/data/tables.h"
#include "common/data/workspace.h"
#include "common/util/messages.h"
#include "platform/fileops.h"

#include <array>

namespace dn::data {

namespace {

constexpr int kViewAreas = 249;

// For each area 1 to 249, the order that was controlling before its first view
// (0: record-number order); nothing until a view has been laid there.
std::array<std::optional<int>, kViewAreas + 1>& savedOrders() {
    static std::array<std::optional<int>, kViewAreas + 1> s;
    return s;
}

std::string viewTag(int n) {
    return "\x7fVIEW" + std::to_string(n);
}

struct KeySearchState {
    std::string buffer;
    uint32_t lastRecno = 0;
};

KeySearchState& keySearch() {
    static KeySearchState s;
    return s;
}

// Closes the area's orders, deletes its view file, opens the other index files
// again in their order and makes controlling the order named remembered, or, with
// useSaved, the order saved before the area's first view (when one was saved);
// then sets the scope bounds that were set and goes to the first record.
void reopenWithoutView(WorkArea& a, const std::string& file, const std::vector<std::string>& others,
                       const std::string& remembered, bool useSaved, const dbf::IndexScope& scope) {
    const int n = a.number();
    a.closeOrders();
    platform::removeFile(file);
    a.clearView();
    for (const std::string& f : others)
        a.addOrder(f);
    int target = remembered.empty() ? 0 : a.orderNamed(remembered);
    if (useSaved && n >= 1 && n <= kViewAreas && savedOrders()[static_cast<size_t>(n)]) {
        target = *savedOrders()[static_cast<size_t>(n)];
        if (target > a.orderCount())
            target = 0;
    }
    a.setControlling(target);
    a.carryScope(scope);
    a.goTop();
}

} // namespace

CondBlock conditionOf(const std::string& text) {
    WorkArea& a = area();
    const auto e = dbf::Expression::compile(text, a.table());
    WorkArea* owner = &a;
    return [owner, e]() { return e.holds(owner->recordBytes(), owner->recordNumber()); };
}

void DBSETVIEW(CondBlock cond, const std::string& condText, const ViewOptions& options) {
    WorkArea& a = area();
    const int n = a.number();
    if (n < 1 || n > kViewAreas)
        throw RaisedError("DBCMD", 1, "views are possible only in work areas 1 to 249",
                          "DBSETVIEW");
    if (!a.used())
        throw dbf::TableError("DBSETVIEW: no table open in work area " + std::to_string(n));
    const std::string file = viewFileName(n);
    const std::vector<std::string> others = ORDLIST(file);
    const dbf::IndexScope scope = a.scope();
    std::string keyText = options.keyText;
    if (keyText.empty())
        keyText = a.controlling() ? a.order(a.controlling()).keyText() : "RECNO()";
    const bool quiet = options.quiet.value_or(messages().currentWait().has_value());
    if (!quiet)
        messages().showWait("Elaborazione in corso...", "Attendere", false);
    struct CloseWait {
        bool active;
        ~CloseWait() {
            if (active)
                messages().closeWait();
        }
    } closeWait{!quiet};

    const std::string current = a.controlling() ? a.order(a.controlling()).tag() : std::string();
    const bool fromView = current.rfind(viewTag(n).substr(0, 5), 0) == 0;
    if (!options.keepSavedOrder && !fromView)
        savedOrders()[static_cast<size_t>(n)] = a.controlling();
    try {
        if (!options.useCurrentOrder)
            a.closeOrders();
        a.clearView();
        a.createOrder(file, "", keyText, {}, options.unique, "!DELETED()", cond,
                      options.useCurrentOrder);
        a.closeOrders();
        for (const std::string& f : others)
            a.addOrder(f);
        const int view = a.addOrder(file, cond);
        a.setView(file, cond, condText);
        a.setControlling(view);
        a.carryScope(scope);
        a.goTop();
    } catch (...) {
        // A failed build leaves the area as it was without a view, not with its
        // orders closed: in its order and scope, at the first record. The failure
        // goes on to the handler.
        try {
            reopenWithoutView(a, file, others, current, fromView, scope);
        } catch (...) {
        }
        throw;
    }
}

void DBCLEARVIEW(bool keepCurrent) {
    WorkArea& a = area();
    if (!a.used())
        return;
    const int n = a.number();
    const std::string remembered = a.controlling() ? a.order(a.controlling()).tag() : std::string();
    const dbf::IndexScope scope = a.scope();
    const std::string file = viewFileName(n);
    // The files to open again are listed once: a pass that failed after closing
    // the orders must not leave the next pass with nothing to reopen.
    std::optional<std::vector<std::string>> others;
    for (int failures = 0;;) {
        const bool done = protect([&] {
            if (!others)
                others = ORDLIST(file);
            reopenWithoutView(a, file, *others, remembered, !keepCurrent, scope);
        });
        if (done)
            return;
        // The handler has shown the failure; the clearing starts again, but not for
        // ever when the failure stays.
        if (++failures >= 3)
            throw Abort();
    }
}

void KEYSEARCH(SearchList* list, int key, const std::string& prefix) {
    KeySearchState& s = keySearch();
    if (!list) {
        s.buffer.clear();
        return;
    }
    WorkArea& a = area();
    if (!a.used() || a.controlling() == 0)
        return; // only a list in key order is searched
    if (a.recno() != s.lastRecno)
        s.buffer.clear();
    if (key != 8 && (key < 32 || key > 126))
        return;
    const uint32_t before = a.recno();
    if (key == 8) {
        if (!s.buffer.empty())
            s.buffer.pop_back();
    } else {
        const char c = static_cast<char>(key);
        s.buffer.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
    }
    if (!a.seek(Value(prefix + s.buffer))) {
        if (!s.buffer.empty())
            s.buffer.pop_back();
        a.goTo(before);
    }
    if (deletedHidden() && !a.eof() && a.deleted())
        a.skip(1);
    if (a.recno() != before)
        list->showCurrent();
    s.lastRecno = a.recno();
}

const std::string& keySearchBuffer() {
    return keySearch().buffer;
}

void resetViewState() {
    savedOrders().fill(std::nullopt);
    keySearch() = KeySearchState{};
}

} // namespace dn::data
