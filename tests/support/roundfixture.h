#pragma once

// The registration window over a temporary install, ready to start rounds: stored players,
// a draw that takes the first entrant left each time, entrants registered in order, the
// messages captured. Shared by every test that drives the round window.

#include "support/windowdrivers.h"

#include "registration/throne.h"
#include "tournament/tournamentprogress.h"
#include "roundwindow/tournament.h"

#include <QCoreApplication>
#include <QTest>

#include <memory>
#include <optional>

namespace Zuvi::Test {

/// Stored players who enter with a house; registered in this order, round 1 pairs A-B, C-D
/// and E against "Bye".
inline const Entrant kA{QStringLiteral("Ann"), QStringLiteral("Adams"), QStringLiteral("Stark")};
inline const Entrant kB{QStringLiteral("Bob"), QStringLiteral("Baker"), QStringLiteral("Greyjoy")};
inline const Entrant kC{QStringLiteral("Cat"), QStringLiteral("Clark"),
                        QStringLiteral("Lannister")};
inline const Entrant kD{QStringLiteral("Dan"), QStringLiteral("Dunn"), QStringLiteral("Baratheon")};
inline const Entrant kE{QStringLiteral("Eve"), QStringLiteral("Evans"), QStringLiteral("Stark")};

/// Score and power of one row of the standings table.
struct StandingsRow
{
    StandingsRow(int score, double power) : score(score), power(power) {}

    int score;
    double power;

    friend bool operator==(const StandingsRow &, const StandingsRow &) = default;
};

/// How QCOMPARE shows a standings row, and a row that is missing.
inline char *toString(const StandingsRow &row)
{
    return qstrdup(qPrintable(QStringLiteral("score %1, power %2").arg(row.score).arg(row.power)));
}

inline char *toString(const std::optional<StandingsRow> &row)
{
    return row ? toString(*row) : qstrdup("no such row");
}

/// A registration window over stored players with the first-entrant draw; the round window
/// it opens, the standings it writes and the messages it shows.
class RoundFixture
{
public:
    /// Stores the players and registers the first `registered` of them in order (all of
    /// them when negative); game k of round 1 is then entrant 2k against entrant 2k + 1.
    explicit RoundFixture(const QList<Entrant> &stored = {}, qsizetype registered = -1)
    {
        storePlayers(install, stored);
        buildThrone();
        registerEntrants(*throne, registered < 0 ? stored : stored.first(registered));
    }
    Q_DISABLE_COPY_MOVE(RoundFixture)

    /// Types the number of rounds, clicks the start button and waits until the round window
    /// is active. Null when no round window opened or it never became active: the caller
    /// QVERIFYs the result.
    Tournament *startRound(const QString &rounds = QStringLiteral("3"))
    {
        Tournament *round = start(*throne, rounds);
        return round && QTest::qWaitForWindowActive(round) ? round : nullptr;
    }

    /// Destroys the registration window and its round window, whose round stays open in the
    /// file as a crash leaves it, and builds a new one over what is stored; the question
    /// whether to resume is answered with `yes`. A window that was shown is shown again.
    /// False when a resumed round window is never shown: the caller QVERIFYs the result.
    [[nodiscard]] bool restart(bool yes)
    {
        const bool shown = throne->isVisible();
        throne.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        log.setAnswer(yes);
        buildThrone();
        if (!shown)
            return true;
        throne->show();
        Tournament *round = throne->tournament();
        return !round || QTest::qWaitForWindowExposed(round);
    }

    /// Score and power of the standings row of that name; nothing when there is no such row,
    /// which a QCOMPARE against a row reports as "no such row".
    std::optional<StandingsRow> row(const QString &name) const
    {
        for (const QVariantList &row : standingsByName(install)) {
            if (row.at(0).toString() == name)
                return StandingsRow(row.at(1).toInt(), row.at(2).toDouble());
        }
        return std::nullopt;
    }

    std::optional<StandingsRow> row(const Entrant &entrant) const { return row(entrant.name()); }

    /// "name score power" for every standings row, by name.
    QStringList standings() const
    {
        QStringList rows;
        for (const QVariantList &row : standingsByName(install))
            rows.append(QStringLiteral("%1 %2 %3")
                            .arg(row.at(0).toString())
                            .arg(row.at(1).toDouble())
                            .arg(row.at(2).toDouble()));
        return rows;
    }

    /// The number of rows of a table of Tourny.db, with an optional condition after its
    /// name ("ZuviSeat WHERE Recorded = 1"); -1 when the query gives no row.
    int count(const QString &tableAndCondition) const
    {
        const QList<QVariantList> rows = install.rows(
            QStringLiteral("Tourny"), QStringLiteral("SELECT count(*) FROM ") + tableAndCondition);
        return rows.isEmpty() || rows.first().isEmpty() ? -1 : rows.first().first().toInt();
    }

    TempInstall install;
    MessageLog log;
    std::unique_ptr<Throne> throne;

private:
    void buildThrone()
    {
        throne = std::make_unique<Throne>(new TournamentProgress);
        throne->progress()->setRandomSource(firstEntrant);
    }
};

} // namespace Zuvi::Test
