// The player editor driven as a user drives it, over a temporary player database: the
// card layout, browsing with the navigation bar and its caption, the five commands and
// the closing step, the failures each of them reports, the records it refuses (no name, a
// birthday that is no date), the question before a delete, the country kept with its
// record, "Find…" and opening at a given player.

#include "support/testsupport.h"
#include "support/windowdrivers.h"

#include "data/installfolder.h"
#include "data/schema.h"
#include "playereditor/birthday.h"
#include "playereditor/datacontrol.h"
#include "playereditor/playerinfo.h"
#include "registration/throne.h"
#include "tournament/tournamentprogress.h"
#include "ui/listutil.h"

#include <QAbstractButton>
#include <QAction>
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

#include <functional>
#include <memory>

using namespace Zuvi;
using Zuvi::Test::control;
using Zuvi::Test::listTexts;
using Zuvi::Test::MessageLog;
using Zuvi::Test::openEditor;
using Zuvi::Test::setText;
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
const QString kNoName = QStringLiteral("Please enter a first or a last name.");

QString deleteQuestion(const QString &name)
{
    return QStringLiteral("Delete %1 from the stored players? This cannot be undone.").arg(name);
}

/// The countries kept beside the player table, as (player id, country) rows.
QList<QVariantList> countries(const TempInstall &install)
{
    return install.rows(QStringLiteral("players"),
                        QStringLiteral("SELECT PlayerId, Country FROM ZuviPlayerCountry ORDER BY "
                                       "PlayerId"));
}

using Setup = std::function<void(const TempInstall &)>;

const char *const kBoxes[] = {"FirstName", "LastName",  "Email",     "PhoneNumber", "StreetAddress",
                              "City",      "State",     "Zip",       "Country",     "Webpage",
                              "Username1", "Username2", "Username3", "Birthday",    "Password"};

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
    // The test's table would not be the one it means: nothing it checks would hold.
    if (!create.contains(from))
        qFatal("the player table is made without %s", qPrintable(from));
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

/// Stores the players in the player table.
Setup players(const QList<std::pair<QString, QString>> &players)
{
    return [players](const TempInstall &install) { install.addPlayers(players); };
}

/// A temporary installation made ready by the test, the registration window over it and
/// the player editor opened through the window's button, with every message recorded.
struct Fixture
{
    /// setup fills the installation before the registration window reads it; beforeOpening
    /// runs once the registration window is there, just before the editor opens.
    explicit Fixture(const Setup &setup = {},
                     const std::function<void(Fixture &)> &beforeOpening = {})
    {
        if (setup)
            setup(install);
        storedBefore = snapshot(install);
        // A question (Delete asks first) is answered Yes unless a test says otherwise.
        log.setAnswer(true);
        throne = std::make_unique<Throne>(new TournamentProgress);
        if (beforeOpening)
            beforeOpening(*this);
        editor = openEditor(*throne);
        // Every test works in the editor: one that did not open stops the run.
        if (!editor)
            qFatal("the player editor did not open");
    }

    QLineEdit *box(const char *name) const { return control<QLineEdit>(*editor, name); }
    QString text(const char *name) const { return box(name)->text(); }
    /// Replaces the text of a box as a user does, with any characters.
    void type(const char *name, const QString &typed) const { setText(box(name), typed); }

    /// Clicks a command button or a navigation button by its name.
    void press(const QString &name) const
    {
        QTest::mouseClick(control<QAbstractButton>(*editor, qPrintable(name)), Qt::LeftButton);
    }

    QString caption() const { return editor->Adodc1()->caption(); }

    /// Closes the window through its caption bar's close box, as the window manager does.
    bool closeBox() const { return editor->windowHandle()->close(); }

    TempInstall install;
    MessageLog log;
    // The player table as the setup left it, before the editor opened.
    QList<QVariantList> storedBefore;
    std::unique_ptr<Throne> throne;
    PlayerInfo *editor = nullptr;
};

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
    void countryIsKeptWithItsRecord();
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
    void recordWithoutNameIsNotWritten_data();
    void recordWithoutNameIsNotWritten();
    void deleteAnsweredNoChangesNothing();
    void birthdayTakesOnlyADate_data();
    void birthdayTakesOnlyADate();
    void birthdayTypedIsStoredAsADate_data();
    void birthdayTypedIsStoredAsADate();
    void storedBirthdayThatIsNoDateIsLeftAlone();
    void birthdayAfterTodayIsRefused_data();
    void birthdayAfterTodayIsRefused();
    void findMovesToTheNextMatch_data();
    void findMovesToTheNextMatch();
    void showPlayerOpensAtThatRecord_data();
    void showPlayerOpensAtThatRecord();
};

void TestPlayerEditor::windowHasTheCardLayout()
{
    Fixture f([](const TempInstall &install) {
        install.exec(
            kPlayers,
            QStringLiteral("INSERT INTO PlayerInfo(\"First Name\", Password) VALUES (?, ?)"),
            {QStringLiteral("Ann"), QStringLiteral("secret")});
    });
    QVERIFY(QTest::qWaitForWindowExposed(f.editor));
    QCOMPARE(f.editor->objectName(), QStringLiteral("PlayerInfo"));
    QCOMPARE(f.editor->windowTitle(), QStringLiteral("Input Player Information"));
    QCOMPARE(f.editor->size(), QSize(612, 392));
    QCOMPARE(f.editor->windowType(), Qt::Tool);
    QVERIFY(f.editor->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!f.editor->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!f.editor->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QCOMPARE(f.editor->focusWidget(), f.box("FirstName"));
    QCOMPARE(f.log.texts(), QStringList());

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
    QWidget *widget = f.box("FirstName");
    do {
        if (widget->focusPolicy() & Qt::TabFocus)
            chain.append(widget->objectName());
        widget = widget->nextInFocusChain();
    } while (widget != f.box("FirstName") && chain.size() < 40);
    QCOMPARE(chain, expected);

    for (const char *name : kBoxes) {
        const QLineEdit *field = f.box(name);
        QVERIFY2(field->font().bold(), name);
        QCOMPARE(field->font().pointSizeF(), 8.25);
        QCOMPARE(field->palette().color(QPalette::Base), QColor(230, 230, 230));
        QVERIFY2(!field->hasFrame(), name);
        QVERIFY2(field->maxLength() > 1000000, name);
    }
    QLineEdit *password = f.box("Password");
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
        auto *button = f.editor->findChild<QPushButton *>(QString::fromLatin1(name));
        QVERIFY2(button, name);
        QCOMPARE(button->text(), QString::fromLatin1(label));
        QCOMPARE(button->shortcut(), QKeySequence(Qt::ALT | QChar(label[1]).unicode()));
    }

    auto *check1 = f.editor->findChild<QCheckBox *>(QStringLiteral("Check1"));
    QVERIFY(check1);
    QCOMPARE(check1->text(), QStringLiteral("Check1"));
    // Only the box shows: the indicator fills the 13-pixel control.
    QCOMPARE(check1->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, check1), 13);
    auto *label1 = f.editor->findChild<QLabel *>(QStringLiteral("Label1"));
    QVERIFY(label1);
    QCOMPARE(label1->text(), QString());
    QVERIFY(label1->autoFillBackground());
    // Label1 blanks out the card's "_No" in the card's own grey.
    QCOMPARE(label1->grab().toImage().pixelColor(5, 5), QColor(230, 230, 230));
    auto *label2 = f.editor->findChild<QLabel *>(QStringLiteral("Label2"));
    QVERIFY(label2);
    QCOMPARE(label2->text(), instructions());
    QVERIFY(label2->wordWrap());

    // The access keys press their buttons: Alt+A adds a record.
    QVERIFY(QTest::qWaitForWindowActive(f.editor));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::AltModifier);
    QTRY_COMPARE(f.caption(), QStringLiteral("Record: 2"));
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
    Fixture f;
    auto *control = f.editor->findChild<QWidget *>(name);
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
    Fixture f(players({{"Ann", "Smith"}, {"Bob", "Jones"}, {"Cat", "Brown"}}));
    for (const QString &click : clicks)
        f.press(click);
    QCOMPARE(f.caption(), expectedCaption);
    QCOMPARE(f.text("FirstName"), expectedFirst);
    QCOMPARE(f.log.texts(), QStringList());
}

void TestPlayerEditor::emptyTableHasNoCurrentRecord()
{
    Fixture f;
    QCOMPARE(f.caption(), QStringLiteral("Record: -1"));
    for (const char *click : {"MoveNext", "MoveLast", "MovePrevious", "MoveFirst", "cmdUpdate"}) {
        f.press(QString::fromLatin1(click));
        QCOMPARE(f.caption(), QStringLiteral("Record: -1"));
    }
    for (const char *name : kBoxes)
        QCOMPARE(f.text(name), QString());
    // Nothing typed can go astray: the bound boxes take no typing without a record.
    QVERIFY(f.box("FirstName")->isReadOnly());
    QVERIFY(f.box("Country")->isReadOnly());
    QVERIFY(!f.editor->findChild<QCheckBox *>(QStringLiteral("Check1"))->isEnabled());
    QCOMPARE(f.log.texts(), QStringList());
}

void TestPlayerEditor::browsingLeavesNullsAndNumbersAlone()
{
    Fixture f([](const TempInstall &install) {
        install.exec(kPlayers, QStringLiteral("INSERT INTO PlayerInfo DEFAULT VALUES"));
        install.exec(kPlayers,
                     QStringLiteral("INSERT INTO PlayerInfo(\"First Name\", Zip, Address, "
                                    "\"Allow Email\") VALUES ('Bob', 12345, ?, NULL)"),
                     {QString(40000, QLatin1Char('x'))});
    });
    for (const char *name : kBoxes)
        QCOMPARE(f.text(name), QString());
    f.press("MoveNext");
    QCOMPARE(f.text("Zip"), QStringLiteral("12345"));
    QCOMPARE(f.text("StreetAddress").size(), 40000);
    f.press("cmdUpdate");
    f.press("MovePrevious");
    f.press("MoveLast");
    f.press("cmdRefresh");
    f.press("cmdClose");
    QTRY_VERIFY(!f.throne->playerEditor());
    QCOMPARE(f.log.texts(), QStringList());
    QCOMPARE(snapshot(f.install), f.storedBefore);
}

void TestPlayerEditor::countryIsKeptWithItsRecord()
{
    Fixture f(players({{"Ann", "Smith"}, {"Bob", "Jones"}, {"Cat", "Brown"}}));
    // Typed on the first record and written by moving on: the next record shows its own.
    f.type("Country", QStringLiteral("Westeros"));
    f.press("MoveNext");
    QCOMPARE(f.text("Country"), QString());
    f.type("Country", QStringLiteral("Ессос, \"O'Far\""));
    f.press("cmdUpdate");
    f.press("MoveLast");
    QCOMPARE(f.text("Country"), QString());
    f.press("MoveFirst");
    QCOMPARE(f.text("Country"), QStringLiteral("Westeros"));
    // A new record keeps its country too.
    f.press("cmdAdd");
    QCOMPARE(f.text("Country"), QString());
    f.type("FirstName", QStringLiteral("Dan"));
    f.type("Country", QStringLiteral("Dorne"));
    f.press("cmdUpdate");
    QCOMPARE(f.log.texts(), QStringList());
    QCOMPARE(countries(f.install), (QList<QVariantList>{{1, QStringLiteral("Westeros")},
                                                        {2, QStringLiteral("Ессос, \"O'Far\"")},
                                                        {4, QStringLiteral("Dorne")}}));
    // The player table keeps its shape and its rows.
    QCOMPARE(snapshot(f.install).mid(0, 3), f.storedBefore);

    // After a restart each record shows its own country again.
    f.press("cmdClose");
    QTRY_VERIFY(!f.throne->playerEditor());
    f.throne = std::make_unique<Throne>(new TournamentProgress);
    f.editor = openEditor(*f.throne);
    QVERIFY(f.editor);
    QCOMPARE(f.text("Country"), QStringLiteral("Westeros"));
    f.press("MoveNext");
    QCOMPARE(f.text("Country"), QStringLiteral("Ессос, \"O'Far\""));
    f.press("MoveLast");
    QCOMPARE(f.text("Country"), QStringLiteral("Dorne"));

    // Emptied, the country is gone; deleted, the record takes its country with it.
    f.type("Country", QString());
    f.press("MoveFirst");
    f.press("cmdDelete");
    QCOMPARE(f.text("FirstName"), QStringLiteral("Bob"));
    QCOMPARE(f.log.texts(), QStringList());
    QCOMPARE(countries(f.install), (QList<QVariantList>{{2, QStringLiteral("Ессос, \"O'Far\"")}}));

    // A new record given the id of a deleted one does not take over its country.
    f.install.exec(kPlayers, QStringLiteral("INSERT INTO ZuviPlayerCountry VALUES (5, 'Old')"));
    f.press("cmdAdd");
    f.type("LastName", QStringLiteral("Eve"));
    f.press("cmdUpdate");
    QCOMPARE(f.install.rows(kPlayers, QStringLiteral("SELECT max(ID) FROM PlayerInfo")),
             QList<QVariantList>{{5}});
    QCOMPARE(f.text("Country"), QString());
    QCOMPARE(countries(f.install), (QList<QVariantList>{{2, QStringLiteral("Ессос, \"O'Far\"")}}));
}

void TestPlayerEditor::addTypeUpdateWritesOneRowListedOnClose()
{
    Fixture f(players({{"Ann", "Smith"}}));
    f.press("cmdAdd");
    QCOMPARE(f.caption(), QStringLiteral("Record: 2"));
    QCOMPARE(f.text("FirstName"), QString());
    QVERIFY(!f.box("FirstName")->isReadOnly());
    f.type("FirstName", QStringLiteral("Zoë"));
    f.type("LastName", QStringLiteral("O'Neil"));
    f.type("Email", QStringLiteral("zoe@example.org"));
    QTest::mouseClick(f.editor->findChild<QCheckBox *>(QStringLiteral("Check1")), Qt::LeftButton);
    f.press("cmdUpdate");
    QCOMPARE(f.log.texts(), QStringList());
    QCOMPARE(f.install.rows(kPlayers, QStringLiteral("SELECT quote(\"First Name\"), "
                                                     "quote(\"Last Name\"), quote(Email), "
                                                     "quote(\"Allow Email\"), quote(Phone) "
                                                     "FROM PlayerInfo")),
             (QList<QVariantList>{{"'Ann'", "'Smith'", "NULL", "0", "NULL"},
                                  {"'Zoë'", "'O''Neil'", "'zoe@example.org'", "1", "NULL"}}));
    // The written record stays current.
    QCOMPARE(f.caption(), QStringLiteral("Record: 2"));
    QCOMPARE(f.text("FirstName"), QStringLiteral("Zoë"));

    f.press("cmdClose");
    QTRY_VERIFY(!f.throne->playerEditor());
    QCOMPARE(listTexts(f.throne->StoredPlayers()), (QStringList{"Smith, Ann", "O'Neil, Zoë"}));
    QCOMPARE(f.log.texts(), QStringList());
}

void TestPlayerEditor::secondAddWritesTheFirstRecord_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("expectedNames");
    QTest::newRow("typed into") << "Bob" << QStringList{"Ann", "Bob"};
    // Nothing typed, nothing to keep: the empty record is dropped, not written.
    QTest::newRow("left as it came: dropped") << "" << QStringList{"Ann"};
}

void TestPlayerEditor::secondAddWritesTheFirstRecord()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, expectedNames);
    Fixture f(players({{"Ann", "Smith"}}));
    f.press("cmdAdd");
    if (!typed.isEmpty())
        f.type("FirstName", typed);
    f.press("cmdAdd");
    QCOMPARE(f.log.texts(), QStringList());
    QCOMPARE(firstNames(f.install), expectedNames);
    // The table's default applies to what was not set.
    QCOMPARE(f.install.rows(kPlayers, QStringLiteral("SELECT \"Allow Email\" FROM PlayerInfo")),
             QList<QVariantList>(expectedNames.size(), {0}));
    QCOMPARE(f.caption(), QStringLiteral("Record: %1").arg(expectedNames.size() + 1));
    QCOMPARE(f.text("FirstName"), QString());
    f.press("MovePrevious");
    QCOMPARE(f.text("FirstName"), expectedNames.last());
    QCOMPARE(f.log.texts(), QStringList());
    QCOMPARE(firstNames(f.install), expectedNames);
}

void TestPlayerEditor::deleteMovesOn_data()
{
    QTest::addColumn<QStringList>("players");
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("expectedCaption");
    QTest::addColumn<QString>("expectedFirst");
    QTest::addColumn<QStringList>("remaining");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("questions");
    const QStringList three{"Ann", "Bob", "Cat"};
    const auto asked = [](const char *first) {
        return QStringList{deleteQuestion(QStringLiteral("Last, ") + QLatin1String(first))};
    };
    QTest::newRow("first of three")
        << three << QStringList() << "Record: 1"
        << "Bob" << QStringList{"Bob", "Cat"} << QStringList() << asked("Ann");
    QTest::newRow("middle makes the next current")
        << three << QStringList{"MoveNext"} << "Record: 2"
        << "Cat" << QStringList{"Ann", "Cat"} << QStringList() << asked("Bob");
    QTest::newRow("last makes the new last current")
        << three << QStringList{"MoveLast"} << "Record: 2"
        << "Bob" << QStringList{"Ann", "Bob"} << QStringList() << asked("Cat");
    QTest::newRow("only record: deleted, then the move fails")
        << QStringList{"Ann"} << QStringList() << "Record: -1"
        << "" << QStringList() << QStringList{kNoRecords} << asked("Ann");
    QTest::newRow("empty table: nothing to ask about")
        << QStringList() << QStringList() << "Record: -1"
        << "" << QStringList() << QStringList{kNoCurrent} << QStringList();
    QTest::newRow("new record never written: dropped without a question")
        << QStringList{"Ann"} << QStringList{"cmdAdd"} << "Record: 1"
        << "Ann" << QStringList{"Ann"} << QStringList() << QStringList();
    QTest::newRow("changed record: asked by its stored name, the change goes with it")
        << three << QStringList{"MoveNext", "type"} << "Record: 2"
        << "Cat" << QStringList{"Ann", "Cat"} << QStringList() << asked("Bob");
}

void TestPlayerEditor::deleteMovesOn()
{
    QFETCH(QStringList, players);
    QFETCH(QStringList, before);
    QFETCH(QString, expectedCaption);
    QFETCH(QString, expectedFirst);
    QFETCH(QStringList, remaining);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, questions);
    Fixture f([&players](const TempInstall &install) {
        for (const QString &player : players)
            addPlayer(install, player, QStringLiteral("Last"));
    });
    for (const QString &step : before) {
        if (step == QStringLiteral("type"))
            f.type("FirstName", QStringLiteral("Changed"));
        else
            f.press(step);
    }
    f.press("cmdDelete");
    QCOMPARE(f.log.questions(), questions);
    QCOMPARE(f.log.texts(), messages);
    QCOMPARE(f.caption(), expectedCaption);
    QCOMPARE(f.text("FirstName"), expectedFirst);
    QCOMPARE(firstNames(f.install), remaining);

    // The window stays usable: a further record can be added and written.
    f.log.clear();
    f.press("cmdAdd");
    f.type("FirstName", QStringLiteral("New"));
    f.press("cmdUpdate");
    QCOMPARE(f.log.texts(), QStringList());
    QCOMPARE(f.caption(), QStringLiteral("Record: %1").arg(remaining.size() + 1));
    QCOMPARE(firstNames(f.install), remaining + QStringList{"New"});
}

void TestPlayerEditor::updateWithNothingChangedShowsNothing()
{
    Fixture f([](const TempInstall &install) {
        install.exec(kPlayers, QStringLiteral("INSERT INTO PlayerInfo DEFAULT VALUES"));
        install.addPlayers({{"Ann", "Smith"}});
    });
    f.press("cmdUpdate");
    f.press("MoveNext");
    f.press("cmdUpdate");
    // A box typed back to what it held is no change either.
    f.type("FirstName", QStringLiteral("Ann"));
    f.press("cmdUpdate");
    QCOMPARE(f.log.texts(), QStringList());
    QCOMPARE(f.caption(), QStringLiteral("Record: 2"));
    QCOMPARE(snapshot(f.install), f.storedBefore);
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
    Fixture f(players({{"Ann", "Smith"}, {"Bob", "Jones"}}));
    if (added) {
        f.press("cmdAdd");
        f.type("FirstName", QStringLiteral("Cat"));
        f.type("LastName", QStringLiteral("Brown"));
    } else {
        f.type("FirstName", QStringLiteral("Anna"));
    }
    const QStringList expected =
        added ? QStringList{"Ann", "Bob", "Cat"} : QStringList{"Anna", "Bob"};
    if (action == QStringLiteral("cmdRefresh")) {
        f.press(action);
        QCOMPARE(f.caption(), QStringLiteral("Record: 1"));
        QCOMPARE(f.text("FirstName"), expected.first());
        QCOMPARE(f.editor->Adodc1()->recordCount(), expected.size());
    } else {
        if (action == QStringLiteral("close box"))
            QVERIFY(f.closeBox());
        else
            f.press(action);
        QTRY_VERIFY(!f.throne->playerEditor());
        QCOMPARE(listTexts(f.throne->StoredPlayers()),
                 added ? QStringList({"Smith, Ann", "Jones, Bob", "Brown, Cat"})
                       : QStringList({"Smith, Anna", "Jones, Bob"}));
    }
    QCOMPARE(f.log.texts(), QStringList());
    QCOMPARE(firstNames(f.install), expected);
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
    Fixture f([](const TempInstall &install) {
        replacePlayerTable(
            install, QStringLiteral("\"First Name\" TEXT, \"Last Name\" TEXT"),
            QStringLiteral("\"First Name\" TEXT CONSTRAINT short_first_name "
                           "CHECK (length(\"First Name\") <= 8), \"Last Name\" TEXT NOT NULL"));
        install.addPlayers({{"Ann", "Smith"}, {"Bob", "Jones"}});
    });
    const QString refused = added ? QStringLiteral("Cat") : QStringLiteral("Annabelle-Marie");
    const QString expectedMessage =
        added ? QStringLiteral("NOT NULL constraint failed: PlayerInfo.Last Name")
              : QStringLiteral("CHECK constraint failed: short_first_name");
    const QString position = added ? QStringLiteral("Record: 3") : QStringLiteral("Record: 1");
    if (added)
        f.press("cmdAdd");
    f.type("FirstName", refused);

    if (action == QStringLiteral("close box"))
        QVERIFY(!f.closeBox());
    else
        f.press(action);
    QCOMPARE(f.log.texts(), QStringList{expectedMessage});
    // The window stays open on the record, with the change still typed in.
    QVERIFY(f.throne->playerEditor() == f.editor);
    QVERIFY(f.editor->isVisible());
    QCOMPARE(f.caption(), position);
    QCOMPARE(f.text("FirstName"), refused);
    QCOMPARE(firstNames(f.install), (QStringList{"Ann", "Bob"}));

    // Once the value is put right, the record is written.
    f.log.clear();
    if (added)
        f.type("LastName", QStringLiteral("Brown"));
    else
        f.type("FirstName", QStringLiteral("Annie"));
    f.press("cmdUpdate");
    QCOMPARE(f.log.texts(), QStringList());
    QCOMPARE(firstNames(f.install),
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
    Fixture f(players({{"Ann", "Smith"}}),
              [](Fixture &opened) { Test::clickRow(opened.throne->StoredPlayers(), 0); });
    // A player written meanwhile through another connection shows too.
    f.install.addPlayers({{"Bob", "Jones"}});
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    if (useCloseBox)
        QVERIFY(f.closeBox());
    else
        f.press("cmdClose");
    QTRY_VERIFY(!f.throne->playerEditor());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QCOMPARE(listTexts(f.throne->StoredPlayers()), (QStringList{"Smith, Ann", "Jones, Bob"}));
    QCOMPARE(Ui::selectedRow(f.throne->StoredPlayers()), -1);
    QCOMPARE(f.log.texts(), QStringList());
    QCOMPARE(f.log.ends(), 0);
}

void TestPlayerEditor::secondEditPlayerDatabaseOpensNoSecondEditor()
{
    Fixture f(players({{"Ann", "Smith"}, {"Bob", "Jones"}}));
    f.press("MoveNext");
    f.type("Country", QStringLiteral("Essos"));
    QCOMPARE(openEditor(*f.throne), f.editor);
    QCOMPARE(f.caption(), QStringLiteral("Record: 2"));
    QCOMPARE(f.text("Country"), QStringLiteral("Essos"));
    int editors = 0;
    for (QWidget *window : QApplication::topLevelWidgets())
        editors += qobject_cast<PlayerInfo *>(window) != nullptr;
    QCOMPARE(editors, 1);
    QCOMPARE(f.log.texts(), QStringList());
}

void TestPlayerEditor::editorOutlivesTheRegistrationWindow()
{
    Fixture f(players({{"Ann", "Smith"}}), [](Fixture &opened) { opened.throne->show(); });
    f.type("FirstName", QStringLiteral("Anna"));
    // Run as the application runs: closing the registration window leaves the editor
    // open, and the application ends only when the editor, its last window, closes.
    bool openAfterThroneClosed = false;
    QTimer::singleShot(0, f.throne.get(), [&] {
        f.throne->close();
        QTimer::singleShot(0, f.editor, [&openAfterThroneClosed, &f] {
            openAfterThroneClosed = f.editor->isVisible();
            f.press(QStringLiteral("cmdClose"));
        });
    });
    // Only a guard against a hang; the loop ends long before.
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, qApp, [] { QCoreApplication::exit(2); });
    guard.start(60000);
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(openAfterThroneClosed);
    QTRY_VERIFY(!f.throne->playerEditor());
    QCOMPARE(firstNames(f.install), QStringList{"Anna"});
    QCOMPARE(listTexts(f.throne->StoredPlayers()), QStringList{"Smith, Anna"});
    QCOMPARE(f.log.texts(), QStringList());
}

void TestPlayerEditor::failingReloadOnCloseTakesTheFatalPath()
{
    Fixture f(players({{"Ann", "Smith"}}));
    f.install.exec(kPlayers, QStringLiteral("DROP TABLE PlayerInfo"));
    f.press("cmdClose");
    QCOMPARE(f.log.texts(), QStringList{QStringLiteral("Error 1: no such table: playerinfo")});
    QCOMPARE(f.log.ends(), 1);
}

void TestPlayerEditor::tableThatCannotBeOpenedIsReported()
{
    Fixture f({}, [](Fixture &opened) {
        opened.install.exec(kPlayers, QStringLiteral("DROP TABLE PlayerInfo"));
    });
    QVERIFY(f.editor->isVisible());
    QCOMPARE(f.log.texts().size(), 1);
    QVERIFY2(f.log.last().contains(QStringLiteral("PlayerInfo")), qPrintable(f.log.last()));
    QCOMPARE(f.caption(), QStringLiteral("Adodc1"));
    QVERIFY(f.box("FirstName")->isReadOnly());

    // Each command reports the closed table; moving reports it too.
    f.log.clear();
    for (const char *command : {"cmdAdd", "cmdUpdate", "cmdDelete", "MoveNext"})
        f.press(QString::fromLatin1(command));
    QCOMPARE(f.log.texts(), QStringList(4, kNotOpen));
    QCOMPARE(f.log.ends(), 0);

    // Refresh opens the table once it is there.
    f.log.clear();
    f.install.exec(kPlayers, Data::createPlayerTable());
    f.install.addPlayers({{"Ann", "Smith"}});
    f.press("cmdRefresh");
    QCOMPARE(f.log.texts(), QStringList());
    QCOMPARE(f.caption(), QStringLiteral("Record: 1"));
    QCOMPARE(f.text("FirstName"), QStringLiteral("Ann"));
    f.type("LastName", QStringLiteral("Smythe"));
    f.press("cmdClose");
    QTRY_VERIFY(!f.throne->playerEditor());
    QCOMPARE(listTexts(f.throne->StoredPlayers()), QStringList{"Smythe, Ann"});
}

void TestPlayerEditor::recordChangedElsewhereIsNotOverwritten()
{
    Fixture f(players({{"Ann", "Smith"}, {"Bob", "Jones"}}));
    f.install.exec(kPlayers, QStringLiteral("DELETE FROM PlayerInfo WHERE \"First Name\" = 'Ann'"));
    f.type("FirstName", QStringLiteral("Anna"));
    f.press("cmdUpdate");
    QCOMPARE(f.log.texts(), QStringList{kNotWritten});
    QCOMPARE(f.text("FirstName"), QStringLiteral("Anna"));
    QVERIFY(!f.closeBox());
    QCOMPARE(f.log.texts(), (QStringList{kNotWritten, kNotWritten}));

    // Deleting the record lets the change go; the record is shown as it was read.
    f.press("cmdDelete");
    QCOMPARE(f.log.last(), kNotDeleted);
    QCOMPARE(f.text("FirstName"), QStringLiteral("Ann"));
    f.log.clear();
    f.press("cmdRefresh");
    QCOMPARE(f.log.texts(), QStringList());
    QCOMPARE(f.caption(), QStringLiteral("Record: 1"));
    QCOMPARE(f.text("FirstName"), QStringLiteral("Bob"));
    QCOMPARE(firstNames(f.install), QStringList{"Bob"});
}

void TestPlayerEditor::tableWithoutKeyIsEditedRowByRow()
{
    Fixture f([](const TempInstall &install) {
        replacePlayerTable(install, QStringLiteral("ID INTEGER PRIMARY KEY, "), QString());
        install.exec(kPlayers, QStringLiteral("INSERT INTO PlayerInfo DEFAULT VALUES"));
        install.addPlayers({{"Bob", "Jones"}, {"Cat", "Brown"}});
    });
    f.type("FirstName", QStringLiteral("Ann"));
    f.press("MoveNext");
    QCOMPARE(firstNames(f.install), (QStringList{"Ann", "Bob", "Cat"}));
    f.press("cmdDelete");
    QCOMPARE(f.caption(), QStringLiteral("Record: 2"));
    QCOMPARE(f.text("FirstName"), QStringLiteral("Cat"));
    f.press("cmdAdd");
    f.type("FirstName", QStringLiteral("Dan"));
    f.press("cmdUpdate");
    QCOMPARE(f.caption(), QStringLiteral("Record: 3"));
    QCOMPARE(f.text("FirstName"), QStringLiteral("Dan"));
    QCOMPARE(firstNames(f.install), (QStringList{"Ann", "Cat", "Dan"}));
    QCOMPARE(f.log.texts(), QStringList());

    // Two identical rows cannot be told apart: changing one changes neither.
    f.install.addPlayers({{"Eve", "Twin"}, {"Eve", "Twin"}});
    f.press("cmdRefresh");
    f.press("MoveLast");
    f.type("FirstName", QStringLiteral("Eva"));
    f.press("cmdUpdate");
    QCOMPARE(f.log.texts(), QStringList{kSeveral});
    QCOMPARE(firstNames(f.install), (QStringList{"Ann", "Cat", "Dan", "Eve", "Eve"}));
}

void TestPlayerEditor::tableWithoutRowIdIsBrowsedAndEdited()
{
    // A table without row identities is read whole; its key still finds the row written.
    Fixture f([](const TempInstall &install) {
        replacePlayerTable(install, QStringLiteral("DEFAULT 0)"),
                           QStringLiteral("DEFAULT 0) WITHOUT ROWID"));
        for (int id : {3, 1, 2})
            install.exec(kPlayers,
                         QStringLiteral("INSERT INTO PlayerInfo(ID, \"First Name\") VALUES (?, ?)"),
                         {id, QStringLiteral("P%1").arg(id)});
    });
    QCOMPARE(f.caption(), QStringLiteral("Record: 1"));
    QCOMPARE(f.text("FirstName"), QStringLiteral("P1"));
    f.press("MoveNext");
    f.type("FirstName", QStringLiteral("Two"));
    f.press("cmdUpdate");
    f.press("MoveLast");
    f.press("cmdDelete");
    QCOMPARE(f.log.texts(), QStringList());
    QCOMPARE(firstNames(f.install), (QStringList{"P1", "Two"}));
    QCOMPARE(f.caption(), QStringLiteral("Record: 2"));
}

void TestPlayerEditor::recordDeletedElsewhereIsNotWrittenBack()
{
    Fixture f(players({{"Ann", "Smith"}, {"Bob", "Jones"}, {"Cat", "Brown"}}));
    // Another connection deletes the second record before it is shown.
    f.install.exec(kPlayers, QStringLiteral("DELETE FROM PlayerInfo WHERE \"First Name\" = 'Bob'"));
    f.press("MoveNext");
    QCOMPARE(f.text("FirstName"), QString());
    f.type("FirstName", QStringLiteral("Bobby"));
    f.press("cmdUpdate");
    QCOMPARE(f.log.texts(), QStringList{kNotWritten});
    QCOMPARE(firstNames(f.install), (QStringList{"Ann", "Cat"}));
    // The window stays usable: the other records are still shown and written.
    f.log.clear();
    f.press("cmdDelete");
    f.press("MoveFirst");
    f.type("FirstName", QStringLiteral("Anne"));
    f.press("cmdUpdate");
    QCOMPARE(firstNames(f.install), (QStringList{"Anne", "Cat"}));
}

void TestPlayerEditor::checkBoxCarriesAllowEmail()
{
    Fixture f([](const TempInstall &install) {
        addPlayer(install, QStringLiteral("Ann"), QStringLiteral("Smith"), 0);
        addPlayer(install, QStringLiteral("Bob"), QStringLiteral("Jones"), 1);
    });
    auto *check1 = f.editor->findChild<QCheckBox *>(QStringLiteral("Check1"));
    QVERIFY(!check1->isChecked());
    f.press("MoveNext");
    QVERIFY(check1->isChecked());
    QTest::mouseClick(check1, Qt::LeftButton);
    f.press("MovePrevious");
    QTest::mouseClick(check1, Qt::LeftButton);
    f.press("cmdUpdate");
    QCOMPARE(f.install.rows(kPlayers, QStringLiteral("SELECT \"Allow Email\" FROM PlayerInfo")),
             (QList<QVariantList>{{1}, {0}}));
    QCOMPARE(f.log.texts(), QStringList());
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
    Fixture f(players({{"Ann", "Smith"}}));
    f.type("LastName", typed);
    f.type("Password", typed);
    f.press("cmdClose");
    QTRY_VERIFY(!f.throne->playerEditor());
    QCOMPARE(f.log.texts(), QStringList());
    QCOMPARE(
        f.install.rows(kPlayers, QStringLiteral("SELECT \"Last Name\", Password FROM PlayerInfo")),
        (QList<QVariantList>{{typed, typed}}));
    QCOMPARE(listTexts(f.throne->StoredPlayers()), QStringList{typed + QStringLiteral(", Ann")});
}

void TestPlayerEditor::recordWithoutNameIsNotWritten_data()
{
    QTest::addColumn<bool>("added");
    QTest::addColumn<QString>("blank"); // typed into both name boxes
    QTest::addColumn<QString>("action");
    const std::pair<const char *, QString> blanks[] = {
        {"empty", QString()},
        {"blanks", QStringLiteral("   ")},
        {"no-break spaces", QStringLiteral("\u00A0\u00A0")},
    };
    for (const bool added : {false, true}) {
        for (const auto &[blankName, blank] : blanks) {
            for (const char *action :
                 {"cmdUpdate", "MoveNext", "cmdAdd", "cmdRefresh", "cmdClose", "close box"}) {
                const QString name = QStringLiteral("%1, names %2, %3")
                                         .arg(added ? "new record" : "stored record",
                                              QLatin1String(blankName), QLatin1String(action));
                QTest::newRow(qPrintable(name)) << added << blank << QString::fromLatin1(action);
            }
        }
    }
}

void TestPlayerEditor::recordWithoutNameIsNotWritten()
{
    QFETCH(bool, added);
    QFETCH(QString, blank);
    QFETCH(QString, action);
    Fixture f(players({{"Ann", "Smith"}, {"Bob", "Jones"}}));
    const QString position = added ? QStringLiteral("Record: 3") : QStringLiteral("Record: 1");
    if (added)
        f.press("cmdAdd");
    f.type("Email", QStringLiteral("nobody@example.org"));
    f.type("FirstName", blank);
    f.type("LastName", blank);

    if (action == QStringLiteral("close box"))
        QVERIFY(!f.closeBox());
    else
        f.press(action);
    QCOMPARE(f.log.texts(), QStringList{kNoName});
    // Nothing is written; the record stays on screen as typed, to be completed.
    QCOMPARE(snapshot(f.install), f.storedBefore);
    QVERIFY(f.throne->playerEditor() == f.editor);
    QCOMPARE(f.caption(), position);
    QCOMPARE(f.text("Email"), QStringLiteral("nobody@example.org"));
    QCOMPARE(f.text("FirstName"), blank);

    // A last name alone is a name: the record is written.
    f.log.clear();
    f.type("LastName", QStringLiteral("Nobody"));
    f.press("cmdUpdate");
    QCOMPARE(f.log.texts(), QStringList());
    QCOMPARE(
        f.install.rows(kPlayers, QStringLiteral("SELECT \"Last Name\", Email FROM PlayerInfo "
                                                "WHERE Email IS NOT NULL")),
        (QList<QVariantList>{{QStringLiteral("Nobody"), QStringLiteral("nobody@example.org")}}));
}

void TestPlayerEditor::deleteAnsweredNoChangesNothing()
{
    Fixture f(players({{"Ada", "Lovelace"}, {"Alan", "Turing"}}));
    f.log.setAnswer(false);
    f.type("City", QStringLiteral("London"));
    f.press("cmdDelete");
    QCOMPARE(f.log.questions(), QStringList{deleteQuestion(QStringLiteral("Lovelace, Ada"))});
    QCOMPARE(f.log.texts(), QStringList());
    QCOMPARE(snapshot(f.install), f.storedBefore);
    QCOMPARE(f.caption(), QStringLiteral("Record: 1"));
    // The change typed before stays, to be written as usual.
    QCOMPARE(f.text("City"), QStringLiteral("London"));
    f.press("cmdUpdate");
    QCOMPARE(f.install.rows(kPlayers, QStringLiteral("SELECT City FROM PlayerInfo ORDER BY ID")),
             (QList<QVariantList>{{QStringLiteral("London")},
                                  {QVariant(QMetaType(QMetaType::QString))}}));
}

void TestPlayerEditor::birthdayTakesOnlyADate_data()
{
    // The rule itself, over fixed locales and a fixed day.
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");                        // null: refused
    const QLocale us(QLocale::English, QLocale::UnitedStates);  // M/d/yy
    const QLocale de(QLocale::German, QLocale::Germany);        // dd.MM.yy
    const QLocale gb(QLocale::English, QLocale::UnitedKingdom); // dd/MM/yyyy
    const QLocale c(QLocale::C);                                // d MMM yyyy
    QTest::newRow("US short form") << us << "3/7/85"
                                   << "1985-03-07";
    QTest::newRow("US short form, four-digit year") << us << "3/7/1985"
                                                    << "1985-03-07";
    QTest::newRow("two digits: this century when not after today") << us << "12/31/05"
                                                                   << "2005-12-31";
    QTest::newRow("two digits: last century when this one is after today") << us << "6/2/24"
                                                                           << "1924-06-02";
    QTest::newRow("German short form") << de << "07.03.85"
                                       << "1985-03-07";
    QTest::newRow("German, single digits") << de << "7.3.1985"
                                           << "1985-03-07";
    QTest::newRow("British short form") << gb << "07/03/1985"
                                        << "1985-03-07";
    QTest::newRow("British, two-digit year") << gb << "7/3/85"
                                             << "1985-03-07";
    QTest::newRow("C locale short form") << c << "7 Mar 1985"
                                         << "1985-03-07";
    QTest::newRow("ISO") << us << "1985-03-07"
                         << "1985-03-07";
    QTest::newRow("ISO, single digits") << de << "1985-3-7"
                                        << "1985-03-07";
    QTest::newRow("blanks around") << us << "  1985-03-07 "
                                   << "1985-03-07";
    QTest::newRow("empty: no birthday") << us << ""
                                        << "";
    QTest::newRow("blanks: no birthday") << us << "   "
                                         << "";
    QTest::newRow("30 February, ISO") << us << "1985-02-30" << QString();
    QTest::newRow("30 February, short form") << us << "2/30/85" << QString();
    QTest::newRow("29 February of a leap year") << us << "2000-02-29"
                                                << "2000-02-29";
    QTest::newRow("29 February of another year") << us << "2001-02-29" << QString();
    QTest::newRow("month 13") << gb << "01/13/1985" << QString();
    QTest::newRow("day and month the other way") << us << "31/12/85" << QString();
    QTest::newRow("another locale's form") << us << "07.03.85" << QString();
    QTest::newRow("words") << us << "next Tuesday" << QString();
    QTest::newRow("a number") << us << "1985" << QString();
    QTest::newRow("ISO with more after it") << us << "1985-03-07T10:00" << QString();
    QTest::newRow("ISO, year of five digits") << us << "19850-03-07" << QString();
    QTest::newRow("statement-like") << us << "1985-03-07'); DROP TABLE PlayerInfo; --" << QString();
}

void TestPlayerEditor::birthdayTakesOnlyADate()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    const std::optional<QString> result = storedBirthday(typed, locale, QDate(2023, 6, 1));
    QCOMPARE(result.has_value(), !stored.isNull());
    if (result)
        QCOMPARE(*result, stored);
}

void TestPlayerEditor::birthdayAfterTodayIsRefused_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("after");
    QTest::newRow("tomorrow") << "2023-06-02" << true;
    QTest::newRow("next year") << "2024-01-01" << true;
    QTest::newRow("far ahead") << "2999-12-31" << true;
    QTest::newRow("today") << "2023-06-01" << false;
    QTest::newRow("yesterday") << "2023-05-31" << false;
    QTest::newRow("no birthday") << "" << false;
}

void TestPlayerEditor::birthdayAfterTodayIsRefused()
{
    // A birthday typed with a four-digit year after today was once stored as it was.
    QFETCH(QString, stored);
    QFETCH(bool, after);
    QCOMPARE(birthdayAfterToday(stored, QDate(2023, 6, 1)), after);
}

void TestPlayerEditor::birthdayTypedIsStoredAsADate_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored"); // null: refused, nothing written
    const QLocale system = QLocale::system();
    const QDate tomorrow = QDate::currentDate().addDays(1);
    QTest::newRow("tomorrow as ISO") << tomorrow.toString(Qt::ISODate) << QString();
    QTest::newRow("a year far ahead") << "2999-03-07" << QString();
    QTest::newRow("today") << QDate::currentDate().toString(Qt::ISODate)
                           << QDate::currentDate().toString(Qt::ISODate);
    QTest::newRow("the system's short form")
        << system.toString(QDate(1985, 3, 7), QLocale::ShortFormat) << "1985-03-07";
    QTest::newRow("ISO") << "1985-03-07"
                         << "1985-03-07";
    QTest::newRow("emptied: no birthday") << ""
                                          << "";
    QTest::newRow("nonsense") << "the day after tomorrow" << QString();
    QTest::newRow("30 February") << "1985-02-30" << QString();
}

void TestPlayerEditor::birthdayTypedIsStoredAsADate()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    Fixture f([](const TempInstall &install) {
        install.exec(kPlayers,
                     QStringLiteral("INSERT INTO PlayerInfo(\"First Name\", Birthday) VALUES "
                                    "('Ann', '1970-01-01'), ('Bob', NULL)"));
    });
    f.type("Birthday", typed);
    f.type("City", QStringLiteral("Oslo"));
    f.press("MoveNext");
    if (stored.isNull()) {
        // A date after today is told as such; anything else is no date.
        const std::optional<QString> date =
            storedBirthday(typed, QLocale::system(), QDate::currentDate());
        QCOMPARE(f.log.texts(),
                 QStringList{date ? futureBirthdayRefusal(QLocale::system(), QDate::currentDate())
                                  : birthdayRefusal(QLocale::system())});
        QCOMPARE(snapshot(f.install), f.storedBefore);
        QCOMPARE(f.caption(), QStringLiteral("Record: 1"));
        QCOMPARE(f.text("Birthday"), typed);
        return;
    }
    QCOMPARE(f.log.texts(), QStringList());
    QCOMPARE(f.install.rows(kPlayers, QStringLiteral("SELECT Birthday, City FROM PlayerInfo "
                                                     "WHERE ID = 1")),
             (QList<QVariantList>{{stored, QStringLiteral("Oslo")}}));
    f.press("MovePrevious");
    QCOMPARE(f.text("Birthday"), stored);
}

void TestPlayerEditor::storedBirthdayThatIsNoDateIsLeftAlone()
{
    Fixture f([](const TempInstall &install) {
        install.exec(kPlayers, QStringLiteral("INSERT INTO PlayerInfo(\"First Name\", Birthday) "
                                              "VALUES ('Ann', 'spring of ''61')"));
    });
    QCOMPARE(f.text("Birthday"), QStringLiteral("spring of '61"));
    f.type("City", QStringLiteral("Oslo"));
    f.press("cmdUpdate");
    QCOMPARE(f.log.texts(), QStringList());
    QCOMPARE(f.install.rows(kPlayers, QStringLiteral("SELECT Birthday, City FROM PlayerInfo")),
             (QList<QVariantList>{{QStringLiteral("spring of '61"), QStringLiteral("Oslo")}}));
}

void TestPlayerEditor::findMovesToTheNextMatch_data()
{
    QTest::addColumn<QStringList>("before"); // navigation buttons pressed first
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("captions"); // after each "Find Next"
    QTest::addColumn<QStringList>("messages");
    const QString none = QStringLiteral("No stored player matches \"%1\".");
    QTest::newRow("last name, case ignored")
        << QStringList() << "TURING" << QStringList{"Record: 3"} << QStringList();
    QTest::newRow("part of an e-mail")
        << QStringList() << "navy" << QStringList{"Record: 4"} << QStringList();
    QTest::newRow("not ASCII, case ignored")
        << QStringList() << "ångström" << QStringList{"Record: 5"} << QStringList();
    QTest::newRow("next from the current record, round to the first; Å is no a")
        << QStringList{"MoveNext"} << "a"
        << QStringList{"Record: 3", "Record: 4", "Record: 1", "Record: 2"} << QStringList();
    QTest::newRow("the only match is the current record")
        << QStringList{"MoveLast"} << "Zoë" << QStringList{"Record: 5"} << QStringList();
    QTest::newRow("blanks around are dropped")
        << QStringList() << "  Hopper " << QStringList{"Record: 4"} << QStringList();
    QTest::newRow("no match: the record stays")
        << QStringList{"MoveNext"} << "Knuth" << QStringList{"Record: 2"}
        << QStringList{none.arg(QStringLiteral("Knuth"))};
    QTest::newRow("no match for a statement-like text")
        << QStringList() << "%' OR '1'='1" << QStringList{"Record: 1"}
        << QStringList{none.arg(QStringLiteral("%' OR '1'='1"))};
}

void TestPlayerEditor::findMovesToTheNextMatch()
{
    QFETCH(QStringList, before);
    QFETCH(QString, text);
    QFETCH(QStringList, captions);
    QFETCH(QStringList, messages);
    Fixture f([](const TempInstall &install) {
        install.exec(kPlayers,
                     QStringLiteral("INSERT INTO PlayerInfo(\"First Name\", \"Last Name\", Email) "
                                    "VALUES ('Ada', 'Lovelace', 'ada@example.org'), ('Edsger', "
                                    "'Dijkstra', NULL), ('Alan', 'Turing', 'alan@example.org'), "
                                    "('Grace', 'Hopper', 'grace@navy.mil'), ('Zoë', 'Ångström', "
                                    "NULL)"));
    });
    for (const QString &button : before)
        f.press(button);

    // "Find…" is on the card's context menu with its shortcut.
    QAction *find = f.editor->findAction();
    QVERIFY(f.editor->actions().contains(find));
    QCOMPARE(f.editor->contextMenuPolicy(), Qt::ActionsContextMenu);
    QCOMPARE(find->text(), QStringLiteral("&Find…"));
    QCOMPARE(find->shortcut(), QKeySequence(QStringLiteral("Ctrl+F")));
    find->trigger();
    auto *dialog = f.editor->findChild<QDialog *>(QStringLiteral("FindPlayerDialog"));
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    auto *next = control<QPushButton>(*dialog, "FindNext");
    QVERIFY(!next->isEnabled());
    setText(control<QLineEdit>(*dialog, "FindText"), text);
    QStringList seen;
    for (qsizetype i = 0; i < captions.size(); ++i) {
        QTest::mouseClick(next, Qt::LeftButton);
        seen.append(f.caption());
    }
    QCOMPARE(seen, captions);
    QCOMPARE(f.log.texts(), messages);
}

void TestPlayerEditor::showPlayerOpensAtThatRecord_data()
{
    QTest::addColumn<qint64>("playerId");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("first");
    QTest::newRow("a stored player") << qint64(3) << "Record: 2"
                                     << "Cat";
    QTest::newRow("the last one") << qint64(4) << "Record: 3"
                                  << "Dan";
    QTest::newRow("an id no player has: the record stays") << qint64(2) << "Record: 1"
                                                           << "Ann";
    QTest::newRow("a negative id") << qint64(-1) << "Record: 1"
                                   << "Ann";
}

void TestPlayerEditor::showPlayerOpensAtThatRecord()
{
    QFETCH(qint64, playerId);
    QFETCH(QString, caption);
    QFETCH(QString, first);
    Fixture f([](const TempInstall &install) {
        install.addPlayers({{"Ann", "Smith"}, {"Bob", "Jones"}, {"Cat", "Brown"}, {"Dan", "Lee"}});
        install.exec(kPlayers, QStringLiteral("DELETE FROM PlayerInfo WHERE ID = 2"));
    });
    // A change typed into the record shown is written before the move.
    f.type("City", QStringLiteral("Leeds"));
    f.editor->showPlayer(playerId);
    QCOMPARE(f.log.texts(), QStringList());
    QCOMPARE(f.caption(), caption);
    QCOMPARE(f.text("FirstName"), first);
    if (first != QStringLiteral("Ann"))
        QCOMPARE(
            f.install.rows(kPlayers, QStringLiteral("SELECT City FROM PlayerInfo WHERE ID = 1")),
            QList<QVariantList>{{QStringLiteral("Leeds")}});

    // A record that cannot be written keeps the editor where it is, with the message.
    f.press("MoveFirst");
    f.type("FirstName", QString());
    f.type("LastName", QString());
    f.editor->showPlayer(4);
    QCOMPARE(f.log.texts(), QStringList{kNoName});
    QCOMPARE(f.caption(), QStringLiteral("Record: 1"));
}

QTEST_MAIN(TestPlayerEditor)
#include "tst_playereditor.moc"
