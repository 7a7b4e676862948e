// ZIP: the backup of a list of files into a new archive.

#include "common/archive/archive.h"
#include "common/archive/entry_names.h"
#include "common/archive/paths.h"
#include "common/archive/zip_stream.h"
#include "common/data/errors.h"
#include "common/data/guard.h"
#include "common/data/library.h"
#include "common/data/records.h"
#include "common/data/tables.h"
#include "common/data/workspace.h"
#include "common/dbf/table.h"
#include "common/disk/checks.h"
#include "common/util/cp1252.h"
#include "common/util/messages.h"
#include "platform/drive.h"
#include "platform/fileops.h"

#include <chrono>
#include <ctime>
#include <filesystem>
#include <map>
#include <minizip/zip.h>

namespace dn::archive {

namespace {

constexpr size_t kChunk = 1 << 20;

// Copies a whole file into a new one; throws platform::FileError.
void copyFile(const std::string& from, const std::string& to) {
    platform::File in = platform::File::open(from, false);
    platform::File out = platform::File::create(to, platform::Share::Exclusive);
    std::string buf(kChunk, '\0');
    uint64_t at = 0;
    for (;;) {
        const size_t n = in.readAt(at, buf.data(), buf.size());
        if (n == 0)
            break;
        out.writeAt(at, buf.data(), n);
        at += n;
    }
}

// Copies of a table and its memo file as they were at one moment.
struct TableCopy {
    std::string table;
    std::string memo; // empty when the table has no memo file
};

// Opens the table shared in a free work area, takes its file lock (waiting as
// record locks do) and copies both files into folder under names beginning with
// prefix; the lock is released when the copies are complete. Throws what the data
// layer throws; the copies made are listed in scratch either way.
TableCopy copyTable(const std::string& table, const std::string& folder, const std::string& prefix,
                    ScratchFiles& scratch) {
    data::AreaGuard guard;
    guard.open(table, data::GETNEWALIAS(), true, true);
    data::DBLOCK(false);
    const dbf::Table& t = data::area().table();
    TableCopy c;
    c.table = folder + prefix + ".DBF";
    scratch.add(c.table);
    copyFile(t.path(), c.table);
    if (!t.memoPath().empty()) {
        c.memo = folder + prefix + ".DBT";
        scratch.add(c.memo);
        copyFile(t.memoPath(), c.memo);
    }
    return c;
}

// The last-write time of a file as a ZIP entry keeps it (local time).
zip_fileinfo entryInfo(const std::string& path) {
    zip_fileinfo zi{};
    std::error_code ec;
    const auto written = std::filesystem::last_write_time(path, ec);
    if (ec)
        return zi;
    const std::time_t t = std::chrono::system_clock::to_time_t(
        std::chrono::time_point_cast<std::chrono::system_clock::duration>(
            std::chrono::file_clock::to_sys(written)));
    if (const std::tm* lt = std::localtime(&t); lt && lt->tm_year >= 80) {
        zi.tmz_date.tm_sec = static_cast<uInt>(lt->tm_sec);
        zi.tmz_date.tm_min = static_cast<uInt>(lt->tm_min);
        zi.tmz_date.tm_hour = static_cast<uInt>(lt->tm_hour);
        zi.tmz_date.tm_mday = static_cast<uInt>(lt->tm_mday);
        zi.tmz_date.tm_mon = static_cast<uInt>(lt->tm_mon);
        zi.tmz_date.tm_year = static_cast<uInt>(lt->tm_year + 1900);
    }
    return zi;
}

// A new archive being written under a temporary name.
class ArchiveWriter {
public:
    ArchiveWriter() = default;
    ArchiveWriter(const ArchiveWriter&) = delete;
    ArchiveWriter& operator=(const ArchiveWriter&) = delete;
    ~ArchiveWriter() {
        if (zip_)
            zipClose(zip_, nullptr);
    }

    bool create(const std::string& path) {
        try {
            stream_.file = platform::File::create(path, platform::Share::Exclusive);
        } catch (const platform::FileError&) {
            return false;
        }
        zlib_filefunc64_def io = zipStreamFunctions();
        zip_ = zipOpen2_64(&stream_, APPEND_STATUS_CREATE, nullptr, &io);
        return zip_ != nullptr;
    }

    // Adds the bytes of source under name, with the time of the file timeFrom.
    bool add(const std::string& name, const std::string& source, const std::string& timeFrom) {
        try {
            platform::File in = platform::File::open(source, false);
            const uint64_t size = in.size();
            const zip_fileinfo zi = entryInfo(timeFrom);
            if (zipOpenNewFileInZip4_64(zip_, name.c_str(), &zi, nullptr, 0, nullptr, 0, nullptr,
                                        Z_DEFLATED, Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS,
                                        DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, 0, 0,
                                        size >= 0xFFFFFFFFu) != ZIP_OK)
                return false;
            std::string buf(kChunk, '\0');
            uint64_t at = 0;
            while (const size_t n = in.readAt(at, buf.data(), buf.size())) {
                if (zipWriteInFileInZip(zip_, buf.data(), static_cast<unsigned>(n)) != ZIP_OK)
                    return false;
                at += n;
            }
            return zipCloseFileInZip(zip_) == ZIP_OK && !stream_.failed;
        } catch (const platform::FileError&) {
            return false;
        }
    }

    // Completes the archive and puts it in the place of `to`.
    bool install(const std::string& to) {
        const int closed = zipClose(zip_, nullptr);
        zip_ = nullptr;
        if (closed != ZIP_OK || stream_.failed)
            return false;
        try {
            stream_.file.flush();
            platform::File none;
            platform::replaceFile(stream_.file, none, to);
            stream_.file.close();
            return true;
        } catch (const platform::FileError&) {
            return false;
        }
    }

private:
    ZipStream stream_;
    zipFile zip_ = nullptr;
};

// The key of a path for finding the table a memo file belongs to.
std::string pathKey(const std::string& path) {
    return upper1252(platform::FULLNAME(path));
}

// True when the store would open this very file as a table (on systems where
// letter case matters, a table's name is upper case).
bool isStoreTable(const std::string& path) {
    return hasExtension(path, "DBF") &&
           std::string(lastPart(dbf::Table::tablePath(path))) == std::string(lastPart(path));
}

std::string scratchFolder() {
    std::string dir = data::access().temp;
    if (dir.empty())
        dir = data::tempFolder();
    if (dir.back() != '/' && dir.back() != '\\')
        dir += platform::kPathSep;
    return dir;
}

} // namespace

bool ZIP(const std::string& archive, const std::vector<std::string>& files, const ZipOptions& o) {
    auto say = [&](const std::string& text) {
        if (o.showMessages)
            messages().ask(1, text, "Attenzione");
    };
    if (!disk::ISREADY(platform::currentDrive(), o.showMessages) ||
        !disk::ISREADY(platform::driveOf(archive), o.showMessages))
        return false;
    for (const std::string& f : files) {
        const int64_t attr = platform::GETFILEATTRIBUTES(f);
        if (attr < 0 || (attr & platform::kAttrDirectory)) {
            say(kMsgNotFound + f);
            return false;
        }
    }

    // The tables of the list, by path, and the memo files that go with them.
    std::map<std::string, std::string> tableOf;
    for (const std::string& f : files)
        if (isStoreTable(f)) {
            tableOf[pathKey(f)] = f;
            tableOf[pathKey(dbf::Table::memoPathOf(dbf::Table::tablePath(f)))] = f;
        }

    ScratchFiles scratch;
    const std::string temp = folderPart(archive) + data::GETNEWFNAME() + ".ZIP";
    scratch.add(temp);
    ArchiveWriter writer;
    if (!writer.create(temp)) {
        say(kMsgCreateFailed + archive);
        return false;
    }
    const std::string folder = scratchFolder();
    std::map<std::string, std::string> copies; // path key -> copy
    for (const std::string& f : files) {
        const std::string key = pathKey(f);
        std::string source = f;
        if (const auto t = tableOf.find(key); t != tableOf.end()) {
            if (!copies.contains(key)) {
                TableCopy c;
                if (!data::protect(
                        [&] { c = copyTable(t->second, folder, data::GETNEWFNAME(), scratch); }))
                    return false; // the error handler has said why
                copies[pathKey(t->second)] = c.table;
                if (!c.memo.empty())
                    copies[pathKey(dbf::Table::memoPathOf(dbf::Table::tablePath(t->second)))] =
                        c.memo;
            }
            if (const auto c = copies.find(key); c != copies.end())
                source = c->second;
        }
        if (!writer.add(entryNameOf(f, o.withFolders), source, f)) {
            say(kMsgCreateFailed + archive);
            return false;
        }
    }
    if (!writer.install(archive)) {
        say(kMsgCreateFailed + archive);
        return false;
    }
    return true;
}

} // namespace dn::archive
