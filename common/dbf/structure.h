#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dn::dbf {

enum class FieldType : char {
    Character = 'C', // fixed-width text, blank-padded
    Date = 'D',      // 8 bytes "YYYYMMDD", blanks when empty
    Numeric = 'N',   // right-aligned decimal text
    Logical = 'L',   // 1 byte: T/F (Y/N read as T/F, "?" or blank as false)
    Memo = 'M',      // 10 bytes: memo block number, right-aligned, blank when none
};

// A field as the caller asks for it when creating a table.
struct FieldDef {
    std::string name; // 1 to 10 characters A-Z, 0-9, "_", starting with a letter (any case)
    char type = 'C';  // 'C', 'D', 'N', 'L' or 'M'
    int width = 0;    // C: 1..254; N: 1..20; D, L and M: ignored (8, 1, 10)
    int decimals = 0; // N only: 0..width-2 when non-zero
};

// A field of an open table.
struct Field {
    std::string name; // upper case
    FieldType type = FieldType::Character;
    uint32_t offset = 0; // from the start of the record; byte 0 is the deletion flag
    uint32_t width = 0;
    uint32_t decimals = 0;
};

// The layout of a table file: version, field descriptors, header and record length.
// Immutable once built; all offsets were checked against each other.
class Structure {
public:
    // Validates the definitions (names, types, widths, no duplicates) and lays out
    // the record. Throws TableError.
    static Structure fromDefs(const std::vector<FieldDef>& defs);
    // Parses a header read from disk (the fixed 32 bytes plus the descriptors, as
    // many bytes as `header` holds). Throws CorruptFile naming `path` when the
    // header contradicts itself.
    static Structure parse(std::string_view header, const std::string& path);

    const std::vector<Field>& fields() const { return fields_; }
    // Index of the field with that name (case-insensitive), or -1.
    int find(std::string_view name) const;
    // The first field of `defs` that this structure lacks, or holds with another type,
    // width or decimals (a memo field of either width counts); empty when it holds
    // them all. Fields of its own besides them do not matter.
    std::string firstMissing(const std::vector<FieldDef>& defs) const;
    uint32_t headerLength() const { return headerLength_; }
    uint32_t recordLength() const { return recordLength_; }
    uint8_t version() const { return version_; }
    bool hasMemo() const { return hasMemo_; }

    // The header bytes of a table file with this layout (headerLength() bytes).
    std::string headerBytes(uint32_t recordCount, int year, int month, int day) const;
    // A blank record: deletion flag blank, every field blank.
    std::string blankRecord() const;

private:
    std::vector<Field> fields_;
    uint32_t headerLength_ = 0;
    uint32_t recordLength_ = 1;
    uint8_t version_ = 0x03;
    bool hasMemo_ = false;
};

} // namespace dn::dbf
