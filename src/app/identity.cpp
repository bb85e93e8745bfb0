#include "app/identity.h"

#include "app/version.h"

#include <QGuiApplication>

namespace Zuvi::App {

void setApplicationIdentity()
{
    QCoreApplication::setApplicationName(QStringLiteral("zuvi"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZUVI_VERSION));
    QCoreApplication::setOrganizationDomain(QStringLiteral("zuvi.org"));
    QGuiApplication::setDesktopFileName(kApplicationId);
}

} // namespace Zuvi::App
