#include "common/ui/edcol.h"

#include "common/data/errors.h"
#include "common/data/records.h"
#include "common/data/workspace.h"
#include "common/disk/checks.h"
#include "common/util/trim.h"
#include "platform/drive.h"

#include <optional>
#include <string>

namespace dn::ui {

namespace {} // namespace

bool EDCOL(TWBrowse& browse, bool append, int column) {
    bool entered = false;
    bool appended = false;
    const std::string drive = platform::currentDrive();
    const bool ok = data::protect([&] {
        data::WorkArea& a = data::area();
        if (!a.used() || a.table().fields().empty())
            return;
        if (append) {
            if (disk::ISPROTECTED(drive) || disk::ISFULL(drive))
                return;
            data::DBAPP();
            data::DBCOMMIT();
            data::DBUNLOCK();
            appended = true;
            browse.Refresh();
        } else if (a.eof()) {
            return;
        }
        const dbf::Field& field = a.table().fields().front();
        const Value current = a.get(field.name);
        const std::string shown = current.isText() ? current.text() : std::string();
        std::optional<std::string> text;
        // The cell may not be left blank: an empty entry is asked again.
        do {
            text = browse.EditColumn(column, std::string(trimRight(shown)),
                                     static_cast<int>(field.width));
        } while (text && trimRight(*text).empty());
        if (!text) {
            if (appended && !disk::ISPROTECTED(drive))
                data::DBDEL();
            return;
        }
        entered = true;
        if (trimRight(*text) != trimRight(shown)) {
            data::DBLOCK(true);
            a.table().setDeleted(false);
            data::FIELDPUT(field.name, Value(*text));
            data::DBCOMMIT();
            data::DBUNLOCK();
        }
    });
    browse.Refresh();
    return ok && entered;
}

} // namespace dn::ui
