#include "common/data/workspace.h"

#include "common/util/cp1252.h"

#include <map>
#include <memory>

namespace dn::data {

namespace {

struct Workspace {
    std::map<int, std::unique_ptr<WorkArea>> areas;
    int selected = 1;
};

Workspace& ws() {
    static Workspace w;
    return w;
}

} // namespace

WorkArea& area(int n) {
    if (n < 1 || n > kMaxArea)
        throw dbf::TableError("work area " + std::to_string(n) + " does not exist");
    auto& slot = ws().areas[n];
    if (!slot)
        slot = std::make_unique<WorkArea>(n);
    return *slot;
}

WorkArea& area() {
    return area(ws().selected);
}

WorkArea* areaOf(std::string_view alias) {
    const std::string wanted = upper1252(alias);
    if (wanted.empty())
        return nullptr;
    for (auto& [n, a] : ws().areas)
        if (a->used() && a->alias() == wanted)
            return a.get();
    return nullptr;
}

int lowestFreeArea() {
    int n = 1;
    for (auto& [k, a] : ws().areas) {
        if (k != n)
            break;
        if (!a->used())
            return n;
        ++n;
    }
    return n;
}

std::vector<int> usedAreas() {
    std::vector<int> out;
    for (auto& [n, a] : ws().areas)
        if (a->used())
            out.push_back(n);
    return out;
}

int SELECT() {
    return ws().selected;
}

int DBSELECTAREA(int n) {
    if (n == 0)
        n = lowestFreeArea();
    area(n);
    ws().selected = n;
    return n;
}

bool DBSELECTAREA(std::string_view alias) {
    WorkArea* a = areaOf(alias);
    if (!a)
        return false;
    ws().selected = a->number();
    return true;
}

std::string ALIAS() {
    return area().used() ? area().alias() : std::string();
}
bool USED() {
    return area().used();
}

void DBGOTOP() {
    area().goTop();
}
void DBGOBOTTOM() {
    area().goBottom();
}
long DBSKIP(long n) {
    return area().skip(n);
}
void DBGOTO(uint32_t recno) {
    area().goTo(recno);
}
bool DBSEEK(const Value& value, bool soft) {
    return area().seek(value, soft);
}
bool DBEOF() {
    return area().eof();
}
bool DBBOF() {
    return area().bof();
}
bool DBFOUND() {
    return area().found();
}
uint32_t DBRECNO() {
    return area().recno();
}
uint32_t DBLASTREC() {
    return area().used() ? area().lastRec() : 0;
}
bool DBDELETED() {
    return area().used() && area().deleted();
}

Value FIELDGET(std::string_view field) {
    return area().get(field);
}
void FIELDPUT(std::string_view field, const Value& value) {
    area().put(field, value);
}

void DBCOMMIT() {
    if (area().used())
        area().table().commit();
}

void DBUNLOCK() {
    if (area().used())
        area().table().unlockAll();
}

} // namespace dn::data
