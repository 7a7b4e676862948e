#include "common/dbf/table.h"

#include "common/dbf/bytes.h"
#include "common/util/clock.h"
#include "common/util/cp1252.h"
#include "platform/lock_layout.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>

namespace dn::dbf {

namespace {

using platform::kFileLockLength;
using platform::kFileLockOffset;
using platform::kRecordLockBase;
// The highest record number whose lock byte still lies inside the lock scheme.
constexpr uint32_t kMaxRecords = platform::kMaxLockableRecord;
constexpr char kEof = 0x1A;

// A forward walk reads ahead in blocks that start small (a single step costs no
// more than before) and double up to the size of a bulk scan's reads.
constexpr uint32_t kFirstAheadBytes = 4096;
constexpr uint32_t kMaxAheadBytes = 256 * 1024;
// How long a block read ahead may serve the walk: older records are read again.
constexpr int64_t kAheadAgeNs = 100'000'000;

// Records worth reading (or writing back) together with their neighbours when they
// lie no further apart than this: copying the gap costs less than another call.
constexpr uint32_t kGapBytes = 16 * 1024;

// Cuts ascending record numbers into stretches that one read or write covers: each
// at most kMaxAheadBytes long, with no gap wider than kGapBytes. Calls
// fn(begin, end) with index ranges into recnos.
template <class Fn>
void forEachStretch(const std::vector<uint32_t>& recnos, uint32_t len, Fn fn) {
    const uint64_t maxRecords = std::max<uint32_t>(1, kMaxAheadBytes / len);
    const uint64_t maxGap = std::max<uint32_t>(1, kGapBytes / len);
    for (size_t i = 0; i < recnos.size();) {
        size_t j = i + 1;
        while (j < recnos.size() && recnos[j] - recnos[i] < maxRecords &&
               recnos[j] - recnos[j - 1] <= maxGap)
            ++j;
        fn(i, j);
        i = j;
    }
}

// A record whose deletion flag is neither blank nor '*' is damage (a torn or
// shifted write, another program's stray byte): read as live it would show, and
// the purge would delete, what no reader of the format sees as a record.
std::string_view checkedRecord(const std::string& path, uint32_t recno, std::string_view rec) {
    if (rec[0] != ' ' && rec[0] != '*')
        throw CorruptFile(path, "record " + std::to_string(recno) +
                                    ": deletion flag neither blank nor '*'");
    return rec;
}

// Records past the record count: a count that is too small hides them, and the
// next append would write over them. One uncounted record is an append in
// progress (or one cut short by a crash: the record is written before the count),
// so it is allowed; two or more records, or a deleted one, are damage. What
// follows the records otherwise (the end mark, padding) is no record.
void requireNoHiddenRecords(const platform::File& f, const Structure& s, uint32_t count) {
    const uint32_t len = s.recordLength();
    const uint64_t end = s.headerLength() + static_cast<uint64_t>(count) * len;
    char flags[2] = {0, 0};
    const size_t got = f.readAt(end, flags, 1);
    const bool second = got == 1 && f.readAt(end + len, flags + 1, 1) == 1;
    auto isRecord = [](char c) { return c == ' ' || c == '*'; };
    if (got == 1 && isRecord(flags[0]) &&
        (flags[0] == '*' || (second && isRecord(flags[1]) && f.size() >= end + 2 * len)))
        throw CorruptFile(f.path(), "records past the record count");
}

// A monotonic clock for the age of a block, read at every step of a walk: the
// coarse clock is enough for that bound and costs a fraction of the precise one.
int64_t steadyNs() {
#ifdef CLOCK_MONOTONIC_COARSE
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
    return int64_t{ts.tv_sec} * 1'000'000'000 + ts.tv_nsec;
#else
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
#endif
}

size_t nameStart(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? 0 : slash + 1;
}

} // namespace

// ---------------------------------------------------------------- names

std::string Table::tablePath(const std::string& path) {
    const size_t start = nameStart(path);
    std::string name = upper1252(std::string_view(path).substr(start));
    if (name.find('.') == std::string::npos)
        name += ".DBF";
    // A name ending in "." asks for no extension: "NET." is the file "NET", as
    // Windows drops the trailing dot.
    else if (name.size() > 1 && name.back() == '.' && name != "..")
        name.pop_back();
    return path.substr(0, start) + name;
}

std::string Table::memoPathOf(const std::string& tablePath) {
    const size_t start = nameStart(tablePath);
    const size_t dot = tablePath.find('.', start);
    return tablePath.substr(0, dot == std::string::npos ? tablePath.size() : dot) + ".DBT";
}

// ---------------------------------------------------------------- create, open, close

std::string Table::create(const std::string& path, const std::vector<FieldDef>& fields) {
    const Structure s = Structure::fromDefs(fields);
    const std::string p = tablePath(path);
    // An existing table is replaced only when no other program uses it in any way;
    // held so, its memo file is free too.
    std::error_code ec;
    platform::File f;
    if (std::filesystem::exists(p, ec))
        f = openExclusive(p, true);
    // The memo file before the new table: a table without its memo file could not
    // be opened, and the table file's existence is what callers test.
    if (s.hasMemo())
        MemoFile::create(memoPathOf(p));
    if (!f.isOpen())
        f = platform::File::create(p, platform::Share::Exclusive);
    try {
        f.truncate(0);
        const Date today = clock::today();
        std::string bytes = s.headerBytes(0, today.year(), today.month(), today.day());
        bytes.push_back(kEof);
        f.writeAt(0, bytes.data(), bytes.size());
        f.flush();
    } catch (...) {
        f.close();
        std::error_code ec;
        std::filesystem::remove(p, ec);
        throw;
    }
    return p;
}

Table::~Table() {
    try {
        close();
    } catch (...) {
    }
}

platform::File Table::openExclusive(const std::string& tablePath, bool writable) {
    platform::File f = platform::File::open(tablePath, writable, platform::Share::Exclusive);
    // Other programs may lock records or the file without taking the sharing byte;
    // their next write would go to a file that pack or a rebuild has replaced.
    if (!f.tryLock(kFileLockOffset, kFileLockLength, platform::LockKind::Exclusive))
        throw platform::sharingConflict(tablePath);
    return f;
}

void Table::open(const std::string& path, OpenOptions options) {
    close();
    const std::string p = tablePath(path);
    platform::File f = options.shared
                           ? platform::File::open(p, !options.readOnly, platform::Share::Shared)
                           : openExclusive(p, !options.readOnly);
    char fixed[32];
    if (f.readAt(0, fixed, sizeof fixed) < sizeof fixed)
        throw CorruptFile(p, "header shorter than 32 bytes");
    const uint32_t headerLength = bytes::le16(fixed + 8);
    const uint64_t size = f.size();
    if (headerLength > size)
        throw CorruptFile(p, "header length past the end of the file");
    std::string header(headerLength, '\0');
    if (f.readAt(0, header.data(), header.size()) < header.size())
        throw CorruptFile(p, "header shorter than its stated length");
    Structure s = Structure::parse(header, p);
    uint32_t count = bytes::le32(fixed + 4);
    if (s.headerLength() + static_cast<uint64_t>(count) * s.recordLength() > size)
        throw CorruptFile(p, "record count past the end of the file");
    // Other processes may have appended since the count was read: a count that has
    // grown meanwhile is checked again.
    for (int tries = 0;; ++tries) {
        try {
            requireNoHiddenRecords(f, s, count);
            break;
        } catch (const CorruptFile&) {
            char now[4];
            if (tries == 3 || f.readAt(4, now, 4) < 4 || bytes::le32(now) <= count)
                throw;
            count = bytes::le32(now);
        }
    }
    MemoFile memo;
    std::string memoPath;
    if (s.hasMemo()) {
        memoPath = memoPathOf(p);
        try {
            memo.open(memoPath, !options.readOnly);
        } catch (const CorruptFile& e) {
            // Tables marked as dBase III or IV tables with memos keep them in another
            // layout (fixed 512-byte blocks, texts ended by 0x1A): not damage, but
            // not a layout the store reads or writes.
            const auto version = static_cast<unsigned char>(fixed[0]);
            if (version == 0x83 || version == 0x8B)
                throw CorruptFile(memoPath, "dBase memo layout (" + e.detail() + ")",
                                  CorruptFile::Reason::Unsupported);
            throw;
        }
    }
    file_ = std::move(f);
    memo_ = std::move(memo);
    path_ = p;
    memoPath_ = memoPath;
    options_ = options;
    structure_ = std::move(s);
    knownCount_ = count;
    recno_ = 0;
    buffer_ = structure_.blankRecord();
    dirty_ = false;
    fileLocked_ = false;
    rangeHeld_ = !options.shared;
    lockedRecords_.clear();
}

void Table::close() {
    if (!file_.isOpen())
        return;
    std::exception_ptr pending;
    try {
        write();
    } catch (...) {
        pending = std::current_exception();
    }
    // Closing the file releases every byte-range lock of this open.
    dropAhead();
    file_.close();
    memo_.close();
    fileLocked_ = false;
    rangeHeld_ = false;
    lockedRecords_.clear();
    recno_ = 0;
    dirty_ = false;
    knownCount_ = 0;
    if (pending)
        std::rethrow_exception(pending);
}

// ---------------------------------------------------------------- header

uint32_t Table::readCount() {
    requireOpen();
    char c[4];
    if (file_.readAt(4, c, 4) < 4)
        throw CorruptFile(path_, "header shorter than 32 bytes");
    const uint32_t count = bytes::le32(c);
    if (structure_.headerLength() + static_cast<uint64_t>(count) * structure_.recordLength() >
        file_.size())
        throw CorruptFile(path_, "record count past the end of the file");
    return count;
}

uint32_t Table::recordCount() {
    knownCount_ = readCount();
    return knownCount_;
}

bool Table::exists(uint32_t recno) {
    requireOpen();
    if (recno == 0)
        return false;
    // Counts only grow while a table is shared (and only this object changes the
    // count of an exclusive one), so a count seen once still bounds the valid numbers.
    if (recno > knownCount_)
        knownCount_ = readCount();
    return recno <= knownCount_;
}

Date Table::lastUpdate() {
    requireOpen();
    char d[3];
    if (file_.readAt(1, d, 3) < 3)
        throw CorruptFile(path_, "header shorter than 32 bytes");
    // Years since 1900; some writers store the year modulo 100, so small values are
    // read in the 1980-2079 window.
    const int yy = static_cast<unsigned char>(d[0]);
    return Date::fromYmd(yy < 80 ? 2000 + yy : 1900 + yy, static_cast<unsigned char>(d[1]),
                         static_cast<unsigned char>(d[2]));
}

void Table::writeHeaderDate() {
    const Date today = clock::today();
    const char d[3] = {static_cast<char>(today.year() - 1900), static_cast<char>(today.month()),
                       static_cast<char>(today.day())};
    file_.writeAt(1, d, 3);
}

void Table::writeCount(uint32_t oldCount, uint32_t newCount) {
    // Changed bytes one by one, most significant first: a write that stops half-way
    // leaves a count that is either the old one or past the end of the file (which
    // every reader reports), never a smaller one that would hide records.
    char o[4], n[4];
    bytes::putLe32(o, oldCount);
    bytes::putLe32(n, newCount);
    for (int i = 3; i >= 0; --i)
        if (o[i] != n[i])
            file_.writeAt(4 + static_cast<uint64_t>(i), n + i, 1);
}

// ---------------------------------------------------------------- checks

void Table::requireOpen() const {
    if (!file_.isOpen())
        throw TableError("no table is open");
}

void Table::requireWritable() const {
    requireOpen();
    if (options_.readOnly)
        throw TableError("table " + path_ + " is open read-only");
}

void Table::requireWriteLock(uint32_t recno) const {
    if (options_.shared && !fileLocked_ && !lockedRecords_.count(recno))
        throw TableError("record " + std::to_string(recno) + " of " + path_ + " is not locked");
}

void Table::requireCurrent() const {
    if (recno_ == 0)
        throw TableError("no current record in " + path_);
}

void Table::refreshIfClean() {
    if (!dirty_ && recno_ != 0)
        buffer_ = readRecord(recno_);
}

int Table::checkedIndex(std::string_view name) const {
    const int i = structure_.find(name);
    if (i < 0)
        throw TableError("no field " + std::string(name) + " in " + path_);
    return i;
}

// ---------------------------------------------------------------- records

std::string Table::readRecord(uint32_t recno) {
    const uint32_t len = structure_.recordLength();
    std::string rec(len, '\0');
    const uint64_t at = structure_.headerLength() + static_cast<uint64_t>(recno - 1) * len;
    if (file_.readAt(at, rec.data(), len) < len)
        throw CorruptFile(path_, "record " + std::to_string(recno) + " past the end of the file");
    checkedRecord(path_, recno, rec);
    return rec;
}

void Table::goTo(uint32_t recno) {
    requireOpen();
    write();
    if (!exists(recno))
        throw TableError("record " + std::to_string(recno) + " out of range in " + path_);
    const bool step = recno == recno_ + 1;
    if (!fromAhead(recno)) {
        if (step) {
            readAhead(recno);
            fromAhead(recno);
        } else {
            dropAhead();
            buffer_ = readRecord(recno);
        }
    }
    recno_ = recno;
}

bool Table::fromAhead(uint32_t recno) {
    if (ahead_.first == 0 || recno < ahead_.first || recno - ahead_.first >= ahead_.count)
        return false;
    if (steadyNs() - ahead_.readAt > kAheadAgeNs)
        return false;
    const uint32_t len = structure_.recordLength();
    buffer_.assign(ahead_.bytes, static_cast<size_t>(recno - ahead_.first) * len, len);
    checkedRecord(path_, recno, buffer_);
    return true;
}

void Table::readAhead(uint32_t recno) {
    const uint32_t len = structure_.recordLength();
    // The block doubles while the walk goes on from the end of the last one.
    const bool continues = ahead_.first != 0 && recno == ahead_.first + ahead_.count;
    const uint64_t last = ahead_.first != 0 ? uint64_t{ahead_.count} * len : 0;
    const uint64_t bytes =
        continues ? std::min<uint64_t>(2 * last, kMaxAheadBytes) : kFirstAheadBytes;
    const uint32_t n = static_cast<uint32_t>(
        std::min<uint64_t>(std::max<uint64_t>(1, bytes / len), knownCount_ - recno + 1));
    ahead_.bytes.resize(static_cast<size_t>(n) * len);
    const uint64_t at = structure_.headerLength() + static_cast<uint64_t>(recno - 1) * len;
    if (file_.readAt(at, ahead_.bytes.data(), ahead_.bytes.size()) < ahead_.bytes.size()) {
        dropAhead();
        throw CorruptFile(path_, "record " + std::to_string(recno) + " past the end of the file");
    }
    ahead_.first = recno;
    ahead_.count = n;
    ahead_.readAt = steadyNs();
    // The memos of the walk's records are read in large pieces too (a memo never
    // changes once a record points at it).
    if (memo_.isOpen() && !memo_.readingAhead())
        memo_.beginReadAhead();
}

void Table::dropAhead() {
    if (ahead_.first == 0)
        return;
    ahead_.first = 0;
    ahead_.count = 0;
    ahead_.bytes.clear();
    if (memo_.isOpen())
        memo_.endReadAhead();
}

void Table::reread() {
    requireOpen();
    dirty_ = false;
    dropAhead();
    if (recno_ != 0)
        buffer_ = readRecord(recno_);
}

void Table::setBlank() {
    requireOpen();
    write();
    recno_ = 0;
    buffer_ = structure_.blankRecord();
}

std::string_view Table::raw(int field) const {
    const Field& f = structure_.fields().at(static_cast<size_t>(field));
    return std::string_view(buffer_).substr(f.offset, f.width);
}

uint32_t Table::memoPointer(std::string_view record, const Field& f) const {
    const std::string_view b = record.substr(f.offset, f.width);
    if (f.width == 4)
        return bytes::le32(b.data());
    // Blanks (or NULs), then digits up to the end of the field; all blank is no memo.
    size_t i = 0;
    while (i < b.size() && (b[i] == ' ' || b[i] == '\0'))
        ++i;
    uint64_t v = 0;
    for (; i < b.size(); ++i) {
        if (b[i] < '0' || b[i] > '9' || v > UINT32_MAX / 10)
            throw CorruptFile(path_, "memo pointer of field " + f.name + " is not a number");
        v = v * 10 + static_cast<uint32_t>(b[i] - '0');
    }
    if (v > UINT32_MAX)
        throw CorruptFile(path_, "memo pointer of field " + f.name + " is not a number");
    return static_cast<uint32_t>(v);
}

std::string Table::formatMemoPointer(const Field& f, uint32_t block) const {
    if (f.width == 4) {
        std::string b(4, '\0');
        bytes::putLe32(b.data(), block);
        return b;
    }
    if (block == 0)
        return std::string(f.width, ' ');
    std::string digits = std::to_string(block);
    return std::string(f.width - digits.size(), ' ') + digits;
}

Value Table::valueOf(std::string_view record, int field) const {
    const Field& f = structure_.fields().at(static_cast<size_t>(field));
    if (record.size() < structure_.recordLength())
        throw TableError("record buffer too short");
    const std::string_view b = record.substr(f.offset, f.width);
    switch (f.type) {
    case FieldType::Character:
        return Value(std::string(b));
    case FieldType::Date: {
        const Date d = Date::fromDtos(b);
        // Empty is 8 blanks (or zeros, or NULs, as some writers leave it); any other
        // text that is no date is damage, never read as the empty date.
        if (d.isEmpty() && b.find_first_not_of(std::string_view(" 0\0", 3)) != b.npos)
            throw CorruptFile(path_, "field " + f.name + " holds no date: " + std::string(b));
        return Value(d);
    }
    case FieldType::Numeric: {
        char tmp[40];
        const size_t n = std::min<size_t>(b.size(), sizeof tmp - 1);
        b.copy(tmp, n);
        tmp[n] = '\0';
        char* end = nullptr;
        const double v = std::strtod(tmp, &end);
        return Value(end == tmp || !std::isfinite(v) ? 0.0 : v);
    }
    case FieldType::Logical:
        return Value(b[0] == 'T' || b[0] == 't' || b[0] == 'Y' || b[0] == 'y');
    case FieldType::Memo: {
        const uint32_t block = memoPointer(record, f);
        return Value(block == 0 ? std::string() : memo_.read(block));
    }
    }
    return Value();
}

Value Table::get(int field) const {
    requireOpen();
    return valueOf(buffer_, field);
}

void Table::put(int field, const Value& value) {
    requireWritable();
    requireCurrent();
    requireWriteLock(recno_);
    const Field& f = structure_.fields().at(static_cast<size_t>(field));
    std::string bytes;
    auto wrongKind = [&]() {
        return TableError("wrong kind of value for field " + f.name + " of " + path_);
    };
    switch (f.type) {
    case FieldType::Character: {
        if (!value.isText() && !value.isAbsent())
            throw wrongKind();
        bytes = value.isText() ? value.text().substr(0, f.width) : std::string();
        bytes.resize(f.width, ' ');
        break;
    }
    case FieldType::Date:
        if (!value.isDate() && !value.isAbsent())
            throw wrongKind();
        bytes = value.isDate() ? value.date().dtos() : std::string(8, ' ');
        break;
    case FieldType::Numeric: {
        if (!value.isNumber() && !value.isAbsent())
            throw wrongKind();
        if (value.isAbsent()) {
            bytes.assign(f.width, ' ');
            break;
        }
        const double v = value.number();
        char tmp[64];
        const int n = std::isfinite(v)
                          ? std::snprintf(tmp, sizeof tmp, "%*.*f", static_cast<int>(f.width),
                                          static_cast<int>(f.decimals), v)
                          : -1;
        if (n < 0 || static_cast<uint32_t>(n) > f.width)
            throw TableError("value does not fit field " + f.name + " of " + path_);
        bytes.assign(tmp, static_cast<size_t>(n));
        break;
    }
    case FieldType::Logical:
        if (!value.isLogical() && !value.isAbsent())
            throw wrongKind();
        bytes = value.isLogical() ? (value.logical() ? "T" : "F") : " ";
        break;
    case FieldType::Memo: {
        if (!value.isText() && !value.isAbsent())
            throw wrongKind();
        const std::string text = value.isText() ? value.text() : std::string();
        const uint32_t old = memoPointer(buffer_, f);
        // Unchanged text is not written again: the memo file only ever grows.
        if ((old == 0 && text.empty()) || (old != 0 && memo_.read(old) == text))
            return;
        bytes = formatMemoPointer(f, memo_.write(text));
        break;
    }
    }
    if (buffer_.compare(f.offset, f.width, bytes) != 0) {
        buffer_.replace(f.offset, f.width, bytes);
        dirty_ = true;
    }
}

void Table::setDeleted(bool deleted) {
    requireWritable();
    requireCurrent();
    requireWriteLock(recno_);
    const char flag = deleted ? '*' : ' ';
    if (buffer_[0] != flag) {
        buffer_[0] = flag;
        dirty_ = true;
    }
}

void Table::write() {
    if (!dirty_)
        return;
    requireWritable();
    if (recno_ == 0) {
        dirty_ = false;
        throw TableError("no current record to write in " + path_);
    }
    requireWriteLock(recno_);
    dropAhead();
    const std::string before = readRecord(recno_);
    if (before == buffer_) {
        dirty_ = false;
        return;
    }
    const RecordChange change{recno_, before, buffer_};
    notifyBefore(change);
    const uint64_t at =
        structure_.headerLength() + static_cast<uint64_t>(recno_ - 1) * structure_.recordLength();
    // Whatever happens next, the change is no longer pending: a failed write is
    // reported once, not retried behind the caller's back.
    dirty_ = false;
    try {
        file_.writeAt(at, buffer_.data(), buffer_.size());
    } catch (...) {
        // Put the old bytes back so that a record is never left half-written.
        try {
            file_.writeAt(at, before.data(), before.size());
        } catch (...) {
        }
        buffer_ = before;
        throw;
    }
    notifyAfter(change);
    writeHeaderDate();
}

void Table::commit() {
    requireOpen();
    write();
    if (!options_.readOnly) {
        file_.flush();
        if (memo_.isOpen())
            memo_.flush();
    }
}

bool Table::append(bool keepFileLock) {
    requireWritable();
    write();
    if (options_.shared && !fileLocked_ && !lockFile())
        return false;
    dropAhead();
    const uint32_t count = readCount();
    if (count >= kMaxRecords)
        throw TableError("table " + path_ + " is full");
    const uint32_t recno = count + 1;
    std::string blank = structure_.blankRecord();
    const RecordChange change{recno, std::string_view(), blank};
    notifyBefore(change);
    // The record (and the end-of-file mark) first, the count after: until the count
    // is written the new record lies beyond the table and nobody sees it.
    std::string bytes = blank;
    bytes.push_back(kEof);
    const uint64_t at =
        structure_.headerLength() + static_cast<uint64_t>(count) * structure_.recordLength();
    try {
        file_.writeAt(at, bytes.data(), bytes.size());
        writeHeaderDate();
        writeCount(count, recno);
    } catch (...) {
        try {
            file_.writeAt(at, &kEof, 1);
        } catch (...) {
        }
        throw;
    }
    knownCount_ = recno;
    recno_ = recno;
    buffer_ = std::move(blank);
    // The observers (the indexes) hear of the new record while the file lock still
    // covers it: where the lock cannot be narrowed in place (Windows) another open
    // may lock and change the record as soon as the file lock goes.
    auto narrow = [&] {
        if (!options_.shared || keepFileLock)
            return;
        // Only the new record stays locked.
        fileLocked_ = false;
        if (file_.narrowLock(kFileLockOffset, kFileLockLength, kRecordLockBase + recno, 1))
            lockedRecords_.insert(recno);
    };
    try {
        notifyAfter(RecordChange{recno, std::string_view(), buffer_});
    } catch (...) {
        narrow();
        throw;
    }
    narrow();
    return true;
}

// ---------------------------------------------------------------- locks

bool Table::isRecordLocked(uint32_t recno) const {
    return !options_.shared || fileLocked_ || lockedRecords_.count(recno) > 0;
}

void Table::releaseRecordLocks() {
    for (uint32_t r : lockedRecords_)
        file_.unlock(kRecordLockBase + r, 1);
    lockedRecords_.clear();
}

bool Table::lockRecord(uint32_t recno) {
    requireOpen();
    if (recno == 0 || recno > kMaxRecords)
        throw TableError("record " + std::to_string(recno) + " cannot be locked");
    if (!options_.shared || fileLocked_)
        return true;
    dropAhead();
    if (dirty_ && recno_ != recno)
        write();
    const bool held = lockedRecords_.count(recno) > 0;
    for (auto it = lockedRecords_.begin(); it != lockedRecords_.end();) {
        if (*it != recno) {
            file_.unlock(kRecordLockBase + *it, 1);
            it = lockedRecords_.erase(it);
        } else {
            ++it;
        }
    }
    if (held)
        return true;
    if (!file_.tryLock(kRecordLockBase + recno, 1, platform::LockKind::Exclusive))
        return false;
    lockedRecords_.insert(recno);
    // The record may have changed while it was not locked.
    if (recno == recno_)
        refreshIfClean();
    return true;
}

bool Table::lockFile() {
    requireOpen();
    if (!options_.shared || fileLocked_)
        return true;
    dropAhead();
    write();
    releaseRecordLocks();
    if (!file_.tryLock(kFileLockOffset, kFileLockLength, platform::LockKind::Exclusive))
        return false;
    fileLocked_ = true;
    refreshIfClean();
    return true;
}

void Table::unlockRecord(uint32_t recno) {
    requireOpen();
    if (!lockedRecords_.count(recno))
        return;
    dropAhead();
    if (recno_ == recno)
        write();
    file_.unlock(kRecordLockBase + recno, 1);
    lockedRecords_.erase(recno);
}

void Table::unlockFile() {
    requireOpen();
    if (!fileLocked_)
        return;
    dropAhead();
    write();
    file_.unlock(kFileLockOffset, kFileLockLength);
    fileLocked_ = false;
}

void Table::unlockAll() {
    requireOpen();
    dropAhead();
    std::exception_ptr pending;
    try {
        write();
    } catch (...) {
        pending = std::current_exception();
    }
    if (fileLocked_) {
        file_.unlock(kFileLockOffset, kFileLockLength);
        fileLocked_ = false;
    }
    releaseRecordLocks();
    if (pending)
        std::rethrow_exception(pending);
}

// ---------------------------------------------------------------- bulk reading

void Table::scan(uint32_t first, uint32_t last,
                 const std::function<void(uint32_t, std::string_view)>& fn) {
    requireOpen();
    const uint32_t count = recordCount();
    if (first == 0)
        first = 1;
    last = std::min(last, count);
    if (first > last)
        return;
    const uint32_t len = structure_.recordLength();
    const uint32_t perChunk = std::max<uint32_t>(1, (256u * 1024u) / len);
    // Memos of the scanned records are read in large pieces too, for this call only
    // (or for as long as a walk that already reads them so goes on).
    struct ReadAhead {
        MemoFile& memo;
        bool began = false;
        explicit ReadAhead(MemoFile& m) : memo(m) {
            if (memo.isOpen() && !memo.readingAhead()) {
                memo.beginReadAhead();
                began = true;
            }
        }
        ~ReadAhead() {
            if (began)
                memo.endReadAhead();
        }
    } readAhead(memo_);
    std::string chunk;
    for (uint32_t r = first; r <= last;) {
        const uint32_t n = std::min<uint32_t>(perChunk, last - r + 1);
        chunk.resize(static_cast<size_t>(n) * len);
        const uint64_t at = structure_.headerLength() + static_cast<uint64_t>(r - 1) * len;
        if (file_.readAt(at, chunk.data(), chunk.size()) < chunk.size())
            throw CorruptFile(path_, "records past the end of the file");
        for (uint32_t i = 0; i < n; ++i)
            fn(r + i,
               checkedRecord(path_, r + i,
                             std::string_view(chunk).substr(static_cast<size_t>(i) * len, len)));
        if (last - r < n)
            break;
        r += n;
    }
}

void Table::scanRecords(std::vector<uint32_t> recnos,
                        const std::function<void(uint32_t, std::string_view)>& fn) {
    requireOpen();
    std::sort(recnos.begin(), recnos.end());
    recnos.erase(std::unique(recnos.begin(), recnos.end()), recnos.end());
    while (!recnos.empty() && recnos.front() == 0)
        recnos.erase(recnos.begin());
    if (recnos.empty())
        return;
    if (!exists(recnos.back()))
        recnos.erase(std::upper_bound(recnos.begin(), recnos.end(), knownCount_), recnos.end());
    const uint32_t len = structure_.recordLength();
    std::string block;
    forEachStretch(recnos, len, [&](size_t i, size_t j) {
        const uint32_t first = recnos[i];
        block.resize(static_cast<size_t>(recnos[j - 1] - first + 1) * len);
        const uint64_t at = structure_.headerLength() + static_cast<uint64_t>(first - 1) * len;
        if (file_.readAt(at, block.data(), block.size()) < block.size())
            throw CorruptFile(path_, "records past the end of the file");
        for (; i < j; ++i)
            fn(recnos[i], checkedRecord(path_, recnos[i],
                                        std::string_view(block).substr(
                                            static_cast<size_t>(recnos[i] - first) * len, len)));
    });
}

// ---------------------------------------------------------------- bulk deleting

uint32_t Table::deleteWhere(const std::function<bool(uint32_t, std::string_view)>& pick) {
    requireWritable();
    write();
    if (options_.shared && !fileLocked_)
        throw TableError("deleting records of " + path_ + " together needs the file lock");
    dropAhead();
    const uint32_t len = structure_.recordLength();
    BulkDelete del;
    del.recordLength = len;
    scan(1, UINT32_MAX, [&](uint32_t recno, std::string_view rec) {
        if (rec[0] == '*')
            return;
        ++del.live;
        if (pick(recno, rec)) {
            del.recnos.push_back(recno);
            del.before.append(rec);
        }
    });
    try {
        for (TableObserver* o : std::vector<TableObserver*>(observers_))
            o->beforeBulkDelete(*this, del);
        if (!del.recnos.empty()) {
            // Under the file lock nobody else writes records, so a stretch read now and
            // written back with its flags set changes nothing but the flags; a write
            // cut short leaves each record either marked or not.
            std::string block;
            forEachStretch(del.recnos, len, [&](size_t i, size_t j) {
                const uint32_t first = del.recnos[i];
                block.resize(static_cast<size_t>(del.recnos[j - 1] - first + 1) * len);
                const uint64_t at =
                    structure_.headerLength() + static_cast<uint64_t>(first - 1) * len;
                if (file_.readAt(at, block.data(), block.size()) < block.size())
                    throw CorruptFile(path_, "records past the end of the file");
                for (; i < j; ++i)
                    block[static_cast<size_t>(del.recnos[i] - first) * len] = '*';
                file_.writeAt(at, block.data(), block.size());
            });
            writeHeaderDate();
        }
    } catch (...) {
        for (TableObserver* o : std::vector<TableObserver*>(observers_))
            o->bulkDeleteFailed(*this);
        throw;
    }
    for (TableObserver* o : std::vector<TableObserver*>(observers_))
        o->afterBulkDelete(*this, del);
    refreshIfClean();
    return static_cast<uint32_t>(del.recnos.size());
}

namespace {

// Each record of a bulk delete as the change of one record.
template <class Fn>
void eachChange(const BulkDelete& del, Fn fn) {
    std::string after;
    for (size_t i = 0; i < del.size(); ++i) {
        after.assign(del.record(i));
        after[0] = '*';
        fn(RecordChange{del.recnos[i], del.record(i), after});
    }
}

} // namespace

void TableObserver::beforeBulkDelete(Table& table, const BulkDelete& del) {
    eachChange(del, [&](const RecordChange& c) { beforeWrite(table, c); });
}

void TableObserver::afterBulkDelete(Table& table, const BulkDelete& del) {
    eachChange(del, [&](const RecordChange& c) { afterWrite(table, c); });
}

// ---------------------------------------------------------------- observers

void Table::addObserver(TableObserver* observer) {
    if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
        observers_.push_back(observer);
}

void Table::removeObserver(TableObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void Table::notifyBefore(const RecordChange& change) {
    for (TableObserver* o : std::vector<TableObserver*>(observers_))
        o->beforeWrite(*this, change);
}

void Table::notifyAfter(const RecordChange& change) {
    for (TableObserver* o : std::vector<TableObserver*>(observers_))
        o->afterWrite(*this, change);
}

} // namespace dn::dbf
