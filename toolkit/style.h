#pragma once

#include <QProxyStyle>

namespace dn::tk {

// The desktop style with the control proportions of the original system where the
// templates depend on them: drop-down lists keep a narrow arrow, so that the text
// of a list only 25 units wide (a year) shows whole.
class ClassicStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    QRect subControlRect(ComplexControl cc, const QStyleOptionComplex* opt, SubControl sc,
                         const QWidget* w) const override;
};

} // namespace dn::tk
