// UNZIP: puts the files of an archive back, all of them or none.

#include "common/archive/archive.h"
#include "common/archive/entry_names.h"
#include "common/archive/paths.h"
#include "common/archive/zip_stream.h"
#include "common/data/tables.h"
#include "common/dbf/table.h"
#include "common/dbf/table_check.h"
#include "common/disk/checks.h"
#include "common/util/cp1252.h"
#include "common/util/messages.h"
#include "platform/drive.h"
#include "platform/fileops.h"
#include "platform/find.h"

#include <map>
#include <minizip/unzip.h>

namespace dn::archive {

namespace {

constexpr size_t kChunk = 1 << 20;
// General-purpose flag of an encrypted entry.
constexpr uLong kEncrypted = 1;
// Space left free on the disk beyond the extracted files.
constexpr uint64_t kSpareBytes = 8192;

// One entry to extract.
struct Planned {
    StagedFile file;
    unz64_file_pos pos{};
    std::string staged;  // the temporary file beside file.target
    platform::File held; // the temporary file, held so that no start-up sweep takes it
    bool table = false;
    bool memo = false;
};

class ArchiveReader {
public:
    ArchiveReader() = default;
    ArchiveReader(const ArchiveReader&) = delete;
    ArchiveReader& operator=(const ArchiveReader&) = delete;
    ~ArchiveReader() {
        if (unz_)
            unzClose(unz_);
    }

    bool open(const std::string& path) {
        try {
            stream_.file = platform::File::open(path, false);
        } catch (const platform::FileError&) {
            return false;
        }
        zlib_filefunc64_def io = zipStreamFunctions();
        unz_ = unzOpen2_64(&stream_, &io);
        return unz_ != nullptr;
    }

    // Calls fn(stored name, info, position) for every entry; false when the
    // directory cannot be read or fn returns false.
    template <class F>
    bool forEach(F&& fn) {
        int rc = unzGoToFirstFile(unz_);
        while (rc == UNZ_OK) {
            unz_file_info64 info{};
            if (unzGetCurrentFileInfo64(unz_, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
                return false;
            std::string name(info.size_filename + 1, '\0');
            if (unzGetCurrentFileInfo64(unz_, &info, name.data(), static_cast<uLong>(name.size()),
                                        nullptr, 0, nullptr, 0) != UNZ_OK)
                return false;
            name.resize(info.size_filename); // a NUL inside the name stays in it
            unz64_file_pos pos{};
            if (unzGetFilePos64(unz_, &pos) != UNZ_OK || !fn(name, info, pos))
                return false;
            rc = unzGoToNextFile(unz_);
        }
        return rc == UNZ_END_OF_LIST_OF_FILE && !stream_.failed;
    }

    // Extracts the entry at pos into out; false unless every byte came out and the
    // checksum matched.
    bool extract(const unz64_file_pos& pos, uint64_t size, platform::File& out) {
        if (unzGoToFilePos64(unz_, &pos) != UNZ_OK || unzOpenCurrentFile(unz_) != UNZ_OK)
            return false;
        std::string buf(kChunk, '\0');
        uint64_t at = 0;
        bool ok = true;
        try {
            for (;;) {
                const int n =
                    unzReadCurrentFile(unz_, buf.data(), static_cast<unsigned>(buf.size()));
                if (n < 0)
                    ok = false;
                if (n <= 0)
                    break;
                out.writeAt(at, buf.data(), static_cast<size_t>(n));
                at += static_cast<uint64_t>(n);
            }
            out.flush();
        } catch (const platform::FileError&) {
            ok = false;
        }
        // Closing reports a checksum that does not match what was read.
        const int closed = unzCloseCurrentFile(unz_);
        return ok && closed == UNZ_OK && at == size && !stream_.failed;
    }

private:
    ZipStream stream_;
    unzFile unz_ = nullptr;
};

std::string join(const std::string& folder, const std::string& name) {
    if (folder.empty())
        return name;
    const char last = folder.back();
    return last == '/' || last == '\\' ? folder + name : folder + platform::kPathSep + name;
}

// The name a file of the archive takes in folder: table and memo files the store's
// upper-case name; another file the name of a file there that differs only in
// letter case, or else the name as stored.
std::string liveName(const std::string& folder, const std::string& name) {
    if (hasExtension(name, "DBF") || hasExtension(name, "DBT"))
        return upper1252(name);
    platform::OWIN32FINDDATA d;
    const platform::FindHandle h = platform::FINDFIRSTFILE(join(folder, name), d);
    if (h == platform::kInvalidFind)
        return name;
    platform::FINDCLOSE(h);
    return d.nFileAttr & platform::kAttrDirectory ? name : d.cFileName;
}

bool exists(const std::string& path) {
    return platform::GETFILEATTRIBUTES(path) >= 0;
}

// Opens a staged file again (or for the first time) the way it is held.
void hold(Planned& p) {
    p.held = platform::File::open(p.staged, false, platform::Share::Exclusive);
}

// Reads every staged table through the store and keeps its structure. The
// table's memo file must be staged beside it, and every staged memo file needs
// its table.
bool checkTables(std::vector<Planned>& plan) {
    std::map<std::string, Planned*> byStaged;
    for (Planned& p : plan)
        byStaged[p.staged] = &p;
    for (Planned& p : plan) {
        if (p.memo && !byStaged.contains(withExtension(p.staged, ".DBF")))
            return false;
        if (!p.table)
            continue;
        Planned* memo = nullptr;
        if (auto m = byStaged.find(withExtension(p.staged, ".DBT")); m != byStaged.end())
            memo = m->second;
        p.held.close();
        if (memo)
            memo->held.close();
        try {
            dbf::Table t;
            t.open(p.staged, dbf::OpenOptions{false, true});
            dbf::checkTable(t);
            p.file.structure = t.structure();
            t.close();
            hold(p);
            if (memo)
                hold(*memo);
        } catch (const std::exception&) {
            return false;
        }
    }
    return true;
}

// Replaces the live files by the staged ones: tables first, each held
// exclusively from before its files are replaced until everything is in place,
// with its old index file deleted; then the other files.
void install(std::vector<Planned>& plan) {
    std::vector<platform::File> holds(plan.size());
    for (size_t i = 0; i < plan.size(); ++i)
        if (plan[i].table && exists(plan[i].file.target))
            holds[i] = data::holdExclusive(plan[i].file.target);
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t i = 0; i < plan.size(); ++i) {
            Planned& p = plan[i];
            if ((p.table || p.memo) != (pass == 0))
                continue;
            platform::replaceFile(p.held, holds[i], p.file.target);
            if (p.table)
                platform::removeFile(withExtension(p.file.target, ".NTX"));
        }
    }
}

} // namespace

bool UNZIP(const std::string& archive, const UnzipOptions& o) {
    const std::string target = o.targetFolder.empty() ? std::string(".") : o.targetFolder;
    if (!disk::ISREADY(platform::currentDrive(), o.showMessages) ||
        !disk::ISREADY(platform::driveOf(archive), o.showMessages))
        return false;
    auto fail = [&](const char* text) {
        if (o.showMessages)
            messages().ask(1, text + archive, "Attenzione");
        return false;
    };
    if (!exists(archive))
        return fail(kMsgNotFound);
    ArchiveReader reader;
    if (!reader.open(archive))
        return fail(kMsgExtractFailed);

    // What goes where: later entries of the same name replace earlier ones.
    std::vector<std::string> folders; // to create, in order (with folders only)
    std::map<std::string, Planned> byTarget;
    std::vector<std::string> order;
    const bool listed = reader.forEach(
        [&](const std::string& stored, const unz_file_info64& info, const unz64_file_pos& pos) {
            const EntryTarget t = entryTarget(stored, o.withFolders);
            if (t.kind == EntryTarget::Refused || (info.flag & kEncrypted))
                return false;
            if (t.kind == EntryTarget::Folder) {
                if (info.uncompressed_size != 0)
                    return false;
                if (!t.path.empty())
                    folders.push_back(t.path);
                return true;
            }
            const std::string_view name = lastPart(t.path);
            if (!o.onlyEntry.empty() && upper1252(name) != upper1252(o.onlyEntry))
                return true;
            const std::string sub = folderPart(t.path);
            if (!sub.empty())
                folders.push_back(sub.substr(0, sub.size() - 1));
            const std::string folder = join(target, sub);
            const std::string live = join(folder, liveName(folder, std::string(name)));
            const std::string key = upper1252(live);
            if (!byTarget.contains(key))
                order.push_back(key);
            Planned& p = byTarget[key];
            p = Planned{};
            p.file.entry = stored;
            p.file.target = live;
            p.file.size = info.uncompressed_size;
            p.pos = pos;
            p.table = hasExtension(name, "DBF");
            p.memo = hasExtension(name, "DBT");
            return true;
        });
    if (!listed)
        return fail(kMsgExtractFailed);

    uint64_t total = kSpareBytes;
    for (const auto& [key, p] : byTarget)
        total += p.file.size;
    if (platform::DISKFREESPACE(target) < total)
        return fail(kMsgExtractFailed);

    // Folders made here are removed again when the extraction fails.
    struct MadeFolders {
        std::vector<std::string> made;
        bool keep = false;
        ~MadeFolders() {
            if (!keep)
                for (auto it = made.rbegin(); it != made.rend(); ++it)
                    platform::removeDir(*it);
        }
    } madeFolders;
    for (const std::string& f : folders) {
        std::string path = target;
        for (size_t start = 0; start <= f.size();) {
            size_t end = f.find('/', start);
            if (end == std::string::npos)
                end = f.size();
            path = join(path, f.substr(start, end - start));
            if (!exists(path)) {
                if (!platform::CREATEDIR(path))
                    return fail(kMsgExtractFailed);
                madeFolders.made.push_back(path);
            }
            start = end + 1;
        }
    }

    ScratchFiles scratch; // declared before the plan, whose held files close first
    std::vector<Planned> plan;
    plan.reserve(order.size());
    const std::string prefix = data::GETNEWFNAME();
    for (const std::string& key : order) {
        Planned& p = plan.emplace_back(std::move(byTarget[key]));
        p.staged = folderPart(p.file.target) + prefix + upper1252(lastPart(p.file.target));
        scratch.add(p.staged);
        try {
            p.held = platform::File::create(p.staged, platform::Share::Exclusive);
        } catch (const platform::FileError&) {
            return fail(kMsgExtractFailed);
        }
        if (!reader.extract(p.pos, p.file.size, p.held))
            return fail(kMsgExtractFailed);
    }
    if (!checkTables(plan))
        return fail(kMsgExtractFailed);
    if (o.check) {
        std::vector<StagedFile> files;
        for (const Planned& p : plan)
            files.push_back(p.file);
        if (!o.check(files))
            return fail(kMsgExtractFailed);
    }
    try {
        install(plan);
    } catch (const platform::FileError&) {
        return fail(kMsgExtractFailed);
    }
    madeFolders.keep = true;
    return true;
}

} // namespace dn::archive
