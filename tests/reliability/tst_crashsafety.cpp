// A tournament played through the real windows in a child process, killed with SIGKILL
// at random moments: afterwards the standings file must pass the integrity check and hold
// exactly the games whose "Game Over" had returned, plus at most the game in flight,
// whole or not at all.

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
constexpr int kEntrants = 13; // odd: every round has a game against "Bye"
constexpr int kRoundCount = 4;
const QString kRounds = QString::number(kRoundCount);

// Bounds of the run: so many kills, or so much time, whichever comes first.
constexpr int kKills = 100;
constexpr qint64 kBudgetMs = 60000;

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

/// What the log says the standings may be: the one state every finished step leads to,
/// and the state with the step in flight done too (each is all or nothing).
struct Allowed
{
    Standings settled;
    std::optional<Standings> inFlight;
    int games = 0;
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
    QStringList pending;
    bool startPending = false;
    // A line cut off by the kill was never completed, so it does not count.
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const QStringList fields = QString::fromUtf8(lines.at(i)).split(QLatin1Char('|'));
        const QString &kind = fields.first();
        if (kind == QStringLiteral("begin start")) {
            startPending = true;
        } else if (kind == QStringLiteral("started")) {
            allowed.settled = freshEntrants();
            startPending = false;
        } else if (kind == QStringLiteral("begin game")) {
            pending = fields;
        } else if (kind == QStringLiteral("done")) {
            addGame(allowed.settled, pending);
            pending.clear();
            ++allowed.games;
        } else if (kind == QStringLiteral("finished")) {
            allowed.finished = true;
        } else if (kind == QStringLiteral("message")) {
            allowed.message = fields.mid(1).join(QLatin1Char('|'));
        }
    }
    if (startPending) {
        allowed.inFlight = freshEntrants();
    } else if (!pending.isEmpty()) {
        allowed.inFlight = allowed.settled;
        addGame(*allowed.inFlight, pending);
    }
    return allowed;
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

} // namespace

class TestCrashSafety final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void killedAtRandomMomentsKeepsEveryReturnedGame();

private:
    /// Runs the driver once; kills it after killAfterMs unless it ended before. Returns
    /// whether it was killed.
    bool runOnce(quint32 seed, std::optional<int> killAfterMs, qint64 *durationMs);

    int m_killsInFlight = 0;
    int m_inFlightLanded = 0;
    qint64 m_gamesAtKill = 0;
};

bool TestCrashSafety::runOnce(quint32 seed, std::optional<int> killAfterMs, qint64 *durationMs)
{
    TempInstall install;
    prepareInstall(install);
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

    // The tournament's clock starts when the driver has its windows built.
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
    if (killed) {
        if (allowed.inFlight)
            ++m_killsInFlight;
        m_gamesAtKill += allowed.games;
    }
    [&] {
        QVERIFY2(allowed.message.isEmpty(), qPrintable(allowed.message));
        if (!killed) {
            QCOMPARE(driver.exitStatus(), QProcess::NormalExit);
            QCOMPARE(driver.exitCode(), 0);
            QVERIFY(allowed.finished);
            QCOMPARE(allowed.games, kRoundCount * (kEntrants + 1) / 2);
        }
        const auto integrity = install.rows(kTourny, QStringLiteral("PRAGMA integrity_check"));
        QCOMPARE(integrity, QList<QVariantList>{{QStringLiteral("ok")}});
        const Standings actual = readStandings(install);
        const bool matches =
            actual == allowed.settled || (allowed.inFlight && actual == *allowed.inFlight);
        if (killed && allowed.inFlight && actual == *allowed.inFlight)
            ++m_inFlightLanded;
        QVERIFY2(matches, qPrintable(QStringLiteral("seed %1: standings %2; expected %3%4")
                                         .arg(seed)
                                         .arg(describe(actual), describe(allowed.settled),
                                              allowed.inFlight ? QStringLiteral(" or ") +
                                                                     describe(*allowed.inFlight)
                                                               : QString())));
    }();
    return killed;
}

void TestCrashSafety::killedAtRandomMomentsKeepsEveryReturnedGame()
{
    // One run to its end: the whole tournament is in the log and in the file, and its
    // length sets the span within which the kills fall.
    qint64 fullRunMs = 0;
    QVERIFY(!runOnce(1, std::nullopt, &fullRunMs));
    if (QTest::currentTestFailed())
        return;

    QRandomGenerator random(20261210);
    QElapsedTimer budget;
    budget.start();
    int kills = 0;
    int runs = 0;
    while (kills < kKills && budget.elapsed() < kBudgetMs) {
        const int killAfter = int(random.bounded(quint32(fullRunMs + 1)));
        if (runOnce(random.generate(), killAfter, nullptr))
            ++kills;
        ++runs;
        if (QTest::currentTestFailed())
            return;
    }
    qInfo("kills survived: %d of %d runs (a tournament takes %lld ms); %d kills fell between "
          "a step's click and its return (%d of those steps had reached the file); "
          "%.1f games were recorded on average before a kill",
          kills, runs, qlonglong(fullRunMs), m_killsInFlight, m_inFlightLanded,
          kills ? double(m_gamesAtKill) / kills : 0.0);
    QVERIFY(kills > 0);
}

QTEST_GUILESS_MAIN(TestCrashSafety)
#include "tst_crashsafety.moc"
