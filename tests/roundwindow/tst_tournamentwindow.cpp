// The round window: its layout, the game panel that shows with the left list's focus, the
// first-round draw through the window, moving opponents up and down, and the clock's
// wiring to its timer.

#include "support/roundfixture.h"

#include "registration/throne.h"
#include "round/roundclock.h"
#include "roundwindow/tournament.h"
#include "ui/listutil.h"
#include "ui/twips.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace Zuvi;
using namespace Zuvi::Test;

namespace {

const QString kPleaseMinutes =
    QStringLiteral("Please enter the time limit as a whole number of minutes from 1 to 999");

const QString kHelp1 = QStringLiteral(
    "The table on the left is matched up against the table on the right.  You can move a "
    "player in the list on the right up or down to change their matchups by clicking on the "
    "name and then clicking on the Up or the Down button. ");
const QString kHelp2 = QStringLiteral(
    "Once a game is finished, click on the name of the player on the left.  Game Information "
    "will appear above. Click the drop down box to select whether player 1 won or lost, and "
    "then input both players' final power.  Once a game is done, click Game Over.  Once all "
    "games are done, click End Round.");

/// n entrants "Player, 1" to "Player, n", houses in turn.
QList<Entrant> entrants(int n)
{
    static const QStringList houses{"Stark", "Greyjoy", "Lannister", "Baratheon"};
    QList<Entrant> result;
    for (int i = 1; i <= n; ++i)
        result.append({QString::number(i), QStringLiteral("Player"), houses.at((i - 1) % 4)});
    return result;
}

QString shownText(const QWidget *widget)
{
    if (auto *label = qobject_cast<const QLabel *>(widget))
        return label->text();
    if (auto *button = qobject_cast<const QAbstractButton *>(widget))
        return button->text();
    if (auto *field = qobject_cast<const QLineEdit *>(widget))
        return field->text();
    if (auto *combo = qobject_cast<const QComboBox *>(widget))
        return combo->currentText();
    return QString();
}

int horizontalAlignment(const QWidget *widget)
{
    if (auto *label = qobject_cast<const QLabel *>(widget))
        return int(label->alignment() & Qt::AlignHorizontal_Mask);
    if (auto *field = qobject_cast<const QLineEdit *>(widget))
        return int(field->alignment() & Qt::AlignHorizontal_Mask);
    return -1;
}

/// Fires the round clock's timer once, as a second passing does; false when it cannot.
[[nodiscard]] bool tick(Tournament &round)
{
    return QMetaObject::invokeMethod(round.Timer1(), "timeout", Qt::DirectConnection);
}

QString fullTime(const Tournament &round)
{
    return control<QLabel>(round, "FullTime")->text();
}

} // namespace

class TestTournamentWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void windowHasItsCaptionAndSize();
    void controlsFollowTheLayout_data();
    void controlsFollowTheLayout();
    void tabOrderFollowsTheLayout();
    void gamePanelHiddenUntilLeftListTakesFocus();
    void firstRoundIsDrawnFromEntrants_data();
    void firstRoundIsDrawnFromEntrants();
    void upAndDownSwapOpponents_data();
    void upAndDownSwapOpponents();
    void upTwiceSwapsBack();
    void movesKeepPanelPlayer2OnSelectedGame();
    void startTimerTakesTheMinutes_data();
    void startTimerTakesTheMinutes();
    void invalidMinutesLeaveRunningClockAsItWas();
    void clockHoursNeverCarryIntoNextRoundWindow();
};

void TestTournamentWindow::windowHasItsCaptionAndSize()
{
    RoundFixture fixture(entrants(2));
    Tournament *round = fixture.startRound();
    QVERIFY(round);
    QCOMPARE(round->objectName(), QStringLiteral("Tournament"));
    QCOMPARE(round->windowTitle(), QStringLiteral("Tournament Operations Menu"));
    QCOMPARE(round->size(), QSize(611, 390));

    QTimer *timer = round->Timer1();
    QCOMPARE(timer->objectName(), QStringLiteral("Timer1"));
    QCOMPARE(timer->interval(), 1000);
    QCOMPARE(timer->timerType(), Qt::PreciseTimer);
    QVERIFY(!timer->isSingleShot());
    QVERIFY(!timer->isActive());

    auto *result = control<QComboBox>(*round, "Player1Win");
    QVERIFY(result->isEditable());
    QCOMPARE(result->count(), 5);
    QCOMPARE(QStringList({result->itemText(0), result->itemText(1), result->itemText(2),
                          result->itemText(3), result->itemText(4)}),
             (QStringList{"Full Win", "Full Loss", "Modified Win", "Modified Loss", "True Draw"}));

    auto *player2Win = control<QLabel>(*round, "Player2Win");
    QVERIFY(player2Win->frameShape() != QFrame::NoFrame);
    QVERIFY(player2Win->autoFillBackground());
    QCOMPARE(player2Win->palette().color(player2Win->backgroundRole()), QColor(Qt::white));

    for (auto *list : {round->MatchList1(), round->MatchList2()}) {
        QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
        QVERIFY(list->uniformItemSizes());
    }
}

void TestTournamentWindow::controlsFollowTheLayout_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<bool>("inFrame");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("twipsRect");
    QTest::addColumn<qreal>("points");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<int>("alignment"); // -1: not checked

    const int left = Qt::AlignLeft;
    const int centre = Qt::AlignHCenter;
    const int right = Qt::AlignRight;
    const auto row = [](const char *name, const char *className, bool inFrame, const QString &text,
                        QRect rect, qreal points, bool bold, int alignment) {
        QTest::newRow(name) << QString::fromLatin1(className) << inFrame << text << rect << points
                            << bold << alignment;
    };
    row("MatchList1", "QListView", false, "", {60, 60, 2235, 4350}, 8.25, false, -1);
    row("MatchList2", "QListView", false, "", {2280, 60, 2295, 4350}, 8.25, false, -1);
    row("MoveUp", "QPushButton", false, "Up", {4620, 1680, 615, 495}, 8.25, false, -1);
    row("MoveDown", "QPushButton", false, "Down", {4620, 2220, 615, 495}, 8.25, false, -1);
    row("GameFrame", "QFrame", false, "", {5280, 60, 3855, 3135}, 8.25, false, -1);
    row("GameNumber", "QLabel", true, "", {1320, 240, 1215, 255}, 12, true, centre);
    row("Player1", "QLabel", true, "", {120, 600, 1575, 495}, 8.25, true, left);
    row("Player2", "QLabel", true, "", {2160, 600, 1575, 495}, 8.25, true, right);
    row("Label3", "QLabel", true, "VS.", {1740, 600, 375, 255}, 8.25, true, centre);
    row("Label6", "QLabel", true, "Results:", {120, 900, 855, 255}, 8.25, false, left);
    row("Label7", "QLabel", true, "Results:", {2160, 900, 855, 255}, 8.25, false, left);
    row("Player1Win", "QComboBox", true, "", {120, 1200, 1575, 315}, 8.25, false, -1);
    row("Player2Win", "QLabel", true, "", {2160, 1200, 1575, 255}, 8.25, false, left);
    row("Label4", "QLabel", true, "Power:", {120, 1560, 1335, 195}, 8.25, false, left);
    row("Label5", "QLabel", true, "Power:", {2160, 1560, 1335, 195}, 8.25, false, left);
    row("Player1Power", "QLineEdit", true, "", {120, 1800, 1575, 285}, 8.25, false, left);
    row("Player2Power", "QLineEdit", true, "", {2160, 1800, 1575, 285}, 8.25, false, left);
    row("GameDone", "QPushButton", true, "Game Over", {1140, 2160, 1515, 255}, 8.25, false, -1);
    row("EndTourny", "QPushButton", true, "End Round", {240, 2580, 3375, 375}, 8.25, false, -1);
    row("TimeRemaining", "QLabel", false, "Time Remaining", {5280, 3300, 2115, 315}, 9.75, true,
        centre);
    row("FullTime", "QLabel", false, "00:00:00", {5280, 3720, 2115, 315}, 12, true, centre);
    row("TimeLimit", "QLabel", false, " Time Limit (Minutes)", {7500, 3240, 1395, 435}, 8.25, true,
        centre);
    row("Minutes", "QLineEdit", false, "45", {7500, 3720, 1395, 315}, 9.75, true, centre);
    row("StartTimer", "QPushButton", false, "Start Timer", {5220, 4140, 3855, 375}, 9.75, true, -1);
    row("Label1", "QLabel", false, kHelp1, {60, 4620, 4515, 855}, 8.25, false, left);
    row("Label2", "QLabel", false, kHelp2, {5220, 4620, 3915, 1215}, 8.25, false, left);
}

void TestTournamentWindow::controlsFollowTheLayout()
{
    QFETCH(QString, className);
    QFETCH(bool, inFrame);
    QFETCH(QString, text);
    QFETCH(QRect, twipsRect);
    QFETCH(qreal, points);
    QFETCH(bool, bold);
    QFETCH(int, alignment);

    RoundFixture fixture(entrants(0));
    Tournament *round = fixture.startRound();
    QVERIFY(round);
    const QString name = QString::fromLatin1(QTest::currentDataTag());
    auto *widget = round->findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), className);
    QCOMPARE(widget->parentWidget(),
             inFrame ? static_cast<QWidget *>(round->GameFrame()) : static_cast<QWidget *>(round));
    QCOMPARE(shownText(widget), text);
    QCOMPARE(widget->geometry(),
             Ui::twipsRect(twipsRect.x(), twipsRect.y(), twipsRect.width(), twipsRect.height()));
    QCOMPARE(widget->font().pointSizeF(), points);
    QCOMPARE(widget->font().bold(), bold);
    if (alignment >= 0)
        QCOMPARE(horizontalAlignment(widget), alignment);
    if (auto *label = qobject_cast<QLabel *>(widget))
        QVERIFY(label->wordWrap());
}

void TestTournamentWindow::tabOrderFollowsTheLayout()
{
    RoundFixture fixture(entrants(4));
    Tournament *round = fixture.startRound();
    QVERIFY(round);
    QTRY_COMPARE(QApplication::focusWidget(), round->MatchList1());
    QVERIFY(round->GameFrame()->isVisible());

    QStringList order{round->MatchList1()->objectName()};
    for (int i = 0; i < 11; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *focus = QApplication::focusWidget();
        // The result box takes the focus in its editable field.
        if (qobject_cast<QComboBox *>(focus->parentWidget()))
            focus = focus->parentWidget();
        order.append(focus->objectName());
    }
    QCOMPARE(order, (QStringList{"MatchList1", "MatchList2", "MoveUp", "MoveDown", "Player1Win",
                                 "Player2Power", "GameDone", "Player1Power", "StartTimer",
                                 "Minutes", "EndTourny", "MatchList1"}));
}

void TestTournamentWindow::gamePanelHiddenUntilLeftListTakesFocus()
{
    RoundFixture fixture(entrants(4));
    // A window built and shown with the focus elsewhere keeps the panel hidden.
    auto round = std::make_unique<Tournament>(fixture.throne->progress());
    QVERIFY(round->GameFrame()->isHidden());
    auto *minutes = control<QLineEdit>(*round, "Minutes");
    minutes->setFocus();
    round->show();
    QVERIFY(QTest::qWaitForWindowActive(round.get()));
    QTRY_COMPARE(QApplication::focusWidget(), minutes);
    QVERIFY(round->GameFrame()->isHidden());
    QVERIFY(!control<QPushButton>(*round, "EndTourny")->isVisible());

    // The left list takes the focus: the panel shows, "End Round" with it, and stays.
    QTest::mouseClick(round->MatchList1()->viewport(), Qt::LeftButton, {}, QPoint(5, 200));
    QTRY_VERIFY(round->GameFrame()->isVisible());
    QVERIFY(control<QPushButton>(*round, "EndTourny")->isVisible());
    minutes->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), minutes);
    QVERIFY(round->GameFrame()->isVisible());
}

void TestTournamentWindow::firstRoundIsDrawnFromEntrants_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("random");
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<QStringList>("right");

    const auto p = [](int i) { return QStringLiteral("Player, %1").arg(i); };
    QTest::newRow("no entrants") << 0 << 0.0 << QStringList() << QStringList();
    QTest::newRow("one entrant plays Bye") << 1 << 0.0 << QStringList{p(1)} << QStringList{"Bye"};
    QTest::newRow("four, first each time")
        << 4 << 0.0 << QStringList{p(1), p(3)} << QStringList{p(2), p(4)};
    QTest::newRow("five, first each time")
        << 5 << 0.0 << QStringList{p(1), p(3), p(5)} << QStringList{p(2), p(4), "Bye"};
    QTest::newRow("five, last each time")
        << 5 << 0.999999 << QStringList{p(5), p(3), p(1)} << QStringList{p(4), p(2), "Bye"};
    // Index floor(0.5 * c) of the c entrants left: 3 of 5, then 3 of [1 2 4 5], ...
    QTest::newRow("five, middle each time")
        << 5 << 0.5 << QStringList{p(3), p(2), p(1)} << QStringList{p(4), p(5), "Bye"};
}

void TestTournamentWindow::firstRoundIsDrawnFromEntrants()
{
    QFETCH(int, count);
    QFETCH(double, random);
    QFETCH(QStringList, left);
    QFETCH(QStringList, right);

    RoundFixture fixture(entrants(count));
    int draws = 0;
    fixture.throne->progress()->setRandomSource([&draws, random] {
        ++draws;
        return random;
    });
    const QStringList houses = listTexts(fixture.throne->PlayerHouses());
    Tournament *round = fixture.startRound();
    QVERIFY(round);

    QCOMPARE(listTexts(round->MatchList1()), left);
    QCOMPARE(listTexts(round->MatchList2()), right);
    QCOMPARE(draws, count);
    QCOMPARE(fixture.throne->RandomFirst(), qint16(1));
    // Every entrant was drawn out of the entrant list; its companions stay until the
    // round ends.
    QCOMPARE(rowCount(fixture.throne->TournyPlayers()), 0);
    QCOMPARE(listTexts(fixture.throne->PlayerHouses()), houses);
    QCOMPARE(listTexts(fixture.throne->PlayerScores()), QStringList(count, QStringLiteral("0(0)")));
    // The standings were written before the draw emptied the list.
    QCOMPARE(standingsByName(fixture.install).size(), count);
    QCOMPARE(fixture.log.texts(), QStringList());
}

void TestTournamentWindow::upAndDownSwapOpponents_data()
{
    QTest::addColumn<int>("selected"); // -1: nothing selected
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("right");

    const QString p2 = QStringLiteral("Player, 2");
    const QString p4 = QStringLiteral("Player, 4");
    const QString p6 = QStringLiteral("Player, 6");
    const QString bye = QStringLiteral("Bye");
    QTest::newRow("up on the first changes nothing")
        << 0 << "MoveUp" << QStringList{p2, p4, p6, bye};
    QTest::newRow("up with nothing selected") << -1 << "MoveUp" << QStringList{p2, p4, p6, bye};
    QTest::newRow("up on the second") << 1 << "MoveUp" << QStringList{p4, p2, p6, bye};
    QTest::newRow("up moves Bye") << 3 << "MoveUp" << QStringList{p2, p4, bye, p6};
    QTest::newRow("down on the last changes nothing")
        << 3 << "MoveDown" << QStringList{p2, p4, p6, bye};
    QTest::newRow("down with nothing selected") << -1 << "MoveDown" << QStringList{p2, p4, p6, bye};
    QTest::newRow("down on the first") << 0 << "MoveDown" << QStringList{p4, p2, p6, bye};
    QTest::newRow("down on the third") << 2 << "MoveDown" << QStringList{p2, p4, bye, p6};
}

void TestTournamentWindow::upAndDownSwapOpponents()
{
    QFETCH(int, selected);
    QFETCH(QString, button);
    QFETCH(QStringList, right);

    RoundFixture fixture(entrants(7));
    Tournament *round = fixture.startRound();
    QVERIFY(round);
    const QStringList left = listTexts(round->MatchList1());
    QCOMPARE(left, (QStringList{"Player, 1", "Player, 3", "Player, 5", "Player, 7"}));
    if (selected >= 0)
        clickRow(round->MatchList2(), selected);

    click(*round, button.toLatin1().constData());

    QCOMPARE(listTexts(round->MatchList2()), right);
    QCOMPARE(Ui::selectedRow(round->MatchList2()), selected);
    QCOMPARE(listTexts(round->MatchList1()), left);
    QCOMPARE(fixture.log.texts(), QStringList());
}

void TestTournamentWindow::upTwiceSwapsBack()
{
    RoundFixture fixture(entrants(4));
    Tournament *round = fixture.startRound();
    QVERIFY(round);
    clickRow(round->MatchList2(), 1);
    click(*round, "MoveUp");
    QCOMPARE(listTexts(round->MatchList2()), (QStringList{"Player, 4", "Player, 2"}));
    // The selection stays on the lower place, which now holds the other name.
    click(*round, "MoveUp");
    QCOMPARE(listTexts(round->MatchList2()), (QStringList{"Player, 2", "Player, 4"}));
    QCOMPARE(Ui::selectedRow(round->MatchList2()), 1);
}

void TestTournamentWindow::movesKeepPanelPlayer2OnSelectedGame()
{
    RoundFixture fixture(entrants(7));
    Tournament *round = fixture.startRound();
    QVERIFY(round);
    auto *player1 = control<QLabel>(*round, "Player1");
    auto *player2 = control<QLabel>(*round, "Player2");
    auto *gameNumber = control<QLabel>(*round, "GameNumber");

    // A move before any game is selected leaves the panel's names empty.
    clickRow(round->MatchList2(), 2);
    click(*round, "MoveDown");
    QCOMPARE(player2->text(), QString());

    clickRow(round->MatchList1(), 1);
    QCOMPARE(gameNumber->text(), QStringLiteral("Game #2"));
    QCOMPARE(player1->text(), QStringLiteral("Player, 3"));
    QCOMPARE(player2->text(), QStringLiteral("Player, 4"));

    // A move into place 2 changes its opponent; a move elsewhere keeps it.
    clickRow(round->MatchList2(), 0);
    click(*round, "MoveDown");
    QCOMPARE(player2->text(), QStringLiteral("Player, 2"));
    clickRow(round->MatchList2(), 2);
    click(*round, "MoveDown");
    QCOMPARE(listTexts(round->MatchList2()),
             (QStringList{"Player, 4", "Player, 2", "Player, 6", "Bye"}));
    QCOMPARE(player2->text(), QStringLiteral("Player, 2"));
    QCOMPARE(gameNumber->text(), QStringLiteral("Game #2"));
    QCOMPARE(player1->text(), QStringLiteral("Player, 3"));
    QCOMPARE(Ui::selectedRow(round->MatchList1()), 1);

    // Once the game is recorded the next game is selected on the left: a move gives it its
    // new opponent.
    recordGame(*round, 1, QStringLiteral("Full Win"), QStringLiteral("5"), QStringLiteral("4"));
    QCOMPARE(fixture.log.texts(), QStringList());
    QCOMPARE(listTexts(round->MatchList2()), (QStringList{"Player, 4", "Player, 6", "Bye"}));
    QCOMPARE(Ui::selectedRow(round->MatchList1()), 1);
    clickRow(round->MatchList2(), 1);
    click(*round, "MoveUp");
    QCOMPARE(player2->text(), QStringLiteral("Player, 4"));
    QCOMPARE(player1->text(), QStringLiteral("Player, 5"));
}

void TestTournamentWindow::startTimerTakesTheMinutes_data()
{
    QTest::addColumn<QString>("minutes");
    QTest::addColumn<QString>("firstTick"); // empty: the clock does not start

    QTest::newRow("45") << "45"
                        << "00:45:00";
    QTest::newRow("5") << "5"
                       << "00:05:00";
    QTest::newRow("90 in hours and minutes from the first tick") << "90"
                                                                 << "01:30:00";
    QTest::newRow("blanks around") << " 7 "
                                   << "00:07:00";
    QTest::newRow("largest limit") << "999"
                                   << "16:39:00";
    QTest::newRow("0 refused") << "0"
                               << "";
    QTest::newRow("exponent refused, never 00:100:00") << "1e2"
                                                       << "";
    QTest::newRow("fraction refused") << "2.5"
                                      << "";
    QTest::newRow("past the largest limit") << "1000"
                                            << "";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("not a number") << "abc"
                                  << "";
    QTest::newRow("letter O for zero") << "1O"
                                       << "";
    QTest::newRow("negative") << "-5"
                              << "";
    QTest::newRow("beyond 16 bits") << "32768"
                                    << "";
    QTest::newRow("blank inside") << "4 5"
                                  << "";
}

void TestTournamentWindow::startTimerTakesTheMinutes()
{
    QFETCH(QString, minutes);
    QFETCH(QString, firstTick);

    RoundFixture fixture(entrants(2));
    Tournament *round = fixture.startRound();
    QVERIFY(round);
    QCOMPARE(fullTime(*round), QStringLiteral("00:00:00"));
    QCOMPARE(control<QLineEdit>(*round, "Minutes")->text(), QStringLiteral("45"));
    setText(control<QLineEdit>(*round, "Minutes"), minutes);
    click(*round, "StartTimer");
    // A text that is no number of minutes is refused with a message saying what is taken.
    QCOMPARE(fixture.log.texts(),
             firstTick.isEmpty() ? QStringList{kPleaseMinutes} : QStringList());

    if (firstTick.isEmpty()) {
        QVERIFY(!round->Timer1()->isActive());
        QVERIFY(!fixture.throne->progress()->clock().running());
        QCOMPARE(fixture.throne->progress()->clock().minutes(), qint16(0));
        QCOMPARE(fullTime(*round), QStringLiteral("00:00:00"));
        return;
    }
    QVERIFY(round->Timer1()->isActive());
    QVERIFY(tick(*round));
    QCOMPARE(fullTime(*round), firstTick);
    // Only the tick that shows 00:00:00 turns the timer off.
    QCOMPARE(round->Timer1()->isActive(), firstTick != QStringLiteral("00:00:00"));
}

void TestTournamentWindow::invalidMinutesLeaveRunningClockAsItWas()
{
    RoundFixture fixture(entrants(2));
    Tournament *round = fixture.startRound();
    QVERIFY(round);
    auto *minutes = control<QLineEdit>(*round, "Minutes");
    click(*round, "StartTimer");
    QVERIFY(tick(*round));
    QVERIFY(tick(*round));
    QCOMPARE(fullTime(*round), QStringLiteral("00:44:59"));

    setText(minutes, QStringLiteral("abc"));
    click(*round, "StartTimer");
    QVERIFY(round->Timer1()->isActive());
    QVERIFY(tick(*round));
    QCOMPARE(fullTime(*round), QStringLiteral("00:44:58"));

    // A valid restart while running replaces the whole time left.
    setText(minutes, QStringLiteral("10"));
    click(*round, "StartTimer");
    QVERIFY(tick(*round));
    QCOMPARE(fullTime(*round), QStringLiteral("00:10:00"));
    QCOMPARE(fixture.log.texts(), QStringList{kPleaseMinutes});
}

void TestTournamentWindow::clockHoursNeverCarryIntoNextRoundWindow()
{
    RoundFixture fixture(entrants(2));
    Tournament *round = fixture.startRound();
    QVERIFY(round);
    setText(control<QLineEdit>(*round, "Minutes"), QStringLiteral("90"));
    click(*round, "StartTimer");
    QVERIFY(tick(*round));
    QVERIFY(tick(*round));
    QCOMPARE(fullTime(*round), QStringLiteral("01:29:59"));
    // Typed 90 by mistake: 30 typed and started at once is all the clock shows.
    setText(control<QLineEdit>(*round, "Minutes"), QStringLiteral("30"));
    click(*round, "StartTimer");
    QVERIFY(tick(*round));
    QCOMPARE(fullTime(*round), QStringLiteral("00:30:00"));
    setText(control<QLineEdit>(*round, "Minutes"), QStringLiteral("90"));
    click(*round, "StartTimer");
    QVERIFY(tick(*round));
    QPointer<QTimer> timer = round->Timer1();

    fixture.log.setAnswer(true);
    click(*round, "EndTourny");
    QVERIFY(!timer->isActive());
    QTRY_VERIFY(!timer); // the timer goes with its window

    Tournament *next = fixture.startRound();
    QVERIFY(next);
    QCOMPARE(fullTime(*next), QStringLiteral("00:00:00"));
    QVERIFY(!next->Timer1()->isActive());
    // The hour left on the last round's clock is gone: 45 minutes show as 00:45:00.
    QCOMPARE(fixture.throne->progress()->clock().remainingSeconds(), 0);
    click(*next, "StartTimer");
    QVERIFY(tick(*next));
    QCOMPARE(fullTime(*next), QStringLiteral("00:45:00"));
    QCOMPARE(fixture.log.texts(), QStringList());
}

QTEST_MAIN(TestTournamentWindow)
#include "tst_tournamentwindow.moc"
