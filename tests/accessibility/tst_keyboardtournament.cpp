// A tournament run with the keyboard alone through the real windows: register, start,
// record every game, undo, end the round and print the standings to PDF, without one
// mouse event.

#include "support/keyboard.h"
#include "support/roundfixture.h"

#include "publish/publishactions.h"
#include "ui/listutil.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Zuvi;
using namespace Zuvi::Test;

class TestKeyboardTournament final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aRoundRunsFromTheKeyboardAlone();
};

namespace {

/// Records the game selected on the left from the keyboard: Return goes to the result,
/// Return after each box goes on, and Return in player 2's power is "Game Over". An empty
/// text leaves a box as it is.
bool recordFromKeyboard(const QString &result, const QString &power1, const QString &power2)
{
    const auto fill = [](const QString &text) { return text.isEmpty() || typeOver(text); };
    return press(Qt::Key_Return) && fill(result) && press(Qt::Key_Return) && fill(power1) &&
           press(Qt::Key_Return) && fill(power2) && press(Qt::Key_Return);
}

} // namespace

void TestKeyboardTournament::aRoundRunsFromTheKeyboardAlone()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString pdf = folder.filePath(QStringLiteral("standings.pdf"));
    // The export's choices come through the publish dialogs' seam.
    Publish::PublishDialogs dialogs;
    dialogs.chooseDocument = [](QWidget *, const Publish::Snapshot &, bool) {
        Publish::DocumentChoice choice;
        choice.kind = Publish::DocumentKind::Standings;
        return std::optional<Publish::DocumentChoice>(choice);
    };
    dialogs.chooseFile = [pdf](QWidget *, Publish::DocumentKind) { return pdf; };
    Publish::setPublishDialogs(dialogs);

    const QList<Entrant> entrants{kA, kB, kC, kD, kE};
    RoundFixture fixture(entrants, 0);
    MouseWatch mouse;
    Throne &throne = *fixture.throne;
    throne.show();
    QVERIFY(QTest::qWaitForWindowActive(&throne));
    QCOMPARE(focusedControl(), throne.StoredPlayers());

    // Each stored player in turn: the house typed, then Return on the player. The last one
    // the other way round: the player chosen, then Return in the house.
    for (int i = 0; i < entrants.size() - 1; ++i) {
        QVERIFY(tabTo(throne.House()));
        QVERIFY(typeOver(entrants.at(i).house));
        QVERIFY(tabTo(throne.StoredPlayers()));
        // The list's keyboard cursor starts on its first row.
        if (i > 0)
            QVERIFY(press(Qt::Key_Down));
        QVERIFY(press(Qt::Key_Return));
    }
    QVERIFY(press(Qt::Key_Down));
    QVERIFY(tabTo(throne.House()));
    QVERIFY(typeOver(kE.house));
    QVERIFY(press(Qt::Key_Return));
    QCOMPARE(fixture.log.texts(), QStringList());
    QCOMPARE(listTexts(throne.TournyPlayers()),
             (QStringList{kA.name(), kB.name(), kC.name(), kD.name(), kE.name()}));
    QCOMPARE(listTexts(throne.PlayerHouses()),
             (QStringList{kA.house, kB.house, kC.house, kD.house, kE.house}));

    // One round: Return in the number of rounds starts it.
    QVERIFY(tabTo(throne.Rounds()));
    QVERIFY(typeOver(QStringLiteral("1")));
    QVERIFY(press(Qt::Key_Return));
    Tournament *round = throne.tournament();
    QVERIFY(round);
    QVERIFY(QTest::qWaitForWindowActive(round));
    QTRY_COMPARE(focusedControl(), round->MatchList1());

    // Every game: Return opens the game under the list's cursor (the first one to begin
    // with); after "Game Over" the next game is selected and has the focus, and after the
    // last one "End Round" has it.
    QVERIFY(
        recordFromKeyboard(QStringLiteral("Full Win"), QStringLiteral("10"), QStringLiteral("4")));
    QCOMPARE(focusedControl(), round->MatchList1());
    QCOMPARE(Ui::selectedRow(round->MatchList1()), 0);
    QCOMPARE(listTexts(round->MatchList1()), (QStringList{kC.name(), kE.name()}));
    QVERIFY(
        recordFromKeyboard(QStringLiteral("Full Loss"), QStringLiteral("2"), QStringLiteral("8")));
    QCOMPARE(focusedControl(), round->MatchList1());
    QVERIFY(recordFromKeyboard(QStringLiteral("Modified Win"), QStringLiteral("6"), QString()));
    QCOMPARE(fixture.log.texts(), QStringList());
    QCOMPARE(rowCount(round->MatchList1()), 0);
    QCOMPARE(focusedControl(), round->findChild<QWidget *>(QStringLiteral("EndTourny")));

    // Ctrl+Z takes the bye's game back, selected and focused with what was recorded; the
    // same keys record it again as shown.
    QVERIFY(press(Qt::Key_Z, Qt::ControlModifier));
    QCOMPARE(listTexts(round->MatchList1()), QStringList{kE.name()});
    QCOMPARE(focusedControl(), round->MatchList1());
    QCOMPARE(Ui::selectedRow(round->MatchList1()), 0);
    QCOMPARE(fixture.row(kE), StandingsRow(0, 0));
    QVERIFY(recordFromKeyboard(QString(), QString(), QString()));
    QCOMPARE(rowCount(round->MatchList1()), 0);

    // Return on "End Round" ends it; the keyboard is back on the start button.
    QVERIFY(press(Qt::Key_Return));
    QTRY_VERIFY(!throne.tournament());
    QTRY_COMPARE(focusedControl(), throne.StartButton());
    QCOMPARE(fixture.log.texts(), QStringList());
    QCOMPARE(fixture.row(kA), StandingsRow(3, 10));
    QCOMPARE(fixture.row(kB), StandingsRow(0, 4));
    QCOMPARE(fixture.row(kC), StandingsRow(0, 2));
    QCOMPARE(fixture.row(kD), StandingsRow(3, 8));
    QCOMPARE(fixture.row(kE), StandingsRow(2, 6));

    // Ctrl+Shift+E exports the standings to PDF.
    QVERIFY(press(Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier));
    QFile file(pdf);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(pdf));
    QVERIFY(file.read(5) == "%PDF-");
    QCOMPARE(fixture.log.texts(), QStringList());

    QCOMPARE(mouse.events(), 0);
    Publish::setPublishDialogs({});
}

QTEST_MAIN(TestKeyboardTournament)
#include "tst_keyboardtournament.moc"
