// Entrants who arrive after the start, entrants who leave, and the option that keeps apart
// entrants who have met, driven through the real windows.

#include "support/windowdrivers.h"

#include "registration/throne.h"
#include "round/tournament.h"
#include "tournament/tournamentprogress.h"
#include "ui/listutil.h"

#include <QAction>
#include <QListView>
#include <QTest>

#include <memory>

using namespace Zuvi;
using namespace Zuvi::Test;

namespace {

const Entrant kA{"Ann", "Adams", "Stark"};
const Entrant kB{"Bob", "Baker", "Greyjoy"};
const Entrant kC{"Cat", "Clark", "Lannister"};
const Entrant kD{"Dan", "Dunn", "Baratheon"};
const Entrant kLate{"Lou", "Late", "Stark"};

/// Four registered entrants and a fifth stored player who has not entered; the draw takes
/// the first entrant left each time, so round 1 is A-B and C-D.
struct Fixture
{
    Fixture()
    {
        storePlayers(install, {kA, kB, kC, kD, kLate});
        throne = std::make_unique<Throne>();
        throne->setRandomSource(firstEntrant);
        registerEntrants(*throne, {kA, kB, kC, kD});
    }

    Tournament *startRound()
    {
        Tournament *round = start(*throne, QStringLiteral("4"));
        // A window that never becomes active fails the test through its null result.
        return round && QTest::qWaitForWindowActive(round) ? round : nullptr;
    }

    /// Records every open game as a win for player 1 and ends the round.
    void playOut(Tournament *round)
    {
        while (rowCount(round->MatchList1()) > 0) {
            recordGame(*round, 0, QStringLiteral("Full Win"), QStringLiteral("1"),
                       QStringLiteral("1"));
            if (QTest::currentTestFailed())
                return;
        }
        click(*round, "EndTourny");
    }

    void addLate()
    {
        clickRow(throne->StoredPlayers(), 4);
        setText(throne->House()->lineEdit(), kLate.house);
        click(*throne, "AddTourny");
    }

    /// Selects an entrant in the entrant list by name and clicks "Remove From Tournament".
    void removeByName(const QString &name)
    {
        const int row = int(listTexts(throne->TournyPlayers()).indexOf(name));
        QVERIFY2(row >= 0, qPrintable(name));
        clickRow(throne->TournyPlayers(), row);
        click(*throne, "RemoveTourny");
    }

    QStringList paired(Tournament *round) const
    {
        return listTexts(round->MatchList1()) + listTexts(round->MatchList2());
    }

    QStringList standingsNames() const
    {
        QStringList result;
        for (const QVariantList &row : standingsByName(install))
            result.append(row.at(0).toString());
        return result;
    }

    TempInstall install;
    MessageLog log;
    std::unique_ptr<Throne> throne;
};

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
    Fixture fixture;
    Tournament *round = fixture.startRound();
    QVERIFY(round);
    if (duringRound) {
        fixture.addLate();
        QCOMPARE(fixture.log.last(),
                 QStringLiteral("Late, Lou joins the tournament from round 2."));
        // The open round goes on without the late entrant.
        QVERIFY(!fixture.paired(round).contains(kLate.name()));
        fixture.playOut(round);
    } else {
        fixture.playOut(round);
        fixture.addLate();
        QCOMPARE(fixture.log.last(),
                 QStringLiteral("Late, Lou joins the tournament from round 2."));
    }
    QVERIFY(!QTest::currentTestFailed());
    QVERIFY(fixture.standingsNames().contains(kLate.name()));
    QTRY_VERIFY(!fixture.throne->tournament());
    // The late entrant does not vanish at the round's end: it is in the standings.
    QVERIFY(listTexts(fixture.throne->TournyPlayers()).contains(kLate.name()));

    Tournament *second = fixture.startRound();
    QVERIFY(second);
    const QStringList paired = fixture.paired(second);
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
    Fixture fixture;
    fixture.playOut(fixture.startRound());
    QTRY_VERIFY(!fixture.throne->tournament());

    Tournament *next = nullptr;
    if (duringRound) {
        next = fixture.startRound();
        QVERIFY(next);
        const QStringList before = fixture.paired(next);
        fixture.removeByName(kB.name());
        // The open round's game stays to be recorded.
        QCOMPARE(fixture.paired(next), before);
        fixture.playOut(next);
        QTRY_VERIFY(!fixture.throne->tournament());
    } else {
        fixture.removeByName(kB.name());
    }
    QVERIFY(!QTest::currentTestFailed());
    // Still listed, greyed, and in the standings.
    QVERIFY(listTexts(fixture.throne->TournyPlayers()).contains(kB.name()));
    QVERIFY(greyed(fixture.throne->TournyPlayers(), kB.name()));
    QVERIFY(fixture.standingsNames().contains(kB.name()));

    Tournament *later = fixture.startRound();
    QVERIFY(later);
    const QStringList paired = fixture.paired(later);
    QVERIFY2(!paired.contains(kB.name()), qPrintable(paired.join(QLatin1Char('|'))));
    QCOMPARE(paired.count(QStringLiteral("Bye")), 1);
    QCOMPARE(rowCount(later->MatchList1()), 2);
}

void TestEntryChanges::reinstatedEntrantIsPairedAgain()
{
    Fixture fixture;
    fixture.playOut(fixture.startRound());
    QTRY_VERIFY(!fixture.throne->tournament());
    fixture.removeByName(kC.name());
    QVERIFY(greyed(fixture.throne->TournyPlayers(), kC.name()));

    clickRow(fixture.throne->TournyPlayers(),
             int(listTexts(fixture.throne->TournyPlayers()).indexOf(kC.name())));
    fixture.throne->reinstateAction()->trigger();
    QVERIFY(!greyed(fixture.throne->TournyPlayers(), kC.name()));

    Tournament *round = fixture.startRound();
    QVERIFY(round);
    QVERIFY(fixture.paired(round).contains(kC.name()));
    QVERIFY(!fixture.paired(round).contains(QStringLiteral("Bye")));
}

void TestEntryChanges::removalBeforeTheStartStillDeletes()
{
    Fixture fixture;
    fixture.removeByName(kB.name());
    QCOMPARE(listTexts(fixture.throne->TournyPlayers()),
             (QStringList{kA.name(), kC.name(), kD.name()}));
    Tournament *round = fixture.startRound();
    QVERIFY(round);
    QVERIFY(!fixture.standingsNames().contains(kB.name()));
    QVERIFY(!fixture.paired(round).contains(kB.name()));
}

void TestEntryChanges::avoidRematchesIsStoredAndOffByDefault()
{
    Fixture fixture;
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
