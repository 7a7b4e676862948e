#include "common/util/format.h"

#include "common/util/number.h"

#include <cstdio>

namespace dn {

namespace {

// Quoted literal of a non-empty text. Pieces between double quotes are quoted in
// double quotes, each run of double quotes becomes one bracket group, and the
// pieces are joined with " + ". Built piece by piece rather than by rewriting a
// quoted string, so that a text holding "] + [" keeps it.
std::string textLiteral(std::string_view text) {
    std::string out;
    size_t pos = 0;
    while (pos < text.size()) {
        if (!out.empty())
            out += " + ";
        const bool quotes = text[pos] == '"';
        size_t end = quotes ? text.find_first_not_of('"', pos) : text.find('"', pos);
        if (end == std::string_view::npos)
            end = text.size();
        out += quotes ? '[' : '"';
        out.append(text.substr(pos, end - pos));
        out += quotes ? ']' : '"';
        pos = end;
    }
    return out;
}

std::string timeText(int msecs) {
    if (msecs < 0)
        msecs = 0;
    const int secs = msecs / 1000;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", secs / 3600 % 100, secs / 60 % 60, secs % 60);
    std::string out = buf;
    if (msecs % 1000 != 0) {
        std::snprintf(buf, sizeof buf, ".%03d", msecs % 1000);
        out += buf;
    }
    return out;
}

constexpr size_t kListCut = 100;

// Appends the text of v to out, stopping early once out holds more than `limit`
// characters (only the first `limit` are kept in the end).
void appendText(std::string& out, const Value& v, size_t limit);

std::string listText(const ValueList& list) {
    std::string out;
    for (size_t i = 0; i < list.size() && out.size() <= kListCut; ++i) {
        if (i > 0)
            out += "\r\n";
        appendText(out, list[i], kListCut);
    }
    if (out.size() > kListCut) {
        out.resize(kListCut);
        out += " ... }";
    }
    return out;
}

void appendText(std::string& out, const Value& v, size_t limit) {
    if (v.isText()) {
        // Copy no more of a long text than can still show.
        const std::string& t = v.text();
        const size_t room = limit + 1 > out.size() ? limit + 1 - out.size() : 0;
        out.append(t, 0, room);
    } else {
        out += CVALTOCHAR(v);
    }
}

} // namespace

Value MKSTR(const Value& v) {
    if (v.isEmpty() && !v.isDateTime())
        return Value("\"\"");
    switch (v.kind()) {
    case Value::Kind::Text:
        return Value(textLiteral(v.text()));
    case Value::Kind::Date:
        return Value("CTOD( \"" + v.date().toText() + "\" )");
    case Value::Kind::Number:
        return Value(numberText(v.number()));
    default:
        return v;
    }
}

std::string CVALTOCHAR(const Value& v) {
    switch (v.kind()) {
    case Value::Kind::Absent:
        return "NIL";
    case Value::Kind::Text:
        return v.text();
    case Value::Kind::Number:
        return numberText(v.number());
    case Value::Kind::Logical:
        return v.logical() ? ".T." : ".F.";
    case Value::Kind::Date:
        return v.date().toText();
    case Value::Kind::DateTime: {
        const DateTime t = v.dateTime();
        const std::string time = timeText(t.msecs);
        return t.date.isEmpty() ? time : t.date.toText() + " " + time;
    }
    case Value::Kind::List:
        return listText(v.list());
    case Value::Kind::Callable:
        return "{ || ... }";
    }
    return std::string();
}

std::string O2A(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        switch (static_cast<unsigned char>(c)) {
        case 0x85:
            c = '\xE0';
            break;
        case 0x8A:
            c = '\xE8';
            break;
        case 0x82:
            c = '\xE9';
            break;
        case 0x8D:
            c = '\xEC';
            break;
        case 0x95:
            c = '\xF2';
            break;
        case 0x97:
            c = '\xF9';
            break;
        default:
            break;
        }
    }
    return out;
}

std::string FWSTRING(std::string_view text) {
    return std::string(text);
}

std::vector<std::string> wrapLines(std::string_view text, size_t width) {
    std::vector<std::string> lines;
    if (width == 0)
        return lines;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t lf = text.find('\n', pos);
        size_t end = lf == std::string_view::npos ? text.size() : lf;
        const size_t next = lf == std::string_view::npos ? text.size() : lf + 1;
        if (end > pos && lf != std::string_view::npos && text[end - 1] == '\r')
            --end;
        if (end - pos <= width) {
            lines.emplace_back(text.substr(pos, end - pos));
            pos = next;
            continue;
        }
        const size_t blank = text.substr(pos, width + 1).rfind(' ');
        if (blank != std::string_view::npos && blank > 0) {
            lines.emplace_back(text.substr(pos, blank));
            pos += blank + 1;
        } else {
            lines.emplace_back(text.substr(pos, width));
            pos += width;
        }
    }
    return lines;
}

} // namespace dn
