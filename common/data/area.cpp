#include "common/data/area.h"

#include "common/dbf/index_format.h"
#include "common/util/cp1252.h"
#include "platform/fileops.h"

#include <algorithm>
#include <cstring>

namespace dn::data {

namespace {

bool g_deletedHidden = true;

bool deletedRecord(const char* record) {
    return record[0] == '*';
}

} // namespace

bool deletedHidden() {
    return g_deletedHidden;
}
void setDeletedHidden(bool hidden) {
    g_deletedHidden = hidden;
}

std::string Order::keyOf(std::string_view record, uint32_t recno) const {
    const uint16_t len = file.keyLength();
    std::string key(len, dbf::cdx::padByte(file.definition().keyType));
    eval.key(record.data(), recno, key.data());
    return key;
}

// ---------------------------------------------------------------- evaluation

WorkArea::Evaluating::Evaluating(const WorkArea& area, std::string_view record, uint32_t recno)
    : area_(area), record_{record, recno}, saved_(area.eval_) {
    area.eval_ = &record_;
}

WorkArea::Evaluating::~Evaluating() {
    area_.eval_ = saved_;
}

std::string_view WorkArea::recordBytes() const {
    return eval_ ? eval_->record : table_.record();
}

uint32_t WorkArea::recordNumber() const {
    if (eval_)
        return eval_->recno;
    return table_.recno();
}

// ---------------------------------------------------------------- open and close

WorkArea::~WorkArea() {
    try {
        close();
    } catch (...) {
    }
}

void WorkArea::requireUsed() const {
    if (!used())
        throw dbf::TableError("work area " + std::to_string(number_) + " is not in use");
}

void WorkArea::open(const std::string& path, const std::string& alias, bool shared, bool readOnly) {
    if (used())
        throw dbf::TableError("work area " + std::to_string(number_) + " is in use");
    table_.open(path, dbf::OpenOptions{shared, readOnly});
    table_.addObserver(&maintainer_);
    alias_ = upper1252(alias);
    eof_ = true;
    bof_ = found_ = false;
    goTop();
}

void WorkArea::close() {
    std::exception_ptr pending;
    try {
        // The pending change still reaches every order.
        if (used())
            table_.write();
    } catch (...) {
        pending = std::current_exception();
    }
    table_.removeObserver(&maintainer_);
    maintainer_.clear();
    orders_.clear();
    controlling_ = 0;
    try {
        table_.close();
    } catch (...) {
        if (!pending)
            pending = std::current_exception();
    }
    alias_.clear();
    eof_ = true;
    bof_ = found_ = false;
    viewFile_.clear();
    viewCond_ = nullptr;
    viewText_.clear();
    password_.clear();
    if (pending)
        std::rethrow_exception(pending);
}

// ---------------------------------------------------------------- orders

Order& WorkArea::order(int n) {
    if (n < 1 || n > orderCount())
        throw dbf::TableError("no order " + std::to_string(n) + " in work area " +
                              std::to_string(number_));
    return *orders_[static_cast<size_t>(n - 1)];
}

Order* WorkArea::current() {
    return controlling_ == 0 ? nullptr : orders_[static_cast<size_t>(controlling_ - 1)].get();
}

void WorkArea::setControlling(int n) {
    if (n != 0)
        order(n);
    controlling_ = n;
}

int WorkArea::orderNamed(std::string_view name) const {
    const std::string wanted = upper1252(name);
    for (size_t i = 0; i < orders_.size(); ++i)
        if (upper1252(orders_[i]->tag()) == wanted)
            return static_cast<int>(i) + 1;
    return 0;
}

std::vector<std::string> WorkArea::orderFiles() const {
    std::vector<std::string> out;
    for (const auto& o : orders_)
        out.push_back(o->fullPath);
    return out;
}

dbf::KeyEvaluator WorkArea::evaluator(const dbf::Expression& keyExpr, const KeyBlock& key,
                                      dbf::KeyShape shape, const dbf::Expression& condExpr,
                                      const CondBlock& cond) {
    const uint32_t rl = table_.structure().recordLength();
    dbf::KeyEvaluator ev;
    if (key) {
        ev.key = [this, key, shape, rl](const char* rec, uint32_t recno, char* out) {
            Evaluating e(*this, std::string_view(rec, rl), recno);
            const std::string b = dbf::keyBytes(key(), shape.type, shape.length);
            std::memcpy(out, b.data(), std::min<size_t>(b.size(), shape.length));
        };
    } else {
        ev.key = dbf::keyWriter(keyExpr, shape, table_);
    }
    if (cond) {
        ev.condition = [this, cond, rl](const char* rec, uint32_t recno) {
            if (deletedRecord(rec))
                return false;
            Evaluating e(*this, std::string_view(rec, rl), recno);
            return cond();
        };
    } else if (condExpr.valid()) {
        ev.condition = dbf::conditionTest(condExpr, table_);
    }
    return ev;
}

void WorkArea::attach(std::unique_ptr<Order> o) {
    maintainer_.add(&o->file, o->eval);
    orders_.push_back(std::move(o));
}

int WorkArea::addOrder(const std::string& path, const CondBlock& cond) {
    requireUsed();
    auto o = std::make_unique<Order>();
    o->file = dbf::IndexFile::open(path, !table_.readOnly());
    const dbf::IndexDefinition& def = o->file.definition();
    dbf::Expression keyExpr;
    dbf::Expression condExpr;
    // The texts stored in the file must compile against this table and give keys of
    // the stored type and length; otherwise every key read or written would be wrong.
    try {
        keyExpr = dbf::Expression::compile(def.keyExpression, table_);
        const dbf::KeyShape shape = dbf::keyShapeOf(
            keyExpr.eval(table_.structure().blankRecord(), lastRec() + 1), def.keyExpression);
        // (A text key of another program may hold a date as DTOS gives it.)
        const bool numeric = shape.type == dbf::KeyType::Numeric;
        if (def.keyType == dbf::KeyType::Numeric ? !numeric
                                                 : !numeric && shape.length != def.keyLength)
            throw dbf::CorruptFile(o->file.path(), "la chiave non ha la lunghezza registrata");
        if (!cond && !def.forExpression.empty())
            condExpr = dbf::Expression::compile(def.forExpression, table_);
    } catch (const dbf::ExpressionError& e) {
        throw dbf::CorruptFile(o->file.path(), std::string("espressione: ") + e.what());
    }
    o->eval = evaluator(keyExpr, {}, {def.keyType, def.keyLength}, condExpr, cond);
    o->hidesDeleted = cond ? true : dbf::excludesDeleted(def.forExpression);
    o->fullPath = platform::FULLNAME(path);
    // While the table is locked as a whole nobody can be changing the index (writers
    // change it under a table lock), so a change left half-written by a writer that
    // died is ended here by building the tree again.
    if (!table_.readOnly() && (!table_.shared() || table_.isFileLocked())) {
        dbf::IndexBulkChange change(o->file);
        if (change.halfWritten() && change.canRebuild())
            change.rebuild(dbf::tableScan(table_), o->eval);
    }
    attach(std::move(o));
    const int n = orderCount();
    // The first order opened in an area without one becomes controlling.
    if (controlling_ == 0 && n == 1) {
        controlling_ = 1;
        goTop();
    }
    return n;
}

int WorkArea::createOrder(const std::string& path, const std::string& tag,
                          const std::string& keyText, const KeyBlock& key, bool unique,
                          const std::string& condText, const CondBlock& cond,
                          bool walkControlling) {
    requireUsed();
    table_.write();
    const std::string blank = table_.structure().blankRecord();
    const uint32_t ghost = lastRec() + 1;
    dbf::Expression keyExpr;
    Value probe;
    if (key) {
        Evaluating e(*this, blank, ghost);
        probe = key();
    } else {
        keyExpr = dbf::Expression::compile(keyText, table_);
        probe = keyExpr.eval(blank, ghost);
    }
    const dbf::KeyShape shape = dbf::keyShapeOf(probe, keyText);
    dbf::IndexDefinition def;
    def.keyExpression = keyText;
    def.unique = unique;
    def.keyType = shape.type;
    def.keyLength = shape.length;
    dbf::Expression condExpr;
    if (!cond && !condText.empty())
        condExpr = dbf::Expression::compile(condText, table_);
    // Deleted records never enter; the stored condition says so.
    if (condText.empty())
        def.forExpression = "!DELETED()";
    else if (dbf::excludesDeleted(condText))
        def.forExpression = condText;
    else
        def.forExpression = "!DELETED() .AND. (" + condText + ")";
    auto o = std::make_unique<Order>();
    o->eval = evaluator(keyExpr, key, shape, condExpr, cond);
    if (!cond) {
        auto inner = o->eval.condition;
        o->eval.condition = [inner](const char* rec, uint32_t recno) {
            return !deletedRecord(rec) && (!inner || inner(rec, recno));
        };
    }
    o->hidesDeleted = true;
    o->fullPath = platform::FULLNAME(path);

    dbf::RecordScan scan = dbf::tableScan(table_);
    Order* walk = walkControlling ? current() : nullptr;
    if (walk) {
        const dbf::IndexScope sc = walk->scope;
        scan = [this, walk, sc](const dbf::RecordVisitor& visit) {
            // The builder takes records in any order: they are read in record order, near
            // ones together, so that a scope of many records costs a few large reads
            // instead of a read (and a look at the record count) per record.
            std::vector<uint32_t> recnos;
            for (const dbf::IndexEntry& e : walk->file.entries(sc))
                recnos.push_back(e.recno);
            table_.scanRecords(std::move(recnos),
                               [&](uint32_t r, std::string_view rec) { visit(r, rec.data()); });
        };
    }
    // An order already open on that file gives way to the new one. Windows replaces
    // no file that is open, so there it is closed before the build (a failed build
    // then leaves it closed); elsewhere it stays until the new file is in place.
    const std::string wanted = upper1252(o->fullPath);
    auto dropOrdersOnFile = [&](const Order* keep) {
        for (size_t i = 0; i < orders_.size();) {
            if (upper1252(orders_[i]->fullPath) == wanted && orders_[i].get() != keep) {
                maintainer_.remove(&orders_[i]->file);
                orders_.erase(orders_.begin() + static_cast<long>(i));
                const int n = static_cast<int>(i) + 1;
                if (controlling_ == n)
                    controlling_ = 0;
                else if (controlling_ > n)
                    --controlling_;
            } else {
                ++i;
            }
        }
    };
#ifdef _WIN32
    dropOrdersOnFile(walk); // the order the build reads from stays until it is done
#endif
    dbf::IndexFile built = dbf::IndexFile::create(path, tag, def, scan, o->eval);
    dropOrdersOnFile(nullptr);
    o->file = std::move(built);
    attach(std::move(o));
    controlling_ = orderCount();
    goTop();
    return controlling_;
}

void WorkArea::closeOrders() {
    if (used())
        table_.write();
    maintainer_.clear();
    orders_.clear();
    controlling_ = 0;
}

// ---------------------------------------------------------------- scope

dbf::IndexScope WorkArea::scope() const {
    return controlling_ == 0 ? dbf::IndexScope{}
                             : orders_[static_cast<size_t>(controlling_ - 1)]->scope;
}

void WorkArea::setScope(const dbf::IndexScope& scope) {
    if (Order* o = current())
        o->scope = scope;
}

void WorkArea::carryScope(const dbf::IndexScope& scope) {
    Order* o = current();
    if (!o)
        return;
    if (scope.top)
        o->scope.top = scope.top;
    if (scope.bottom)
        o->scope.bottom = scope.bottom;
}

void WorkArea::setScopeValue(int which, const std::optional<Value>& value) {
    Order* o = current();
    if (!o)
        return;
    std::optional<std::string> bytes;
    if (value)
        bytes = dbf::keyBytes(*value, o->file.definition().keyType, o->file.keyLength());
    (which == 0 ? o->scope.top : o->scope.bottom) = bytes;
}

// ---------------------------------------------------------------- navigation

uint32_t WorkArea::lastRec() {
    requireUsed();
    return table_.recordCount();
}

uint32_t WorkArea::recno() {
    if (!used())
        return 0;
    return eof_ ? lastRec() + 1 : table_.recno();
}

bool WorkArea::deleted() const {
    if (eval_)
        return !eval_->record.empty() && eval_->record[0] == '*';
    return table_.deleted();
}

void WorkArea::setEof() {
    table_.setBlank();
    eof_ = true;
}

// Goes to recno; true when that record may be shown.
bool WorkArea::land(uint32_t recno) {
    if (!table_.exists(recno))
        return false;
    table_.goTo(recno);
    eof_ = false;
    return !(deletedHidden() && table_.deleted());
}

void WorkArea::settle(std::optional<dbf::IndexEntry> e, int direction) {
    Order* o = current();
    while (e) {
        if (land(e->recno))
            return;
        e = o->file.skip(*e, direction, o->scope).entry;
    }
    setEof();
}

dbf::IndexEntry WorkArea::currentEntry() const {
    const Order& o = *orders_[static_cast<size_t>(controlling_ - 1)];
    return dbf::IndexEntry{o.keyOf(table_.record(), table_.recno()), table_.recno()};
}

void WorkArea::goTop() {
    requireUsed();
    table_.write();
    bof_ = found_ = false;
    if (Order* o = current()) {
        settle(o->file.first(o->scope), 1);
        return;
    }
    for (uint32_t r = 1; table_.exists(r); ++r)
        if (land(r))
            return;
    setEof();
}

void WorkArea::goBottom() {
    requireUsed();
    table_.write();
    bof_ = found_ = false;
    if (Order* o = current()) {
        settle(o->file.last(o->scope), -1);
        return;
    }
    for (uint32_t r = table_.recordCount(); r >= 1; --r)
        if (land(r))
            return;
    setEof();
}

long WorkArea::skip(long n) {
    requireUsed();
    table_.write();
    found_ = false;
    if (n == 0) {
        if (!eof_)
            table_.reread();
        return 0;
    }
    bof_ = false;
    long moved = 0;
    const long want = n > 0 ? n : -n;
    Order* o = current();
    if (n > 0) {
        if (eof_)
            return 0;
        if (!o) {
            // The count is read again only when the walk passes the one it knew.
            uint32_t r = table_.recno();
            while (moved < want) {
                if (!table_.exists(++r)) {
                    setEof();
                    return moved;
                }
                if (land(r))
                    ++moved;
            }
            return moved;
        }
        dbf::IndexEntry from = currentEntry();
        while (moved < want) {
            const long step = o->hidesDeleted || !deletedHidden() ? want - moved : 1;
            const dbf::SkipResult r = o->file.skip(from, step, o->scope);
            if (!r.entry) {
                setEof();
                return moved;
            }
            from = *r.entry;
            if (land(from.recno))
                moved += r.moved;
            else
                moved += r.moved - 1; // deleted elsewhere in the meantime: not counted
        }
        return moved;
    }
    // Backwards. From end of file the first step lands on the last record.
    if (eof_) {
        if (o)
            settle(o->file.last(o->scope), -1);
        else
            goBottom();
        if (eof_) {
            bof_ = true;
            return 0;
        }
        moved = 1;
    }
    if (!o) {
        uint32_t r = table_.recno();
        while (moved < want) {
            if (r <= 1) {
                goTop();
                bof_ = true;
                return moved;
            }
            if (land(--r))
                ++moved;
        }
        return moved;
    }
    dbf::IndexEntry from = currentEntry();
    while (moved < want) {
        const long step = o->hidesDeleted || !deletedHidden() ? want - moved : 1;
        const dbf::SkipResult r = o->file.skip(from, -step, o->scope);
        if (r.bof || !r.entry) {
            goTop();
            bof_ = true;
            return moved + r.moved;
        }
        from = *r.entry;
        if (land(from.recno))
            moved += r.moved;
        else
            moved += r.moved - 1;
    }
    return moved;
}

void WorkArea::goTo(uint32_t recno) {
    requireUsed();
    table_.write();
    bof_ = found_ = false;
    if (recno == 0 || recno > table_.recordCount()) {
        setEof();
        return;
    }
    table_.goTo(recno);
    eof_ = false;
}

bool WorkArea::seek(const Value& value, bool soft) {
    requireUsed();
    table_.write();
    bof_ = false;
    Order* o = current();
    if (!o)
        throw dbf::TableError("seek without a controlling order in work area " +
                              std::to_string(number_));
    const dbf::IndexDefinition& def = o->file.definition();
    const bool text = def.keyType == dbf::KeyType::Character && value.isText();
    std::string bytes = text ? value.text() : dbf::keyBytes(value, def.keyType, def.keyLength);
    const dbf::SeekMode mode = text ? dbf::SeekMode::Prefix : dbf::SeekMode::Exact;
    const dbf::SeekResult r = o->file.seek(bytes, mode, soft, o->scope);
    auto matches = [&](const dbf::IndexEntry& e) {
        if (mode == dbf::SeekMode::Prefix)
            return bytes.size() <= e.key.size() && e.key.compare(0, bytes.size(), bytes) == 0;
        return e.key == bytes;
    };
    std::optional<dbf::IndexEntry> e = r.entry;
    bool found = r.found;
    while (e && !land(e->recno))
        e = o->file.skip(*e, 1, o->scope).entry;
    if (e && found)
        found = matches(*e);
    if (!e || (!found && !soft)) {
        setEof();
        found_ = false;
        return false;
    }
    found_ = found;
    return found;
}

uint64_t WorkArea::keyCount() {
    requireUsed();
    table_.write();
    Order* o = current();
    if (o && (o->hidesDeleted || !deletedHidden()))
        return o->file.count(o->scope);
    uint64_t n = 0;
    if (o) {
        std::vector<uint32_t> recnos;
        for (const dbf::IndexEntry& e : o->file.entries(o->scope))
            recnos.push_back(e.recno);
        table_.scanRecords(std::move(recnos), [&](uint32_t, std::string_view rec) {
            if (!deletedRecord(rec.data()))
                ++n;
        });
        return n;
    }
    table_.scan(1, table_.recordCount(), [&](uint32_t, std::string_view rec) {
        if (!deletedHidden() || !deletedRecord(rec.data()))
            ++n;
    });
    return n;
}

uint64_t WorkArea::keyNumber() {
    requireUsed();
    table_.write();
    Order* o = current();
    if (eof_ || !o || !(o->hidesDeleted || !deletedHidden()))
        return 0;
    return o->file.rank(currentEntry(), o->scope);
}

uint32_t WorkArea::deleteWhere(const CondBlock& cond) {
    requireUsed();
    return table_.deleteWhere([&](uint32_t recno, std::string_view record) {
        Evaluating e(*this, record, recno);
        return cond();
    });
}

// ---------------------------------------------------------------- fields

Value WorkArea::get(std::string_view field) const {
    requireUsed();
    const int i = table_.fieldIndex(field);
    if (i < 0)
        throw dbf::TableError("no field " + std::string(field) + " in " + table_.path());
    if (eval_)
        return table_.valueOf(eval_->record, i);
    return table_.get(i);
}

void WorkArea::put(std::string_view field, const Value& value) {
    requireUsed();
    if (eof_)
        throw dbf::TableError("no current record in work area " + std::to_string(number_));
    table_.put(field, value);
}

// ---------------------------------------------------------------- view

void WorkArea::setView(std::string file, CondBlock cond, std::string text) {
    viewFile_ = std::move(file);
    viewCond_ = std::move(cond);
    viewText_ = std::move(text);
}

void WorkArea::clearView() {
    viewFile_.clear();
    viewCond_ = nullptr;
    viewText_.clear();
}

} // namespace dn::data
