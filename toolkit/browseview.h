#pragma once

class QWidget;

namespace dn::tk {

// The widget of a list control (a TWBrowse once bound).
QWidget* newBrowseWidget(QWidget* parent);

} // namespace dn::tk
