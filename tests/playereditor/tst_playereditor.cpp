// The player editor driven as a user drives it, over a temporary player database: the
// card layout, browsing with the navigation bar and its caption, the five commands and
// the closing step, and the failures each of them reports.

#include "support/testsupport.h"

#include "data/installfolder.h"
#include "data/schema.h"
#include "playereditor/datacontrol.h"
#include "playereditor/playerinfo.h"
#include "registration/throne.h"
#include "ui/listutil.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

using namespace Zuvi;
using Zuvi::Test::listTexts;
using Zuvi::Test::MessageLog;
using Zuvi::Test::TempInstall;

namespace {

const QString kPlayers = Data::playersDatabase();
const QString kNoCurrent = QStringLiteral("There is no current record.");
const QString kNoRecords = QStringLiteral("The table has no records to move to.");
const QString kNotOpen = QStringLiteral("The table PlayerInfo is not open.");
const QString kNotWritten = QStringLiteral(
    "The record was not written: it was changed or deleted elsewhere since it was read.");
const QString kNotDeleted = QStringLiteral(
    "The record was not deleted: it was changed or deleted elsewhere since it was read.");
const QString kSeveral =
    QStringLiteral("The record was not written: it matches several rows of the table.");

const char *const kBoxes[] = {"FirstName", "LastName",  "Email",     "PhoneNumber", "StreetAddress",
                              "City",      "State",     "Zip",       "Country",     "Webpage",
                              "Username1", "Username2", "Username3", "Birthday",    "Password"};

PlayerInfo *openEditor(Throne &throne)
{
    QTest::mouseClick(throne.findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
    return throne.playerEditor();
}

QLineEdit *box(const PlayerInfo *editor, const char *name)
{
    auto *found = editor->findChild<QLineEdit *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no box %s", name);
    return found;
}

QString text(const PlayerInfo *editor, const char *name)
{
    return box(editor, name)->text();
}

/// Clicks a command button or a navigation button by its name.
void press(PlayerInfo *editor, const QString &name)
{
    auto *button = editor->findChild<QAbstractButton *>(name);
    if (!button)
        qFatal("no button %s", qPrintable(name));
    QTest::mouseClick(button, Qt::LeftButton);
}

/// Replaces the text of a box as a user does: select everything, then type.
void type(PlayerInfo *editor, const char *name, const QString &typed)
{
    QLineEdit *field = box(editor, name);
    field->setFocus();
    field->selectAll();
    if (typed.isEmpty())
        QTest::keyClick(field, Qt::Key_Delete);
    for (const QChar ch : typed) {
        // QTest types plain ASCII only; other characters arrive as text.
        if (ch.unicode() < 128)
            QTest::keyClick(field, char(ch.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

QString caption(const PlayerInfo *editor)
{
    return editor->Adodc1()->caption();
}

/// Closes the window through its caption bar's close box, as the window manager does.
bool closeBox(PlayerInfo *editor)
{
    return editor->windowHandle()->close();
}

QStringList firstNames(const TempInstall &install)
{
    QStringList names;
    const auto rows =
        install.rows(kPlayers, QStringLiteral("SELECT \"First Name\" FROM PlayerInfo"));
    for (const QVariantList &row : rows)
        names.append(row.value(0).isNull() ? QStringLiteral("<null>") : row.value(0).toString());
    return names;
}

/// Every column of every row with its storage class, so that a NULL turned into an
/// empty text or a number turned into a text shows.
QList<QVariantList> snapshot(const TempInstall &install)
{
    return install.rows(
        kPlayers,
        QStringLiteral("SELECT quote(\"First Name\"), quote(\"Last Name\"), quote(Email), "
                       "quote(Phone), quote(Address), quote(City), quote(State), quote(Zip), "
                       "quote(Webpage), quote(Username1), quote(Username2), quote(Username3), "
                       "quote(Birthday), quote(Password), quote(\"Allow Email\") FROM PlayerInfo"));
}

/// Replaces the player table by one made from the usual statement, changed as given.
void replacePlayerTable(const TempInstall &install, const QString &from, const QString &to)
{
    QString create = Data::createPlayerTable();
    QVERIFY(create.contains(from));
    create.replace(from, to);
    install.exec(kPlayers, QStringLiteral("DROP TABLE PlayerInfo"));
    install.exec(kPlayers, create);
}

void addPlayer(const TempInstall &install, const QString &first, const QString &last,
               int allowEmail = 0)
{
    install.exec(kPlayers,
                 QStringLiteral("INSERT INTO PlayerInfo(\"First Name\", \"Last Name\", "
                                "\"Allow Email\") VALUES (?, ?, ?)"),
                 {first, last, allowEmail});
}

QString instructions()
{
    return QStringLiteral("Click the Add button to create a new entry in the database.") +
           QString(26, QLatin1Char(' ')) +
           QStringLiteral("Click the Update button to update the database with any new "
                          "information you've entered.") +
           QString(23, QLatin1Char(' ')) +
           QStringLiteral("Click the Delete button to delete an entire entry.") +
           QString(26, QLatin1Char(' ')) +
           QStringLiteral(
               "Click the Refresh button to refresh the database information and screen.") +
           QString(36, QLatin1Char(' ')) +
           QStringLiteral("Click the Close button to close this database editing window.") +
           QString(28, QLatin1Char(' ')) +
           QStringLiteral("Move between records using arrow buttons.");
}

} // namespace

class TestPlayerEditor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void windowHasTheCardLayout();
    void controlsLieOnTheCardsRules_data();
    void controlsLieOnTheCardsRules();
    void captionFollowsTheCurrentRecord_data();
    void captionFollowsTheCurrentRecord();
    void emptyTableHasNoCurrentRecord();
    void browsingLeavesNullsAndNumbersAlone();
    void countryKeepsItsTextAndStoresNothing();
    void addTypeUpdateWritesOneRowListedOnClose();
    void secondAddWritesTheFirstRecord_data();
    void secondAddWritesTheFirstRecord();
    void deleteMovesOn_data();
    void deleteMovesOn();
    void updateWithNothingChangedShowsNothing();
    void pendingChangeIsWrittenBeforeCloseOrRefresh_data();
    void pendingChangeIsWrittenBeforeCloseOrRefresh();
    void refusedValueIsShownAndStaysTyped_data();
    void refusedValueIsShownAndStaysTyped();
    void closeBoxReloadsStoredPlayersLikeCmdClose_data();
    void closeBoxReloadsStoredPlayersLikeCmdClose();
    void secondEditPlayerDatabaseOpensNoSecondEditor();
    void editorOutlivesTheRegistrationWindow();
    void failingReloadOnCloseTakesTheFatalPath();
    void tableThatCannotBeOpenedIsReported();
    void recordChangedElsewhereIsNotOverwritten();
    void tableWithoutKeyIsEditedRowByRow();
    void tableWithoutRowIdIsBrowsedAndEdited();
    void recordDeletedElsewhereIsNotWrittenBack();
    void checkBoxCarriesAllowEmail();
    void awkwardTextIsStoredAsTyped_data();
    void awkwardTextIsStoredAsTyped();
};

void TestPlayerEditor::windowHasTheCardLayout()
{
    TempInstall install;
    install.exec(kPlayers,
                 QStringLiteral("INSERT INTO PlayerInfo(\"First Name\", Password) VALUES (?, ?)"),
                 {QStringLiteral("Ann"), QStringLiteral("secret")});
    MessageLog log;
    Throne throne;
    PlayerInfo *editor = openEditor(throne);
    QVERIFY(editor);
    QVERIFY(QTest::qWaitForWindowExposed(editor));
    QCOMPARE(editor->objectName(), QStringLiteral("PlayerInfo"));
    QCOMPARE(editor->windowTitle(), QStringLiteral("Input Player Information"));
    QCOMPARE(editor->size(), QSize(612, 392));
    QCOMPARE(editor->windowType(), Qt::Tool);
    QVERIFY(editor->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!editor->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!editor->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QCOMPARE(editor->focusWidget(), box(editor, "FirstName"));
    QCOMPARE(log.texts(), QStringList());

    // The tab order: the fifteen boxes, the five buttons, then the check box.
    QStringList expected;
    for (const char *name : kBoxes)
        expected.append(QString::fromLatin1(name));
    expected << "cmdAdd"
             << "cmdUpdate"
             << "cmdDelete"
             << "cmdRefresh"
             << "cmdClose"
             << "Check1";
    QStringList chain;
    QWidget *widget = box(editor, "FirstName");
    do {
        if (widget->focusPolicy() & Qt::TabFocus)
            chain.append(widget->objectName());
        widget = widget->nextInFocusChain();
    } while (widget != box(editor, "FirstName") && chain.size() < 40);
    QCOMPARE(chain, expected);

    for (const char *name : kBoxes) {
        const QLineEdit *field = box(editor, name);
        QVERIFY2(field->font().bold(), name);
        QCOMPARE(field->font().pointSizeF(), 8.25);
        QCOMPARE(field->palette().color(QPalette::Base), QColor(230, 230, 230));
        QVERIFY2(!field->hasFrame(), name);
        QVERIFY2(field->maxLength() > 1000000, name);
    }
    QLineEdit *password = box(editor, "Password");
    QCOMPARE(password->echoMode(), QLineEdit::Password);
    QCOMPARE(password->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, password),
             int('*'));
    QCOMPARE(password->text(), QStringLiteral("secret"));
    QCOMPARE(password->displayText(), QStringLiteral("******"));

    const std::pair<const char *, const char *> buttons[] = {{"cmdAdd", "&Add"},
                                                             {"cmdUpdate", "&Update"},
                                                             {"cmdDelete", "&Delete"},
                                                             {"cmdRefresh", "&Refresh"},
                                                             {"cmdClose", "&Close"}};
    for (const auto &[name, label] : buttons) {
        auto *button = editor->findChild<QPushButton *>(QString::fromLatin1(name));
        QVERIFY2(button, name);
        QCOMPARE(button->text(), QString::fromLatin1(label));
        QCOMPARE(button->shortcut(), QKeySequence(Qt::ALT | QChar(label[1]).unicode()));
    }

    auto *check1 = editor->findChild<QCheckBox *>(QStringLiteral("Check1"));
    QVERIFY(check1);
    QCOMPARE(check1->text(), QStringLiteral("Check1"));
    // Only the box shows: the indicator fills the 13-pixel control.
    QCOMPARE(check1->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, check1), 13);
    auto *label1 = editor->findChild<QLabel *>(QStringLiteral("Label1"));
    QVERIFY(label1);
    QCOMPARE(label1->text(), QString());
    QVERIFY(label1->autoFillBackground());
    // Label1 blanks out the card's "_No" in the card's own grey.
    QCOMPARE(label1->grab().toImage().pixelColor(5, 5), QColor(230, 230, 230));
    auto *label2 = editor->findChild<QLabel *>(QStringLiteral("Label2"));
    QVERIFY(label2);
    QCOMPARE(label2->text(), instructions());
    QVERIFY(label2->wordWrap());

    // The access keys press their buttons: Alt+A adds a record.
    QVERIFY(QTest::qWaitForWindowActive(editor));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::AltModifier);
    QTRY_COMPARE(caption(editor), QStringLiteral("Record: 2"));
}

void TestPlayerEditor::controlsLieOnTheCardsRules_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<bool>("onRule");
    const struct
    {
        const char *name;
        QRect geometry;
        bool onRule;
    } rows[] = {
        {"FirstName", {88, 8, 177, 13}, true},      {"LastName", {360, 8, 153, 13}, true},
        {"Email", {56, 40, 201, 13}, true},         {"PhoneNumber", {328, 40, 185, 13}, true},
        {"StreetAddress", {68, 68, 305, 13}, true}, {"City", {40, 100, 217, 13}, true},
        {"State", {320, 100, 189, 13}, true},       {"Zip", {36, 128, 217, 13}, true},
        {"Country", {340, 128, 169, 13}, true},     {"Webpage", {80, 160, 221, 13}, true},
        {"Username1", {148, 188, 105, 13}, true},   {"Username2", {148, 220, 109, 13}, true},
        {"Username3", {148, 248, 109, 13}, true},   {"Birthday", {68, 280, 169, 13}, true},
        {"Password", {352, 188, 153, 13}, true},    {"cmdAdd", {0, 372, 109, 20}, false},
        {"cmdUpdate", {112, 372, 101, 20}, false},  {"cmdDelete", {216, 372, 101, 20}, false},
        {"cmdRefresh", {320, 372, 101, 20}, false}, {"cmdClose", {424, 372, 101, 20}, false},
        {"Check1", {180, 324, 13, 13}, true},       {"Label1", {224, 320, 33, 21}, false},
        {"Label2", {528, 0, 81, 393}, false},       {"Adodc1", {0, 348, 525, 25}, false},
    };
    for (const auto &row : rows)
        QTest::newRow(row.name) << QString::fromLatin1(row.name) << row.geometry << row.onRule;
}

void TestPlayerEditor::controlsLieOnTheCardsRules()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(bool, onRule);
    TempInstall install;
    Throne throne;
    PlayerInfo *editor = openEditor(throne);
    QVERIFY(editor);
    auto *control = editor->findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(), geometry);
    if (!onRule)
        return;
    // The card prints a rule right under the box, from its left end to its right end,
    // and nothing of the card's text lies under the box itself.
    const QImage card(QStringLiteral(":/card.png"));
    QCOMPARE(card.size(), QSize(526, 346));
    const int ruleY = geometry.bottom() + 1;
    for (int x : {geometry.left() + 1, geometry.center().x(), geometry.right() - 1})
        QVERIFY2(qGray(card.pixel(x, ruleY)) < 120, qPrintable(QStringLiteral("x %1").arg(x)));
    QVERIFY(qGray(card.pixel(geometry.left() - 1, geometry.top() - 2)) > 150);
}

void TestPlayerEditor::captionFollowsTheCurrentRecord_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("expectedCaption");
    QTest::addColumn<QString>("expectedFirst");
    QTest::newRow("after load") << QStringList() << "Record: 1"
                                << "Ann";
    QTest::newRow("next") << QStringList{"MoveNext"} << "Record: 2"
                          << "Bob";
    QTest::newRow("last") << QStringList{"MoveLast"} << "Record: 3"
                          << "Cat";
    QTest::newRow("next at the end keeps the last")
        << QStringList{"MoveLast", "MoveNext"} << "Record: 3"
        << "Cat";
    QTest::newRow("previous at the start keeps the first")
        << QStringList{"MovePrevious"} << "Record: 1"
        << "Ann";
    QTest::newRow("previous from the last")
        << QStringList{"MoveLast", "MovePrevious"} << "Record: 2"
        << "Bob";
    QTest::newRow("first from the last") << QStringList{"MoveLast", "MoveFirst"} << "Record: 1"
                                         << "Ann";
}

void TestPlayerEditor::captionFollowsTheCurrentRecord()
{
    QFETCH(QStringList, clicks);
    QFETCH(QString, expectedCaption);
    QFETCH(QString, expectedFirst);
    TempInstall install;
    install.addPlayers({{"Ann", "Smith"}, {"Bob", "Jones"}, {"Cat", "Brown"}});
    MessageLog log;
    Throne throne;
    PlayerInfo *editor = openEditor(throne);
    QVERIFY(editor);
    for (const QString &click : clicks)
        press(editor, click);
    QCOMPARE(caption(editor), expectedCaption);
    QCOMPARE(text(editor, "FirstName"), expectedFirst);
    QCOMPARE(log.texts(), QStringList());
}

void TestPlayerEditor::emptyTableHasNoCurrentRecord()
{
    TempInstall install;
    MessageLog log;
    Throne throne;
    PlayerInfo *editor = openEditor(throne);
    QVERIFY(editor);
    QCOMPARE(caption(editor), QStringLiteral("Record: -1"));
    for (const char *click : {"MoveNext", "MoveLast", "MovePrevious", "MoveFirst", "cmdUpdate"}) {
        press(editor, QString::fromLatin1(click));
        QCOMPARE(caption(editor), QStringLiteral("Record: -1"));
    }
    for (const char *name : kBoxes)
        QCOMPARE(text(editor, name), QString());
    // Nothing typed can go astray: the bound boxes take no typing without a record.
    QVERIFY(box(editor, "FirstName")->isReadOnly());
    QVERIFY(!box(editor, "Country")->isReadOnly());
    QVERIFY(!editor->findChild<QCheckBox *>(QStringLiteral("Check1"))->isEnabled());
    QCOMPARE(log.texts(), QStringList());
}

void TestPlayerEditor::browsingLeavesNullsAndNumbersAlone()
{
    TempInstall install;
    install.exec(kPlayers, QStringLiteral("INSERT INTO PlayerInfo DEFAULT VALUES"));
    install.exec(kPlayers,
                 QStringLiteral("INSERT INTO PlayerInfo(\"First Name\", Zip, Address, "
                                "\"Allow Email\") VALUES ('Bob', 12345, ?, NULL)"),
                 {QString(40000, QLatin1Char('x'))});
    const auto before = snapshot(install);
    MessageLog log;
    Throne throne;
    PlayerInfo *editor = openEditor(throne);
    QVERIFY(editor);
    for (const char *name : kBoxes)
        QCOMPARE(text(editor, name), QString());
    press(editor, "MoveNext");
    QCOMPARE(text(editor, "Zip"), QStringLiteral("12345"));
    QCOMPARE(text(editor, "StreetAddress").size(), 40000);
    press(editor, "cmdUpdate");
    press(editor, "MovePrevious");
    press(editor, "MoveLast");
    press(editor, "cmdRefresh");
    press(editor, "cmdClose");
    QTRY_VERIFY(!throne.playerEditor());
    QCOMPARE(log.texts(), QStringList());
    QCOMPARE(snapshot(install), before);
}

void TestPlayerEditor::countryKeepsItsTextAndStoresNothing()
{
    TempInstall install;
    install.addPlayers({{"Ann", "Smith"}, {"Bob", "Jones"}});
    const auto before = snapshot(install);
    MessageLog log;
    Throne throne;
    PlayerInfo *editor = openEditor(throne);
    QVERIFY(editor);
    type(editor, "Country", QStringLiteral("Westeros"));
    press(editor, "MoveNext");
    QCOMPARE(caption(editor), QStringLiteral("Record: 2"));
    QCOMPARE(text(editor, "Country"), QStringLiteral("Westeros"));
    press(editor, "cmdUpdate");
    press(editor, "cmdRefresh");
    QCOMPARE(text(editor, "Country"), QStringLiteral("Westeros"));
    QCOMPARE(snapshot(install), before);
    QCOMPARE(log.texts(), QStringList());

    // A new opening starts afresh.
    press(editor, "cmdClose");
    QTRY_VERIFY(!throne.playerEditor());
    editor = openEditor(throne);
    QVERIFY(editor);
    QCOMPARE(text(editor, "Country"), QString());
}

void TestPlayerEditor::addTypeUpdateWritesOneRowListedOnClose()
{
    TempInstall install;
    install.addPlayers({{"Ann", "Smith"}});
    MessageLog log;
    Throne throne;
    PlayerInfo *editor = openEditor(throne);
    QVERIFY(editor);
    press(editor, "cmdAdd");
    QCOMPARE(caption(editor), QStringLiteral("Record: 2"));
    QCOMPARE(text(editor, "FirstName"), QString());
    QVERIFY(!box(editor, "FirstName")->isReadOnly());
    type(editor, "FirstName", QStringLiteral("Zoë"));
    type(editor, "LastName", QStringLiteral("O'Neil"));
    type(editor, "Email", QStringLiteral("zoe@example.org"));
    QTest::mouseClick(editor->findChild<QCheckBox *>(QStringLiteral("Check1")), Qt::LeftButton);
    press(editor, "cmdUpdate");
    QCOMPARE(log.texts(), QStringList());
    QCOMPARE(install.rows(kPlayers, QStringLiteral("SELECT quote(\"First Name\"), "
                                                   "quote(\"Last Name\"), quote(Email), "
                                                   "quote(\"Allow Email\"), quote(Phone) "
                                                   "FROM PlayerInfo")),
             (QList<QVariantList>{{"'Ann'", "'Smith'", "NULL", "0", "NULL"},
                                  {"'Zoë'", "'O''Neil'", "'zoe@example.org'", "1", "NULL"}}));
    // The written record stays current.
    QCOMPARE(caption(editor), QStringLiteral("Record: 2"));
    QCOMPARE(text(editor, "FirstName"), QStringLiteral("Zoë"));

    press(editor, "cmdClose");
    QTRY_VERIFY(!throne.playerEditor());
    QCOMPARE(listTexts(throne.StoredPlayers()), (QStringList{"Smith, Ann", "O'Neil, Zoë"}));
    QCOMPARE(log.texts(), QStringList());
}

void TestPlayerEditor::secondAddWritesTheFirstRecord_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("expectedNames");
    QTest::newRow("typed into") << "Bob" << QStringList{"Ann", "Bob"};
    QTest::newRow("left as it came") << "" << QStringList{"Ann", "<null>"};
}

void TestPlayerEditor::secondAddWritesTheFirstRecord()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, expectedNames);
    TempInstall install;
    install.addPlayers({{"Ann", "Smith"}});
    MessageLog log;
    Throne throne;
    PlayerInfo *editor = openEditor(throne);
    QVERIFY(editor);
    press(editor, "cmdAdd");
    if (!typed.isEmpty())
        type(editor, "FirstName", typed);
    press(editor, "cmdAdd");
    QCOMPARE(log.texts(), QStringList());
    QCOMPARE(firstNames(install), expectedNames);
    // The table's default applies to what was not set.
    QCOMPARE(install.rows(kPlayers, QStringLiteral("SELECT \"Allow Email\" FROM PlayerInfo "
                                                   "WHERE rowid = 2")),
             (QList<QVariantList>{{0}}));
    QCOMPARE(caption(editor), QStringLiteral("Record: 3"));
    QCOMPARE(text(editor, "FirstName"), QString());
    press(editor, "MovePrevious");
    QCOMPARE(text(editor, "FirstName"), typed);
}

void TestPlayerEditor::deleteMovesOn_data()
{
    QTest::addColumn<QStringList>("players");
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("expectedCaption");
    QTest::addColumn<QString>("expectedFirst");
    QTest::addColumn<QStringList>("remaining");
    QTest::addColumn<QStringList>("messages");
    const QStringList three{"Ann", "Bob", "Cat"};
    QTest::newRow("first of three") << three << QStringList() << "Record: 1"
                                    << "Bob" << QStringList{"Bob", "Cat"} << QStringList();
    QTest::newRow("middle makes the next current")
        << three << QStringList{"MoveNext"} << "Record: 2"
        << "Cat" << QStringList{"Ann", "Cat"} << QStringList();
    QTest::newRow("last makes the new last current")
        << three << QStringList{"MoveLast"} << "Record: 2"
        << "Bob" << QStringList{"Ann", "Bob"} << QStringList();
    QTest::newRow("only record: deleted, then the move fails")
        << QStringList{"Ann"} << QStringList() << "Record: -1"
        << "" << QStringList() << QStringList{kNoRecords};
    QTest::newRow("empty table") << QStringList() << QStringList() << "Record: -1"
                                 << "" << QStringList() << QStringList{kNoCurrent};
    QTest::newRow("new record never written")
        << QStringList{"Ann"} << QStringList{"cmdAdd"} << "Record: 1"
        << "Ann" << QStringList{"Ann"} << QStringList();
    QTest::newRow("changed record: the change goes with it")
        << three << QStringList{"MoveNext", "type"} << "Record: 2"
        << "Cat" << QStringList{"Ann", "Cat"} << QStringList();
}

void TestPlayerEditor::deleteMovesOn()
{
    QFETCH(QStringList, players);
    QFETCH(QStringList, before);
    QFETCH(QString, expectedCaption);
    QFETCH(QString, expectedFirst);
    QFETCH(QStringList, remaining);
    QFETCH(QStringList, messages);
    TempInstall install;
    for (const QString &player : players)
        addPlayer(install, player, QStringLiteral("Last"));
    MessageLog log;
    Throne throne;
    PlayerInfo *editor = openEditor(throne);
    QVERIFY(editor);
    for (const QString &step : before) {
        if (step == QStringLiteral("type"))
            type(editor, "FirstName", QStringLiteral("Changed"));
        else
            press(editor, step);
    }
    press(editor, "cmdDelete");
    QCOMPARE(log.texts(), messages);
    QCOMPARE(caption(editor), expectedCaption);
    QCOMPARE(text(editor, "FirstName"), expectedFirst);
    QCOMPARE(firstNames(install), remaining);

    // The window stays usable: a further record can be added and written.
    log.clear();
    press(editor, "cmdAdd");
    type(editor, "FirstName", QStringLiteral("New"));
    press(editor, "cmdUpdate");
    QCOMPARE(log.texts(), QStringList());
    QCOMPARE(caption(editor), QStringLiteral("Record: %1").arg(remaining.size() + 1));
    QCOMPARE(firstNames(install), remaining + QStringList{"New"});
}

void TestPlayerEditor::updateWithNothingChangedShowsNothing()
{
    TempInstall install;
    install.exec(kPlayers, QStringLiteral("INSERT INTO PlayerInfo DEFAULT VALUES"));
    install.addPlayers({{"Ann", "Smith"}});
    const auto before = snapshot(install);
    MessageLog log;
    Throne throne;
    PlayerInfo *editor = openEditor(throne);
    QVERIFY(editor);
    press(editor, "cmdUpdate");
    press(editor, "MoveNext");
    press(editor, "cmdUpdate");
    // A box typed back to what it held is no change either.
    type(editor, "FirstName", QStringLiteral("Ann"));
    press(editor, "cmdUpdate");
    QCOMPARE(log.texts(), QStringList());
    QCOMPARE(caption(editor), QStringLiteral("Record: 2"));
    QCOMPARE(snapshot(install), before);
}

void TestPlayerEditor::pendingChangeIsWrittenBeforeCloseOrRefresh_data()
{
    QTest::addColumn<bool>("added");
    QTest::addColumn<QString>("action");
    for (const bool added : {false, true}) {
        for (const char *action : {"cmdClose", "close box", "cmdRefresh"}) {
            const QString name =
                QStringLiteral("%1, %2").arg(added ? "added record" : "typed change", action);
            QTest::newRow(qPrintable(name)) << added << QString::fromLatin1(action);
        }
    }
}

void TestPlayerEditor::pendingChangeIsWrittenBeforeCloseOrRefresh()
{
    QFETCH(bool, added);
    QFETCH(QString, action);
    TempInstall install;
    install.addPlayers({{"Ann", "Smith"}, {"Bob", "Jones"}});
    MessageLog log;
    Throne throne;
    PlayerInfo *editor = openEditor(throne);
    QVERIFY(editor);
    if (added) {
        press(editor, "cmdAdd");
        type(editor, "FirstName", QStringLiteral("Cat"));
        type(editor, "LastName", QStringLiteral("Brown"));
    } else {
        type(editor, "FirstName", QStringLiteral("Anna"));
    }
    const QStringList expected =
        added ? QStringList{"Ann", "Bob", "Cat"} : QStringList{"Anna", "Bob"};
    if (action == QStringLiteral("cmdRefresh")) {
        press(editor, action);
        QCOMPARE(caption(editor), QStringLiteral("Record: 1"));
        QCOMPARE(text(editor, "FirstName"), expected.first());
        QCOMPARE(editor->Adodc1()->recordCount(), expected.size());
    } else {
        if (action == QStringLiteral("close box"))
            QVERIFY(closeBox(editor));
        else
            press(editor, action);
        QTRY_VERIFY(!throne.playerEditor());
        QCOMPARE(listTexts(throne.StoredPlayers()),
                 added ? QStringList({"Smith, Ann", "Jones, Bob", "Brown, Cat"})
                       : QStringList({"Smith, Anna", "Jones, Bob"}));
    }
    QCOMPARE(log.texts(), QStringList());
    QCOMPARE(firstNames(install), expected);
}

void TestPlayerEditor::refusedValueIsShownAndStaysTyped_data()
{
    QTest::addColumn<bool>("added");
    QTest::addColumn<QString>("action");
    for (const bool added : {false, true}) {
        for (const char *action : {"MoveNext", "MoveFirst", "cmdUpdate", "cmdAdd", "cmdRefresh",
                                   "cmdClose", "close box"}) {
            const QString name = QStringLiteral("%1, %2").arg(
                added ? "added record without last name" : "first name too long", action);
            QTest::newRow(qPrintable(name)) << added << QString::fromLatin1(action);
        }
    }
}

void TestPlayerEditor::refusedValueIsShownAndStaysTyped()
{
    QFETCH(bool, added);
    QFETCH(QString, action);
    TempInstall install;
    replacePlayerTable(
        install, QStringLiteral("\"First Name\" TEXT, \"Last Name\" TEXT"),
        QStringLiteral("\"First Name\" TEXT CONSTRAINT short_first_name "
                       "CHECK (length(\"First Name\") <= 8), \"Last Name\" TEXT NOT NULL"));
    install.addPlayers({{"Ann", "Smith"}, {"Bob", "Jones"}});
    MessageLog log;
    Throne throne;
    PlayerInfo *editor = openEditor(throne);
    QVERIFY(editor);
    const QString refused = added ? QStringLiteral("Cat") : QStringLiteral("Annabelle-Marie");
    const QString expectedMessage =
        added ? QStringLiteral("NOT NULL constraint failed: PlayerInfo.Last Name")
              : QStringLiteral("CHECK constraint failed: short_first_name");
    const QString position = added ? QStringLiteral("Record: 3") : QStringLiteral("Record: 1");
    if (added)
        press(editor, "cmdAdd");
    type(editor, "FirstName", refused);

    if (action == QStringLiteral("close box"))
        QVERIFY(!closeBox(editor));
    else
        press(editor, action);
    QCOMPARE(log.texts(), QStringList{expectedMessage});
    // The window stays open on the record, with the change still typed in.
    QVERIFY(throne.playerEditor() == editor);
    QVERIFY(editor->isVisible());
    QCOMPARE(caption(editor), position);
    QCOMPARE(text(editor, "FirstName"), refused);
    QCOMPARE(firstNames(install), (QStringList{"Ann", "Bob"}));

    // Once the value is put right, the record is written.
    log.clear();
    if (added)
        type(editor, "LastName", QStringLiteral("Brown"));
    else
        type(editor, "FirstName", QStringLiteral("Annie"));
    press(editor, "cmdUpdate");
    QCOMPARE(log.texts(), QStringList());
    QCOMPARE(firstNames(install),
             added ? QStringList({"Ann", "Bob", "Cat"}) : QStringList({"Annie", "Bob"}));
}

void TestPlayerEditor::closeBoxReloadsStoredPlayersLikeCmdClose_data()
{
    QTest::addColumn<bool>("useCloseBox");
    QTest::newRow("cmdClose") << false;
    QTest::newRow("close box") << true;
}

void TestPlayerEditor::closeBoxReloadsStoredPlayersLikeCmdClose()
{
    QFETCH(bool, useCloseBox);
    TempInstall install;
    install.addPlayers({{"Ann", "Smith"}});
    MessageLog log;
    Throne throne;
    Test::clickRow(throne.StoredPlayers(), 0);
    PlayerInfo *editor = openEditor(throne);
    QVERIFY(editor);
    // A player written meanwhile through another connection shows too.
    install.addPlayers({{"Bob", "Jones"}});
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    if (useCloseBox)
        QVERIFY(closeBox(editor));
    else
        press(editor, "cmdClose");
    QTRY_VERIFY(!throne.playerEditor());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QCOMPARE(listTexts(throne.StoredPlayers()), (QStringList{"Smith, Ann", "Jones, Bob"}));
    QCOMPARE(Ui::selectedRow(throne.StoredPlayers()), -1);
    QCOMPARE(log.texts(), QStringList());
    QCOMPARE(log.ends(), 0);
}

void TestPlayerEditor::secondEditPlayerDatabaseOpensNoSecondEditor()
{
    TempInstall install;
    install.addPlayers({{"Ann", "Smith"}, {"Bob", "Jones"}});
    MessageLog log;
    Throne throne;
    PlayerInfo *editor = openEditor(throne);
    QVERIFY(editor);
    press(editor, "MoveNext");
    type(editor, "Country", QStringLiteral("Essos"));
    QCOMPARE(openEditor(throne), editor);
    QCOMPARE(caption(editor), QStringLiteral("Record: 2"));
    QCOMPARE(text(editor, "Country"), QStringLiteral("Essos"));
    int editors = 0;
    for (QWidget *window : QApplication::topLevelWidgets())
        editors += qobject_cast<PlayerInfo *>(window) != nullptr;
    QCOMPARE(editors, 1);
    QCOMPARE(log.texts(), QStringList());
}

void TestPlayerEditor::editorOutlivesTheRegistrationWindow()
{
    TempInstall install;
    install.addPlayers({{"Ann", "Smith"}});
    MessageLog log;
    Throne throne;
    throne.show();
    PlayerInfo *editor = openEditor(throne);
    QVERIFY(editor);
    type(editor, "FirstName", QStringLiteral("Anna"));
    // Run as the application runs: closing the registration window leaves the editor
    // open, and the application ends only when the editor, its last window, closes.
    bool openAfterThroneClosed = false;
    QTimer::singleShot(0, &throne, [&] {
        throne.close();
        QTimer::singleShot(0, editor, [&openAfterThroneClosed, editor] {
            openAfterThroneClosed = editor->isVisible();
            press(editor, QStringLiteral("cmdClose"));
        });
    });
    // Only a guard against a hang; the loop ends long before.
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, qApp, [] { QCoreApplication::exit(2); });
    guard.start(60000);
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(openAfterThroneClosed);
    QTRY_VERIFY(!throne.playerEditor());
    QCOMPARE(firstNames(install), QStringList{"Anna"});
    QCOMPARE(listTexts(throne.StoredPlayers()), QStringList{"Smith, Anna"});
    QCOMPARE(log.texts(), QStringList());
}

void TestPlayerEditor::failingReloadOnCloseTakesTheFatalPath()
{
    TempInstall install;
    install.addPlayers({{"Ann", "Smith"}});
    MessageLog log;
    Throne throne;
    PlayerInfo *editor = openEditor(throne);
    QVERIFY(editor);
    install.exec(kPlayers, QStringLiteral("DROP TABLE PlayerInfo"));
    press(editor, "cmdClose");
    QCOMPARE(log.texts(), QStringList{QStringLiteral("Error 1: no such table: playerinfo")});
    QCOMPARE(log.ends(), 1);
}

void TestPlayerEditor::tableThatCannotBeOpenedIsReported()
{
    TempInstall install;
    MessageLog log;
    Throne throne;
    install.exec(kPlayers, QStringLiteral("DROP TABLE PlayerInfo"));
    PlayerInfo *editor = openEditor(throne);
    QVERIFY(editor);
    QVERIFY(editor->isVisible());
    QCOMPARE(log.texts().size(), 1);
    QVERIFY2(log.last().contains(QStringLiteral("PlayerInfo")), qPrintable(log.last()));
    QCOMPARE(caption(editor), QStringLiteral("Adodc1"));
    QVERIFY(box(editor, "FirstName")->isReadOnly());

    // Each command reports the closed table; moving reports it too.
    log.clear();
    for (const char *command : {"cmdAdd", "cmdUpdate", "cmdDelete", "MoveNext"})
        press(editor, QString::fromLatin1(command));
    QCOMPARE(log.texts(), QStringList(4, kNotOpen));
    QCOMPARE(log.ends(), 0);

    // Refresh opens the table once it is there.
    log.clear();
    install.exec(kPlayers, Data::createPlayerTable());
    install.addPlayers({{"Ann", "Smith"}});
    press(editor, "cmdRefresh");
    QCOMPARE(log.texts(), QStringList());
    QCOMPARE(caption(editor), QStringLiteral("Record: 1"));
    QCOMPARE(text(editor, "FirstName"), QStringLiteral("Ann"));
    type(editor, "LastName", QStringLiteral("Smythe"));
    press(editor, "cmdClose");
    QTRY_VERIFY(!throne.playerEditor());
    QCOMPARE(listTexts(throne.StoredPlayers()), QStringList{"Smythe, Ann"});
}

void TestPlayerEditor::recordChangedElsewhereIsNotOverwritten()
{
    TempInstall install;
    install.addPlayers({{"Ann", "Smith"}, {"Bob", "Jones"}});
    MessageLog log;
    Throne throne;
    PlayerInfo *editor = openEditor(throne);
    QVERIFY(editor);
    install.exec(kPlayers, QStringLiteral("DELETE FROM PlayerInfo WHERE \"First Name\" = 'Ann'"));
    type(editor, "FirstName", QStringLiteral("Anna"));
    press(editor, "cmdUpdate");
    QCOMPARE(log.texts(), QStringList{kNotWritten});
    QCOMPARE(text(editor, "FirstName"), QStringLiteral("Anna"));
    QVERIFY(!closeBox(editor));
    QCOMPARE(log.texts(), (QStringList{kNotWritten, kNotWritten}));

    // Deleting the record lets the change go; the record is shown as it was read.
    press(editor, "cmdDelete");
    QCOMPARE(log.last(), kNotDeleted);
    QCOMPARE(text(editor, "FirstName"), QStringLiteral("Ann"));
    log.clear();
    press(editor, "cmdRefresh");
    QCOMPARE(log.texts(), QStringList());
    QCOMPARE(caption(editor), QStringLiteral("Record: 1"));
    QCOMPARE(text(editor, "FirstName"), QStringLiteral("Bob"));
    QCOMPARE(firstNames(install), QStringList{"Bob"});
}

void TestPlayerEditor::tableWithoutKeyIsEditedRowByRow()
{
    TempInstall install;
    replacePlayerTable(install, QStringLiteral("ID INTEGER PRIMARY KEY, "), QString());
    install.exec(kPlayers, QStringLiteral("INSERT INTO PlayerInfo DEFAULT VALUES"));
    install.addPlayers({{"Bob", "Jones"}, {"Cat", "Brown"}});
    MessageLog log;
    Throne throne;
    PlayerInfo *editor = openEditor(throne);
    QVERIFY(editor);
    type(editor, "FirstName", QStringLiteral("Ann"));
    press(editor, "MoveNext");
    QCOMPARE(firstNames(install), (QStringList{"Ann", "Bob", "Cat"}));
    press(editor, "cmdDelete");
    QCOMPARE(caption(editor), QStringLiteral("Record: 2"));
    QCOMPARE(text(editor, "FirstName"), QStringLiteral("Cat"));
    press(editor, "cmdAdd");
    type(editor, "FirstName", QStringLiteral("Dan"));
    press(editor, "cmdUpdate");
    QCOMPARE(caption(editor), QStringLiteral("Record: 3"));
    QCOMPARE(text(editor, "FirstName"), QStringLiteral("Dan"));
    QCOMPARE(firstNames(install), (QStringList{"Ann", "Cat", "Dan"}));
    QCOMPARE(log.texts(), QStringList());

    // Two identical rows cannot be told apart: changing one changes neither.
    install.addPlayers({{"Eve", "Twin"}, {"Eve", "Twin"}});
    press(editor, "cmdRefresh");
    press(editor, "MoveLast");
    type(editor, "FirstName", QStringLiteral("Eva"));
    press(editor, "cmdUpdate");
    QCOMPARE(log.texts(), QStringList{kSeveral});
    QCOMPARE(firstNames(install), (QStringList{"Ann", "Cat", "Dan", "Eve", "Eve"}));
}

void TestPlayerEditor::tableWithoutRowIdIsBrowsedAndEdited()
{
    // A table without row identities is read whole; its key still finds the row written.
    TempInstall install;
    replacePlayerTable(install, QStringLiteral("DEFAULT 0)"),
                       QStringLiteral("DEFAULT 0) WITHOUT ROWID"));
    for (int id : {3, 1, 2})
        install.exec(kPlayers,
                     QStringLiteral("INSERT INTO PlayerInfo(ID, \"First Name\") VALUES (?, ?)"),
                     {id, QStringLiteral("P%1").arg(id)});
    MessageLog log;
    Throne throne;
    PlayerInfo *editor = openEditor(throne);
    QVERIFY(editor);
    QCOMPARE(caption(editor), QStringLiteral("Record: 1"));
    QCOMPARE(text(editor, "FirstName"), QStringLiteral("P1"));
    press(editor, "MoveNext");
    type(editor, "FirstName", QStringLiteral("Two"));
    press(editor, "cmdUpdate");
    press(editor, "MoveLast");
    press(editor, "cmdDelete");
    QCOMPARE(log.texts(), QStringList());
    QCOMPARE(firstNames(install), (QStringList{"P1", "Two"}));
    QCOMPARE(caption(editor), QStringLiteral("Record: 2"));
}

void TestPlayerEditor::recordDeletedElsewhereIsNotWrittenBack()
{
    TempInstall install;
    install.addPlayers({{"Ann", "Smith"}, {"Bob", "Jones"}, {"Cat", "Brown"}});
    MessageLog log;
    Throne throne;
    PlayerInfo *editor = openEditor(throne);
    QVERIFY(editor);
    // Another connection deletes the second record before it is shown.
    install.exec(kPlayers, QStringLiteral("DELETE FROM PlayerInfo WHERE \"First Name\" = 'Bob'"));
    press(editor, "MoveNext");
    QCOMPARE(text(editor, "FirstName"), QString());
    type(editor, "FirstName", QStringLiteral("Bobby"));
    press(editor, "cmdUpdate");
    QCOMPARE(log.texts(), QStringList{kNotWritten});
    QCOMPARE(firstNames(install), (QStringList{"Ann", "Cat"}));
    // The window stays usable: the other records are still shown and written.
    log.clear();
    press(editor, "cmdDelete");
    press(editor, "MoveFirst");
    type(editor, "FirstName", QStringLiteral("Anne"));
    press(editor, "cmdUpdate");
    QCOMPARE(firstNames(install), (QStringList{"Anne", "Cat"}));
}

void TestPlayerEditor::checkBoxCarriesAllowEmail()
{
    TempInstall install;
    addPlayer(install, QStringLiteral("Ann"), QStringLiteral("Smith"), 0);
    addPlayer(install, QStringLiteral("Bob"), QStringLiteral("Jones"), 1);
    MessageLog log;
    Throne throne;
    PlayerInfo *editor = openEditor(throne);
    QVERIFY(editor);
    auto *check1 = editor->findChild<QCheckBox *>(QStringLiteral("Check1"));
    QVERIFY(!check1->isChecked());
    press(editor, "MoveNext");
    QVERIFY(check1->isChecked());
    QTest::mouseClick(check1, Qt::LeftButton);
    press(editor, "MovePrevious");
    QTest::mouseClick(check1, Qt::LeftButton);
    press(editor, "cmdUpdate");
    QCOMPARE(install.rows(kPlayers, QStringLiteral("SELECT \"Allow Email\" FROM PlayerInfo")),
             (QList<QVariantList>{{1}, {0}}));
    QCOMPARE(log.texts(), QStringList());
}

void TestPlayerEditor::awkwardTextIsStoredAsTyped_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("apostrophe and quotes") << QStringLiteral("O'Neil \"the Bold\"");
    QTest::newRow("not ASCII") << QStringLiteral("Ørsted-Zoë 李");
    QTest::newRow("statement-like") << QStringLiteral("x'); DROP TABLE PlayerInfo; --");
    QTest::newRow("long") << QString(3000, QLatin1Char('w'));
}

void TestPlayerEditor::awkwardTextIsStoredAsTyped()
{
    QFETCH(QString, typed);
    TempInstall install;
    install.addPlayers({{"Ann", "Smith"}});
    MessageLog log;
    Throne throne;
    PlayerInfo *editor = openEditor(throne);
    QVERIFY(editor);
    type(editor, "LastName", typed);
    type(editor, "Password", typed);
    press(editor, "cmdClose");
    QTRY_VERIFY(!throne.playerEditor());
    QCOMPARE(log.texts(), QStringList());
    QCOMPARE(
        install.rows(kPlayers, QStringLiteral("SELECT \"Last Name\", Password FROM PlayerInfo")),
        (QList<QVariantList>{{typed, typed}}));
    QCOMPARE(listTexts(throne.StoredPlayers()), QStringList{typed + QStringLiteral(", Ann")});
}

QTEST_MAIN(TestPlayerEditor)
#include "tst_playereditor.moc"
