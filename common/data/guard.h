#pragma once

// The guard of a procedure that opens tables: it remembers the selected work area,
// and on every way out of the procedure (return, Abort, any exception) closes the
// tables opened through it and selects the remembered area again.
//
//     bool SAVE_CONTACT(...) {
//         AreaGuard guard;
//         return protect([&] {
//             guard.open("RUBRICA");   // lowest free area, shared, waits if need be
//             ORDADD("RUBRICA");
//             DBAPP();
//             FIELDPUT("NOMINATIVO", name);
//             DBCOMMIT();
//             DBUNLOCK();
//         });
//     }

#include <string>
#include <vector>

namespace dn::data {

class AreaGuard {
public:
    AreaGuard();
    // Closes what was opened through the guard, then selects the remembered area. A
    // failure while closing goes to the error handler (its message is shown) and is
    // not thrown further.
    ~AreaGuard();
    AreaGuard(const AreaGuard&) = delete;
    AreaGuard& operator=(const AreaGuard&) = delete;

    // Selects the lowest free work area and opens file there (DBOPEN) under alias
    // (default: the file's base name); the guard closes it.
    void open(const std::string& file, const std::string& alias = {}, bool shared = true,
              bool readOnly = false);
    // Has the guard close alias too (a table opened some other way).
    void closeLater(const std::string& alias);
    // Closes now what the guard would close, and selects the remembered area; the
    // guard then has nothing left to do. Failures are thrown.
    void release();

    int remembered() const { return remembered_; }

private:
    int remembered_;
    std::vector<std::string> aliases_;
};

} // namespace dn::data
