#include "publish/historydocuments.h"

#include "publish/csvexport.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace Zuvi::Publish {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("Zuvi::Publish::History", text);
}

} // namespace

Snapshot archivedSnapshot(const History::ArchivedTournament &tournament)
{
    Snapshot snapshot;
    snapshot.name = tournament.name;
    snapshot.started = true;
    snapshot.final = true;
    snapshot.round = tournament.rounds;
    if (tournament.rounds > 0)
        snapshot.rounds = tournament.rounds;
    snapshot.standings.reserve(tournament.entrants.size());
    for (const History::ArchivedEntrant &e : tournament.entrants)
        snapshot.standings.append({e.rank, e.name, e.house, e.score, e.power, e.dropped});
    snapshot.games.reserve(tournament.games.size());
    for (const History::ArchivedGame &g : tournament.games) {
        Progress::Game game;
        game.round = g.round;
        game.seat = g.table - 1;
        game.player1 = g.player1;
        game.player2 = g.player2;
        game.result1 = g.result1;
        game.points1 = g.points1;
        game.power1 = g.power1;
        game.power2 = g.power2;
        snapshot.games.append(game);
    }
    return snapshot;
}

QString schemeText(const History::LeagueScheme &scheme)
{
    QString text;
    switch (scheme.kind) {
    case History::LeagueScheme::Kind::Scores:
        text = tr("Sum of tournament scores");
        break;
    case History::LeagueScheme::Kind::Placement: {
        QStringList points;
        for (double value : scheme.placementPoints)
            points.append(numberText(value));
        text = tr("Placement points %1").arg(points.join(QStringLiteral(", ")));
        break;
    }
    case History::LeagueScheme::Kind::Participation:
        text = tr("A point for taking part");
        break;
    }
    if (scheme.bestOf > 0)
        text += tr("; best %1 events").arg(scheme.bestOf);
    return text;
}

TableDocument leagueDocument(const QString &name, const History::LeagueScheme &scheme,
                             int tournaments, const QList<History::LeagueRow> &rows)
{
    TableDocument doc;
    doc.title = name.isEmpty() ? tr("League table") : tr("%1: league table").arg(name);
    doc.subtitle = (tournaments == 1 ? tr("1 tournament") : tr("%1 tournaments").arg(tournaments)) +
                   QStringLiteral(" \u00b7 ") + schemeText(scheme);
    doc.columns = {{tr("Rank"), 0, true, true},
                   {tr("Player"), 3.0},
                   {tr("Points"), 0, true, true},
                   {tr("Events"), 0, true, true},
                   {tr("Counted"), 0, true, true}};
    doc.rows.reserve(rows.size());
    for (const History::LeagueRow &row : rows)
        doc.rows.append({QString::number(row.rank), row.name, numberText(row.points),
                         QString::number(row.events), QString::number(row.counted)});
    return doc;
}

std::optional<QString> exportLeague(const TableDocument &document,
                                    const QList<History::LeagueRow> &rows, const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QStringLiteral("pdf"))
        return writePdf(document, path);
    if (suffix == QStringLiteral("csv"))
        return writeCsvRows(leagueCsvRows(rows), path);
    return tr("The file's name must end in .pdf or .csv.");
}

} // namespace Zuvi::Publish
