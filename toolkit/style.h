#pragma once

#include <QProxyStyle>

namespace dn::tk {

// The desktop style with the control proportions the templates were laid out for:
// drop-down lists keep a narrow arrow (a quarter of the list's width, 11 to 16 px),
// so that the text of a list only 25 units wide (a year) shows whole.
class ClassicStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    QRect subControlRect(ComplexControl cc, const QStyleOptionComplex* opt, SubControl sc,
                         const QWidget* w) const override;
};

} // namespace dn::tk
