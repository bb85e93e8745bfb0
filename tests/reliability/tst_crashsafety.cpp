// A tournament played through the real windows in a child process, killed with SIGKILL
// at random moments and started again each time, answering Yes to the question to resume.
// After each kill the files must pass the integrity check and hold exactly the steps whose
// click had returned, plus at most the step in flight, whole or not at all (its standings
// and its record together). At the end the standings and the recorded games must be those
// of an uninterrupted run with the same draw and the same results: every game recorded
// exactly once. The last round's end and the club's archive are one step: after any kill
// the tournament is archived, whole, exactly when its last round has ended.
//
// ZUVI_KILLS=N sets the number of kills (a long soak); by default 100, fewer in a build
// with AddressSanitizer, whose windows are several times slower.

#include "support/testsupport.h"

#include "data/installfolder.h"

#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include <optional>

using namespace Zuvi;
using namespace Zuvi::Test;

namespace {

const QString kTourny = Data::tournyDatabase();
const QString kPlayers = Data::playersDatabase();
constexpr int kEntrants = 13; // odd: every round has a game against "Bye"
constexpr int kRoundCount = 4;
const QString kRounds = QString::number(kRoundCount);
constexpr int kGames = kRoundCount * (kEntrants + 1) / 2;

#if defined(__SANITIZE_ADDRESS__)
constexpr int kDefaultKills = 30;
#else
constexpr int kDefaultKills = 100;
#endif
// The draws the tournaments take in turn; each has its uninterrupted run as reference.
constexpr quint32 kSeeds[] = {1, 7, 20261210};
// A tournament that needs more starts than this makes no progress after a resume.
constexpr int kMaxRunsPerTournament = 400;

int killTarget()
{
    bool ok = false;
    const int kills = qEnvironmentVariableIntValue("ZUVI_KILLS", &ok);
    return ok && kills > 0 ? kills : kDefaultKills;
}

struct Standing
{
    qint64 score = 0;
    double power = 0;
    bool operator==(const Standing &) const = default;
};

using Standings = QMap<QString, Standing>;

/// The rows left by an earlier evening, which the start replaces.
const Standings &leftover()
{
    static const Standings rows = {{QStringLiteral("Old, Player"), {6, 12.5}},
                                   {QStringLiteral("Older, Player"), {3, 4}}};
    return rows;
}

Standings freshEntrants()
{
    Standings rows;
    for (int i = 0; i < kEntrants; ++i)
        rows.insert(QStringLiteral("O'Club%1, Player%1").arg(i), {});
    return rows;
}

enum class Pending { None, Start, Game };

/// What the log says the standings may be: the one state every finished step leads to,
/// and the state with the step in flight done too (each is all or nothing).
struct Allowed
{
    Standings settled;
    Pending pending = Pending::None;
    std::optional<Standings> inFlight;
    int games = 0;
    int resumes = 0;
    bool finished = false;
    QString message;
};

void addGame(Standings &rows, const QStringList &fields)
{
    const int points1 = fields.at(3).toInt();
    Standing &first = rows[fields.at(1)];
    first.score += points1;
    first.power += fields.at(4).toDouble();
    if (fields.at(2) != QStringLiteral("Bye")) {
        Standing &second = rows[fields.at(2)];
        second.score += 3 - points1;
        second.power += fields.at(5).toDouble();
    }
}

Allowed readLog(const QString &path)
{
    Allowed allowed;
    allowed.settled = leftover();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return allowed;
    QStringList pendingGame;
    // A line cut off by the kill was never completed, so it does not count.
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const QStringList fields = QString::fromUtf8(lines.at(i)).split(QLatin1Char('|'));
        const QString &kind = fields.first();
        if (kind == QStringLiteral("begin start")) {
            allowed.pending = Pending::Start;
        } else if (kind == QStringLiteral("started")) {
            allowed.settled = freshEntrants();
            allowed.pending = Pending::None;
        } else if (kind == QStringLiteral("begin game")) {
            pendingGame = fields;
            allowed.pending = Pending::Game;
        } else if (kind == QStringLiteral("done")) {
            addGame(allowed.settled, pendingGame);
            allowed.pending = Pending::None;
            ++allowed.games;
        } else if (kind == QStringLiteral("lost")) {
            allowed.pending = Pending::None;
        } else if (kind == QStringLiteral("run") && fields.value(1) == QStringLiteral("resumed")) {
            ++allowed.resumes;
        } else if (kind == QStringLiteral("finished")) {
            allowed.finished = true;
        } else if (kind == QStringLiteral("message")) {
            allowed.message = fields.mid(1).join(QLatin1Char('|'));
        }
    }
    if (allowed.pending == Pending::Start) {
        allowed.inFlight = freshEntrants();
    } else if (allowed.pending == Pending::Game) {
        allowed.inFlight = allowed.settled;
        addGame(*allowed.inFlight, pendingGame);
    }
    return allowed;
}

/// Notes in the log whether the step in flight at a kill was made, so that the driver's
/// next run, which does not repeat a step it finds done, is read right. A line the kill
/// cut off goes first.
void resolveInLog(const QString &path, const char *line)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        qFatal("cannot open the log %s", qPrintable(path));
    const QByteArray text = file.readAll();
    file.resize(text.lastIndexOf('\n') + 1);
    file.seek(file.size());
    file.write(QByteArray(line) + '\n');
}

Standings readStandings(const TempInstall &install)
{
    Standings rows;
    const auto table =
        install.rows(kTourny, QStringLiteral("SELECT Name, Score, Power FROM TournyInfo"));
    for (const QVariantList &row : table) {
        // A name twice would be a row written twice.
        if (rows.contains(row.at(0).toString()))
            rows.insert(row.at(0).toString() + QStringLiteral(" (twice)"), {});
        rows.insert(row.at(0).toString(), {row.at(1).toLongLong(), row.at(2).toDouble()});
    }
    return rows;
}

/// The recorded games, one line each, by round and seat.
QStringList readGames(const TempInstall &install)
{
    QStringList games;
    const auto rows = install.rows(
        kTourny, QStringLiteral("SELECT Round, Seat, Player1, Player2, Result1, Points1, Power1, "
                                "Power2 FROM ZuviGame ORDER BY Round, Seat, Id"));
    for (const QVariantList &row : rows) {
        QStringList fields;
        for (const QVariant &value : row)
            fields.append(value.toString());
        games.append(fields.join(QLatin1Char('|')));
    }
    return games;
}

int gameCount(const TempInstall &install)
{
    return install.rows(kTourny, QStringLiteral("SELECT count(*) FROM ZuviGame"))
        .value(0)
        .value(0)
        .toInt();
}

QString describe(const Standings &rows)
{
    QStringList parts;
    for (auto it = rows.cbegin(); it != rows.cend(); ++it)
        parts.append(QStringLiteral("%1=%2/%3").arg(it.key()).arg(it->score).arg(it->power));
    return parts.join(QStringLiteral("; "));
}

/// A fresh installation with the stored players and an earlier evening's standings.
void prepareInstall(const TempInstall &install)
{
    QList<std::pair<QString, QString>> players;
    for (int i = 0; i < kEntrants; ++i)
        players.append({QStringLiteral("Player%1").arg(i), QStringLiteral("O'Club%1").arg(i)});
    install.addPlayers(players);
    for (auto it = leftover().cbegin(); it != leftover().cend(); ++it)
        install.exec(kTourny, QStringLiteral("INSERT INTO TournyInfo VALUES (?, 'Stark', ?, ?)"),
                     {it.key(), it->score, it->power});
}

/// How a tournament ended: its standings and its recorded games.
struct Final
{
    Standings standings;
    QStringList games;
};

} // namespace

class TestCrashSafety final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void killedAtRandomMomentsResumesToTheUninterruptedResult();

private:
    /// Starts the driver once on the installation; kills it after killAfterMs unless it
    /// ended before. Returns whether it was killed; checks the files either way.
    bool runOnce(const TempInstall &install, quint32 seed, std::optional<int> killAfterMs,
                 qint64 *durationMs);
    /// Plays one tournament to its end, killed at random moments within fullRunMs of each
    /// start; returns how it ended.
    Final playTournament(quint32 seed, qint64 fullRunMs, QRandomGenerator *random);

    int m_kills = 0;
    int m_runs = 0;
    int m_resumes = 0;
    int m_killsInFlight = 0;
    int m_inFlightLanded = 0;
    int m_archivedSeen = 0; ///< runs that found the tournament over and archived
};

bool TestCrashSafety::runOnce(const TempInstall &install, quint32 seed,
                              std::optional<int> killAfterMs, qint64 *durationMs)
{
    const QString logPath = install.folder() + QStringLiteral("/driver.log");

    QProcess driver;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), qEnvironmentVariable("XDG_DATA_HOME"));
    driver.setProcessEnvironment(environment);
    driver.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    driver.start(QStringLiteral(ZUVI_CRASHDRIVER),
                 {logPath, QString::number(kEntrants), kRounds, QString::number(seed)});
    [&] { QVERIFY2(driver.waitForStarted(), qPrintable(driver.errorString())); }();
    if (QTest::currentTestFailed())
        return false;
    ++m_runs;

    // The clock starts when the driver has its application object.
    [&] { QVERIFY2(driver.waitForReadyRead(60000), "the driver did not begin"); }();
    QElapsedTimer clock;
    clock.start();
    bool killed = false;
    if (killAfterMs && !driver.waitForFinished(*killAfterMs)) {
        driver.kill(); // SIGKILL
        killed = true;
    }
    [&] {
        QVERIFY2(driver.state() == QProcess::NotRunning || driver.waitForFinished(120000),
                 qPrintable(driver.errorString()));
    }();
    if (durationMs)
        *durationMs = clock.elapsed();
    if (QTest::currentTestFailed())
        return false;

    const Allowed allowed = readLog(logPath);
    [&] {
        QVERIFY2(allowed.message.isEmpty(), qPrintable(allowed.message));
        if (!killed) {
            QCOMPARE(driver.exitStatus(), QProcess::NormalExit);
            QCOMPARE(driver.exitCode(), 0);
            QVERIFY(allowed.finished);
            QCOMPARE(allowed.games, kGames);
        }
        for (const QString &database : {kTourny, kPlayers}) {
            const auto integrity = install.rows(database, QStringLiteral("PRAGMA integrity_check"));
            QCOMPARE(integrity, QList<QVariantList>{{QStringLiteral("ok")}});
        }
        // The last round's end and the archive are one step: the tournament is in the
        // archive, whole, exactly when its last round has ended.
        const auto counter = install.rows(
            kTourny, QStringLiteral("SELECT Value FROM ZuviState WHERE Key = 'roundcounter'"));
        const bool over = !counter.isEmpty() && counter.first().first().toInt() > kRoundCount;
        const auto archive = install.rows(
            kPlayers, QStringLiteral("SELECT (SELECT count(*) FROM ZuviArchive), (SELECT "
                                     "count(*) FROM ZuviArchiveEntrant), (SELECT count(*) "
                                     "FROM ZuviArchiveGame)"));
        const QString found = QStringLiteral("%1 %2 %3")
                                  .arg(archive.first().at(0).toInt())
                                  .arg(archive.first().at(1).toInt())
                                  .arg(archive.first().at(2).toInt());
        const QString whole =
            over ? QStringLiteral("1 %1 %2").arg(kEntrants).arg(kGames) : QStringLiteral("0 0 0");
        QCOMPARE(found, whole);
        if (over)
            ++m_archivedSeen;
        const Standings actual = readStandings(install);
        const int games = gameCount(install);
        // The step in flight counts as made when its record is there (a game) or the
        // standings were replaced (the start); the standings must then agree.
        bool landed = false;
        if (allowed.pending == Pending::Game)
            landed = games == allowed.games + 1;
        else if (allowed.pending == Pending::Start)
            landed = actual == *allowed.inFlight;
        QCOMPARE(games, allowed.games + (landed && allowed.pending == Pending::Game ? 1 : 0));
        const Standings &want = landed ? *allowed.inFlight : allowed.settled;
        QVERIFY2(actual == want, qPrintable(QStringLiteral("seed %1: standings %2; expected %3")
                                                .arg(seed)
                                                .arg(describe(actual), describe(want))));
        if (killed && allowed.pending != Pending::None) {
            ++m_killsInFlight;
            if (landed)
                ++m_inFlightLanded;
            const char *made = allowed.pending == Pending::Game ? "done" : "started";
            resolveInLog(logPath, landed ? made : "lost");
        }
    }();
    if (killed)
        ++m_kills;
    return killed;
}

Final TestCrashSafety::playTournament(quint32 seed, qint64 fullRunMs, QRandomGenerator *random)
{
    TempInstall install;
    prepareInstall(install);
    int runs = 0;
    for (;;) {
        std::optional<int> killAfter;
        if (random)
            killAfter = int(random->bounded(quint32(fullRunMs + 1)));
        const bool killed = runOnce(install, seed, killAfter, nullptr);
        if (QTest::currentTestFailed() || !killed)
            break;
        [&] {
            QVERIFY2(++runs < kMaxRunsPerTournament,
                     "the tournament makes no progress after a resume");
        }();
        if (QTest::currentTestFailed())
            break;
    }
    const Allowed allowed = readLog(install.folder() + QStringLiteral("/driver.log"));
    m_resumes += allowed.resumes;
    Final result{readStandings(install), readGames(install)};
    // The log's account of the evening agrees with the file.
    [&] { QCOMPARE(describe(result.standings), describe(allowed.settled)); }();
    return result;
}

void TestCrashSafety::killedAtRandomMomentsResumesToTheUninterruptedResult()
{
    // One uninterrupted run per draw: its end is the reference for the killed tournaments
    // with that draw, and its length sets the span within which the kills fall.
    QMap<quint32, Final> reference;
    qint64 fullRunMs = 0;
    for (const quint32 seed : kSeeds) {
        TempInstall install;
        prepareInstall(install);
        qint64 duration = 0;
        QVERIFY(!runOnce(install, seed, std::nullopt, &duration));
        if (QTest::currentTestFailed())
            return;
        fullRunMs = std::max(fullRunMs, duration);
        const Final end{readStandings(install), readGames(install)};
        // Every game of the final pairings once: one per (round, seat), seats 0 to 6.
        QCOMPARE(end.games.size(), kGames);
        for (int i = 0; i < kGames; ++i) {
            const QStringList fields = end.games.at(i).split(QLatin1Char('|'));
            QCOMPARE(fields.at(0).toInt(), i / ((kEntrants + 1) / 2) + 1);
            QCOMPARE(fields.at(1).toInt(), i % ((kEntrants + 1) / 2));
        }
        reference.insert(seed, end);
    }

    const int target = killTarget();
    QRandomGenerator random(20261210);
    QElapsedTimer elapsed;
    elapsed.start();
    int tournaments = 0;
    while (m_kills < target) {
        const quint32 seed = kSeeds[tournaments % std::size(kSeeds)];
        const Final end = playTournament(seed, fullRunMs, &random);
        if (QTest::currentTestFailed())
            return;
        ++tournaments;
        if (tournaments % 50 == 0)
            qInfo("%d kills in %d runs of %d tournaments, %lld s", m_kills, m_runs, tournaments,
                  qlonglong(elapsed.elapsed() / 1000));
        QVERIFY2(end.standings == reference.value(seed).standings,
                 qPrintable(
                     QStringLiteral("seed %1: standings %2; uninterrupted %3")
                         .arg(seed)
                         .arg(describe(end.standings), describe(reference.value(seed).standings))));
        QCOMPARE(end.games, reference.value(seed).games);
    }
    qInfo("%d kills in %d runs of %d tournaments, %d resumes answered Yes, in %lld s "
          "(an uninterrupted tournament takes %lld ms); %d kills fell between a step's click "
          "and its return (%d of those steps had reached the file); %d runs found the "
          "tournament over and archived whole, none found one without the other",
          m_kills, m_runs, tournaments, m_resumes, qlonglong(elapsed.elapsed() / 1000),
          qlonglong(fullRunMs), m_killsInFlight, m_inFlightLanded, m_archivedSeen);
}

int main(int argc, char *argv[])
{
    // A soak runs for as long as its kills take: QtTest's watchdog (5 minutes by default)
    // allows ten seconds a kill. A driver that hangs is caught by its own wait.
    if (!qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT"))
        qputenv("QTEST_FUNCTION_TIMEOUT",
                QByteArray::number(600000 + qint64(killTarget()) * 10000));
    QCoreApplication app(argc, argv);
    TestCrashSafety test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_crashsafety.moc"
