#include "ui/fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace Zuvi::Ui {

QFont sansFont(qreal pointSize, bool bold)
{
    // A face with the narrow widths the layouts were drawn for comes first where the
    // machine has one; otherwise the system's sans-serif face.
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    QStringList families;
    families << QStringLiteral("Liberation Sans") << QStringLiteral("Arial") << font.family();
    font.setFamilies(families);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

QFont defaultFont()
{
    return sansFont(8.25);
}

} // namespace Zuvi::Ui
