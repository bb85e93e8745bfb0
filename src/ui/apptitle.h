#pragma once

#include <QString>

namespace Zuvi::Ui {

/// The application title: the caption of the registration window and of every message box.
inline QString appTitle()
{
    return QStringLiteral("Zuvi");
}

} // namespace Zuvi::Ui
