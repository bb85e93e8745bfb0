#include "players/playercommands.h"

#include "core/errorpath.h"
#include "data/dbconnection.h"
#include "data/installfolder.h"
#include "data/schema.h"
#include "players/playerfile.h"
#include "players/playerimport.h"
#include "players/storedplayers.h"

#include <QCommandLineParser>
#include <QTextStream>

#include <cstdio>

#include <functional>

namespace Zuvi::Players {

namespace {

// Runs a command's work; any failure is printed with what was being done and gives
// exit status 1.
int runCommand(const QString &doing, QTextStream &err, const std::function<void()> &work)
{
    QString cause;
    try {
        work();
        return 0;
    } catch (const std::exception &error) {
        // A file that cannot be read says "FILE: cause" as its text.
        cause = Core::failureText(error);
    }
    err << QStringLiteral("zuvi: %1: %2").arg(doing, cause) << Qt::endl;
    return 1;
}

} // namespace

int importPlayersCommand(const QString &file, QTextStream &out, QTextStream &err)
{
    return runCommand(QStringLiteral("players not imported"), err, [&] {
        const PlayerTable table = readPlayerFile(file);
        Data::ensureDatabases();
        const ImportResult result =
            onStoredPlayers([&](auto &players) { return runImport(players, table); });
        out << importSummary(result) << Qt::endl;
        if (!table.ignoredColumns.isEmpty())
            out << QStringLiteral("Columns not imported: %1.")
                       .arg(table.ignoredColumns.join(QStringLiteral(", ")))
                << Qt::endl;
    });
}

int exportPlayersCommand(const QString &file, Passwords passwords, QTextStream &out,
                         QTextStream &err)
{
    return runCommand(QStringLiteral("players not exported"), err, [&] {
        Data::ensureDatabases();
        const qsizetype count = onStoredPlayers(
            [&](auto &players) { return exportPlayersCsv(players, file, passwords); });
        out << exportSummary(count, file) << Qt::endl;
    });
}

int importPlayersFromCommandLine(const QCommandLineParser &parser)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    return importPlayersCommand(parser.value(QStringLiteral("import-players")), out, err);
}

int exportPlayersFromCommandLine(const QCommandLineParser &parser)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    return exportPlayersCommand(parser.value(QStringLiteral("export-players")),
                                parser.isSet(QStringLiteral("with-passwords")) ? Passwords::Included
                                                                               : Passwords::LeftOut,
                                out, err);
}

} // namespace Zuvi::Players
