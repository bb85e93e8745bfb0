#pragma once

#include <QFont>

class QWidget;

namespace Zuvi::Ui {

/// The system's sans-serif face at the given point size and weight.
QFont sansFont(qreal pointSize, bool bold = false);

/// The default face of every control: 8.25 point regular.
QFont defaultFont();

} // namespace Zuvi::Ui
