#pragma once

#include <QIcon>
#include <QString>

namespace Zuvi::App {

/// The application's reverse-DNS id: the desktop entry's and the AppStream metadata's file
/// name, and the icon's name.
inline const QString kApplicationId = QStringLiteral("org.zuvi.Zuvi");

/// Sets the application's name, version, organisation domain and desktop file name, so that
/// the desktop groups the windows under the menu entry's name and icon. It sets no display
/// name: Qt would append it to every window title. Callable before the application object
/// exists.
void setApplicationIdentity();

/// The application's icon at the sizes the asset generator draws, for every window.
QIcon applicationIcon();

} // namespace Zuvi::App
