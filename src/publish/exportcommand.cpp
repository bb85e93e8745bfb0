#include "publish/exportcommand.h"

#include "core/errorpath.h"
#include "data/schema.h"
#include "publish/publishactions.h"
#include "tournament/tournamentprogress.h"

#include <QCommandLineParser>
#include <QDir>
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

int exportCommand(const QString &document, const QStringList &files, QTextStream &out,
                  QTextStream &err)
{
    const std::optional<DocumentKind> kind = documentFromName(document);
    if (!kind) {
        err << QStringLiteral("zuvi: --export takes one of %1, not '%2'.")
                   .arg(documentNames().join(QStringLiteral(", ")), document)
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
