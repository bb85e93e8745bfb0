#include "publish/snapshot.h"

#include "tournament/tablereports.h"

#include "round/ranks.h"
#include "round/scoring.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QHash>

#include <algorithm>
#include <numeric>
#include <utility>

namespace Zuvi::Publish {

QList<PairingRow> pairingRows(const Progress::State &state)
{
    // Names identify entrants; the first entrant of a name wins should two share it.
    QHash<QString, const Progress::Entrant *> byName;
    byName.reserve(state.entrants.size());
    for (const Progress::Entrant &entrant : state.entrants) {
        if (!byName.contains(entrant.name))
            byName.insert(entrant.name, &entrant);
    }

    QList<PairingRow> rows;
    rows.reserve(state.seats.size());
    for (qsizetype i = 0; i < state.seats.size(); ++i) {
        const Progress::Seat &seat = state.seats.at(i);
        PairingRow row;
        row.table = int(i) + 1;
        row.player1 = seat.player1;
        row.player2 = seat.player2;
        row.recorded = seat.recorded;
        if (const Progress::Entrant *entrant = byName.value(seat.player1)) {
            row.house1 = entrant->house;
            row.score1 = entrant->scoreText;
        }
        if (!row.bye()) {
            if (const Progress::Entrant *entrant = byName.value(seat.player2)) {
                row.house2 = entrant->house;
                row.score2 = entrant->scoreText;
            }
        }
        rows.append(row);
    }
    return rows;
}

QList<RankedRow> rankStandings(const QList<Progress::StandingsRow> &standings)
{
    QList<std::pair<double, double>> keys;
    keys.reserve(standings.size());
    for (const Progress::StandingsRow &row : standings)
        keys.append({row.score, row.power});
    const QList<int> ranks = Round::sharedRanks(keys);
    QList<RankedRow> ranked;
    ranked.reserve(standings.size());
    for (qsizetype i = 0; i < standings.size(); ++i) {
        const Progress::StandingsRow &row = standings.at(i);
        ranked.append({ranks.at(i), row.name, row.house, row.score, row.power, row.dropped});
    }
    return ranked;
}

QList<NameRow> pairingsByName(const QList<PairingRow> &pairings, const QLocale &locale)
{
    QList<NameRow> rows;
    rows.reserve(pairings.size() * 2);
    for (const PairingRow &pairing : pairings) {
        rows.append({pairing.player1, pairing.house1, pairing.score1, pairing.table,
                     pairing.player2, pairing.recorded});
        if (!pairing.bye())
            rows.append({pairing.player2, pairing.house2, pairing.score2, pairing.table,
                         pairing.player1, pairing.recorded});
    }

    // One sort key per name: comparing keys is much cheaper than collating the strings
    // again at every comparison.
    // The C locale knows no alphabet: take the common order of the letters instead, so that
    // letters beyond ASCII still stand in their places.
    QCollator collator(locale.language() == QLocale::C ? QLocale(QLocale::English) : locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(rows.size());
    for (const NameRow &row : std::as_const(rows))
        keys.push_back(collator.sortKey(row.name));
    std::vector<qsizetype> order(rows.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        const int byKey = keys[a].compare(keys[b]);
        if (byKey != 0)
            return byKey < 0;
        const int exact = rows.at(a).name.compare(rows.at(b).name);
        if (exact != 0)
            return exact < 0;
        return rows.at(a).table < rows.at(b).table;
    });
    QList<NameRow> sorted;
    sorted.reserve(rows.size());
    for (const qsizetype index : order)
        sorted.append(rows.at(index));
    return sorted;
}

QList<Progress::Game> gamesInTableOrder(QList<Progress::Game> games)
{
    std::stable_sort(games.begin(), games.end(),
                     [](const Progress::Game &a, const Progress::Game &b) {
                         return std::pair(a.round, a.seat) < std::pair(b.round, b.seat);
                     });
    return games;
}

QList<PairingRow> slipTables(const QList<PairingRow> &pairings)
{
    QList<PairingRow> slips;
    slips.reserve(pairings.size());
    for (const PairingRow &row : pairings) {
        if (!row.bye())
            slips.append(row);
    }
    return slips;
}

QList<std::array<int, kSlipsPerSheet>> slipSheets(int slips)
{
    QList<std::array<int, kSlipsPerSheet>> sheets;
    if (slips <= 0)
        return sheets;
    const int count = (slips + kSlipsPerSheet - 1) / kSlipsPerSheet;
    sheets.reserve(count);
    for (int sheet = 0; sheet < count; ++sheet) {
        std::array<int, kSlipsPerSheet> places{};
        for (int place = 0; place < kSlipsPerSheet; ++place) {
            const int slip = place * count + sheet + 1;
            places[place] = slip <= slips ? slip : 0;
        }
        sheets.append(places);
    }
    return sheets;
}

QString numberText(double value)
{
    return Round::powerText(value);
}

Snapshot makeSnapshot(const Progress::State &state, const QList<Progress::StandingsRow> &standings,
                      std::optional<int> rounds, bool over)
{
    Snapshot snapshot;
    snapshot.started = state.started;
    snapshot.roundOpen = state.roundOpen;
    snapshot.round = state.roundOpen ? state.roundcounter : state.roundcounter - 1;
    snapshot.rounds = rounds;
    snapshot.final = over && !state.roundOpen;
    if (state.roundOpen)
        snapshot.pairings = pairingRows(state);
    if (state.started) {
        snapshot.standings = rankStandings(standings);
    } else if (state.entrants.isEmpty() && !standings.isEmpty()) {
        snapshot.standingsAsStored = true;
        snapshot.standings = rankStandings(standings);
    }
    snapshot.games = state.games;
    return snapshot;
}

Snapshot roomView(Snapshot snapshot, bool published)
{
    if (published || !snapshot.roundOpen)
        return snapshot;
    snapshot.roundOpen = false;
    snapshot.pairings.clear();
    snapshot.round = std::max(0, snapshot.round - 1);
    return snapshot;
}

} // namespace Zuvi::Publish
