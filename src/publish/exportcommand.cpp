#include "publish/exportcommand.h"

#include "core/errorpath.h"
#include "data/schema.h"
#include "publish/publishactions.h"
#include "history/archiveaccess.h"
#include "history/league.h"
#include "publish/historydocuments.h"
#include "publish/csvexport.h"
#include "tournament/storechoice.h"
#include "tournament/tournamentprogress.h"

#include <QCommandLineParser>
#include <QDir>

#include <algorithm>
#include <functional>
#include <QTextStream>

#include <exception>
#include <new>

namespace Zuvi::Publish {

namespace {

const QList<std::pair<QString, DocumentKind>> &namedDocuments()
{
    static const QList<std::pair<QString, DocumentKind>> names = {
        {QStringLiteral("standings"), DocumentKind::Standings},
        {QStringLiteral("pairings"), DocumentKind::PairingsByTable},
        {QStringLiteral("pairings-by-name"), DocumentKind::PairingsByName},
        {QStringLiteral("slips"), DocumentKind::MatchSlips},
        {QStringLiteral("games"), DocumentKind::Games},
    };
    return names;
}

} // namespace

std::optional<DocumentKind> documentFromName(const QString &name)
{
    for (const auto &[text, kind] : namedDocuments()) {
        if (text == name)
            return kind;
    }
    return std::nullopt;
}

QStringList documentNames()
{
    QStringList names;
    for (const auto &named : namedDocuments())
        names.append(named.first);
    return names;
}

namespace {

/// Writes the CSV rows that make draws from the club's archive to file and says what it
/// wrote ("Wrote <what> to FILE."); a failure is reported as "<failed> not exported: cause".
/// make returns the rows and what they are, or nothing for a refusal it has reported itself;
/// a file ending in .pdf gets the document instead of the rows.
struct ArchiveWriting
{
    QList<QStringList> rows;
    QString what;
    std::optional<TableDocument> document;
};
using ArchiveRows = std::optional<ArchiveWriting>;
int writeFromArchive(const QString &file, const QString &failed, QTextStream &out, QTextStream &err,
                     const std::function<ArchiveRows(const History::ArchiveAccess &)> &make)
{
    QString cause;
    try {
        Data::ensureDatabases();
        const ArchiveRows made =
            make(History::ArchiveAccess(storeChoice().server, storeChoice().stationName()));
        if (!made)
            return 1;
        const bool pdf = file.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive);
        const std::optional<QString> error = pdf && made->document ? writePdf(*made->document, file)
                                                                   : writeCsvRows(made->rows, file);
        if (!error) {
            out << QStringLiteral("Wrote %1 to %2.").arg(made->what, QDir::toNativeSeparators(file))
                << Qt::endl;
            return 0;
        }
        cause = *error;
    } catch (const std::exception &error) {
        cause = Core::failureText(error);
    }
    err << QStringLiteral("zuvi: %1 not exported: %2").arg(failed, cause) << Qt::endl;
    return 1;
}

/// --export history FILE.csv: every archived tournament, one row per tournament and player.
int exportHistory(const QStringList &files, QTextStream &out, QTextStream &err)
{
    if (files.size() != 1 ||
        !files.constFirst().endsWith(QLatin1String(".csv"), Qt::CaseInsensitive)) {
        err << QStringLiteral("zuvi: --export history needs one FILE.csv.") << Qt::endl;
        return 2;
    }
    return writeFromArchive(
        files.constFirst(), QStringLiteral("History"), out, err,
        [](const History::ArchiveAccess &archive) -> ArchiveRows {
            const QList<History::ArchivedTournament> tournaments = archive.list();
            return ArchiveWriting{
                historyCsvRows(tournaments),
                QStringLiteral("the history (%1 tournaments)").arg(tournaments.size()),
                std::nullopt};
        });
}

/// --export league NAME FILE.pdf|FILE.csv: the table of a league kept in the history.
int exportLeague(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    if (arguments.size() != 2 ||
        (!arguments.at(1).endsWith(QLatin1String(".csv"), Qt::CaseInsensitive) &&
         !arguments.at(1).endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))) {
        err << QStringLiteral(
                   "zuvi: --export league needs the league's NAME and one FILE.pdf or FILE.csv.")
            << Qt::endl;
        return 2;
    }
    const QString &name = arguments.at(0);
    return writeFromArchive(
        arguments.at(1), QStringLiteral("League"), out, err,
        [&](const History::ArchiveAccess &archive) -> ArchiveRows {
            const QList<History::League> leagues = archive.leagues();
            const auto found =
                std::find_if(leagues.cbegin(), leagues.cend(),
                             [&](const History::League &l) { return l.name == name; });
            if (found == leagues.cend()) {
                QStringList names;
                for (const History::League &league : leagues)
                    names.append(league.name);
                err << QStringLiteral("zuvi: There is no league \"%1\" (kept: %2).")
                           .arg(name.left(200), names.isEmpty() ? QStringLiteral("none")
                                                                : names.join(QStringLiteral(", ")))
                    << Qt::endl;
                return std::nullopt;
            }
            const QList<History::ArchivedTournament> tournaments =
                History::tournamentsOf(*found, archive.list());
            const QList<History::LeagueRow> rows = History::leagueTable(tournaments, found->scheme);
            return ArchiveWriting{
                leagueCsvRows(rows),
                QStringLiteral("the league %1 (%2 players)").arg(found->name).arg(rows.size()),
                leagueDocument(found->name, found->scheme, int(tournaments.size()), rows)};
        });
}

} // namespace

int exportCommand(const QString &document, const QStringList &files, QTextStream &out,
                  QTextStream &err)
{
    if (document == QLatin1String("history"))
        return exportHistory(files, out, err);
    if (document == QLatin1String("league"))
        return exportLeague(files, out, err);
    const std::optional<DocumentKind> kind = documentFromName(document);
    if (!kind) {
        err << QStringLiteral("zuvi: --export takes one of %1, not '%2'.")
                   .arg(documentNames().join(QStringLiteral(", ")) +
                            QStringLiteral(", history, league"),
                        document)
            << Qt::endl;
        return 2;
    }
    if (files.size() != 1) {
        err << QStringLiteral("zuvi: --export %1 needs one FILE (.pdf or .csv).").arg(document)
            << Qt::endl;
        return 2;
    }
    const QString file = files.constFirst();
    QString cause;
    try {
        Data::ensureDatabases();
        Data::upgradeTournyDatabase();
        TournamentProgress progress;
        progress.loadStored();
        progress.resume();
        const Snapshot snapshot = takeSnapshot(progress);
        const std::optional<QString> error = exportDocument(*kind, snapshot, file);
        if (!error) {
            out << QStringLiteral("Wrote %1 to %2.")
                       .arg(documentName(*kind), QDir::toNativeSeparators(file))
                << Qt::endl;
            return 0;
        }
        cause = *error;
    } catch (const std::exception &error) {
        cause = Core::failureText(error);
    }
    err << QStringLiteral("zuvi: %1 not exported: %2").arg(documentName(*kind), cause) << Qt::endl;
    return 1;
}

int exportFromCommandLine(const QCommandLineParser &parser)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    return exportCommand(parser.value(QStringLiteral("export")), parser.positionalArguments(), out,
                         err);
}

} // namespace Zuvi::Publish
