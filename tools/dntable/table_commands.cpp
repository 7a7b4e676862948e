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

// Appends a CSV field (RFC 4180) in UTF-8: quoted when it holds a comma, a quote
// or a line break (all ASCII, so the Windows-1252 bytes tell).
void appendCsvField(std::string& out, std::string_view cp1252) {
    bool plain = true; // ASCII that needs no quotes goes out as it is
    bool quoted = false;
    for (const char c : cp1252) {
        if (c == ',' || c == '"' || c == '\r' || c == '\n') {
            plain = false;
            quoted = true;
            break;
        }
        if (static_cast<unsigned char>(c) >= 0x80)
            plain = false;
    }
    if (plain) {
        out.append(cp1252);
        return;
    }
    if (!quoted) {
        dn::appendCp1252AsUtf8(out, cp1252);
        return;
    }
    out += '"';
    size_t from = 0;
    for (size_t q; (q = cp1252.find('"', from)) != std::string_view::npos; from = q + 1) {
        dn::appendCp1252AsUtf8(out, cp1252.substr(from, q + 1 - from));
        out += '"';
    }
    dn::appendCp1252AsUtf8(out, cp1252.substr(from));
    out += '"';
}

// The text of field i of a record as the CSV shows it (Windows-1252); scratch holds
// it when it is not a piece of the record.
std::string_view csvText(const Table& t, int i, std::string_view rec, std::string& scratch) {
    const Field& f = t.fields()[static_cast<size_t>(i)];
    if (f.type == FieldType::Character)
        return dn::trimRight(rec.substr(f.offset, f.width));
    const dn::Value v = t.valueOf(rec, i);
    switch (f.type) {
    case FieldType::Date:
        scratch = v.date().isEmpty() ? std::string() : v.date().toText();
        break;
    case FieldType::Numeric: {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.*f", static_cast<int>(f.decimals), v.number());
        scratch = buf;
        break;
    }
    case FieldType::Logical:
        scratch = v.logical() ? "T" : "F";
        break;
    case FieldType::Memo:
    case FieldType::Character:
        scratch = v.text();
        break;
    }
    return scratch;
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
    // Lines gather in a large buffer that goes out in one write when full.
    constexpr size_t kFlushAt = 1 << 20;
    std::string buf;
    buf.reserve(kFlushAt + 64 * 1024);
    const int fields = static_cast<int>(t.fields().size());
    for (int i = 0; i < fields; ++i) {
        if (i)
            buf += ',';
        appendCsvField(buf, t.fields()[static_cast<size_t>(i)].name);
    }
    if (withDeleted)
        buf += ",DELETED";
    buf += "\r\n";
    std::string scratch;
    t.scan(1, UINT32_MAX, [&](uint32_t, std::string_view rec) {
        const bool deleted = rec[0] == '*';
        if (deleted && !withDeleted)
            return;
        for (int i = 0; i < fields; ++i) {
            if (i)
                buf += ',';
            appendCsvField(buf, csvText(t, i, rec, scratch));
        }
        if (withDeleted)
            buf += deleted ? ",*" : ",";
        buf += "\r\n";
        if (buf.size() >= kFlushAt) {
            out.write(buf.data(), static_cast<std::streamsize>(buf.size()));
            buf.clear();
        }
    });
    out.write(buf.data(), static_cast<std::streamsize>(buf.size()));
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
