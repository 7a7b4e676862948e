#include "common/dbf/expr.h"

#include "common/dbf/table.h"
#include "common/util/clock.h"
#include "common/util/cp1252.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace dn::dbf {

namespace {

struct Ctx {
    const Table* table;
    std::string_view record;
    uint32_t recno;
};

using Fn = std::function<Value(const Ctx&)>;

// The comparison operators: = (texts over the right-hand text's length), == (exact),
// != <> # , < <= > >=, and $ (left text contained in the right one).
enum class Comparison {
    Equal,
    ExactlyEqual,
    NotEqual,
    Less,
    LessOrEqual,
    Greater,
    GreaterOrEqual,
    ContainedIn,
};

[[noreturn]] void mismatch(const char* op) {
    throw ExpressionError(std::string("wrong kind of operand for ") + op);
}

const std::string& textOf(const Value& v, const char* op) {
    if (!v.isText())
        mismatch(op);
    return v.text();
}

double numberOf(const Value& v, const char* op) {
    if (!v.isNumber())
        mismatch(op);
    return v.number();
}

// Texts compare over the length of the right-hand text; other kinds by value.
int compareValues(const Value& a, const Value& b, bool exact, const char* op) {
    if (a.isText() && b.isText()) {
        const std::string& l = a.text();
        const std::string& r = b.text();
        const std::string_view lv =
            exact ? std::string_view(l) : std::string_view(l).substr(0, r.size());
        const int c = lv.compare(r);
        // Byte order as unsigned characters, as the index keys sort.
        if (c == 0)
            return 0;
        const size_t n = std::min(lv.size(), r.size());
        for (size_t i = 0; i < n; ++i) {
            const auto x = static_cast<unsigned char>(lv[i]);
            const auto y = static_cast<unsigned char>(r[i]);
            if (x != y)
                return x < y ? -1 : 1;
        }
        return lv.size() < r.size() ? -1 : 1;
    }
    if (a.isNumber() && b.isNumber())
        return a.number() < b.number() ? -1 : (a.number() > b.number() ? 1 : 0);
    if (a.isDate() && b.isDate())
        return a.date() < b.date() ? -1 : (a.date() > b.date() ? 1 : 0);
    if (a.isLogical() && b.isLogical())
        return int(a.logical()) - int(b.logical());
    mismatch(op);
}

// Whether the result of compareValues satisfies an ordering comparison.
bool satisfies(Comparison op, int cmp) {
    switch (op) {
    case Comparison::Equal:
    case Comparison::ExactlyEqual:
        return cmp == 0;
    case Comparison::NotEqual:
        return cmp != 0;
    case Comparison::Less:
        return cmp < 0;
    case Comparison::LessOrEqual:
        return cmp <= 0;
    case Comparison::Greater:
        return cmp > 0;
    case Comparison::GreaterOrEqual:
        return cmp >= 0;
    case Comparison::ContainedIn:
        break;
    }
    throw std::logic_error("$ is not an ordering");
}

// A number used as a count, a position or a number of days: truncated toward zero
// and held within lo..hi (something that is not a number gives lo), so that no
// value read from a record can overflow the conversion.
long long whole(double v, long long lo, long long hi) {
    if (!(v > static_cast<double>(lo)))
        return lo;
    if (v >= static_cast<double>(hi))
        return hi;
    return static_cast<long long>(v);
}

// Days added to or taken from a date: beyond this the date is out of range anyway
// (and becomes empty).
constexpr long long kMaxDays = 10'000'000;

int days(double v) {
    return static_cast<int>(whole(v, -kMaxDays, kMaxDays));
}

std::string strOf(double v, int width, int decimals) {
    char buf[64];
    const int n = std::snprintf(buf, sizeof buf, "%*.*f", width, decimals, v);
    if (n < 0 || n > width)
        return std::string(static_cast<size_t>(width), '*');
    return std::string(buf, static_cast<size_t>(n));
}

class Parser {
public:
    Parser(std::string_view text, const Table& table) : s_(text), table_(table) {}

    Fn parseAll() {
        skipBlanks();
        // A code block "{ || expression }": its expression.
        if (peek() == '{') {
            ++p_;
            skipBlanks();
            if (!take("||"))
                fail("'||' expected after '{'");
            Fn f = parseOr();
            skipBlanks();
            if (!take("}"))
                fail("'}' expected");
            end();
            return f;
        }
        Fn f = parseOr();
        end();
        return f;
    }

private:
    [[noreturn]] void fail(const std::string& why) const {
        throw ExpressionError("expression \"" + std::string(s_) + "\": " + why);
    }
    void end() {
        skipBlanks();
        if (p_ != s_.size())
            fail("unexpected text at position " + std::to_string(p_ + 1));
    }
    char peek(size_t ahead = 0) const { return p_ + ahead < s_.size() ? s_[p_ + ahead] : '\0'; }
    void skipBlanks() {
        while (p_ < s_.size() &&
               (s_[p_] == ' ' || s_[p_] == '\t' || s_[p_] == '\r' || s_[p_] == '\n'))
            ++p_;
    }
    bool take(std::string_view tok) {
        skipBlanks();
        if (s_.substr(p_, tok.size()) == tok) {
            p_ += tok.size();
            return true;
        }
        return false;
    }
    // A dotted word such as .AND., without regard to case.
    bool takeDotted(std::string_view word) {
        skipBlanks();
        if (upper1252(s_.substr(p_, word.size())) == word) {
            p_ += word.size();
            return true;
        }
        return false;
    }
    static bool identStart(char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    }
    static bool identChar(char c) { return identStart(c) || (c >= '0' && c <= '9'); }
    std::string ident() {
        skipBlanks();
        const size_t b = p_;
        if (!identStart(peek()))
            return {};
        while (identChar(peek()))
            ++p_;
        return upper1252(s_.substr(b, p_ - b));
    }

    // l .AND. r (evaluation stops at the first false) or l .OR. r (at the first true).
    static Fn logical(Fn l, Fn r, bool stopAt, const char* op) {
        return [l, r, stopAt, op](const Ctx& c) {
            const Value a = l(c);
            if (!a.isLogical())
                mismatch(op);
            if (a.logical() == stopAt)
                return a;
            const Value b = r(c);
            if (!b.isLogical())
                mismatch(op);
            return b;
        };
    }
    Fn parseOr() {
        Fn l = parseAnd();
        while (takeDotted(".OR."))
            l = logical(l, parseAnd(), true, ".OR.");
        return l;
    }
    Fn parseAnd() {
        Fn l = parseNot();
        while (takeDotted(".AND."))
            l = logical(l, parseNot(), false, ".AND.");
        return l;
    }
    // Nesting (parentheses, arguments, ! and signs) is limited, so that a damaged or
    // hostile text cannot exhaust the stack.
    static constexpr int kMaxNesting = 100;
    struct Nested {
        explicit Nested(Parser& p) : parser(p) {
            if (++parser.nesting_ > kMaxNesting)
                parser.fail("nested too deeply");
        }
        ~Nested() { --parser.nesting_; }
        Parser& parser;
    };

    Fn parseNot() {
        const Nested nested(*this);
        skipBlanks();
        if (takeDotted(".NOT.") || (peek() == '!' && peek(1) != '=' && take("!"))) {
            Fn e = parseNot();
            return [e](const Ctx& c) {
                const Value v = e(c);
                if (!v.isLogical())
                    mismatch("!");
                return Value(!v.logical());
            };
        }
        return parseCompare();
    }
    Fn parseCompare() {
        Fn l = parseAdd();
        skipBlanks();
        // Longer tokens first, so that "==" is not read as "=".
        static const struct {
            const char* token;
            Comparison op;
        } ops[] = {{"==", Comparison::ExactlyEqual},   {"!=", Comparison::NotEqual},
                   {"<>", Comparison::NotEqual},       {"<=", Comparison::LessOrEqual},
                   {">=", Comparison::GreaterOrEqual}, {"=", Comparison::Equal},
                   {"#", Comparison::NotEqual},        {"<", Comparison::Less},
                   {">", Comparison::Greater},         {"$", Comparison::ContainedIn}};
        for (const auto& o : ops) {
            if (!take(o.token))
                continue;
            Fn r = parseAdd();
            const Comparison op = o.op;
            if (op == Comparison::ContainedIn)
                return [l, r](const Ctx& c) {
                    const Value a = l(c);
                    const Value b = r(c);
                    return Value(textOf(b, "$").find(textOf(a, "$")) != std::string::npos);
                };
            return [l, r, op, name = o.token](const Ctx& c) {
                return Value(
                    satisfies(op, compareValues(l(c), r(c), op == Comparison::ExactlyEqual, name)));
            };
        }
        return l;
    }
    Fn parseAdd() {
        Fn l = parseMul();
        for (;;) {
            skipBlanks();
            if (peek() == '+') {
                ++p_;
                Fn r = parseMul();
                l = [l, r](const Ctx& c) {
                    Value a = l(c);
                    const Value b = r(c);
                    if (a.isText() && b.isText())
                        return Value(a.text() + b.text());
                    if (a.isNumber() && b.isNumber())
                        return Value(a.number() + b.number());
                    if (a.isDate() && b.isNumber())
                        return Value(a.date().addDays(days(b.number())));
                    if (a.isNumber() && b.isDate())
                        return Value(b.date().addDays(days(a.number())));
                    mismatch("+");
                };
            } else if (peek() == '-' && peek(1) != '>') {
                ++p_;
                Fn r = parseMul();
                l = [l, r](const Ctx& c) {
                    const Value a = l(c);
                    const Value b = r(c);
                    if (a.isText() && b.isText()) {
                        // The left text's trailing blanks move to the end.
                        const std::string& t = a.text();
                        const size_t keep = t.find_last_not_of(' ') + 1;
                        return Value(t.substr(0, keep) + b.text() +
                                     std::string(t.size() - keep, ' '));
                    }
                    if (a.isNumber() && b.isNumber())
                        return Value(a.number() - b.number());
                    if (a.isDate() && b.isNumber())
                        return Value(a.date().addDays(-days(b.number())));
                    if (a.isDate() && b.isDate())
                        return Value(static_cast<double>(a.date() - b.date()));
                    mismatch("-");
                };
            } else {
                return l;
            }
        }
    }
    Fn parseMul() {
        Fn l = parseUnary();
        for (;;) {
            skipBlanks();
            const char op = peek();
            if (op != '*' && op != '/' && op != '%')
                return l;
            ++p_;
            Fn r = parseUnary();
            l = [l, r, op](const Ctx& c) {
                const char name[2] = {op, '\0'};
                const double a = numberOf(l(c), name);
                const double b = numberOf(r(c), name);
                if (op == '*')
                    return Value(a * b);
                if (b == 0)
                    return Value(0.0);
                return Value(op == '/' ? a / b : std::fmod(a, b));
            };
        }
    }
    Fn parseUnary() {
        const Nested nested(*this);
        skipBlanks();
        if (peek() == '-') {
            ++p_;
            Fn e = parseUnary();
            return [e](const Ctx& c) { return Value(-numberOf(e(c), "-")); };
        }
        if (peek() == '+') {
            ++p_;
            return parseUnary();
        }
        return parsePrimary();
    }

    Fn literal(Value v) {
        return [v](const Ctx&) { return v; };
    }

    Fn parsePrimary() {
        skipBlanks();
        const char c = peek();
        if (c == '(') {
            ++p_;
            Fn e = parseOr();
            if (!take(")"))
                fail("')' expected");
            return e;
        }
        if (c == '"' || c == '\'' || c == '[') {
            const char close = c == '[' ? ']' : c;
            const size_t e = s_.find(close, p_ + 1);
            if (e == std::string_view::npos)
                fail("unterminated text literal");
            std::string t(s_.substr(p_ + 1, e - p_ - 1));
            p_ = e + 1;
            return literal(Value(std::move(t)));
        }
        if ((c >= '0' && c <= '9') || (c == '.' && peek(1) >= '0' && peek(1) <= '9')) {
            const size_t b = p_;
            while ((peek() >= '0' && peek() <= '9') || peek() == '.')
                ++p_;
            return literal(Value(std::strtod(std::string(s_.substr(b, p_ - b)).c_str(), nullptr)));
        }
        if (c == '.') {
            if (takeDotted(".T.") || takeDotted(".Y."))
                return literal(Value(true));
            if (takeDotted(".F.") || takeDotted(".N."))
                return literal(Value(false));
            fail("unexpected '.'");
        }
        std::string name = ident();
        if (name.empty())
            fail("operand expected at position " + std::to_string(p_ + 1));
        if (take("->")) {
            // FIELD -> name, or alias -> name: a field of this table.
            name = ident();
            if (name.empty())
                fail("field name expected after '->'");
            return field(name);
        }
        skipBlanks();
        if (peek() == '(') {
            ++p_;
            std::vector<Fn> args;
            skipBlanks();
            if (peek() != ')') {
                do
                    args.push_back(parseOr());
                while (take(","));
            }
            if (!take(")"))
                fail("')' expected after the arguments of " + name);
            return function(name, std::move(args));
        }
        return field(name);
    }

    Fn field(const std::string& name) {
        const int i = table_.fieldIndex(name);
        if (i < 0)
            fail("unknown field " + name);
        const Field& f = table_.fields()[static_cast<size_t>(i)];
        if (f.type == FieldType::Character) {
            const uint32_t off = f.offset;
            const uint32_t w = f.width;
            return [off, w](const Ctx& c) { return Value(std::string(c.record.substr(off, w))); };
        }
        return [i](const Ctx& c) { return c.table->valueOf(c.record, i); };
    }

    Fn function(const std::string& name, std::vector<Fn> a) {
        auto arity = [&](size_t lo, size_t hi) {
            if (a.size() < lo || a.size() > hi)
                fail("wrong number of arguments for " + name);
        };
        if (name == "UPPER" || name == "LOWER") {
            arity(1, 1);
            const bool up = name == "UPPER";
            return [f = a[0], up](const Ctx& c) {
                const Value v = f(c);
                const std::string& t = textOf(v, up ? "UPPER" : "LOWER");
                return Value(up ? upper1252(t) : lower1252(t));
            };
        }
        if (name == "DTOS" || name == "DTOC") {
            arity(1, 1);
            const bool s = name == "DTOS";
            return [f = a[0], s](const Ctx& c) {
                const Value v = f(c);
                if (!v.isDate())
                    mismatch(s ? "DTOS" : "DTOC");
                return Value(s ? v.date().dtos() : v.date().toText());
            };
        }
        if (name == "CTOD") {
            arity(1, 1);
            return [f = a[0]](const Ctx& c) { return Value(Date::fromText(textOf(f(c), "CTOD"))); };
        }
        if (name == "STR") {
            arity(1, 3);
            return [a](const Ctx& c) {
                const double v = numberOf(a[0](c), "STR");
                const long long w = a.size() > 1 ? whole(numberOf(a[1](c), "STR"), 0, 65) : 10;
                const long long d = a.size() > 2 ? whole(numberOf(a[2](c), "STR"), -1, 31) : 0;
                if (w <= 0 || w > 64 || d < 0 || d > 30)
                    return Value(std::string());
                return Value(strOf(v, static_cast<int>(w), static_cast<int>(d)));
            };
        }
        if (name == "VAL") {
            arity(1, 1);
            return [f = a[0]](const Ctx& c) {
                return Value(std::strtod(textOf(f(c), "VAL").c_str(), nullptr));
            };
        }
        if (name == "LEFT" || name == "RIGHT") {
            arity(2, 2);
            const bool left = name == "LEFT";
            return [a, left, op = left ? "LEFT" : "RIGHT"](const Ctx& c) {
                const Value v = a[0](c);
                const std::string& t = textOf(v, op);
                const auto size = static_cast<long long>(t.size());
                const auto k = static_cast<size_t>(whole(numberOf(a[1](c), op), 0, size));
                return Value(left ? t.substr(0, k) : t.substr(t.size() - k));
            };
        }
        if (name == "SUBSTR") {
            arity(2, 3);
            return [a](const Ctx& c) {
                const Value v = a[0](c);
                const std::string& t = textOf(v, "SUBSTR");
                const auto size = static_cast<long long>(t.size());
                // From the first character at 1 (or 0); a negative start counts from
                // the end.
                long long start = whole(numberOf(a[1](c), "SUBSTR"), -size - 1, size + 1);
                if (start < 0)
                    start = std::max(0LL, size + start + 1);
                const long long from = start <= 1 ? 0 : start - 1;
                if (from >= size)
                    return Value(std::string());
                long long len = size - from;
                if (a.size() > 2)
                    len = whole(numberOf(a[2](c), "SUBSTR"), 0, len);
                return Value(t.substr(static_cast<size_t>(from), static_cast<size_t>(len)));
            };
        }
        if (name == "TRIM" || name == "RTRIM" || name == "LTRIM" || name == "ALLTRIM") {
            arity(1, 1);
            const bool l = name == "LTRIM" || name == "ALLTRIM";
            const bool r = name != "LTRIM";
            return [f = a[0], l, r](const Ctx& c) {
                const Value v = f(c);
                std::string t = textOf(v, "TRIM");
                if (r)
                    t.erase(t.find_last_not_of(' ') + 1);
                if (l)
                    t.erase(0, std::min(t.size(), t.find_first_not_of(' ')));
                return Value(std::move(t));
            };
        }
        if (name == "EMPTY") {
            arity(1, 1);
            return [f = a[0]](const Ctx& c) { return Value(f(c).isEmpty()); };
        }
        if (name == "IIF" || name == "IF") {
            arity(3, 3);
            return [a](const Ctx& c) {
                const Value t = a[0](c);
                if (!t.isLogical())
                    mismatch("IIF");
                return t.logical() ? a[1](c) : a[2](c);
            };
        }
        if (name == "RECNO") {
            arity(0, 0);
            return [](const Ctx& c) { return Value(static_cast<double>(c.recno)); };
        }
        if (name == "DELETED") {
            arity(0, 0);
            return [](const Ctx& c) { return Value(!c.record.empty() && c.record[0] == '*'); };
        }
        if (name == "DATE") {
            arity(0, 0);
            return [](const Ctx&) { return Value(clock::today()); };
        }
        fail("unknown function " + name);
    }

    std::string_view s_;
    size_t p_ = 0;
    int nesting_ = 0;
    const Table& table_;
};

} // namespace

struct Expression::Node {
    Fn fn;
    const Table* table;
};

Expression Expression::compile(std::string_view text, const Table& table) {
    Parser p(text, table);
    Expression e;
    e.root_ = std::make_shared<const Node>(Node{p.parseAll(), &table});
    e.text_ = std::string(text);
    return e;
}

Value Expression::eval(std::string_view record, uint32_t recno) const {
    if (!root_)
        throw ExpressionError("empty expression");
    return root_->fn(Ctx{root_->table, record, recno});
}

bool Expression::holds(std::string_view record, uint32_t recno) const {
    const Value v = eval(record, recno);
    if (!v.isLogical())
        throw ExpressionError("condition \"" + text_ + "\" is not logical");
    return v.logical();
}

} // namespace dn::dbf
