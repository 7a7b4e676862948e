#include "common/dbf/index_expr.h"

#include "common/util/cp1252.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace dn::dbf {

namespace {

// A fixed-width part of a text key: bytes of a field, or a literal.
struct Piece {
    uint32_t offset = 0; // field bytes in the record
    uint32_t width = 0;
    std::string literal; // used when width == 0
    bool upper = false;
};

class Parser {
public:
    Parser(std::string_view text, const Structure& s) : t_(text), s_(s) {}

    [[noreturn]] void fail(const std::string& why) const {
        throw std::invalid_argument("espressione chiave \"" + std::string(t_) + "\": " + why);
    }

    void skipBlanks() {
        while (p_ < t_.size() && std::isspace(static_cast<unsigned char>(t_[p_])))
            ++p_;
    }
    bool take(std::string_view tok) {
        skipBlanks();
        if (t_.substr(p_, tok.size()) != tok)
            return false;
        p_ += tok.size();
        return true;
    }
    bool atEnd() {
        skipBlanks();
        return p_ == t_.size();
    }
    std::string ident() {
        skipBlanks();
        size_t e = p_;
        while (e < t_.size() && (std::isalnum(static_cast<unsigned char>(t_[e])) || t_[e] == '_'))
            ++e;
        if (e == p_)
            fail("atteso un nome alla posizione " + std::to_string(p_ + 1));
        std::string out(t_.substr(p_, e - p_));
        for (char& c : out)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        p_ = e;
        return out;
    }
    const Field& field(const std::string& name) {
        const int i = s_.find(name);
        if (i < 0)
            fail("campo " + name + " inesistente");
        return s_.fields()[static_cast<size_t>(i)];
    }
    // A field reference: NAME, FIELD -> NAME or ALIAS -> NAME.
    const Field& fieldRef(std::string name) {
        if (take("->"))
            name = ident();
        return field(name);
    }

    // term { "+" term }
    void sum(bool upper, std::vector<Piece>& out) {
        do
            term(upper, out);
        while (take("+"));
    }

    void term(bool upper, std::vector<Piece>& out) {
        skipBlanks();
        if (p_ < t_.size() && (t_[p_] == '"' || t_[p_] == '\'')) {
            const char q = t_[p_];
            const size_t e = t_.find(q, p_ + 1);
            if (e == std::string_view::npos)
                fail("testo non chiuso");
            Piece lit;
            lit.literal = std::string(t_.substr(p_ + 1, e - p_ - 1));
            if (upper)
                lit.literal = upper1252(lit.literal);
            out.push_back(lit);
            p_ = e + 1;
            return;
        }
        const std::string name = ident();
        if (take("(")) {
            if (name == "UPPER") {
                sum(true, out);
            } else if (name == "DTOS") {
                const Field& f = fieldRef(ident());
                if (f.type != FieldType::Date)
                    fail("DTOS di un campo che non \xE8 una data");
                out.push_back({f.offset, f.width, {}, false});
            } else {
                fail("funzione " + name + " non gestita");
            }
            if (!take(")"))
                fail("manca una parentesi chiusa");
            return;
        }
        const Field& f = fieldRef(name);
        if (f.type != FieldType::Character)
            fail("il campo " + f.name + " non \xE8 di testo");
        out.push_back({f.offset, f.width, {}, upper});
    }

private:
    std::string_view t_;
    const Structure& s_;
    size_t p_ = 0;
};

std::string squeeze(std::string_view text) {
    std::string out;
    for (char c : text)
        if (!std::isspace(static_cast<unsigned char>(c)))
            out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

} // namespace

KeyExpression readKeyExpression(std::string_view key, std::string_view condition,
                                const Structure& structure) {
    KeyExpression out;
    const std::string cond = squeeze(condition);
    if (cond == "!DELETED()" || cond == ".NOT.DELETED()")
        out.eval.condition = [](const char* rec, uint32_t) { return rec[0] != '*'; };
    else if (cond == "DELETED()")
        out.eval.condition = [](const char* rec, uint32_t) { return rec[0] == '*'; };
    else if (!cond.empty())
        throw std::invalid_argument("condizione \"" + std::string(condition) + "\" non gestita");

    const std::string whole = squeeze(key);
    if (whole == "RECNO()") {
        out.type = KeyType::Numeric;
        out.length = 8;
        out.eval.key = [](const char*, uint32_t recno, char* k) {
            std::memcpy(k, cdx::encodeNumericKey(recno).data(), 8);
        };
        return out;
    }
    Parser p(key, structure);
    {
        // A single numeric field gives a numeric key.
        Parser probe(key, structure);
        std::string name = probe.ident();
        const int i = structure.find(name);
        if (probe.atEnd() && i >= 0 &&
            structure.fields()[static_cast<size_t>(i)].type == FieldType::Numeric) {
            const Field f = structure.fields()[static_cast<size_t>(i)];
            out.type = KeyType::Numeric;
            out.length = 8;
            out.eval.key = [f](const char* rec, uint32_t, char* k) {
                const std::string text(rec + f.offset, f.width);
                std::memcpy(k, cdx::encodeNumericKey(std::strtod(text.c_str(), nullptr)).data(), 8);
            };
            return out;
        }
    }
    std::vector<Piece> pieces;
    p.sum(false, pieces);
    if (!p.atEnd())
        p.fail("testo in pi\xF9 dopo l'espressione");
    size_t length = 0;
    for (const Piece& piece : pieces)
        length += piece.width ? piece.width : piece.literal.size();
    if (length == 0 || length > cdx::kMaxKeyLength)
        p.fail("chiave di " + std::to_string(length) + " byte");
    out.length = static_cast<uint16_t>(length);
    out.eval.key = [pieces](const char* rec, uint32_t, char* k) {
        for (const Piece& piece : pieces) {
            if (piece.width == 0) {
                std::memcpy(k, piece.literal.data(), piece.literal.size());
                k += piece.literal.size();
                continue;
            }
            if (piece.upper)
                for (uint32_t i = 0; i < piece.width; ++i)
                    k[i] = upper1252(rec[piece.offset + i]);
            else
                std::memcpy(k, rec + piece.offset, piece.width);
            k += piece.width;
        }
    };
    return out;
}

} // namespace dn::dbf
