#include "app/backup.h"

#include "app/maintenance.h"
#include "app/settings.h"
#include "app/tables.h"
#include "common/archive/entry_names.h"
#include "common/data/errors.h"
#include "common/schema/tables.h"
#include "common/ui/popmsg.h"
#include "common/util/clock.h"
#include "common/util/cp1252.h"
#include "platform/fileops.h"
#include "platform/find.h"
#include "platform/shell.h"
#include "toolkit/filedialog.h"

#include <algorithm>

namespace dn::app {

namespace {

constexpr const char* kZipFilter = "File ZIP (*.zip)|*.zip";
// The library's user table and the key of its index file.
constexpr const char* kUsers = "USERS";
constexpr const char* kUsersKey = "FIELD -> userid";

std::string programName() {
    std::string name(archive::lastPart(platform::programPath()));
    if (const size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0)
        name.resize(dot);
    return name;
}

// Same field names, types and widths, in the same order.
bool sameLayout(const dbf::Structure& s, const std::vector<dbf::FieldDef>& defs) {
    const dbf::Structure want = dbf::Structure::fromDefs(defs);
    const auto& a = s.fields();
    const auto& b = want.fields();
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const dbf::Field& x, const dbf::Field& y) {
                          return x.name == y.name && x.type == y.type && x.width == y.width &&
                                 x.decimals == y.decimals;
                      });
}

} // namespace

std::string defaultArchiveName(const Date& day) {
    std::string date = day.toText();
    std::erase(date, '/');
    return "Salvataggio archivi " + programName() + " del " + date + ".zip";
}

std::string withZipExtension(const std::string& chosen) {
    return archive::lastPart(chosen).find('.') == std::string_view::npos ? chosen + ".zip" : chosen;
}

std::vector<std::string> dataFiles() {
    std::vector<std::string> out;
    platform::OWIN32FINDDATA d;
    const platform::FindHandle h =
        platform::FINDFIRSTFILE(std::string(".") + platform::kPathSep + "*.DB?", d);
    if (h == platform::kInvalidFind)
        return out;
    do {
        if (!(d.nFileAttr & platform::kAttrDirectory))
            out.push_back(d.cFileName);
    } while (platform::FINDNEXTFILE(h, d));
    platform::FINDCLOSE(h);
    return out;
}

bool SALVA(const std::vector<std::string>& extraFiles) {
    std::vector<std::string> files = dataFiles();
    files.insert(files.end(), extraFiles.begin(), extraFiles.end());
    tk::FileRequest req;
    req.save = true;
    req.title = "Salvataggio dati";
    req.filter = kZipFilter;
    req.name = defaultArchiveName(clock::today());
    const std::optional<std::string> chosen = tk::askFile(req);
    if (!chosen || chosen->empty())
        return false;
    const std::string name = withZipExtension(*chosen);
    ui::POPMSG("Compressione in corso...");
    const bool written = archive::ZIP(name, files);
    ui::POPMSG();
    if (!written)
        return false;
    ui::POPMSG("Salvataggio completato.", 1);
    return true;
}

bool isArchiveOfThisProgram(const std::vector<archive::StagedFile>& files) {
    bool ours = false;
    for (const archive::StagedFile& f : files) {
        if (!f.structure)
            continue;
        const std::string name = upper1252(archive::lastPart(f.target));
        for (const auto& [table, fields] :
             {std::pair{schema::kDeadlines, &schema::deadlineFields()},
              std::pair{schema::kContacts, &schema::contactFields()}}) {
            if (name != std::string(table) + ".DBF")
                continue;
            if (!sameLayout(*f.structure, *fields))
                return false;
            ours = true;
        }
    }
    return ours;
}

bool RICARICA() {
    if (ui::POPMSG("Spegnere tutti i terminali.;;Continuo l'operazione?", 2) != 1)
        return false;
    tk::FileRequest req;
    req.title = "Ripristina dati da";
    req.filter = kZipFilter;
    const std::optional<std::string> chosen = tk::askFile(req);
    if (!chosen || chosen->empty())
        return false;
    const std::string name = withZipExtension(*chosen);
    ui::POPMSG("Decompressione in corso...");
    archive::UnzipOptions options;
    options.check = isArchiveOfThisProgram;
    const bool extracted = archive::UNZIP(name, options);
    ui::POPMSG();
    if (!extracted)
        return false;
    MANUTENZIONE(false, true);
    if (platform::GETFILEATTRIBUTES(std::string(kUsers) + ".DBF") >= 0 &&
        !rebuildIndex(kUsers, kUsersKey, {}, false)) {
        platform::removeFile(std::string(kUsers) + ".NTX");
        data::endProgram();
        return false;
    }
    loadOrWriteConfig();
    ui::POPMSG("Ripristino completato.", 1);
    return true;
}

} // namespace dn::app
