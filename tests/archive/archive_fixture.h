#pragma once

// Helpers of the archive tests: a data folder with the two tables and a
// configuration file, commands run through the shell, archives with any entry
// names, and a look at every file of a folder tree.

#include "../data/data_test_util.h"
#include "../data/worker/appended.h"
#include "common/archive/archive.h"
#include "common/dbf/table.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace archivetest {

using namespace datatest;

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// A command's exit status and output (standard error included).
struct Ran {
    int status = -1;
    std::string out;
};
inline Ran shell(const std::string& command) {
    Ran r;
    FILE* p = ::popen((command + " 2>&1").c_str(), "r");
    if (!p)
        return r;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0)
        r.out.append(buf.data(), n);
    const int status = ::pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

inline std::string shq(const std::string& s) {
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Names in a folder, sorted.
inline std::set<std::string> names(const std::string& folder) {
    std::set<std::string> out;
    for (const auto& e : fs::directory_iterator(folder))
        out.insert(e.path().filename().string());
    return out;
}

// Every file below folder (relative path -> bytes), folders as "path/".
inline std::map<std::string, std::string> tree(const std::string& folder) {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(folder)) {
        const std::string rel = fs::relative(e.path(), folder).string();
        out[e.is_directory() ? rel + "/" : rel] = e.is_directory() ? "" : readFile(e.path());
    }
    return out;
}

// Writes an archive with exactly these entry names and contents (make_zip.py).
inline void makeZip(const std::string& out,
                    const std::vector<std::pair<std::string, std::string>>& entries) {
    const std::string dir = out + ".parts";
    fs::create_directories(dir);
    std::string cmd = "/usr/bin/python3 " +
                      shq(std::string(DN_TESTS_DIR) + "/archive/make_zip.py") + " " + shq(out);
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::string part = dir + "/" + std::to_string(i);
        writeFile(part, entries[i].second);
        cmd += " " + shq(entries[i].first) + " " + shq(part);
    }
    const Ran r = shell(cmd);
    fs::remove_all(dir);
    ASSERT_EQ(r.status, 0) << r.out;
}

// Creates the deadline table name (".DBF" and ".DBT") with the first n records
// that data_worker appends, and every deleted-th of them marked deleted.
inline void fillDeadlines(const std::string& name, unsigned n, unsigned deleted = 0) {
    dn::dbf::Table::create(name, deadlineFields());
    dn::dbf::Table t;
    t.open(name, {false, false});
    for (unsigned i = 0; i < n; ++i) {
        t.append();
        const workerdata::Appended a = workerdata::appended(i);
        t.put("CODICE", dn::Value(a.codice));
        t.put("DATA", dn::Value(a.data));
        t.put("ORA", dn::Value(a.ora));
        t.put("INCOMBENZA", dn::Value(a.incombenza));
        t.put("EVASA", dn::Value(a.evasa));
        t.put("GENERAZIO", dn::Value(a.generazio));
        if (deleted && i % deleted == 0)
            t.setDeleted(true);
    }
    t.commit();
}

// The data folder of a small office: the two tables with a few records and the
// configuration file.
inline void fillDataFolder(const std::string& folder) {
    const std::string d = folder + "/";
    fillDeadlines(d + "SCADENZE", 40);
    dn::dbf::Table::create(d + "RUBRICA", contactFields());
    dn::dbf::Table t;
    t.open(d + "RUBRICA", {false, false});
    for (int i = 0; i < 12; ++i) {
        t.append();
        t.put("NOMINATIVO", dn::Value("Rossi Mario " + std::to_string(i)));
        t.put("NOTE", dn::Value("Nota " + std::string(static_cast<size_t>(i * 20), 'n')));
    }
    t.commit();
    t.close();
    writeFile(d + "DELTRA.CFG", "[Vars]\r\nCFG_NM01=CAnna\r\n");
}

} // namespace archivetest
