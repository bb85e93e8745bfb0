#include "playereditor/playerinfo.h"

#include "registration/throne.h"
#include "ui/twips.h"

namespace Zuvi {

PlayerInfo::PlayerInfo(Throne *throne) : QWidget(nullptr), m_throne(throne)
{
    setObjectName(QStringLiteral("PlayerInfo"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Input Player Information"));
    resize(Ui::twips(9180), Ui::twips(5880));
}

} // namespace Zuvi
