// Dropping an entrant while the first round is played. The draw takes every name out of the
// entrant list into the pairing, so "Remove From Tournament" had nobody to select and a
// drop request from a table marked a row without a name; "Drop a player…" lists the
// entrants by name and drops the one chosen by its name.

#include "support/roundfixture.h"

#include "tournament/progresstypes.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>

using namespace Zuvi;
using namespace Zuvi::Test;

namespace {

/// When the "Drop a player" dialog opens: first runs meanwhile (what happens elsewhere
/// while the organiser chooses), then chooses name and clicks "Drop". Records the names
/// listed.
void chooseToDrop(const QString &name, QStringList &listed, std::function<void()> meanwhile = {})
{
    QTimer::singleShot(0, qApp, [name, &listed, meanwhile = std::move(meanwhile)] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || dialog->objectName() != QLatin1String("DropPlayer")) {
            QTest::qFail("the dialog DropPlayer did not open", __FILE__, __LINE__);
            if (dialog)
                dialog->reject();
            return;
        }
        auto *list = dialog->findChild<QListView *>(QStringLiteral("DropPlayerList"));
        listed = listTexts(list);
        if (meanwhile)
            meanwhile();
        const qsizetype row = listed.indexOf(name);
        if (row >= 0)
            clickRow(list, int(row));
        dialog->findChild<QPushButton *>(QStringLiteral("DropPlayerDrop"))->click();
    });
}

int entrantIndex(const TournamentProgress &model, const QString &name)
{
    const QList<Progress::Entrant> &entrants = model.entrants();
    return int(std::find_if(entrants.cbegin(), entrants.cend(),
                            [&](const Progress::Entrant &e) { return e.name == name; }) -
               entrants.cbegin());
}

} // namespace

class TestDropPlayer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstRoundEntrantIsDroppedByName();
    void entrantGoneMeanwhileIsReportedAndNothingElseDropped();
    void dropRequestDuringTheFirstRoundNamesTheEntrant();
};

void TestDropPlayer::firstRoundEntrantIsDroppedByName()
{
    RoundFixture fixture({kA, kB, kC, kD});
    Throne &throne = *fixture.throne;
    Tournament *round = fixture.startRound(QStringLiteral("3"));
    QVERIFY(round);
    TournamentProgress &model = *throne.progress();
    // The draw leaves the entrant list empty, as it always did.
    QCOMPARE(listTexts(throne.TournyPlayers()), QStringList());
    auto *drop = throne.findChild<QAction *>(QStringLiteral("DropPlayer"));
    QVERIFY(drop);
    QCOMPARE(drop->text(), QStringLiteral("Drop a player\u2026"));
    QCOMPARE(drop->shortcut(), QKeySequence(QStringLiteral("Ctrl+D")));
    QVERIFY(throne.TournyPlayers()->actions().contains(drop));

    QStringList listed;
    chooseToDrop(kC.name(), listed);
    drop->trigger();
    QCOMPARE(listed, (QStringList{kA.name(), kB.name(), kC.name(), kD.name()}));
    QCOMPARE(fixture.log.texts(), QStringList());
    QVERIFY(model.entrants().at(entrantIndex(model, kC.name())).dropped);
    for (const Entrant &other : {kA, kB, kD})
        QVERIFY(!model.entrants().at(entrantIndex(model, other.name())).dropped);
    QCOMPARE(listTexts(throne.TournyPlayers()), QStringList());

    // The next round pairs the three others only; the dropped entrant is no longer listed.
    fixture.log.setAnswer(true);
    click(*round, "EndTourny");
    QTRY_VERIFY(!throne.tournament());
    Tournament *second = fixture.startRound(QStringLiteral("3"));
    QVERIFY(second);
    const QStringList paired = listTexts(second->MatchList1()) + listTexts(second->MatchList2());
    QVERIFY(!paired.contains(kC.name()));
    QCOMPARE(paired.size(), 4); // three entrants and "Bye"
    // Only those still playing are offered: the names the entrant list shows again now.
    chooseToDrop(kD.name(), listed);
    drop->trigger();
    QCOMPARE(listed, (QStringList{kA.name(), kB.name(), kD.name()}));
    QVERIFY(model.entrants().at(entrantIndex(model, kD.name())).dropped);
}

void TestDropPlayer::entrantGoneMeanwhileIsReportedAndNothingElseDropped()
{
    RoundFixture fixture({kA, kB, kC, kD});
    Throne &throne = *fixture.throne;
    QVERIFY(fixture.startRound(QStringLiteral("3")));
    TournamentProgress &model = *throne.progress();
    auto *drop = throne.findChild<QAction *>(QStringLiteral("DropPlayer"));
    QVERIFY(drop);

    // Another station drops the entrant while the organiser chooses.
    QStringList listed;
    chooseToDrop(kB.name(), listed, [&] { QVERIFY(model.removeEntrantNamed(kB.name())); });
    drop->trigger();
    QCOMPARE(fixture.log.texts(),
             QStringList{QStringLiteral("%1 is no longer in the tournament.").arg(kB.name())});
    int dropped = 0;
    for (const Progress::Entrant &entrant : model.entrants())
        dropped += entrant.dropped ? 1 : 0;
    QCOMPARE(dropped, 1);
}

void TestDropPlayer::dropRequestDuringTheFirstRoundNamesTheEntrant()
{
    RoundFixture fixture({kA, kB, kC, kD});
    Throne &throne = *fixture.throne;
    QVERIFY(fixture.startRound(QStringLiteral("3")));
    TournamentProgress &model = *throne.progress();
    model.setTakeReports(true);
    Progress::ReportRequest request;
    model.ensurePlayerCodes();
    request.table = 1;
    request.code = model.playerCode(kB.name());
    request.drop = true;
    QCOMPARE(model.takeReport(request), TournamentProgress::ReportOutcome::Taken);
    // The entrant list is empty: the house and score rows say whose request it is.
    const int row = entrantIndex(model, kB.name());
    const QString expected = QStringLiteral("%1 asks to drop (Drop requests\u2026)").arg(kB.name());
    for (const QListView *list : {throne.PlayerHouses(), throne.PlayerScores()})
        QCOMPARE(list->model()->index(row, 0).data(Qt::ToolTipRole).toString(), expected);
}

QTEST_MAIN(TestDropPlayer)
#include "tst_dropplayer.moc"
