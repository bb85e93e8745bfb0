#include "round/tournament.h"

#include "registration/throne.h"
#include "ui/twips.h"

namespace Zuvi {

Tournament::Tournament(Throne *throne) : QWidget(nullptr), m_throne(throne)
{
    setObjectName(QStringLiteral("Tournament"));
    setWindowTitle(QStringLiteral("Tournament Operations Menu"));
    resize(Ui::twips(9165), Ui::twips(5850));
}

} // namespace Zuvi
