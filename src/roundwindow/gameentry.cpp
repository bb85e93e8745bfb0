#include "roundwindow/gameentry.h"

#include "round/numbertext.h"
#include "round/scoring.h"
#include "ui/messagebox.h"

namespace Zuvi {

std::optional<GameEntry> readGameEntry(QWidget *parent, const QString &result1,
                                       const QString &power1, const QString &power2,
                                       bool againstBye)
{
    if (!Round::player2Result(result1)) {
        Ui::message(parent, QStringLiteral("Please choose player 1's result"));
        return std::nullopt;
    }
    const auto powers = Round::parseGamePowers(power1, power2, againstBye);
    if (!powers) {
        Ui::message(parent, QStringLiteral("Please enter each player's power as a number"));
        return std::nullopt;
    }
    return GameEntry{result1, powers->first, powers->second};
}

} // namespace Zuvi
