#pragma once

// Standings as the pairing's tests write them: rows from (name, score) pairs, and random
// rows in the order the standings query gives. QtCore only.

#include "round/standingspairing.h"

#include <QList>
#include <QPair>
#include <QString>

#include <algorithm>

namespace Zuvi::Test {

/// Standings rows from (name, score) pairs, in the order given.
inline QList<Round::StandingsRow> standingsOf(const QList<QPair<QString, double>> &rows)
{
    QList<Round::StandingsRow> list;
    for (const auto &[name, score] : rows)
        list.append({name, score});
    return list;
}

/// Puts rows in standings order: the highest score first, ties broken by name (power left
/// out).
inline void sortAsStandings(QList<Round::StandingsRow> &rows)
{
    std::sort(rows.begin(), rows.end(),
              [](const Round::StandingsRow &a, const Round::StandingsRow &b) {
                  return a.score != b.score ? a.score > b.score : a.name < b.name;
              });
}

/// count rows named E000, E001, … with the scores that score() gives in turn, in standings
/// order.
template <typename ScoreSource>
QList<Round::StandingsRow> randomStandings(int count, ScoreSource score)
{
    QList<Round::StandingsRow> rows;
    rows.reserve(count);
    for (int i = 0; i < count; ++i)
        rows.append({QStringLiteral("E%1").arg(i, 3, 10, QLatin1Char('0')), score()});
    sortAsStandings(rows);
    return rows;
}

} // namespace Zuvi::Test
