#include "common/dbf/structure.h"

#include "common/dbf/bytes.h"
#include "common/dbf/error.h"
#include "common/util/trim.h"

#include <cctype>

namespace dn::dbf {

namespace {

constexpr uint32_t kFixedHeader = 32;
constexpr uint32_t kDescriptor = 32;
constexpr char kTerminator = 0x0D;
constexpr uint8_t kVersionPlain = 0x03;   // dBase table without memo fields
constexpr uint8_t kVersionFptMemo = 0xF5; // table whose memos are in the FoxPro block layout
constexpr uint8_t kCodePage1252 = 0x03;   // code-page mark of Windows-1252

std::string upperAscii(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return r;
}

bool validName(const std::string& n) {
    if (n.empty() || n.size() > 10 || !std::isalpha(static_cast<unsigned char>(n[0])))
        return false;
    for (char c : n)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_')
            return false;
    return true;
}

} // namespace

Structure Structure::fromDefs(const std::vector<FieldDef>& defs) {
    if (defs.empty())
        throw TableError("a table needs at least one field");
    if (defs.size() > 255)
        throw TableError("a table has at most 255 fields");
    Structure s;
    uint32_t offset = 1;
    for (const FieldDef& d : defs) {
        Field f;
        f.name = upperAscii(d.name);
        if (!validName(f.name))
            throw TableError("invalid field name \"" + d.name + "\"");
        if (s.find(f.name) >= 0)
            throw TableError("duplicate field name " + f.name);
        switch (std::toupper(static_cast<unsigned char>(d.type))) {
        case 'C':
            if (d.width < 1 || d.width > 254)
                throw TableError("field " + f.name + ": text width must be 1 to 254");
            f.type = FieldType::Character;
            f.width = static_cast<uint32_t>(d.width);
            break;
        case 'N':
            if (d.width < 1 || d.width > 20 || d.decimals < 0 ||
                (d.decimals > 0 && d.decimals > d.width - 2))
                throw TableError("field " + f.name + ": invalid numeric width or decimals");
            f.type = FieldType::Numeric;
            f.width = static_cast<uint32_t>(d.width);
            f.decimals = static_cast<uint32_t>(d.decimals);
            break;
        case 'D':
            f.type = FieldType::Date;
            f.width = 8;
            break;
        case 'L':
            f.type = FieldType::Logical;
            f.width = 1;
            break;
        case 'M':
            f.type = FieldType::Memo;
            f.width = 10;
            s.hasMemo_ = true;
            break;
        default:
            throw TableError("field " + f.name + ": unknown type");
        }
        f.offset = offset;
        offset += f.width;
        s.fields_.push_back(std::move(f));
    }
    if (offset > 65535)
        throw TableError("record longer than 65535 bytes");
    s.recordLength_ = offset;
    s.headerLength_ = kFixedHeader + kDescriptor * static_cast<uint32_t>(s.fields_.size()) + 1;
    s.version_ = s.hasMemo_ ? kVersionFptMemo : kVersionPlain;
    return s;
}

Structure Structure::parse(std::string_view header, const std::string& path) {
    if (header.size() < kFixedHeader)
        throw CorruptFile(path, "header shorter than 32 bytes");
    Structure s;
    s.version_ = static_cast<uint8_t>(header[0]);
    s.headerLength_ = bytes::le16(header.data() + 8);
    s.recordLength_ = bytes::le16(header.data() + 10);
    if (s.headerLength_ < kFixedHeader + kDescriptor + 1)
        throw CorruptFile(path, "header length too small for one field");
    if (header.size() < s.headerLength_)
        throw CorruptFile(path, "header shorter than its stated length");
    if (s.recordLength_ < 2)
        throw CorruptFile(path, "record length too small");
    uint32_t pos = kFixedHeader;
    uint32_t offset = 1;
    while (pos < s.headerLength_ && header[pos] != kTerminator) {
        if (pos + kDescriptor > s.headerLength_)
            throw CorruptFile(path, "field descriptor overflows the header");
        const char* d = header.data() + pos;
        Field f;
        uint32_t n = 0;
        while (n < 11 && d[n] != '\0')
            ++n;
        // Trailing blanks in a name are a writer's padding, not part of it.
        f.name = upperAscii(trimRight(std::string_view(d, n)));
        if (f.name.empty())
            throw CorruptFile(path, "field without a name");
        f.width = static_cast<unsigned char>(d[16]);
        f.decimals = static_cast<unsigned char>(d[17]);
        if (f.width == 0)
            throw CorruptFile(path, "field " + f.name + " of width 0");
        switch (d[11]) {
        case 'C':
            f.type = FieldType::Character;
            break;
        case 'N':
        case 'F': // FoxPro floats are stored as the same decimal text
            f.type = FieldType::Numeric;
            if (f.width > 32 || f.decimals >= f.width)
                throw CorruptFile(path, "field " + f.name + ": invalid numeric width");
            break;
        case 'D':
            f.type = FieldType::Date;
            if (f.width != 8)
                throw CorruptFile(path, "field " + f.name + ": date width is not 8");
            break;
        case 'L':
            f.type = FieldType::Logical;
            if (f.width != 1)
                throw CorruptFile(path, "field " + f.name + ": logical width is not 1");
            break;
        case 'M':
            f.type = FieldType::Memo;
            if (f.width != 10 && f.width != 4)
                throw CorruptFile(path, "field " + f.name + ": memo width is not 10 or 4");
            s.hasMemo_ = true;
            break;
        default:
            throw CorruptFile(path, "field " + f.name + ": unsupported type");
        }
        if (f.type != FieldType::Numeric)
            f.decimals = 0;
        f.offset = offset;
        offset += f.width;
        if (offset > s.recordLength_)
            throw CorruptFile(path, "fields longer than the record length");
        s.fields_.push_back(std::move(f));
        pos += kDescriptor;
    }
    if (s.fields_.empty())
        throw CorruptFile(path, "no field descriptors");
    // A header length that ends before the terminator cuts the field list short:
    // every record would be read shifted.
    if (pos >= s.headerLength_)
        throw CorruptFile(path, "header ends before the end of the field descriptors");
    return s;
}

std::string Structure::firstMissing(const std::vector<FieldDef>& defs) const {
    const Structure wanted = fromDefs(defs);
    for (const Field& w : wanted.fields()) {
        const int at = find(w.name);
        if (at < 0)
            return w.name;
        const Field& f = fields_[static_cast<size_t>(at)];
        if (f.type != w.type ||
            (f.type != FieldType::Memo && (f.width != w.width || f.decimals != w.decimals)))
            return w.name;
    }
    return {};
}

int Structure::find(std::string_view name) const {
    // Callers mostly name fields as they are stored.
    for (size_t i = 0; i < fields_.size(); ++i)
        if (fields_[i].name == name)
            return static_cast<int>(i);
    for (size_t i = 0; i < fields_.size(); ++i) {
        const std::string& f = fields_[i].name;
        if (f.size() != name.size())
            continue;
        // Names are ASCII letters, digits and "_", kept in upper case.
        bool same = true;
        for (size_t k = 0; k < f.size() && same; ++k) {
            const char c = name[k];
            same = f[k] == (c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
        }
        if (same)
            return static_cast<int>(i);
    }
    return -1;
}

std::string Structure::headerBytes(uint32_t recordCount, int year, int month, int day) const {
    std::string h(headerLength_, '\0');
    h[0] = static_cast<char>(version_);
    h[1] = static_cast<char>(year - 1900);
    h[2] = static_cast<char>(month);
    h[3] = static_cast<char>(day);
    bytes::putLe32(h.data() + 4, recordCount);
    bytes::putLe16(h.data() + 8, headerLength_);
    bytes::putLe16(h.data() + 10, recordLength_);
    h[29] = static_cast<char>(kCodePage1252);
    uint32_t pos = kFixedHeader;
    for (const Field& f : fields_) {
        char* d = h.data() + pos;
        f.name.copy(d, 10);
        d[11] = static_cast<char>(f.type);
        bytes::putLe32(d + 12, f.offset);
        d[16] = static_cast<char>(f.width);
        d[17] = static_cast<char>(f.decimals);
        pos += kDescriptor;
    }
    h[pos] = kTerminator;
    return h;
}

std::string Structure::blankRecord() const {
    std::string r(recordLength_, ' ');
    // A binary memo pointer (width 4) is blank when it is zero.
    for (const Field& f : fields_)
        if (f.type == FieldType::Memo && f.width == 4)
            r.replace(f.offset, 4, 4, '\0');
    return r;
}

} // namespace dn::dbf
