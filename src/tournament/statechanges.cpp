#include "tournament/statechanges.h"

#include <algorithm>

namespace Zuvi::Progress {

namespace {

bool sameEntrants(const QList<Entrant> &a, const QList<Entrant> &b)
{
    return std::equal(
        a.begin(), a.end(), b.begin(), b.end(), [](const Entrant &x, const Entrant &y) {
            return x.name == y.name && x.house == y.house && x.scoreText == y.scoreText &&
                   x.nameShown == y.nameShown && x.dropped == y.dropped && x.playerId == y.playerId;
        });
}

bool samePlayers(const QList<Seat> &a, const QList<Seat> &b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const Seat &x, const Seat &y) {
        return x.player1 == y.player1 && x.player2 == y.player2;
    });
}

bool sameRecords(const State &a, const State &b)
{
    const auto sameGame = [](const Game &x, const Game &y) {
        return x.id == y.id && x.result1 == y.result1 && x.power1 == y.power1 &&
               x.power2 == y.power2;
    };
    const auto sameMissed = [](const MissedGame &x, const MissedGame &y) {
        return x.round == y.round && x.pairing == y.pairing && x.seat == y.seat;
    };
    return std::equal(a.games.begin(), a.games.end(), b.games.begin(), b.games.end(), sameGame) &&
           std::equal(a.missed.begin(), a.missed.end(), b.missed.begin(), b.missed.end(),
                      sameMissed);
}

} // namespace

StateChanges compareStates(const State &before, const State &after)
{
    StateChanges changes;
    changes.clock = before.clockRunning != after.clockRunning ||
                    before.clockEndMs != after.clockEndMs ||
                    before.clockLeftSeconds != after.clockLeftSeconds;
    changes.samePairing =
        before.roundOpen && after.roundOpen && before.roundcounter == after.roundcounter &&
        before.pairingNumber == after.pairingNumber && samePlayers(before.seats, after.seats);
    changes.pairing = !changes.samePairing && (before.roundOpen || after.roundOpen);
    changes.round = before.roundcounter != after.roundcounter ||
                    before.roundOpen != after.roundOpen || before.roundsText != after.roundsText ||
                    before.avoidRematches != after.avoidRematches ||
                    before.started != after.started;
    changes.entrants = !sameEntrants(before.entrants, after.entrants);
    changes.games = !sameRecords(before, after);
    changes.published = pairingPublished(before) != pairingPublished(after) ||
                        before.reviewPairings != after.reviewPairings;
    changes.reports = before.takeReports != after.takeReports ||
                      before.confirmReports != after.confirmReports ||
                      before.reports != after.reports || before.playerCodes != after.playerCodes;
    return changes;
}

} // namespace Zuvi::Progress
