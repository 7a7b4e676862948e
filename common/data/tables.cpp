#include "common/data/tables.h"

#include "common/data/errors.h"
#include "common/data/library.h"
#include "common/data/wait.h"
#include "common/data/workspace.h"
#include "common/dbf/table.h"
#include "common/disk/checks.h"
#include "common/util/clock.h"
#include "common/util/cp1252.h"
#include "common/util/messages.h"
#include "platform/drive.h"
#include "platform/file.h"
#include "platform/fileops.h"
#include "platform/find.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>

namespace dn::data {

namespace {

struct Password {
    std::string password;
    std::vector<std::string> tables; // upper-case base names
};

Password& password() {
    static Password p;
    return p;
}

std::string baseName(const std::string& file) {
    const size_t slash = file.find_last_of("/\\");
    std::string name = file.substr(slash == std::string::npos ? 0 : slash + 1);
    const size_t dot = name.find('.');
    if (dot != std::string::npos)
        name.resize(dot);
    return upper1252(name);
}

std::string nameAt(const clock::Moment& m) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d%d", m.date.year(), m.date.month(), m.date.day(),
                  (m.msecs + 5) / 10);
    return std::string("\x7f") + buf;
}

// Runs open until it no longer fails for another instance's open (a sharing
// conflict). After the first refusal it shows, in place of the remembered wait
// text, what the other instances are doing: an exclusive open elsewhere
// (shared), or any open elsewhere (exclusive); window events run between tries.
void waitToOpen(bool shared, const std::optional<std::string>& remembered,
                const std::function<void()>& open) {
    auto attempt = [&] {
        try {
            open();
            return true;
        } catch (const platform::FileError& e) {
            if (e.kind() == platform::FileErrorKind::Sharing)
                return false;
            throw;
        }
    };
    if (attempt())
        return;
    WaitMessage wait(remembered,
                     shared ? "E' in corso un'operazione di sistema..."
                            : "Spegnere tutti i terminali...",
                     shared ? "Attendere" : "Attenzione");
    while (!attempt()) {
        messages().processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// Closes what is open in a, then deletes its view file.
void closeArea(WorkArea& a) {
    std::exception_ptr pending;
    try {
        a.close();
    } catch (...) {
        pending = std::current_exception();
    }
    platform::removeFile(viewFileName(a.number()));
    if (pending)
        std::rethrow_exception(pending);
}

} // namespace

std::string viewFileName(int area) {
    return access().temp + "\x7fVIEW" + std::to_string(area) + ".NTX";
}

void DBGEN(const std::string& file, const std::vector<dbf::FieldDef>& fields, const std::string&,
           uint64_t minFree) {
    if (disk::ISFULL(platform::driveOf(file), minFree))
        throw Abort();
    dbf::Table::create(file, fields);
}

void DBOPEN(bool newArea, const std::string&, const std::string& file, const std::string& alias,
            bool shared, bool readOnly) {
    const std::optional<std::string> remembered = messages().currentWait();
    if (newArea)
        DBSELECTAREA(0);
    WorkArea& a = area();
    const std::string name = alias.empty() ? baseName(file) : upper1252(alias);
    if (WorkArea* other = areaOf(name); other && other != &a)
        throw dbf::TableError("alias " + name + " is already in use in work area " +
                              std::to_string(other->number()));
    if (a.used())
        closeArea(a);
    waitToOpen(shared, remembered, [&] { a.open(file, name, shared, readOnly); });
    const Password& p = password();
    if (!p.password.empty()) {
        const std::string base = baseName(file);
        bool applies = p.tables.empty();
        for (const std::string& t : p.tables)
            applies = applies || t == base;
        if (applies)
            a.setPassword(p.password);
    }
}

platform::File holdExclusive(const std::string& path) {
    platform::File held;
    waitToOpen(false, messages().currentWait(),
               [&] { held = platform::File::open(path, false, platform::Share::Exclusive); });
    return held;
}

void DBCLOSE(const std::string& alias) {
    WorkArea* a = alias.empty() ? (area().used() ? &area() : nullptr) : areaOf(alias);
    if (!a)
        return;
    closeArea(*a);
}

void CLOSEALL() {
    std::exception_ptr pending;
    for (int n : usedAreas()) {
        try {
            area(n).close();
        } catch (...) {
            if (!pending)
                pending = std::current_exception();
        }
    }
    DBSELECTAREA(1);
    // Every view file of this instance: 0x7F + "VIEW*.NTX" in the instance folder.
    const std::string folder = access().temp.empty() ? std::string(".") : access().temp;
    platform::OWIN32FINDDATA d;
    const std::string pattern =
        folder +
        (folder.back() == '/' || folder.back() == '\\' ? std::string()
                                                       : std::string(1, platform::kPathSep)) +
        "\x7fVIEW*.NTX";
    const platform::FindHandle h = platform::FINDFIRSTFILE(pattern, d);
    if (h != platform::kInvalidFind) {
        const std::string dir =
            pattern.substr(0, pattern.size() - std::string("\x7fVIEW*.NTX").size());
        do {
            if (!(d.nFileAttr & platform::kAttrDirectory))
                platform::removeFile(dir + d.cFileName);
        } while (platform::FINDNEXTFILE(h, d));
        platform::FINDCLOSE(h);
    }
    if (pending)
        std::rethrow_exception(pending);
}

bool NETUSED(const std::string& file) {
    const std::string path = dbf::Table::tablePath(file);
    if (platform::GETFILEATTRIBUTES(path) < 0)
        return false;
    try {
        platform::File f = dbf::Table::openExclusive(path, false);
        return false;
    } catch (const platform::FileError&) {
        return true;
    }
}

std::string GETNEWALIAS() {
    char buf[16];
    std::snprintf(buf, sizeof buf, "ALIAS%03d", lowestFreeArea());
    return buf;
}

std::string GETNEWFNAME() {
    const std::string first = nameAt(clock::now());
    for (;;) {
        if (clock::isFixed())
            clock::advance(10);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (nameAt(clock::now()) != first)
            return first;
    }
}

void SETPASSWORD(const std::string& pw, const std::vector<std::string>& tables) {
    Password& p = password();
    p.password = pw;
    p.tables.clear();
    for (const std::string& t : tables)
        p.tables.push_back(baseName(t));
}

} // namespace dn::data
