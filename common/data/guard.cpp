#include "common/data/guard.h"

#include "common/data/errors.h"
#include "common/data/tables.h"
#include "common/data/workspace.h"
#include "common/util/cp1252.h"

#include <exception>

namespace dn::data {

AreaGuard::AreaGuard() : remembered_(SELECT()) {}

AreaGuard::~AreaGuard() {
    try {
        release();
    } catch (...) {
        recover(std::current_exception(), std::source_location::current());
        aliases_.clear();
        DBSELECTAREA(remembered_);
    }
}

void AreaGuard::open(const std::string& file, const std::string& alias, bool shared,
                     bool readOnly) {
    DBSELECTAREA(0);
    DBOPEN(false, {}, file, alias, shared, readOnly);
    aliases_.push_back(ALIAS());
}

void AreaGuard::closeLater(const std::string& alias) {
    aliases_.push_back(upper1252(alias));
}

void AreaGuard::release() {
    std::exception_ptr pending;
    // Newest first, as a procedure would close them.
    while (!aliases_.empty()) {
        const std::string alias = aliases_.back();
        aliases_.pop_back();
        try {
            DBCLOSE(alias);
        } catch (...) {
            if (!pending)
                pending = std::current_exception();
        }
    }
    DBSELECTAREA(remembered_);
    if (pending)
        std::rethrow_exception(pending);
}

} // namespace dn::data
