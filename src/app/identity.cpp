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

QIcon applicationIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icon/zuvi-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace Zuvi::App
