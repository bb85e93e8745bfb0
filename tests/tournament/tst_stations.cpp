// Several station processes on one server record one round of 512 entrants at once, each
// trying every table in an order of its own: every game is recorded exactly once, the
// standings equal a single station's with the same results, no station hangs, and every
// conflict was refused with its message.

#include "support/rowgame.h"
#include "support/memorytournamentstore.h"
#include "support/modeltexts.h"
#include "support/testserver.h"
#include "support/testsupport.h"

#include "data/serverlink.h"
#include "tournament/servertournamentstore.h"
#include "tournament/tournamentprogress.h"

#include <QApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <cstdio>

using namespace Zuvi;
using namespace Zuvi::Test;

namespace {

constexpr int kEntrants = 512;
constexpr int kStations = 4;
const char *const kWorkerVariable = "ZUVI_STATION_WORKER";

const QStringList kResults{QStringLiteral("Full Win"), QStringLiteral("Modified Win"),
                           QStringLiteral("True Draw"), QStringLiteral("Modified Loss"),
                           QStringLiteral("Full Loss")};

/// The result of the game at a table: the same whichever station records it.
struct TableResult
{
    QString result1;
    double power1;
    double power2;
};
TableResult resultOf(int seat)
{
    return {kResults.at(seat % kResults.size()), (seat % 7) + 0.5, double(seat % 3)};
}

void enterAll(TournamentProgress &model)
{
    for (int i = 1; i <= kEntrants; ++i)
        model.addEntrant(QStringLiteral("Player %1").arg(i, 3, 10, QLatin1Char('0')),
                         QStringLiteral("Stark"));
}

/// One station process: tries every table of the open round, starting at its own share.
int runWorker(int index, int stations)
{
    QString problem;
    const std::optional<TestServer> server = TestServer::find(&problem);
    if (!server) {
        std::fprintf(stderr, "%s\n", qPrintable(problem));
        return 2;
    }
    Data::ServerLink link(server->address, QStringLiteral("Desk %1").arg(index + 1));
    ServerTournamentStore store(link);
    TournamentProgress model(&store);
    if (model.loadStored())
        model.resume();
    const int tables = int(model.seats().size());
    int recorded = 0;
    int conflicts = 0;
    int wrong = 0;
    for (int n = 0; n < tables; ++n) {
        const int seat = (n + index * tables / stations) % tables;
        QCoreApplication::processEvents();
        const Progress::GameRef game = model.openRoundGame(seat + 1);
        if (!model.isOpen(game))
            continue; // already recorded, as this station knows
        const TableResult result = resultOf(seat);
        try {
            if (model.recordGame(game, result.result1, result.power1, result.power2) ==
                TournamentProgress::RecordRefusal::None)
                ++recorded;
        } catch (const Data::ServerConflict &conflict) {
            ++conflicts;
            const QString expected =
                QStringLiteral("Table %1 was recorded at another station a moment ago.")
                    .arg(seat + 1);
            if (conflict.description() != expected) {
                ++wrong;
                std::fprintf(stderr, "unexpected refusal: %s\n",
                             qPrintable(conflict.description()));
            }
        }
    }
    std::printf("recorded=%d conflicts=%d wrong=%d\n", recorded, conflicts, wrong);
    return 0;
}

} // namespace

class TestStations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyGameIsRecordedOnce();
};

void TestStations::everyGameIsRecordedOnce()
{
    QString problem;
    const std::optional<TestServer> server = TestServer::find(&problem);
    if (!server)
        QFAIL(qPrintable(problem));
    server->reset();

    // The organiser's desk registers and pairs; the same tournament on one computer beside.
    Data::ServerLink link(server->address, QStringLiteral("Organiser"));
    ServerTournamentStore store(link);
    TournamentProgress organiser(&store);
    organiser.setRandomSource([] { return 0.0; });
    enterAll(organiser);
    organiser.startRound(QStringLiteral("3"));
    const int tables = int(organiser.seats().size());
    QCOMPARE(tables, kEntrants / 2);

    MemoryTournamentStore memory;
    TournamentProgress single(&memory);
    single.setRandomSource([] { return 0.0; });
    enterAll(single);
    single.startRound(QStringLiteral("3"));
    for (int seat = 0; seat < tables; ++seat) {
        const TableResult result = resultOf(seat);
        recordAtRow(single, 0, result.result1, result.power1, result.power2);
    }

    // The stations, all at once.
    std::vector<std::unique_ptr<QProcess>> workers;
    for (int i = 0; i < kStations; ++i) {
        auto worker = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(kWorkerVariable),
                           QStringLiteral("%1/%2").arg(i).arg(kStations));
        worker->setProcessEnvironment(environment);
        worker->setProcessChannelMode(QProcess::SeparateChannels);
        worker->start(QCoreApplication::applicationFilePath(), {});
        workers.push_back(std::move(worker));
    }
    int recorded = 0;
    int conflicts = 0;
    static const QRegularExpression line(
        QStringLiteral("recorded=(\\d+) conflicts=(\\d+) wrong=(\\d+)"));
    for (const auto &worker : workers) {
        // A station that hangs (a deadlock) fails here.
        QVERIFY2(worker->waitForFinished(180000), "a station did not finish");
        const QString output = QString::fromLocal8Bit(worker->readAllStandardOutput());
        const QString errors = QString::fromLocal8Bit(worker->readAllStandardError());
        QVERIFY2(worker->exitCode() == 0, qPrintable(errors));
        const QRegularExpressionMatch match = line.match(output);
        QVERIFY2(match.hasMatch(), qPrintable(output + errors));
        recorded += match.captured(1).toInt();
        conflicts += match.captured(2).toInt();
        QCOMPARE(match.captured(3).toInt(), 0);
    }
    qInfo("%d stations recorded %d games; %d conflicts refused", kStations, recorded, conflicts);
    QCOMPARE(recorded, tables);

    // Each table once, and the standings of one station with the same results.
    QSqlQuery &twice = link.exec(QStringLiteral(
        "SELECT count(*) FROM (SELECT Seat FROM ZuviGame GROUP BY Seat HAVING count(*) > 1) t"));
    QVERIFY(link.next(twice));
    QCOMPARE(twice.value(0).toInt(), 0);
    QSqlQuery &games = link.exec(QStringLiteral("SELECT count(*) FROM ZuviGame"));
    QVERIFY(link.next(games));
    QCOMPARE(games.value(0).toInt(), tables);
    QCOMPARE(standingsOf(store), standingsOf(memory));
    organiser.reload();
    QVERIFY(organiser.openSeats().isEmpty());
}

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const QString worker = qEnvironmentVariable(kWorkerVariable);
    if (!worker.isEmpty())
        return runWorker(worker.section(QLatin1Char('/'), 0, 0).toInt(),
                         worker.section(QLatin1Char('/'), 1, 1).toInt());
    TestStations test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_stations.moc"
