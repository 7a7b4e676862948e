#pragma once

// A work area: one open table with its orders, the controlling order and its scope,
// the record pointer with end-of-file and beginning-of-file, and at most one view.
//
// Records marked deleted are hidden from navigation, seeks and counts while
// deletedHidden() is true (the start-up procedure turns it on for the whole run).
// Every write goes through the table, which tells every open order of the area;
// each order decides by its own condition whether the record belongs to it.

#include "common/dbf/expr.h"
#include "common/dbf/index_expr.h"
#include "common/dbf/index_file.h"
#include "common/dbf/index_maintain.h"
#include "common/dbf/table.h"
#include "common/util/value.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dn::data {

// A key or condition given as a callable: it reads the fields of its work area
// (WorkArea::get, FIELDGET), which during index builds and maintenance show the
// record being indexed rather than the current one.
using KeyBlock = std::function<Value()>;
using CondBlock = std::function<bool()>;

// Whether deleted records are hidden (on by default).
bool deletedHidden();
void setDeletedHidden(bool hidden);

// One open index of a work area.
struct Order {
    dbf::IndexFile file;
    dbf::KeyEvaluator eval;
    std::string fullPath; // absolute path of the index file
    dbf::IndexScope scope;
    bool hidesDeleted = false; // the condition keeps deleted records out

    const std::string& tag() const { return file.tagName(); }
    const std::string& keyText() const { return file.definition().keyExpression; }
    // The key of a record as this order computes it, whatever its condition says.
    std::string keyOf(std::string_view record, uint32_t recno) const;
};

class WorkArea {
    struct EvalRecord {
        std::string_view record;
        uint32_t recno;
    };

public:
    explicit WorkArea(int number) : number_(number) {}
    ~WorkArea();
    WorkArea(const WorkArea&) = delete;
    WorkArea& operator=(const WorkArea&) = delete;

    int number() const { return number_; }
    bool used() const { return table_.isOpen(); }
    const std::string& alias() const { return alias_; }
    dbf::Table& table() { return table_; }

    // Opens a table here (see dbf::Table::open for the errors) and goes to its first
    // visible record. REQUIRES: nothing is open here.
    void open(const std::string& path, const std::string& alias, bool shared, bool readOnly);
    // Closes the orders and the table; a pending change is written first. The area is
    // empty afterwards even when that write fails (the failure is then thrown).
    void close();

    // ---- orders (numbered from 1 in opening order)

    int orderCount() const { return static_cast<int>(orders_.size()); }
    // REQUIRES: 1 <= n <= orderCount().
    Order& order(int n);
    // The controlling order, 0 for record-number order.
    int controlling() const { return controlling_; }
    // Makes order n controlling (0: record-number order); the pointer stays.
    void setControlling(int n);
    // The order whose tag is name (case-insensitive); 0 when there is none.
    int orderNamed(std::string_view name) const;
    // Opens an index file as a further order. The key comes from the expression in
    // the file; the condition too, unless cond is given (a view's condition, which the
    // file records only as "!DELETED()"). With the table locked as a whole (or open
    // exclusively), an index that an interrupted change left half-written is built
    // again in place first. Returns its number.
    int addOrder(const std::string& path, const CondBlock& cond = {});
    // Builds an index file from the records of the table (all of them in record
    // order, or with walkControlling those of the controlling order within its scope)
    // and opens it as a further order, which becomes controlling. key: the key block,
    // or empty to compile keyText. cond: the condition block, or empty to compile
    // condText (empty text: every record). Deleted records never enter.
    int createOrder(const std::string& path, const std::string& tag, const std::string& keyText,
                    const KeyBlock& key, bool unique, const std::string& condText,
                    const CondBlock& cond, bool walkControlling = false);
    // Closes every order; record-number order becomes controlling.
    void closeOrders();
    // Full paths of the open index files, in order.
    std::vector<std::string> orderFiles() const;

    // ---- scope of the controlling order (none in record-number order)

    dbf::IndexScope scope() const;
    void setScope(const dbf::IndexScope& scope);
    // Sets on the controlling order those bounds of scope that are set; its other
    // bound stays as it is.
    void carryScope(const dbf::IndexScope& scope);
    // Top (which 0) or bottom (1) of the controlling order's scope; nothing clears it.
    void setScopeValue(int which, const std::optional<Value>& value);

    // ---- navigation

    void goTop();
    void goBottom();
    // Moves n visible records (back when negative) in the controlling order and
    // returns how many it moved; 0 writes a pending change and reads the record
    // again. Past the last: end of file. Before the first: beginning of file, on the
    // first record.
    long skip(long n = 1);
    // Goes to record recno, visible or not; a number outside the table gives end of
    // file.
    void goTo(uint32_t recno);
    // Seeks value in the controlling order: a text finds the first key that begins
    // with it, a number or date the equal key. Without soft a failed seek leaves the
    // pointer at end of file; with soft, on the next key. Returns found().
    bool seek(const Value& value, bool soft = false);

    bool eof() const { return eof_; }
    bool bof() const { return bof_; }
    bool found() const { return found_; }
    // The current record number; at end of file the record count + 1.
    uint32_t recno();
    uint32_t lastRec();
    bool deleted() const;

    // Field values of the current record (or of the record being indexed, see
    // KeyBlock). At end of file every field is blank.
    Value get(std::string_view field) const;
    // REQUIRES: the record or the table is locked (shared tables).
    void put(std::string_view field, const Value& value);
    // The bytes and number of the record that a key or condition block sees.
    std::string_view recordBytes() const;
    uint32_t recordNumber() const;

    // Keys of the controlling order within its scope (visible records only); in
    // record-number order the visible records of the table.
    uint64_t keyCount();
    // The current record's place among those keys, 1 for the first; 0 at end of
    // file, in record-number order, or when the order may hold hidden deleted
    // records (the place cannot be told without reading them).
    uint64_t keyNumber();

    // Marks deleted every record that is not deleted yet and for which cond holds
    // (the block sees the record being tested), in one pass in record order, and
    // keeps every order of the area current (dbf::Table::deleteWhere). REQUIRES: the
    // table locked (shared tables). Returns how many records were marked; the
    // pointer stays where it was.
    uint32_t deleteWhere(const CondBlock& cond);

    // ---- view (see views.h) and password

    const std::string& viewFile() const { return viewFile_; }
    void setView(std::string file, CondBlock cond, std::string text);
    void clearView();
    const std::string& viewText() const { return viewText_; }
    const CondBlock& viewCondition() const { return viewCond_; }
    const std::string& password() const { return password_; }
    void setPassword(std::string pw) { password_ = std::move(pw); }

    // Evaluates the blocks of this area against a record other than the current
    // one for as long as it lives.
    class Evaluating {
    public:
        Evaluating(const WorkArea& area, std::string_view record, uint32_t recno);
        ~Evaluating();
        Evaluating(const Evaluating&) = delete;
        Evaluating& operator=(const Evaluating&) = delete;

    private:
        const WorkArea& area_;
        EvalRecord record_;
        const EvalRecord* saved_;
    };

private:
    void requireUsed() const;
    Order* current();
    bool land(uint32_t recno);
    void setEof();
    void settle(std::optional<dbf::IndexEntry> e, int direction);
    dbf::IndexEntry currentEntry() const;
    dbf::KeyEvaluator evaluator(const dbf::Expression& keyExpr, const KeyBlock& key,
                                dbf::KeyShape shape, const dbf::Expression& condExpr,
                                const CondBlock& cond);
    void attach(std::unique_ptr<Order> o);

    int number_;
    std::string alias_;
    dbf::Table table_;
    std::vector<std::unique_ptr<Order>> orders_;
    dbf::IndexMaintainer maintainer_;
    int controlling_ = 0;
    bool eof_ = true;
    bool bof_ = false;
    bool found_ = false;
    mutable const EvalRecord* eval_ = nullptr;
    std::string viewFile_;
    CondBlock viewCond_;
    std::string viewText_;
    std::string password_;
};

} // namespace dn::data
