// The copies of Tourny.db that every "End Round" writes: each tournament keeps its own in a
// folder named by its start, so that a later tournament never writes over an earlier one's
// rounds (both once went to backups/Tourny-roundN.db).

#include "support/roundfixture.h"

#include "data/backup.h"
#include "data/installfolder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

using namespace Zuvi;
using namespace Zuvi::Test;

namespace {

const QString kTourny = QStringLiteral("Tourny");

/// The database name (relative to the install folder) of a tournament's copy of a round.
QString copyOf(qint64 startedAtMs, int round)
{
    return QDir(Data::installFolder())
        .relativeFilePath(Data::tournamentBackupFolder(startedAtMs) +
                          QStringLiteral("/Tourny-round%1").arg(round));
}

/// The standings' names a copy holds.
QStringList namesIn(const TempInstall &install, const QString &copy)
{
    QStringList names;
    for (const QVariantList &row :
         install.rows(copy, QStringLiteral("SELECT Name FROM TournyInfo ORDER BY Name")))
        names.append(row.at(0).toString());
    return names;
}

void setStandings(const TempInstall &install, const QString &name)
{
    install.exec(kTourny, QStringLiteral("DELETE FROM TournyInfo"));
    install.exec(kTourny, QStringLiteral("INSERT INTO TournyInfo VALUES (?, 'Stark', 0, 0)"),
                 {name});
}

} // namespace

class TestBackup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void laterTournamentNeverOverwritesEarlierBackups();
    void roundEndWritesIntoTheTournamentsOwnFolder();
};

void TestBackup::laterTournamentNeverOverwritesEarlierBackups()
{
    TempInstall install;
    // A copy in the old layout, from before tournaments had folders of their own.
    QVERIFY(QDir().mkpath(Data::backupFolder()));
    QFile old(Data::backupFolder() + QStringLiteral("/Tourny-round1.db"));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("an old copy");
    old.close();

    const qint64 first = QDateTime(QDate(2026, 11, 6), QTime(19, 30, 5)).toMSecsSinceEpoch();
    const qint64 second = QDateTime(QDate(2026, 12, 11), QTime(19, 0, 0)).toMSecsSinceEpoch();
    setStandings(install, QStringLiteral("First, Ann"));
    Data::backupTournyDatabase(first, 1);
    setStandings(install, QStringLiteral("Second, Bob"));
    // Twelve rounds of the later tournament: its ten highest are kept.
    for (int round = 1; round <= 12; ++round)
        Data::backupTournyDatabase(second, round);

    QCOMPARE(QFileInfo(Data::tournamentBackupFolder(first)).fileName(),
             QStringLiteral("2026-11-06_19-30-05"));
    QCOMPARE(namesIn(install, copyOf(first, 1)), QStringList{QStringLiteral("First, Ann")});
    QCOMPARE(namesIn(install, copyOf(second, 1 + 2)), QStringList{QStringLiteral("Second, Bob")});
    QStringList kept = QDir(Data::tournamentBackupFolder(second)).entryList(QDir::Files);
    kept.sort();
    QStringList expected;
    for (int round = 3; round <= 12; ++round)
        expected.append(QStringLiteral("Tourny-round%1.db").arg(round));
    expected.sort();
    QCOMPARE(kept, expected);
    // The earlier tournament's copy and the old layout's are left as they were.
    QCOMPARE(QDir(Data::tournamentBackupFolder(first)).entryList(QDir::Files),
             QStringList{QStringLiteral("Tourny-round1.db")});
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("an old copy"));
    // The copies hold players' names: the organiser's alone.
    QCOMPARE((QFile::permissions(Data::databaseFile(copyOf(second, 12))) & 0x0077).toInt(), 0);
}

void TestBackup::roundEndWritesIntoTheTournamentsOwnFolder()
{
    RoundFixture fixture({kA, kB});
    Tournament *round = fixture.startRound(QStringLiteral("3"));
    QVERIFY(round);
    const qint64 started = fixture.throne->progress()->startedAtMs();
    QVERIFY(started > 0);
    fixture.log.setAnswer(true);
    click(*round, "EndTourny");
    QVERIFY(QFileInfo::exists(Data::databaseFile(copyOf(started, 1))));
    QVERIFY(!QFileInfo::exists(Data::backupFolder() + QStringLiteral("/Tourny-round1.db")));
    // The start is kept with the tournament: a restart goes on in the same folder.
    QVERIFY(fixture.restart(true));
    QCOMPARE(fixture.throne->progress()->startedAtMs(), started);
}

QTEST_MAIN(TestBackup)
#include "tst_backup.moc"
