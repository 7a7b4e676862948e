#include "toolkit/style.h"

#include <QStyleOptionComplex>

#include <algorithm>

namespace dn::tk {

QRect ClassicStyle::subControlRect(ComplexControl cc, const QStyleOptionComplex* opt, SubControl sc,
                                   const QWidget* w) const {
    if (cc == CC_ComboBox && (sc == SC_ComboBoxArrow || sc == SC_ComboBoxEditField)) {
        const QRect r = opt->rect;
        const int arrow = std::clamp((r.width() - 2) / 4, 11, 16);
        const QRect part =
            sc == SC_ComboBoxArrow
                ? QRect(r.right() - arrow, r.top() + 1, arrow, r.height() - 2)
                : QRect(r.left() + 2, r.top() + 2, r.width() - arrow - 3, r.height() - 4);
        return visualRect(opt->direction, r, part);
    }
    return QProxyStyle::subControlRect(cc, opt, sc, w);
}

} // namespace dn::tk
