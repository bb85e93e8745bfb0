// Entrants who arrive after the start, entrants who leave, and the option that keeps apart
// entrants who have met, driven through the real windows.

#include "support/roundfixture.h"

#include "registration/throne.h"
#include "roundwindow/tournament.h"
#include "tournament/tournamentprogress.h"
#include "ui/listutil.h"

#include <QAction>
#include <QListView>
#include <QTest>

using namespace Zuvi;
using namespace Zuvi::Test;

namespace {

const Entrant kLate{"Lou", "Late", "Stark"};
/// Four entrants registered and a fifth stored player who has not entered; round 1 is A-B
/// and C-D.
const QList<Entrant> kStored{kA, kB, kC, kD, kLate};
constexpr qsizetype kRegistered = 4;
const QString kRounds = QStringLiteral("4");

/// Records every open game as a win for player 1 and ends the round; false when there is no
/// round window or a game could not be recorded.
[[nodiscard]] bool playOut(Tournament *round)
{
    if (!round)
        return false;
    while (rowCount(round->MatchList1()) > 0) {
        recordGame(*round, 0, QStringLiteral("Full Win"), QStringLiteral("1"), QStringLiteral("1"));
        if (QTest::currentTestFailed())
            return false;
    }
    click(*round, "EndTourny");
    return !QTest::currentTestFailed();
}

/// Registers the stored player who has not entered yet.
[[nodiscard]] bool addLate(Throne &throne)
{
    registerEntrant(throne, int(kRegistered), kLate.house);
    return !QTest::currentTestFailed();
}

/// Selects an entrant in the entrant list by name and clicks "Remove From Tournament";
/// false when the entrant is not listed.
[[nodiscard]] bool removeByName(Throne &throne, const QString &name)
{
    const int row = int(listTexts(throne.TournyPlayers()).indexOf(name));
    if (row < 0)
        return false;
    clickRow(throne.TournyPlayers(), row);
    click(throne, "RemoveTourny");
    return !QTest::currentTestFailed();
}

/// Every name of the round's two match lists.
QStringList pairedNames(Tournament *round)
{
    return listTexts(round->MatchList1()) + listTexts(round->MatchList2());
}

QStringList standingsNames(const TempInstall &install)
{
    QStringList result;
    for (const QVariantList &row : standingsByName(install))
        result.append(row.at(0).toString());
    return result;
}

bool greyed(QListView *list, const QString &text)
{
    const int row = int(listTexts(list).indexOf(text));
    return row >= 0 && list->model()->index(row, 0).data(Qt::ForegroundRole).isValid();
}

} // namespace

class TestEntryChanges : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lateEntrantIsStoredAndPairedNextRound_data();
    void lateEntrantIsStoredAndPairedNextRound();
    void droppedEntrantStaysInStandingsButIsNotPaired_data();
    void droppedEntrantStaysInStandingsButIsNotPaired();
    void reinstatedEntrantIsPairedAgain();
    void removalBeforeTheStartStillDeletes();
    void avoidRematchesIsStoredAndOffByDefault();
};

void TestEntryChanges::lateEntrantIsStoredAndPairedNextRound_data()
{
    QTest::addColumn<bool>("duringRound");
    QTest::newRow("between rounds") << false;
    QTest::newRow("while round 1 is open") << true;
}

void TestEntryChanges::lateEntrantIsStoredAndPairedNextRound()
{
    QFETCH(bool, duringRound);
    RoundFixture fixture(kStored, kRegistered);
    Tournament *round = fixture.startRound(kRounds);
    QVERIFY(round);
    if (duringRound) {
        QVERIFY(addLate(*fixture.throne));
        QCOMPARE(fixture.log.last(),
                 QStringLiteral("Late, Lou joins the tournament from round 2."));
        // The open round goes on without the late entrant.
        QVERIFY(!pairedNames(round).contains(kLate.name()));
        QVERIFY(playOut(round));
    } else {
        QVERIFY(playOut(round));
        QVERIFY(addLate(*fixture.throne));
        QCOMPARE(fixture.log.last(),
                 QStringLiteral("Late, Lou joins the tournament from round 2."));
    }
    QVERIFY(!QTest::currentTestFailed());
    QVERIFY(standingsNames(fixture.install).contains(kLate.name()));
    QTRY_VERIFY(!fixture.throne->tournament());
    // The late entrant does not vanish at the round's end: it is in the standings.
    QVERIFY(listTexts(fixture.throne->TournyPlayers()).contains(kLate.name()));

    Tournament *second = fixture.startRound(kRounds);
    QVERIFY(second);
    const QStringList paired = pairedNames(second);
    QVERIFY2(paired.contains(kLate.name()), qPrintable(paired.join(QLatin1Char('|'))));
    QCOMPARE(rowCount(second->MatchList1()), 3);
}

void TestEntryChanges::droppedEntrantStaysInStandingsButIsNotPaired_data()
{
    QTest::addColumn<bool>("duringRound");
    QTest::newRow("between rounds") << false;
    QTest::newRow("during round 2") << true;
}

void TestEntryChanges::droppedEntrantStaysInStandingsButIsNotPaired()
{
    QFETCH(bool, duringRound);
    RoundFixture fixture(kStored, kRegistered);
    QVERIFY(playOut(fixture.startRound(kRounds)));
    QTRY_VERIFY(!fixture.throne->tournament());

    Tournament *next = nullptr;
    if (duringRound) {
        next = fixture.startRound(kRounds);
        QVERIFY(next);
        const QStringList before = pairedNames(next);
        QVERIFY(removeByName(*fixture.throne, kB.name()));
        // The open round's game stays to be recorded.
        QCOMPARE(pairedNames(next), before);
        QVERIFY(playOut(next));
        QTRY_VERIFY(!fixture.throne->tournament());
    } else {
        QVERIFY(removeByName(*fixture.throne, kB.name()));
    }
    QVERIFY(!QTest::currentTestFailed());
    // Still listed, greyed, and in the standings.
    QVERIFY(listTexts(fixture.throne->TournyPlayers()).contains(kB.name()));
    QVERIFY(greyed(fixture.throne->TournyPlayers(), kB.name()));
    QVERIFY(standingsNames(fixture.install).contains(kB.name()));

    Tournament *later = fixture.startRound(kRounds);
    QVERIFY(later);
    const QStringList paired = pairedNames(later);
    QVERIFY2(!paired.contains(kB.name()), qPrintable(paired.join(QLatin1Char('|'))));
    QCOMPARE(paired.count(QStringLiteral("Bye")), 1);
    QCOMPARE(rowCount(later->MatchList1()), 2);
}

void TestEntryChanges::reinstatedEntrantIsPairedAgain()
{
    RoundFixture fixture(kStored, kRegistered);
    QVERIFY(playOut(fixture.startRound(kRounds)));
    QTRY_VERIFY(!fixture.throne->tournament());
    QVERIFY(removeByName(*fixture.throne, kC.name()));
    QVERIFY(greyed(fixture.throne->TournyPlayers(), kC.name()));

    clickRow(fixture.throne->TournyPlayers(),
             int(listTexts(fixture.throne->TournyPlayers()).indexOf(kC.name())));
    fixture.throne->reinstateAction()->trigger();
    QVERIFY(!greyed(fixture.throne->TournyPlayers(), kC.name()));

    Tournament *round = fixture.startRound(kRounds);
    QVERIFY(round);
    QVERIFY(pairedNames(round).contains(kC.name()));
    QVERIFY(!pairedNames(round).contains(QStringLiteral("Bye")));
}

void TestEntryChanges::removalBeforeTheStartStillDeletes()
{
    RoundFixture fixture(kStored, kRegistered);
    QVERIFY(removeByName(*fixture.throne, kB.name()));
    QCOMPARE(listTexts(fixture.throne->TournyPlayers()),
             (QStringList{kA.name(), kC.name(), kD.name()}));
    Tournament *round = fixture.startRound(kRounds);
    QVERIFY(round);
    QVERIFY(!standingsNames(fixture.install).contains(kB.name()));
    QVERIFY(!pairedNames(round).contains(kB.name()));
}

void TestEntryChanges::avoidRematchesIsStoredAndOffByDefault()
{
    RoundFixture fixture(kStored, kRegistered);
    QAction *option = fixture.throne->avoidRematchesAction();
    QVERIFY(option->isCheckable());
    QVERIFY(!option->isChecked());
    QVERIFY(!fixture.throne->progress()->avoidRematches());
    option->trigger();
    QVERIFY(fixture.throne->progress()->avoidRematches());
    const QList<QVariantList> stored = fixture.install.rows(
        QStringLiteral("Tourny"),
        QStringLiteral("SELECT Value FROM ZuviState WHERE Key = 'avoidRematches'"));
    QCOMPARE(stored, (QList<QVariantList>{{1}}));
}

QTEST_MAIN(TestEntryChanges)
#include "tst_entrychanges.moc"
