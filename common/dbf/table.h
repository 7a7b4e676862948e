#pragma once

#include "common/dbf/error.h"
#include "common/dbf/memo.h"
#include "common/dbf/structure.h"
#include "common/util/date.h"
#include "common/util/value.h"
#include "platform/file.h"

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace dn::dbf {

class Table;

// One change of a record's bytes, as observers see it. Both buffers are whole
// records (deletion flag first), recordLength() bytes each.
struct RecordChange {
    uint32_t recno = 0;
    std::string_view before; // the record as it is on disk before the change; empty for an append
    std::string_view after;  // the record as it is written
    bool appended() const { return before.empty(); }
};

// Records that Table::deleteWhere marks deleted together: their numbers, ascending,
// and their bytes as they were before (deletion flag blank), one after another.
struct BulkDelete {
    std::vector<uint32_t> recnos;
    std::string before;
    uint32_t recordLength = 0;
    uint32_t live = 0; // records not deleted before the change, these included
    size_t size() const { return recnos.size(); }
    std::string_view record(size_t i) const {
        return std::string_view(before).substr(i * recordLength, recordLength);
    }
};

// Told of every change that a Table makes to its records. The indexes of a work
// area register one each, so that every open index stays current by its own
// condition (a delete or recall is a change of byte 0).
//
// Calls come from the thread that writes, while the table holds the lock that the
// write needs: the record or file lock of a shared table; for an append the file
// lock before the write and the new record's lock after it (on Windows that lock
// may have been lost to another process in between, see append()). The buffers
// are valid only during the call.
class TableObserver {
public:
    virtual ~TableObserver() = default;
    // Before the bytes go to disk. Throwing cancels the write: nothing has changed
    // on disk and the exception reaches the caller of the write.
    virtual void beforeWrite(Table& table, const RecordChange& change) {
        (void)table;
        (void)change;
    }
    // After the bytes are on disk; for an append, after the header count includes
    // the new record. An exception thrown here reaches the caller of the write;
    // the record stays written.
    virtual void afterWrite(Table& table, const RecordChange& change) = 0;
    // After pack: record numbers have changed, whatever depends on them must be
    // rebuilt.
    virtual void afterPack(Table& table) { (void)table; }
    // Around Table::deleteWhere, under the file lock. beforeBulkDelete comes before
    // the first flag is written, also when nothing was picked (so that an observer
    // can mend what an interrupted bulk delete left behind); throwing cancels the
    // delete with nothing written. afterBulkDelete comes once every flag is written.
    // By default they are beforeWrite and afterWrite for each record in turn.
    virtual void beforeBulkDelete(Table& table, const BulkDelete& del);
    virtual void afterBulkDelete(Table& table, const BulkDelete& del);
    // Instead of afterBulkDelete when writing the flags failed (some may be written).
    virtual void bulkDeleteFailed(Table& table) { (void)table; }
};

struct OpenOptions {
    bool shared = true;    // false: no other open of the file may exist while this one lasts
    bool readOnly = false; // writes, appends and pack are refused
};

// A dBase table file with its memo file. See docs/store-format.md for the bytes on
// disk and docs/locking.md for the lock convention.
//
// The table keeps one record buffer, the current record. put() and setDeleted()
// change the buffer; the buffer reaches the file by write(), and also, as with every
// dBase store, before the table moves to another record, unlocks or closes. Memo
// texts are written to the memo file when they are put; the record then points at
// them.
//
// What another process can change is read from disk when it matters: the memo
// file's free-block pointer before every memo write, the record count before an
// append and whenever a record number lies beyond the highest count seen (counts only
// grow while a table is shared), and a record when it is locked and before it is
// written. A forward walk in record order is the one exception: its records may come
// from a block read a moment earlier by the same walk, within the limits that
// docs/store-format.md states (a lock, an unlock, a write or reread() always goes to
// the file).
//
// Errors: platform::FileError for failures of the device (disk full, sharing
// conflict on open, ...), CorruptFile for damaged files, TableError for calls that
// break the rules below. Not thread-safe: one Table belongs to one thread.
class Table {
public:
    Table() = default;
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;
    ~Table();

    // Creates the table file (".DBF" added when the name has no extension) and, when
    // the structure has memo fields, its memo file (same name, ".DBT"). The file name
    // is upper-cased; existing files are replaced. Returns the table file's path.
    static std::string create(const std::string& path, const std::vector<FieldDef>& fields);
    // The name as the store uses it: last component upper-cased, ".DBF" added when it
    // has no extension; a final "." (as in "NET.") means none and is dropped.
    static std::string tablePath(const std::string& path);
    // The memo file of a table file: same name, extension ".DBT".
    static std::string memoPathOf(const std::string& tablePath);

    // Opens the table (closing any table open in this object). A shared open fails
    // with FileError kind Sharing while another open holds the file exclusively, an
    // exclusive open while any other open exists or any record or file lock is held
    // (see openExclusive).
    void open(const std::string& path, OpenOptions options = {});
    // Opens a table file for work that no other program may see half-done: the
    // sharing byte exclusively and the whole record- and file-lock range, both held
    // as long as the open lasts. A program that locks records without taking the
    // sharing byte is so never overlooked. FileError kind Sharing when another open
    // holds either.
    static platform::File openExclusive(const std::string& tablePath, bool writable);
    // Writes a pending record change, releases every lock and closes both files.
    void close();
    bool isOpen() const { return file_.isOpen(); }

    const std::string& path() const { return path_; }
    // Empty when the table has no memo fields.
    const std::string& memoPath() const { return memoPath_; }
    bool shared() const { return options_.shared; }
    bool readOnly() const { return options_.readOnly; }

    const Structure& structure() const { return structure_; }
    const std::vector<Field>& fields() const { return structure_.fields(); }
    // Field number (0-based) of name, case-insensitive; -1 when there is none.
    int fieldIndex(std::string_view name) const { return structure_.find(name); }

    // The record count in the header, read from disk now.
    uint32_t recordCount();
    // Whether record recno (1-based) exists. A count seen before answers at once when
    // it covers recno; otherwise the header is read again, so records appended by
    // other processes are found as soon as a walk reaches the end it knew.
    bool exists(uint32_t recno);
    // The last-update date in the header, read from disk now.
    Date lastUpdate();

    // --- current record ---

    // Makes record recno (1..recordCount()) current and reads it. A pending change
    // of the previous record is written first. TableError when out of range.
    // Stepping to the record after the current one reads a block of the records that
    // follow, and the next steps take their records from it (see the class comment).
    void goTo(uint32_t recno);
    // Reads the current record again from disk, dropping unwritten changes.
    void reread();
    // No record current; the buffer is a blank record, as dBase shows at end of file.
    // A pending change is written first.
    void setBlank();
    // 0 when no record is current.
    uint32_t recno() const { return recno_; }
    // The current record's bytes (deletion flag first).
    std::string_view record() const { return buffer_; }
    bool deleted() const { return !buffer_.empty() && buffer_[0] == '*'; }
    bool dirty() const { return dirty_; }

    // Field values of the current record: C as its bytes (blank-padded), D as a Date,
    // N as a number, L as a logical, M as the memo text read from the memo file now.
    Value get(int field) const;
    Value get(std::string_view name) const { return get(checkedIndex(name)); }
    // The field's bytes in the record, without any conversion.
    std::string_view raw(int field) const;

    // Changes a field of the buffer. REQUIRES: a current record, and for a shared
    // table its lock (taking the lock reads the record again, so the other fields
    // are those on disk). C takes text (blank-padded or cut to the width),
    // D a Date, N a number (TableError when it does not fit the width), L a logical,
    // M text (written to the memo file now; empty text clears the pointer).
    void put(int field, const Value& value);
    void put(std::string_view name, const Value& value) { put(checkedIndex(name), value); }
    // Sets or clears the deletion flag of the buffer (same requirements as put).
    void setDeleted(bool deleted);

    // Writes the buffer if it differs from what was read. REQUIRES (shared table):
    // the record or the file is locked by this table. Observers are told before and
    // after.
    void write();
    // write(), then the header's last-update date, then both files forced to disk.
    void commit();

    // Appends a blank record and makes it current. A shared table needs the file lock
    // for it: when this table does not hold it, the append tries to take it and
    // returns false (nothing changed) when another open holds any lock. On success
    // the file lock is released and the new record is locked, as with every dBase
    // store (the record lock is lost only if another process takes the file lock in
    // the instant between, on systems that cannot narrow a lock in place). With
    // keepFileLock the file lock stays held and covers the new record, so that no
    // other open sees the table between the append and the caller's first write.
    bool append(bool keepFileLock = false);

    // --- locks (never wait; false when another open holds a conflicting lock) ---

    // Locks one record and releases the other record locks of this table. True at
    // once when the file lock is held. When the record is the current one and has no
    // unwritten change, it is read again from disk.
    bool lockRecord(uint32_t recno);
    // Locks the whole file; the record locks of this table are released first. The
    // current record is read again as with lockRecord.
    bool lockFile();
    void unlockRecord(uint32_t recno);
    void unlockFile();
    // Writes a pending change and releases every lock of this table.
    void unlockAll();
    bool isFileLocked() const { return fileLocked_; }
    bool isRecordLocked(uint32_t recno) const;
    const std::set<uint32_t>& lockedRecords() const { return lockedRecords_; }

    // --- bulk reading ---

    // Calls fn(recno, record bytes) for records first..last (clipped to the record
    // count read at the start), reading in large blocks. The buffer is valid only
    // during the call. Does not change the current record.
    void scan(uint32_t first, uint32_t last,
              const std::function<void(uint32_t, std::string_view)>& fn);
    // Calls fn(recno, record bytes) for the given records (in any order, repeats
    // allowed) in record order, each once, reading the stretches where they lie close
    // together in large blocks. Numbers beyond the record count are skipped.
    void scanRecords(std::vector<uint32_t> recnos,
                     const std::function<void(uint32_t, std::string_view)>& fn);
    // Field values of any record buffer of this table (as get()).
    Value valueOf(std::string_view record, int field) const;

    // --- bulk deleting ---

    // Marks deleted every record that is not deleted yet and for which pick(recno,
    // record) holds, in one pass over the table in record order; the flags go to the
    // file in a few large writes, then the header's date. Returns how many records
    // were marked. REQUIRES: writable, and for a shared table the file lock. A pending
    // change is written first; the current record is read again afterwards.
    // Observers hear beforeBulkDelete with every record picked before the first flag
    // is written and afterBulkDelete once all are.
    uint32_t deleteWhere(const std::function<bool(uint32_t, std::string_view)>& pick);

    // --- maintenance ---

    // Removes the records marked deleted and rewrites the memo file with only the
    // memos of the remaining records. REQUIRES: exclusive, not read-only. The files
    // are replaced only once the new ones are complete on disk.
    void pack();

    // Observers are not owned; remove them before they die.
    void addObserver(TableObserver* observer);
    void removeObserver(TableObserver* observer);

private:
    int checkedIndex(std::string_view name) const;
    void requireOpen() const;
    void requireWritable() const;
    void requireWriteLock(uint32_t recno) const;
    void requireCurrent() const;
    void refreshIfClean();
    std::string readRecord(uint32_t recno);
    uint32_t readCount();
    void writeHeaderDate();
    void writeCount(uint32_t oldCount, uint32_t newCount);
    std::string formatMemoPointer(const Field& f, uint32_t block) const;
    uint32_t memoPointer(std::string_view record, const Field& f) const;
    void notifyBefore(const RecordChange& change);
    void notifyAfter(const RecordChange& change);
    void releaseRecordLocks();
    // The walk's block of records read ahead (see goTo).
    bool fromAhead(uint32_t recno);
    void readAhead(uint32_t recno);
    void dropAhead();

    platform::File file_;
    MemoFile memo_;
    std::string path_;
    std::string memoPath_;
    OpenOptions options_;
    Structure structure_;
    uint32_t recno_ = 0;
    uint32_t knownCount_ = 0; // a count seen on disk: counts only grow while shared
    std::string buffer_;
    bool dirty_ = false;
    bool fileLocked_ = false;
    // An exclusive open holds the whole lock range; false only when a pack could not
    // take it again on the new file.
    bool rangeHeld_ = false;
    std::set<uint32_t> lockedRecords_;
    std::vector<TableObserver*> observers_;
    struct Ahead {
        uint32_t first = 0; // record number of the block's first record; 0: no block
        uint32_t count = 0;
        int64_t readAt = 0; // steady-clock nanoseconds when the block was read
        std::string bytes;
    } ahead_;
};

} // namespace dn::dbf
