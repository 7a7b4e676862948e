#include "common/ui/msgtext.h"

#include "common/util/format.h"
#include "toolkit/text.h"

namespace dn::ui {

std::string messageText(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const size_t last = text.find_last_not_of(' ');
    return O2A(text.substr(first, last - first + 1));
}

std::string displayText(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == ';')
            c = '\n';
    return out;
}

QStringList qtLines(std::string_view text) {
    return qtText(text).split(u'\n');
}

QString qtText(std::string_view text) {
    QString s = tk::toQt(displayText(text));
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

} // namespace dn::ui
