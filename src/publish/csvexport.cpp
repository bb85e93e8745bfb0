#include "publish/csvexport.h"

#include "data/csvguard.h"
#include "round/scoring.h"

#include <QCoreApplication>
#include <QSaveFile>

#include <csv.h>

namespace Zuvi::Publish {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("Zuvi::Publish", text);
}

QString yesNo(bool value)
{
    return value ? QStringLiteral("yes") : QStringLiteral("no");
}

/// Appends one field, quoted by the CSV library; a field a spreadsheet would run as a
/// formula gets an apostrophe before it.
void appendField(QByteArray &out, const QString &field)
{
    QByteArray utf8 = field.toUtf8();
    if (Data::looksLikeFormula(utf8))
        utf8.prepend('\'');
    // At most every byte doubled, plus the two quotes around the field.
    const qsizetype start = out.size();
    out.resize(start + utf8.size() * 2 + 2);
    const size_t written = csv_write(out.data() + start, size_t(out.size() - start),
                                     utf8.constData(), size_t(utf8.size()));
    out.resize(start + qsizetype(written));
}

} // namespace

std::optional<QList<QStringList>> csvRows(DocumentKind kind, const Snapshot &snapshot)
{
    QList<QStringList> rows;
    switch (kind) {
    case DocumentKind::MatchSlips:
        return std::nullopt;
    case DocumentKind::PairingsByTable:
        rows.append({QStringLiteral("round"), QStringLiteral("table"), QStringLiteral("player1"),
                     QStringLiteral("house1"), QStringLiteral("score1"), QStringLiteral("player2"),
                     QStringLiteral("house2"), QStringLiteral("score2"),
                     QStringLiteral("recorded")});
        for (const PairingRow &row : snapshot.pairings)
            rows.append({QString::number(snapshot.round), QString::number(row.table), row.player1,
                         row.house1, row.score1, row.player2, row.house2, row.score2,
                         yesNo(row.recorded)});
        break;
    case DocumentKind::PairingsByName:
        rows.append({QStringLiteral("round"), QStringLiteral("name"), QStringLiteral("house"),
                     QStringLiteral("score"), QStringLiteral("table"), QStringLiteral("opponent"),
                     QStringLiteral("recorded")});
        for (const NameRow &row : pairingsByName(snapshot.pairings))
            rows.append({QString::number(snapshot.round), row.name, row.house, row.score,
                         QString::number(row.table), row.opponent, yesNo(row.recorded)});
        break;
    case DocumentKind::Standings:
        rows.append({QStringLiteral("rank"), QStringLiteral("name"), QStringLiteral("house"),
                     QStringLiteral("score"), QStringLiteral("power"), QStringLiteral("dropped")});
        for (const RankedRow &row : snapshot.standings)
            rows.append({QString::number(row.rank), row.name, row.house, numberText(row.score),
                         numberText(row.power), yesNo(row.dropped)});
        break;
    case DocumentKind::Games:
        rows.append({QStringLiteral("round"), QStringLiteral("table"), QStringLiteral("player1"),
                     QStringLiteral("player2"), QStringLiteral("result1"),
                     QStringLiteral("points1"), QStringLiteral("points2"), QStringLiteral("power1"),
                     QStringLiteral("power2")});
        for (const Progress::Game &game : gamesInTableOrder(snapshot.games)) {
            const bool bye = game.player2 == byeText();
            rows.append({QString::number(game.round), QString::number(game.seat + 1), game.player1,
                         game.player2, game.result1, QString::number(game.points1),
                         bye ? QString() : QString::number(3 - game.points1),
                         Round::powerText(game.power1),
                         bye ? QString() : Round::powerText(game.power2)});
        }
        break;
    }
    return rows;
}

QByteArray csvText(const QList<QStringList> &rows)
{
    QByteArray out;
    for (const QStringList &row : rows) {
        for (qsizetype i = 0; i < row.size(); ++i) {
            if (i > 0)
                out.append(',');
            appendField(out, row.at(i));
        }
        out.append("\r\n");
    }
    return out;
}

std::optional<QString> writeCsv(DocumentKind kind, const Snapshot &snapshot, const QString &path)
{
    const std::optional<QList<QStringList>> rows = csvRows(kind, snapshot);
    if (!rows)
        return tr("%1 are printed or saved as PDF only.").arg(documentName(kind));
    return writeCsvRows(*rows, path);
}

std::optional<QString> writeCsvRows(const QList<QStringList> &rows, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    const QByteArray text = csvText(rows);
    if (file.write(text) != text.size() || !file.commit())
        return file.errorString();
    return std::nullopt;
}

QList<QStringList> leagueCsvRows(const QList<History::LeagueRow> &rows)
{
    QList<QStringList> out{{QStringLiteral("rank"), QStringLiteral("player"),
                            QStringLiteral("points"), QStringLiteral("events"),
                            QStringLiteral("counted")}};
    for (const History::LeagueRow &row : rows)
        out.append({QString::number(row.rank), row.name, numberText(row.points),
                    QString::number(row.events), QString::number(row.counted)});
    return out;
}

QList<QStringList> historyCsvRows(const QList<History::ArchivedTournament> &tournaments)
{
    QList<QStringList> rows{{QStringLiteral("tournament"), QStringLiteral("date"),
                             QStringLiteral("rounds"), QStringLiteral("rank"),
                             QStringLiteral("name"), QStringLiteral("house"),
                             QStringLiteral("score"), QStringLiteral("power"),
                             QStringLiteral("dropped"), QStringLiteral("late entry")}};
    for (const History::ArchivedTournament &t : tournaments) {
        for (const History::ArchivedEntrant &e : t.entrants)
            rows.append({t.name, t.played.toString(Qt::ISODate), QString::number(t.rounds),
                         QString::number(e.rank), e.name, e.house, numberText(e.score),
                         numberText(e.power), yesNo(e.dropped), yesNo(e.late)});
    }
    return rows;
}

} // namespace Zuvi::Publish
