#include "common/data/indexes.h"

#include "common/data/workspace.h"
#include "common/dbf/index_file.h"
#include "common/util/cp1252.h"
#include "platform/fileops.h"

#include <map>

namespace dn::data {

namespace {

struct PendingCondition {
    std::string text;
    CondBlock block;
};

// The condition of the next ORDBUILD, per work area.
std::map<int, PendingCondition>& pending() {
    static std::map<int, PendingCondition> p;
    return p;
}

std::string removeFieldArrows(std::string text) {
    static const std::string arrow = "FIELD -> ";
    for (size_t at = text.find(arrow); at != std::string::npos; at = text.find(arrow, at))
        text.erase(at, arrow.size());
    return text;
}

WorkArea& usedArea() {
    WorkArea& a = area();
    if (!a.used())
        throw dbf::TableError("no table open in work area " + std::to_string(a.number()));
    return a;
}

} // namespace

void ORDADD(const std::string& file) {
    usedArea().addOrder(dbf::indexFileName(file));
}

void ORDCONDSET(const std::string& condText, CondBlock cond) {
    pending()[SELECT()] = PendingCondition{condText, std::move(cond)};
}

void ORDBUILD(const std::string& file, const std::string& tag, const std::string& keyText,
              KeyBlock key, bool unique) {
    WorkArea& a = usedArea();
    PendingCondition cond{"!DELETED()", {}};
    if (auto it = pending().find(a.number()); it != pending().end()) {
        cond = std::move(it->second);
        pending().erase(it);
    }
    a.createOrder(dbf::indexFileName(file), tag, removeFieldArrows(keyText), key, unique, cond.text,
                  cond.block);
}

std::vector<std::string> ORDLIST() {
    return area().used() ? area().orderFiles() : std::vector<std::string>{};
}

std::vector<std::string> ORDLIST(const std::string& without) {
    const std::string skip = upper1252(platform::FULLNAME(dbf::indexFileName(without)));
    std::vector<std::string> out;
    for (const std::string& f : ORDLIST())
        if (upper1252(f) != skip)
            out.push_back(f);
    return out;
}

std::vector<std::string> ORDLIST(const std::vector<std::string>& files) {
    for (const std::string& f : files)
        ORDADD(f);
    return {};
}

uint64_t TOTREC(bool firstOrder) {
    WorkArea& a = usedArea();
    const dbf::IndexScope scope = a.scope();
    const int before = a.controlling();
    if (firstOrder && a.orderCount() >= 1)
        a.setControlling(1);
    a.carryScope(scope);
    const uint64_t n = a.keyCount();
    if (firstOrder)
        a.setControlling(before);
    return n;
}

int ORDSETFOCUS(int n) {
    WorkArea& a = usedArea();
    const int before = a.controlling();
    a.setControlling(n);
    return before;
}

int ORDSETFOCUS(const std::string& tag) {
    WorkArea& a = usedArea();
    const int n = a.orderNamed(tag);
    if (n == 0)
        throw dbf::TableError("no order " + tag + " in work area " + std::to_string(a.number()));
    return ORDSETFOCUS(n);
}

std::string ORDNAME(int n) {
    WorkArea& a = area();
    if (!a.used())
        return {};
    if (n == 0)
        n = a.controlling();
    return n >= 1 && n <= a.orderCount() ? a.order(n).tag() : std::string();
}

std::string ORDKEY(int n) {
    WorkArea& a = area();
    if (!a.used())
        return {};
    if (n == 0)
        n = a.controlling();
    return n >= 1 && n <= a.orderCount() ? a.order(n).keyText() : std::string();
}

void ORDSCOPE(int which, const std::optional<Value>& value) {
    usedArea().setScopeValue(which, value);
}

uint64_t ORDKEYCOUNT() {
    return usedArea().keyCount();
}

bool ISDUP(const std::string& text) {
    WorkArea& a = usedArea();
    if (a.orderCount() == 0)
        return false;
    const bool atEof = a.eof();
    const uint32_t recno = a.recno();
    const int before = a.controlling();
    const dbf::IndexScope firstScope = a.order(1).scope;
    bool found = false;
    std::exception_ptr failure;
    try {
        a.setControlling(1);
        a.setScope({});
        a.goTop();
        found = a.seek(Value(upper1252(text)));
    } catch (...) {
        failure = std::current_exception();
    }
    a.order(1).scope = firstScope;
    a.setControlling(before);
    a.goTo(atEof ? 0 : recno);
    if (failure)
        std::rethrow_exception(failure);
    return found;
}

} // namespace dn::data
