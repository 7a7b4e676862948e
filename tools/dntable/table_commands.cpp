// The table commands of dntable: info, csv, pack.
#include "command.h"

#include "common/dbf/bytes.h"
#include "common/dbf/table.h"
#include "common/util/cp1252.h"
#include "common/util/trim.h"

#include <cstdio>
#include <ostream>

namespace {

using dn::dbf::Field;
using dn::dbf::FieldType;
using dn::dbf::Table;

const char* typeName(FieldType t) {
    switch (t) {
    case FieldType::Character:
        return "C";
    case FieldType::Date:
        return "D";
    case FieldType::Numeric:
        return "N";
    case FieldType::Logical:
        return "L";
    case FieldType::Memo:
        return "M";
    }
    return "?";
}

int info(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) {
        err << "usage: dntable info <table>\n";
        return 2;
    }
    Table t;
    t.open(args[0], {true, true});
    uint32_t live = 0, deleted = 0;
    t.scan(1, UINT32_MAX,
           [&](uint32_t, std::string_view rec) { ++(rec[0] == '*' ? deleted : live); });
    const dn::dbf::Structure& s = t.structure();
    char version[8];
    std::snprintf(version, sizeof version, "0x%02X", s.version());
    out << "table:         " << dn::cp1252ToUtf8(t.path()) << "\n"
        << "version:       " << version << "\n"
        << "last update:   " << t.lastUpdate().toText() << "\n"
        << "records:       " << t.recordCount() << " (" << live << " live, " << deleted
        << " deleted)\n"
        << "header length: " << s.headerLength() << "\n"
        << "record length: " << s.recordLength() << "\n";
    if (!t.memoPath().empty()) {
        dn::dbf::MemoFile m;
        m.open(t.memoPath(), false);
        char h[4];
        m.file().readAt(0, h, 4);
        out << "memo file:     " << dn::cp1252ToUtf8(t.memoPath()) << " (block size "
            << m.blockSize() << ", next free block " << dn::dbf::bytes::be32(h) << ", "
            << m.file().size() << " bytes)\n";
    }
    out << "fields:\n";
    int n = 0;
    for (const Field& f : t.fields()) {
        char line[96];
        std::snprintf(line, sizeof line, "  %3d  %-10s  %s  %3u  %2u  offset %u\n", ++n,
                      f.name.c_str(), typeName(f.type), f.width, f.decimals, f.offset);
        out << line;
    }
    return 0;
}

// A CSV field (RFC 4180): quoted when it holds a comma, a quote or a line break.
std::string csvField(const std::string& utf8) {
    if (utf8.find_first_of(",\"\r\n") == std::string::npos)
        return utf8;
    std::string q = "\"";
    for (char c : utf8) {
        if (c == '"')
            q += '"';
        q += c;
    }
    return q + "\"";
}

std::string csvText(const Field& f, const dn::Value& v) {
    switch (f.type) {
    case FieldType::Character: {
        return std::string(dn::trimRight(v.text()));
    }
    case FieldType::Date:
        return v.date().isEmpty() ? std::string() : v.date().toText();
    case FieldType::Numeric: {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.*f", static_cast<int>(f.decimals), v.number());
        return buf;
    }
    case FieldType::Logical:
        return v.logical() ? "T" : "F";
    case FieldType::Memo:
        return v.text();
    }
    return {};
}

int csv(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    bool withDeleted = false;
    std::vector<std::string> paths;
    for (const std::string& a : args)
        (a == "--deleted" ? (void)(withDeleted = true) : paths.push_back(a));
    if (paths.size() != 1) {
        err << "usage: dntable csv <table> [--deleted]\n";
        return 2;
    }
    const std::string& path = paths[0];
    Table t;
    t.open(path, {true, true});
    std::string line;
    for (size_t i = 0; i < t.fields().size(); ++i)
        line += (i ? "," : "") + csvField(t.fields()[i].name);
    if (withDeleted)
        line += ",DELETED";
    out << line << "\r\n";
    t.scan(1, UINT32_MAX, [&](uint32_t, std::string_view rec) {
        const bool deleted = rec[0] == '*';
        if (deleted && !withDeleted)
            return;
        line.clear();
        for (size_t i = 0; i < t.fields().size(); ++i) {
            const dn::Value v = t.valueOf(rec, static_cast<int>(i));
            line += (i ? "," : "") + csvField(dn::cp1252ToUtf8(csvText(t.fields()[i], v)));
        }
        if (withDeleted)
            line += deleted ? ",*" : ",";
        out << line << "\r\n";
    });
    return 0;
}

int pack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) {
        err << "usage: dntable pack <table>\n";
        return 2;
    }
    Table t;
    t.open(args[0], {false, false});
    const uint32_t before = t.recordCount();
    t.pack();
    out << dn::cp1252ToUtf8(t.path()) << ": " << before << " records, " << t.recordCount()
        << " after pack\n";
    return 0;
}

const dntable::Registration
    infoCommand({"info", "<table>", "structure, record counts and memo file of a table", info});
const dntable::Registration csvCommand(
    {"csv", "<table> [--deleted]",
     "records as CSV in UTF-8, memos included (--deleted adds deleted records and a DELETED "
     "column)",
     csv});
const dntable::Registration packCommand(
    {"pack", "<table>",
     "removes deleted records and unused memo blocks (needs the table free of other users)", pack});

} // namespace
