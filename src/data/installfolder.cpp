#include "data/installfolder.h"

#include <QDir>
#include <QStandardPaths>

namespace Zuvi::Data {

namespace {
const QString kFolderName = QStringLiteral("zuvi");
}

QString installFolder()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(base).filePath(kFolderName);
}

QString databaseFile(const QString &databaseName)
{
    return QDir(installFolder()).filePath(databaseName + QStringLiteral(".db"));
}

} // namespace Zuvi::Data
