#include "common/disk/folders.h"

#include "common/data/errors.h"
#include "common/util/messages.h"
#include "platform/fileops.h"
#include "platform/find.h"

namespace dn::disk {

using namespace platform;

namespace {

bool fail(const std::string& text) {
    data::showNotice(text);
    return false;
}

bool isDots(const std::string& name) {
    return name == "." || name == "..";
}

// Closes a listing on every way out.
class Listing {
public:
    Listing(const std::string& folder, OWIN32FINDDATA& data)
        : handle_(FINDFIRSTFILE(folder + kPathSep + "*.*", data)), data_(data) {}
    Listing(const Listing&) = delete;
    Listing& operator=(const Listing&) = delete;
    ~Listing() {
        if (handle_ != kInvalidFind)
            FINDCLOSE(handle_);
    }
    // Walks the entries other than "." and "..", first the one already in data.
    bool next() {
        if (handle_ == kInvalidFind)
            return false;
        for (;;) {
            if (started_ && !FINDNEXTFILE(handle_, data_))
                return false;
            started_ = true;
            if (!isDots(data_.cFileName))
                return true;
        }
    }

private:
    FindHandle handle_;
    OWIN32FINDDATA& data_;
    bool started_ = false;
};

} // namespace

bool COPYDIR(const std::string& source, const std::string& target, bool create) {
    if (create && !CREATEDIR(target))
        return fail("Impossibile creare la cartella " + target + ".");
    if (!SETFILEDATETIME(source, target))
        return fail("Impossibile impostare data e ora della cartella " + target + ".");
    OWIN32FINDDATA d;
    Listing list(source, d);
    while (list.next()) {
        const std::string from = source + kPathSep + d.cFileName;
        const std::string to = target + kPathSep + d.cFileName;
        if (d.nFileAttr & kAttrDirectory) {
            if (!COPYDIR(from, to))
                return false;
        } else if (!COPYFILE(from, to)) {
            return fail("Impossibile copiare il file " + from + ".");
        }
    }
    // Writing the entries changed the folder's time: give it the source's again.
    if (!SETFILEDATETIME(source, target))
        return fail("Impossibile impostare data e ora della cartella " + target + ".");
    return true;
}

bool DELETEDIR(const std::string& folder, bool removeItself) {
#ifndef _WIN32
    // A read-only folder keeps its entries on POSIX; on Windows it does not, and
    // the folder is emptied the same way here.
    const int64_t attr = GETFILEATTRIBUTES(folder);
    if (attr >= 0 && (attr & kAttrReadOnly) && !(attr & kAttrReparsePoint))
        CLEARREADONLY(folder);
#endif
    {
        OWIN32FINDDATA d;
        Listing list(folder, d);
        while (list.next()) {
            const std::string path = folder + kPathSep + d.cFileName;
            const bool link = d.nFileAttr & kAttrReparsePoint;
            if ((d.nFileAttr & kAttrDirectory) && !link) {
                if (!DELETEDIR(path, true))
                    return false;
                continue;
            }
            if (!link) { // the attributes of a link would be those of what it leads to
                CLEARREADONLY(path);
                CLEARHIDDEN(path);
            }
            if (!removeFile(path))
                return fail("Impossibile cancellare il file " + path + ".");
            messages().processEvents();
        }
    }
    if (removeItself) {
        CLEARREADONLY(folder);
        CLEARHIDDEN(folder);
        if (!removeDir(folder))
            return fail("Impossibile cancellare la cartella " + folder + ".");
    }
    return true;
}

} // namespace dn::disk
