#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace Zuvi {

/// Player 1's result and both powers of one game, as the organiser typed them and they
/// were accepted.
struct GameEntry
{
    QString result1;
    double power1 = 0;
    double power2 = 0;
};

/// Reads what was typed for a game, as "Game Over" and the recorded games' Record and
/// Amend take it: player 1's result must be one of the five results (an empty or mistyped
/// one is refused rather than counted as a loss), and each power a number of 0 or more (a
/// bye's box is not read). A refusal is said in a box over parent and gives nothing.
std::optional<GameEntry> readGameEntry(QWidget *parent, const QString &result1,
                                       const QString &power1, const QString &power2,
                                       bool againstBye);

} // namespace Zuvi
