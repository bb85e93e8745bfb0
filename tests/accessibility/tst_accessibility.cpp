// What a screen reader finds in every window: a name for each control (and the caption
// beside it as its buddy), nothing focusable without one, greyed entrants said "dropped",
// what a step changed announced, context menus opened from the keyboard and the captions'
// letters taking the focus to their controls.

#include "support/allwindows.h"
#include "support/keyboard.h"

#include "publish/bigscreen.h"
#include "publish/publishactions.h"

#include <QAccessible>
#include <QAccessibleTableInterface>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTest>

using namespace Zuvi;
using namespace Zuvi::Test;

namespace {

/// One announcement a reader was told: the status line's name when the alert came.
QStringList g_alerts;

void recordUpdate(QAccessibleEvent *event)
{
    if (event->type() != QAccessible::Alert || !event->object())
        return;
    if (QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(event->object()))
        g_alerts.append(iface->text(QAccessible::Name));
}

/// The controls of a window's accessibility tree that take the focus but have no name, by
/// objectName (the tree is walked from the window's interface down through its children).
QStringList unnamedFocusable(QAccessibleInterface *iface, int depth = 0)
{
    QStringList unnamed;
    if (!iface || depth > 20)
        return unnamed;
    QObject *object = iface->object();
    const QAccessible::State state = iface->state();
    if (object && object->isWidgetType() && state.focusable && !state.invisible &&
        iface->text(QAccessible::Name).trimmed().isEmpty())
        unnamed.append(object->objectName().isEmpty()
                           ? QString::fromLatin1(object->metaObject()->className())
                           : object->objectName());
    // The cells of a list are named by their rows' texts; only widgets are walked.
    if (iface->tableInterface())
        return unnamed;
    for (int i = 0; i < iface->childCount(); ++i)
        unnamed += unnamedFocusable(iface->child(i), depth + 1);
    return unnamed;
}

} // namespace

class TestAccessibility final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void controlsSpeakTheirNames_data();
    void controlsSpeakTheirNames();
    void everyFocusableControlHasAName_data();
    void everyFocusableControlHasAName();
    void theWalkFindsAnUnnamedControl();
    void droppedEntrantsAreSaidDropped();
    void stepsAreAnnounced_data();
    void stepsAreAnnounced();
    void contextMenusOpenFromTheKeyboard_data();
    void contextMenusOpenFromTheKeyboard();
    void captionLettersTakeTheFocusToTheirControls_data();
    void captionLettersTakeTheFocusToTheirControls();
    void recordsMoveFromTheKeyboard();
    void documentChoiceSpeaks();
    void bigScreenClockSaysAWordBesideItsColour_data();
    void bigScreenClockSaysAWordBesideItsColour();
};

void TestAccessibility::initTestCase()
{
    // Where a reader is active, the status line's alerts reach this handler.
    QAccessible::installUpdateHandler(recordUpdate);
}

void TestAccessibility::init()
{
    g_alerts.clear();
}

void TestAccessibility::controlsSpeakTheirNames_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption"); // the label whose buddy the control is, or empty

    const auto row = [](const char *window, const char *control, const char *name,
                        const char *caption = "") {
        QTest::addRow("%s %s", window, control)
            << QString::fromLatin1(window) << QString::fromLatin1(control)
            << QString::fromUtf8(name) << QString::fromLatin1(caption);
    };
    row("throne", "StoredPlayers", "Stored players", "PlayerLabel");
    row("throne", "Command1", "Edit Player Database");
    row("throne", "House", "House of the tournament player");
    row("throne", "AddTourny", "Add To Tournament");
    row("throne", "RemoveTourny", "Remove From Tournament");
    row("throne", "Rounds", "Number of rounds", "RoundsLbl");
    row("throne", "TournyPlayers", "Tournament players", "TournyLabel");
    row("throne", "PlayerHouses", "Houses of the tournament players", "HouseLabel");
    row("throne", "PlayerScores", "Scores of the tournament players", "Label1");
    row("throne", "StartButton", "Start Round 2");
    row("Tournament", "MatchList1", "Player 1 of each game");
    row("Tournament", "MatchList2", "Player 2 of each game");
    row("Tournament", "MoveUp", "Move player 2 up");
    row("Tournament", "MoveDown", "Move player 2 down");
    row("Tournament", "Player1Win", "Player 1's result", "Label6");
    row("Tournament", "Player1Power", "Player 1's power", "Label4");
    row("Tournament", "Player2Power", "Player 2's power", "Label5");
    row("Tournament", "GameDone", "Game Over");
    row("Tournament", "EndTourny", "End Round");
    row("Tournament", "Minutes", "Time limit in minutes", "TimeLimit");
    row("Tournament", "StartTimer", "Start Timer");
    row("PlayerInfo", "FirstName", "First name");
    row("PlayerInfo", "LastName", "Last name");
    row("PlayerInfo", "Email", "E-mail");
    row("PlayerInfo", "PhoneNumber", "Phone number");
    row("PlayerInfo", "StreetAddress", "Street address");
    row("PlayerInfo", "City", "City");
    row("PlayerInfo", "State", "State");
    row("PlayerInfo", "Zip", "Zip code");
    row("PlayerInfo", "Country", "Country");
    row("PlayerInfo", "Webpage", "Web page");
    row("PlayerInfo", "Username1", "Username 1");
    row("PlayerInfo", "Username2", "Username 2");
    row("PlayerInfo", "Username3", "Username 3");
    row("PlayerInfo", "Birthday", "Birthday");
    row("PlayerInfo", "Password", "Password");
    row("PlayerInfo", "Check1", "Allow e-mail");
    row("PlayerInfo", "cmdAdd", "Add");
    row("PlayerInfo", "cmdClose", "Close");
    row("FindPlayerDialog", "FindText", "Find a first name, last name or e-mail", "FindLabel");
    row("FindPlayerDialog", "FindNext", "Find Next");
    row("RecordedGamesDialog", "RecordedGamesTable", "Recorded games");
    row("RecordedGamesDialog", "AmendResult", "Player 1's result");
    row("RecordedGamesDialog", "AmendPower1", "Player 1's power");
    row("RecordedGamesDialog", "AmendPower2", "Player 2's power");
    row("RecordedGamesDialog", "ReopenGame", "Reopen");
    row("ImportPreview", "Rows", "First rows of the file");
    row("ImportPreview", "ImportRepeats", "Import the repeated rows too");
    row("ImportPreview", "Ok", "OK");
    row("DropPlayer", "DropPlayerList", "Player to drop", "DropPlayerCaption");
}

void TestAccessibility::controlsSpeakTheirNames()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QString, name);
    QFETCH(QString, caption);

    AllWindows windows;
    QVERIFY(windows.complete());
    // The start button says the round it starts: the first round is under way.
    windows.fixture.throne->progress()->endRound();
    QWidget *top = windows.window(window);
    QVERIFY2(top, qPrintable(window));
    auto *widget = top->findChild<QWidget *>(control);
    QVERIFY2(widget, qPrintable(control));
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(widget);
    QVERIFY(iface);
    if (auto *box = qobject_cast<QComboBox *>(widget); box && box->lineEdit()) {
        // An editable box takes the focus in its text field, which speaks the name; the
        // box itself is read on this platform by the text it holds, its name kept beside.
        QCOMPARE(QAccessible::queryAccessibleInterface(box->lineEdit())->text(QAccessible::Name),
                 name);
        QCOMPARE(widget->accessibleName(), name);
    } else {
        QCOMPARE(iface->text(QAccessible::Name), name);
    }
    if (!caption.isEmpty()) {
        auto *label = top->findChild<QLabel *>(caption);
        QVERIFY2(label, qPrintable(caption));
        QCOMPARE(label->buddy(), widget);
    }
}

void TestAccessibility::everyFocusableControlHasAName_data()
{
    QTest::addColumn<QString>("window");
    for (const QString &window : allWindowNames())
        QTest::newRow(qPrintable(window)) << window;
}

void TestAccessibility::everyFocusableControlHasAName()
{
    QFETCH(QString, window);
    AllWindows windows;
    QVERIFY(windows.complete());
    QWidget *top = windows.window(window);
    QVERIFY2(top, qPrintable(window));
    QCOMPARE(unnamedFocusable(QAccessible::queryAccessibleInterface(top)), QStringList());
}

void TestAccessibility::theWalkFindsAnUnnamedControl()
{
    // A box without name or caption is found inside a frame; a named one and a label are not.
    QWidget window;
    auto *frame = new QFrame(&window);
    auto *unnamed = new QLineEdit(frame);
    unnamed->setObjectName(QStringLiteral("Unnamed"));
    auto *named = new QLineEdit(frame);
    named->setObjectName(QStringLiteral("Named"));
    named->setAccessibleName(QStringLiteral("Named box"));
    new QLabel(QStringLiteral("Caption"), &window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(unnamedFocusable(QAccessible::queryAccessibleInterface(&window)),
             QStringList{QStringLiteral("Unnamed")});
}

void TestAccessibility::droppedEntrantsAreSaidDropped()
{
    // Round 1 played out, B leaves the tournament: dropped, B stays in the lists.
    RoundFixture fixture({kA, kB, kC});
    fixture.throne->show();
    Tournament *round = fixture.startRound();
    QVERIFY(round);
    recordGame(*round, 0, QStringLiteral("Full Win"), QStringLiteral("5"), QStringLiteral("3"));
    recordGame(*round, 0, QStringLiteral("Full Win"), QStringLiteral("5"), QString());
    click(*round, "EndTourny");
    QTRY_VERIFY(!fixture.throne->tournament());
    const int row = int(listTexts(fixture.throne->TournyPlayers()).indexOf(kB.name()));
    QVERIFY(row > 0);
    clickRow(fixture.throne->TournyPlayers(), row);
    click(*fixture.throne, "RemoveTourny");
    QCOMPARE(fixture.log.texts(), QStringList());

    // On screen the row keeps its text, greyed; a reader hears "(dropped)" after it.
    for (QListView *list : {fixture.throne->TournyPlayers(), fixture.throne->PlayerHouses(),
                            fixture.throne->PlayerScores()}) {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(list);
        QVERIFY(iface && iface->tableInterface());
        QAccessibleTableInterface *table = iface->tableInterface();
        const QString shown = listTexts(list).at(row);
        QCOMPARE(table->cellAt(row, 0)->text(QAccessible::Name),
                 shown + QStringLiteral(" (dropped)"));
        // The others are read as they are shown.
        QCOMPARE(table->cellAt(0, 0)->text(QAccessible::Name), listTexts(list).at(0));
    }
}

void TestAccessibility::stepsAreAnnounced_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<QString>("said");

    QTest::newRow("a game recorded")
        << "record"
        << "Game #1 recorded: Adams, Ann, Full Win, power 10; Baker, Bob, Full Loss, power 4. "
           "Next: Game #2.";
    QTest::newRow("the bye recorded")
        << "record bye"
        << "Game #3 recorded: Evans, Eve, Modified Win, power 6, against the bye. Next: Game #2.";
    QTest::newRow("the last game recorded")
        << "record all"
        << "Game #3 recorded: Evans, Eve, Modified Win, power 6, against the bye. Every game "
           "is recorded.";
    QTest::newRow("an undo") << "undo"
                             << "Game #1 reopened: Adams, Ann against Baker, Bob, Full Win.";
    QTest::newRow("a pairing changed")
        << "swap"
        << "Pairing changed: Clark, Cat plays Baker, Bob; Adams, Ann plays Dunn, Dan.";
    QTest::newRow("the round paired again") << "pair again"
                                            << "The round is paired again.";
}

void TestAccessibility::stepsAreAnnounced()
{
    QFETCH(QString, step);
    QFETCH(QString, said);

    RoundFixture fixture({kA, kB, kC, kD, kE});
    fixture.throne->show();
    Tournament *round = fixture.startRound();
    QVERIFY(round);
    const QString win = QStringLiteral("Full Win");
    if (step == QLatin1String("record") || step == QLatin1String("undo")) {
        recordGame(*round, 0, win, QStringLiteral("10"), QStringLiteral("4"));
    } else if (step == QLatin1String("record bye")) {
        recordGame(*round, 2, QStringLiteral("Modified Win"), QStringLiteral("6"), QString());
    } else if (step == QLatin1String("record all")) {
        recordGame(*round, 0, win, QStringLiteral("10"), QStringLiteral("4"));
        recordGame(*round, 0, win, QStringLiteral("8"), QStringLiteral("2"));
        recordGame(*round, 0, QStringLiteral("Modified Win"), QStringLiteral("6"), QString());
    } else if (step == QLatin1String("swap")) {
        clickRow(round->MatchList2(), 1);
        click(*round, "MoveUp");
    } else if (step == QLatin1String("pair again")) {
        round->pairAgainAction()->trigger();
    }
    if (step == QLatin1String("undo"))
        round->undoAction()->trigger();
    QCOMPARE(fixture.log.texts(), QStringList());
    // A reader finds the announcement as the name of the window's status line, which takes
    // no room on screen. (Its name change and alert reach the platform's bridge only where
    // a reader is running: Qt raises no event while accessibility is inactive.)
    auto *line = round->findChild<QWidget *>(QStringLiteral("Announcement"));
    QVERIFY(line);
    QCOMPARE(line->size(), QSize(0, 0));
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(line);
    QVERIFY(iface);
    QCOMPARE(iface->role(), QAccessible::StatusBar);
    QVERIFY(!iface->state().invisible);
    QCOMPARE(iface->text(QAccessible::Name), said);
    if (QAccessible::isActive()) {
        QVERIFY(!g_alerts.isEmpty());
        QCOMPARE(g_alerts.last(), said);
    }
}

void TestAccessibility::contextMenusOpenFromTheKeyboard_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("list");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("action"); // text of an entry the menu must hold

    const int menu = Qt::Key_Menu;
    const int f10 = Qt::Key_F10;
    const int none = Qt::NoModifier;
    const int shift = Qt::ShiftModifier;
    QTest::newRow("stored players, Menu")
        << "throne"
        << "StoredPlayers" << menu << none << QStringLiteral("&Import players\u2026");
    QTest::newRow("tournament players, Shift+F10")
        << "throne"
        << "TournyPlayers" << f10 << shift << "Reinstate";
    QTest::newRow("player 1 of each game, Menu")
        << "Tournament"
        << "MatchList1" << menu << none << "Undo last game";
    QTest::newRow("player 2 of each game, Shift+F10")
        << "Tournament"
        << "MatchList2" << f10 << shift << "Pair this round again";
}

void TestAccessibility::contextMenusOpenFromTheKeyboard()
{
    QFETCH(QString, window);
    QFETCH(QString, list);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, action);

    RoundFixture fixture({kA, kB, kC, kD});
    fixture.throne->show();
    Tournament *round = fixture.startRound();
    QVERIFY(round);
    QWidget *top =
        window == QLatin1String("throne") ? static_cast<QWidget *>(fixture.throne.get()) : round;
    auto *view = top->findChild<QListView *>(list);
    QVERIFY(view);
    top->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(top));
    view->setFocus();

    QStringList entries;
    QTimer::singleShot(0, qApp, [&entries] {
        if (auto *popup = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
            for (QAction *entry : popup->actions())
                entries.append(entry->text());
            popup->close();
        }
    });
    QVERIFY(press(Qt::Key(key), Qt::KeyboardModifiers(modifiers)));
    QVERIFY2(entries.contains(action), qPrintable(entries.join(QStringLiteral(" | "))));
}

void TestAccessibility::captionLettersTakeTheFocusToTheirControls_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("shown"); // the caption's letters on screen, unchanged

    QTest::newRow("Alt+T") << int(Qt::Key_T) << "TournyPlayers"
                           << "TournyLabel"
                           << " Tournament Players";
    QTest::newRow("Alt+S") << int(Qt::Key_S) << "StoredPlayers"
                           << "PlayerLabel"
                           << " Stored Players";
    QTest::newRow("Alt+N") << int(Qt::Key_N) << "Rounds"
                           << "RoundsLbl"
                           << "Number of Rounds";
    QTest::newRow("Alt+H") << int(Qt::Key_H) << "PlayerHouses"
                           << "HouseLabel"
                           << " House";
    QTest::newRow("Alt+C") << int(Qt::Key_C) << "PlayerScores"
                           << "Label1"
                           << " Score";
}

void TestAccessibility::captionLettersTakeTheFocusToTheirControls()
{
    QFETCH(int, key);
    QFETCH(QString, control);
    QFETCH(QString, caption);
    QFETCH(QString, shown);

    RoundFixture fixture({kA, kB});
    fixture.throne->show();
    QVERIFY(QTest::qWaitForWindowActive(fixture.throne.get()));
    auto *label = fixture.throne->findChild<QLabel *>(caption);
    QVERIFY(label);
    QCOMPARE(label->text().remove(QLatin1Char('&')), shown);
    // Start away from the control: the edit button has the focus.
    fixture.throne->findChild<QWidget *>(QStringLiteral("Command1"))->setFocus();
    QVERIFY(press(Qt::Key(key), Qt::AltModifier));
    QCOMPARE(focusedControl(), fixture.throne->findChild<QWidget *>(control));
}

void TestAccessibility::recordsMoveFromTheKeyboard()
{
    RoundFixture fixture({kA, kB, kC}, 0);
    fixture.throne->show();
    PlayerInfo *editor = openEditor(*fixture.throne);
    QVERIFY(editor);
    QVERIFY(QTest::qWaitForWindowActive(editor));
    auto *first = editor->findChild<QLineEdit *>(QStringLiteral("FirstName"));
    auto *position = editor->findChild<QLabel *>(QStringLiteral("Caption"));
    QVERIFY(first && position);
    QCOMPARE(focusedControl(), first);

    // The arrow buttons take no focus; Page Up and Page Down move between the records from
    // whichever box has the focus, with Ctrl to the first and the last.
    const struct
    {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char *record;
        const char *name;
    } steps[] = {
        {Qt::Key_PageDown, Qt::NoModifier, "Record: 2", "Bob"},
        {Qt::Key_PageDown, Qt::ControlModifier, "Record: 3", "Cat"},
        {Qt::Key_PageDown, Qt::NoModifier, "Record: 3", "Cat"},
        {Qt::Key_PageUp, Qt::NoModifier, "Record: 2", "Bob"},
        {Qt::Key_PageUp, Qt::ControlModifier, "Record: 1", "Ann"},
    };
    for (const auto &step : steps) {
        QVERIFY(press(step.key, step.modifiers));
        QCOMPARE(position->text(), QString::fromLatin1(step.record));
        QCOMPARE(first->text(), QString::fromLatin1(step.name));
    }
    QCOMPARE(fixture.log.texts(), QStringList());
    // The moves are on the card's context menu too.
    QStringList entries;
    for (QAction *action : editor->actions())
        entries.append(action->text());
    for (const char *entry : {"First record", "Previous record", "Next record", "Last record"})
        QVERIFY2(entries.contains(QLatin1String(entry)), entry);
}

void TestAccessibility::documentChoiceSpeaks()
{
    RoundFixture fixture({kA, kB, kC});
    fixture.throne->show();
    QVERIFY(fixture.startRound());
    Publish::setPublishDialogs({});
    bool checked = false;
    whenDialogOpens("PublishDocumentDialog", [&checked](QDialog &dialog) {
        auto *list = dialog.findChild<QListWidget *>(QStringLiteral("Documents"));
        QVERIFY(list);
        QCOMPARE(QAccessible::queryAccessibleInterface(list)->text(QAccessible::Name),
                 QStringLiteral("Documents"));
        QCOMPARE(list->accessibleDescription(), QStringLiteral("Print which document?"));
        bool buddy = false;
        for (QLabel *label : dialog.findChildren<QLabel *>())
            buddy = buddy || label->buddy() == list;
        QVERIFY(buddy);
        // A greyed document, with nothing in it yet, says why.
        for (int row = 0; row < list->count(); ++row) {
            QListWidgetItem *item = list->item(row);
            if (!(item->flags() & Qt::ItemIsEnabled))
                QCOMPARE(item->data(Qt::AccessibleDescriptionRole).toString(), item->toolTip());
        }
        checked = true;
    });
    fixture.throne->findChild<QAction *>(QStringLiteral("PrintAction"))->trigger();
    QVERIFY(checked);
}

void TestAccessibility::bigScreenClockSaysAWordBesideItsColour_data()
{
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QString>("word");

    QTest::newRow("six minutes left") << QStringList{"00:06:01", "00:06:00"} << QString();
    QTest::newRow("five minutes left")
        << QStringList{"00:05:01", "00:05:00"} << QStringLiteral("5 minutes left");
    QTest::newRow("one second left")
        << QStringList{"00:00:02", "00:00:01"} << QStringLiteral("5 minutes left");
    QTest::newRow("run out") << QStringList{"00:00:01", "00:00:00"} << QStringLiteral("Time");
}

void TestAccessibility::bigScreenClockSaysAWordBesideItsColour()
{
    QFETCH(QStringList, captions);
    QFETCH(QString, word);

    Publish::BigScreen screen;
    for (const QString &caption : std::as_const(captions))
        screen.showClock(caption);
    QCOMPARE(screen.clockWord(), word);
    QCOMPARE(QAccessible::queryAccessibleInterface(&screen)->text(QAccessible::Name),
             QStringLiteral("Big screen"));
    QCOMPARE(screen.accessibleDescription(),
             word.isEmpty() ? captions.last() : captions.last() + QStringLiteral(", ") + word);
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
