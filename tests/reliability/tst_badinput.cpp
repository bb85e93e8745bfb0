// What a person can type, tried in every box of the three windows that takes text. A name
// or a house is taken exactly: it goes byte for byte through the databases and back into
// the lists. A number box takes a number by its rules or refuses the text with its message
// (the clock's box quietly), and a refused text changes nothing.

#include "support/roundfixture.h"

#include "data/installfolder.h"
#include "history/archiveaccess.h"
#include "historywindow/historydialog.h"
#include "playereditor/birthday.h"
#include "playereditor/playerinfo.h"
#include "data/displayname.h"
#include "registration/throne.h"
#include "round/roundclock.h"
#include "roundwindow/tournament.h"
#include "ui/listutil.h"

#include <QApplication>
#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <optional>

using namespace Zuvi;
using namespace Zuvi::Test;

namespace {

const QString kPlayers = Data::playersDatabase();
const QString kTourny = Data::tournyDatabase();
const QString kPleaseRounds = QStringLiteral("Please enter the number of rounds");
const QString kRoundsRange =
    QStringLiteral("Please enter the number of rounds as a whole number from 1 to 99");
const QString kPleasePower = QStringLiteral("Please enter each player's power as a number");
const QString kPleaseMinutes =
    QStringLiteral("Please enter the time limit as a whole number of minutes from 1 to 999");

// The fifteen boxes of the player editor, bound to the column beside; Country is kept in a
// table of its own.
struct EditorBox
{
    const char *name;
    const char *column; // null: bound to nothing
};
const EditorBox kEditorBoxes[] = {
    {"FirstName", "First Name"},  {"LastName", "Last Name"},
    {"Email", "Email"},           {"PhoneNumber", "Phone"},
    {"StreetAddress", "Address"}, {"City", "City"},
    {"State", "State"},           {"Zip", "Zip"},
    {"Country", nullptr},         {"Webpage", "Webpage"},
    {"Username1", "Username1"},   {"Username2", "Username2"},
    {"Username3", "Username3"},   {"Birthday", "Birthday"},
    {"Password", "Password"},
};

int g_inputsTried = 0;

QString repeated(const QString &piece, int length)
{
    QString text;
    while (text.size() < length)
        text += piece;
    text.truncate(length);
    return text;
}

// Texts of every kind a person can type or paste, none of them a number.
QList<std::pair<const char *, QString>> anyTexts()
{
    QString withNul = QStringLiteral("a");
    withNul += QChar(0);
    withNul += QStringLiteral("b");
    return {
        {"empty", QString()},
        {"blanks", QStringLiteral("   ")},
        {"blanks around", QStringLiteral("  Ann  ")},
        {"apostrophe", QStringLiteral("O'Brien")},
        {"apostrophes only", QStringLiteral("''")},
        {"double quotes", QStringLiteral("\"Big\" Ed")},
        {"backslash, percent, underscore", QStringLiteral("C:\\new %d %s _%")},
        {"SQL fragment", QStringLiteral("'; DROP TABLE TournyInfo; --")},
        {"SQL fragment in brackets", QStringLiteral("x]'); DELETE FROM PlayerInfo WHERE ('1'='1")},
        {"markup", QStringLiteral("<b>Bold</b> &amp; <img src=\"x.png\">")},
        {"accented letters", QStringLiteral("Željko Åsa Ñúñez ß")},
        {"Cyrillic and Greek", QStringLiteral("Дмитрий Ωμέγα")},
        {"Chinese", QStringLiteral("王小明")},
        {"combining accent", QStringLiteral("Zoe\u0308")},
        {"emoji", QStringLiteral("🃏 Joker 😀")},
        {"emoji sequences", QStringLiteral("👩‍👩‍👧 🏳️‍🌈")},
        {"right-to-left", QStringLiteral("שלום עולם")},
        {"Arabic with its digits", QStringLiteral("مرحبا ١٢٣")},
        {"direction override", QStringLiteral("\u202Eevil\u202C.txt")},
        {"control characters", QStringLiteral("a\tb\u0001c\u001Fd\u007Fe\bf")},
        {"line breaks", QStringLiteral("first\nsecond\r\nthird")},
        {"NUL character", withNul},
        {"10,000 characters", repeated(QStringLiteral("x"), 10000)},
        {"10,000 mixed characters", repeated(QStringLiteral("O'Neil; Ž \"ш\" 王 "), 10000)},
    };
}

// Characters that a line box drops from key events (it takes them from a paste only).
bool hasControlCharacter(const QString &text)
{
    for (const QChar ch : text) {
        if (ch.category() == QChar::Other_Control)
            return true;
    }
    return false;
}

/// Replaces the text of a box as a person does: select everything, delete it, type the
/// new text one character at a time (setText).
void typeInto(QLineEdit *box, const QString &text)
{
    if (hasControlCharacter(text) || text.size() > 200) {
        // A line box drops control characters from key events, and ten thousand single key
        // presses would lay the whole line out ten thousand times: such a text arrives as
        // a paste does, through insert(), which like typing marks the box as edited.
        setText(box, QString());
        box->insert(text);
        return;
    }
    setText(box, text);
}

/// One text of the table typed into one box.
void tryInput(QLineEdit *box, const QString &text)
{
    typeInto(box, text);
    ++g_inputsTried;
}

/// The first column of a query's rows as texts; the queries ask SQLite for the bytes it
/// holds, in hexadecimal.
QStringList storedBytes(const TempInstall &install, const QString &database, const QString &sql)
{
    QStringList bytes;
    for (const QVariantList &row : install.rows(database, sql))
        bytes.append(row.value(0).toString());
    return bytes;
}

QString hexOf(const QString &text)
{
    return QString::fromLatin1(text.toUtf8().toHex().toUpper());
}

int rowOf(const QListView *list, const QString &text)
{
    for (int i = 0; i < rowCount(list); ++i) {
        if (listTexts(list).at(i) == text)
            return i;
    }
    return -1;
}

QLineEdit *editorBox(const PlayerInfo &editor, const char *name)
{
    return control<QLineEdit>(editor, name);
}

/// Seconds left on the round clock.
qint64 secondsLeft(Round::RoundClock &clock)
{
    return qint64(clock.hours()) * 3600 + qint64(clock.minutes()) * 60 + clock.seconds();
}

using Row = StandingsRow;

// What the number boxes make of a text: a number of rounds (-1: asked for again, -2:
// refused as not a whole number from 1 to 99), minutes (-1: refused), a power (nothing:
// refused).
struct Numbers
{
    int rounds;
    int minutes;
    std::optional<double> power;
};

} // namespace

Q_DECLARE_METATYPE(std::optional<double>)

class TestBadInput : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanupTestCase();

    void namesAndHousesRoundTripThroughATournament_data();
    void namesAndHousesRoundTripThroughATournament();
    void editorBoxesKeepWhatWasTyped_data();
    void editorBoxesKeepWhatWasTyped();
    void roundsTakesOnlyAWholeNumber_data();
    void roundsTakesOnlyAWholeNumber();
    void minutesRefusesWithAMessageAndLeavesTheClock_data();
    void minutesRefusesWithAMessageAndLeavesTheClock();
    void powersTakeANumberOrRefuseTheGame_data();
    void powersTakeANumberOrRefuseTheGame();
    void resultBoxRefusesAnyTextThatIsNoResult_data();
    void resultBoxRefusesAnyTextThatIsNoResult();
    void historyTakesAnyNameAndRefusesAnyPlacementText_data();
    void historyTakesAnyNameAndRefusesAnyPlacementText();
    void powersAddUpInTheStandingsAsTyped_data();
    void powersAddUpInTheStandingsAsTyped();

private:
    static void numberTable();
};

void TestBadInput::cleanupTestCase()
{
    qInfo("bad input: %d inputs tried", g_inputsTried);
}

void TestBadInput::namesAndHousesRoundTripThroughATournament_data()
{
    QTest::addColumn<QString>("text");
    for (const auto &[name, text] : anyTexts())
        QTest::newRow(name) << text;
}

void TestBadInput::namesAndHousesRoundTripThroughATournament()
{
    QFETCH(QString, text);

    // Two players typed into the player editor: the text as the first name of one, as the
    // last name of the other.
    RoundFixture fixture;
    Throne &throne = *fixture.throne;
    PlayerInfo *editor = openEditor(throne);
    QVERIFY(editor);
    click(*editor, "cmdAdd");
    tryInput(editorBox(*editor, "FirstName"), text);
    typeInto(editorBox(*editor, "LastName"), QStringLiteral("Alpha"));
    click(*editor, "cmdAdd");
    typeInto(editorBox(*editor, "FirstName"), QStringLiteral("Bea"));
    tryInput(editorBox(*editor, "LastName"), text);
    QCOMPARE(editorBox(*editor, "LastName")->text(), text);
    click(*editor, "cmdClose");
    QCOMPARE(fixture.log.texts(), QStringList());
    QTRY_VERIFY(!throne.playerEditor());

    QCOMPARE(storedBytes(fixture.install, kPlayers,
                         QStringLiteral("SELECT hex(\"First Name\") || '/' || hex(\"Last Name\") "
                                        "FROM PlayerInfo ORDER BY ID")),
             (QStringList{hexOf(text) + "/" + hexOf("Alpha"), hexOf("Bea") + "/" + hexOf(text)}));

    const QString alpha = displayName(QStringLiteral("Alpha"), text);
    const QString bea = displayName(text, QStringLiteral("Bea"));
    QCOMPARE(listTexts(throne.StoredPlayers()), (QStringList{alpha, bea}));

    // The first plays the text as house; a text of blanks names no house and is refused,
    // and the first then plays a house of the list.
    clickRow(throne.StoredPlayers(), 0);
    tryInput(throne.House()->lineEdit(), text);
    QCOMPARE(throne.House()->currentText(), text);
    click(throne, "AddTourny");
    const bool blank = text.trimmed().isEmpty();
    const QString house = blank ? QStringLiteral("Lannister") : text;
    if (blank) {
        QCOMPARE(fixture.log.texts(), QStringList{QStringLiteral("Please select a house to play")});
        QCOMPARE(rowCount(throne.TournyPlayers()), 0);
        fixture.log.clear();
        typeInto(throne.House()->lineEdit(), house);
        click(throne, "AddTourny");
    }
    clickRow(throne.StoredPlayers(), 1);
    typeInto(throne.House()->lineEdit(), QStringLiteral("Stark"));
    click(throne, "AddTourny");
    QCOMPARE(fixture.log.texts(), QStringList());
    QCOMPARE(listTexts(throne.TournyPlayers()), (QStringList{alpha, bea}));
    QCOMPARE(listTexts(throne.PlayerHouses()), (QStringList{house, "Stark"}));

    Tournament *round = fixture.startRound();
    QVERIFY(round);
    const QString standings =
        QStringLiteral("SELECT hex(Name) || '/' || hex(House) FROM TournyInfo ORDER BY rowid");
    QCOMPARE(storedBytes(fixture.install, kTourny, standings),
             (QStringList{hexOf(alpha) + "/" + hexOf(house), hexOf(bea) + "/" + hexOf("Stark")}));

    // The game finds both rows by their names.
    QCOMPARE(listTexts(round->MatchList1()), QStringList{alpha});
    QCOMPARE(listTexts(round->MatchList2()), QStringList{bea});
    clickRow(round->MatchList1(), 0);
    auto *player1 = control<QLabel>(*round, "Player1");
    QCOMPARE(player1->text(), alpha);
    QCOMPARE(player1->textFormat(), Qt::PlainText);
    QCOMPARE(control<QLabel>(*round, "Player2")->text(), bea);
    recordGame(*round, 0, QStringLiteral("Modified Loss"), QStringLiteral("5"),
               QStringLiteral("3"));
    QCOMPARE(fixture.log.texts(), QStringList());
    QCOMPARE(fixture.row(alpha), Row(1, 5));
    QCOMPARE(fixture.row(bea), Row(2, 3));

    click(*round, "EndTourny");
    QCOMPARE(fixture.log.texts(), QStringList());
    QCOMPARE(listTexts(throne.TournyPlayers()), (QStringList{bea, alpha}));
    QCOMPARE(listTexts(throne.PlayerHouses()), (QStringList{"Stark", house}));
    QCOMPARE(listTexts(throne.PlayerScores()), (QStringList{"2(3)", "1(5)"}));
    QCOMPARE(storedBytes(fixture.install, kTourny, standings),
             (QStringList{hexOf(alpha) + "/" + hexOf(house), hexOf(bea) + "/" + hexOf("Stark")}));
}

void TestBadInput::editorBoxesKeepWhatWasTyped_data()
{
    namesAndHousesRoundTripThroughATournament_data();
}

void TestBadInput::editorBoxesKeepWhatWasTyped()
{
    QFETCH(QString, text);

    RoundFixture fixture;
    fixture.install.addPlayers({{QStringLiteral("Ann"), QStringLiteral("Adams")}});
    fixture.throne->FillNames();
    PlayerInfo *editor = openEditor(*fixture.throne);
    QVERIFY(editor);

    // A record needs a first or a last name: where the text is blanks or nothing, the last
    // name is "Adams". The birthday box takes only a date and is tried on its own below.
    const bool blank = text.trimmed().isEmpty();
    const auto typedInto = [&](const EditorBox &box) {
        return blank && qstrcmp(box.name, "LastName") == 0 ? QStringLiteral("Adams") : text;
    };
    const auto isBirthday = [](const EditorBox &box) { return qstrcmp(box.name, "Birthday") == 0; };

    // The text in every box of the record shown, written by "Update"; then in every box of
    // a new record, written by "Update" as well.
    const auto typeEverywhere = [&] {
        for (const EditorBox &box : kEditorBoxes) {
            if (!isBirthday(box))
                tryInput(editorBox(*editor, box.name), typedInto(box));
        }
    };
    typeEverywhere();
    click(*editor, "cmdUpdate");
    click(*editor, "cmdAdd");
    typeEverywhere();
    click(*editor, "cmdUpdate");
    QCOMPARE(fixture.log.texts(), QStringList());

    QStringList columns;
    QStringList expected;
    for (const EditorBox &box : kEditorBoxes) {
        if (box.column && !isBirthday(box)) {
            columns.append(QStringLiteral("hex(\"%1\")").arg(QLatin1String(box.column)));
            expected.append(hexOf(typedInto(box)));
        }
    }
    // The country is kept beside the player table; an empty one is no row.
    columns.append(QStringLiteral("coalesce((SELECT hex(Country) FROM ZuviPlayerCountry WHERE "
                                  "PlayerId = ID), 'none')"));
    expected.append(text.isEmpty() ? QStringLiteral("none") : hexOf(text));
    const QString everyColumn = expected.join(QLatin1Char('/'));
    const QString select = QStringLiteral("SELECT %1 FROM PlayerInfo ORDER BY ID")
                               .arg(columns.join(QStringLiteral(" || '/' || ")));
    QCOMPARE(storedBytes(fixture.install, kPlayers, select),
             (QStringList{everyColumn, everyColumn}));

    // The birthday box refuses the text, writing nothing, unless it is blanks or nothing:
    // then the record has no birthday.
    tryInput(editorBox(*editor, "Birthday"), text);
    click(*editor, "cmdUpdate");
    QCOMPARE(fixture.log.texts(),
             blank ? QStringList() : QStringList{birthdayRefusal(QLocale::system())});
    QCOMPARE(storedBytes(fixture.install, kPlayers, select),
             (QStringList{everyColumn, everyColumn}));
    QCOMPARE(storedBytes(fixture.install, kPlayers,
                         QStringLiteral("SELECT coalesce(Birthday, 'NULL') FROM PlayerInfo ORDER "
                                        "BY ID")),
             (QStringList{QStringLiteral("NULL"),
                          blank && !text.isEmpty() ? QString() : QStringLiteral("NULL")}));
    fixture.log.clear();
    setText(editorBox(*editor, "Birthday"), QStringLiteral("1985-03-07"));
    click(*editor, "cmdUpdate");
    QCOMPARE(fixture.log.texts(), QStringList());

    // Read again, the boxes show it exactly.
    click(*editor, "cmdRefresh");
    for (const EditorBox &box : kEditorBoxes)
        QCOMPARE(editorBox(*editor, box.name)->text(),
                 isBirthday(box) ? QString() : typedInto(box));

    // Closing reloads the stored players by display name; a new editor reads the record
    // afresh.
    const QString last = blank ? QStringLiteral("Adams") : text;
    click(*editor, "cmdClose");
    QTRY_VERIFY(!fixture.throne->playerEditor());
    QCOMPARE(listTexts(fixture.throne->StoredPlayers()),
             QStringList(QList<QString>(2, displayName(last, text))));
    editor = openEditor(*fixture.throne);
    QVERIFY(editor);
    for (const EditorBox &box : kEditorBoxes)
        QCOMPARE(editorBox(*editor, box.name)->text(),
                 isBirthday(box) ? QString() : typedInto(box));
    QCOMPARE(fixture.log.texts(), QStringList());
}

void TestBadInput::historyTakesAnyNameAndRefusesAnyPlacementText_data()
{
    namesAndHousesRoundTripThroughATournament_data();
}

void TestBadInput::historyTakesAnyNameAndRefusesAnyPlacementText()
{
    QFETCH(QString, text);
    RoundFixture fixture;
    const History::ArchiveAccess archive(std::nullopt);
    History::ArchivedTournament evening;
    evening.name = QStringLiteral("Autumn");
    evening.played = QDate(2026, 10, 1);
    evening.rounds = 1;
    evening.entrants = {{kA.name(), QStringLiteral("Stark"), 0, 1, 3, 5}};
    archive.add(evening);
    HistoryDialog dialog(archive);
    dialog.show();

    // As a tournament's new name: kept as typed (without the blanks around it) where it
    // has 1 to 200 letters, refused with a message otherwise; the archive stays whole.
    QTimer::singleShot(0, &dialog, [text] {
        if (auto *input = qobject_cast<QInputDialog *>(QApplication::activeModalWidget())) {
            input->setTextValue(text);
            input->accept();
        }
    });
    click(dialog, "HistoryRename");
    const QString trimmed = text.trimmed();
    const bool fits = !trimmed.isEmpty() && trimmed.size() <= 200;
    QCOMPARE(archive.list().first().name, fits ? trimmed : QStringLiteral("Autumn"));
    QCOMPARE(fixture.log.texts(),
             fits ? QStringList()
                  : QStringList{QStringLiteral("Please enter a name of 1 to 200 letters.")});
    QCOMPARE(archive.list().size(), 1);

    // As a league's placement points: no such text is a list of numbers; nothing is kept.
    fixture.log.clear();
    control<QTabWidget>(dialog, "HistoryTabs")->setCurrentIndex(2);
    control<QLineEdit>(dialog, "LeaguePlacement")->setText(text);
    click(dialog, "LeagueSave");
    QCOMPARE(fixture.log.texts().size(), 1);
    QVERIFY(fixture.log.texts().first().startsWith(
        QStringLiteral("Please enter the placement points")));
    QVERIFY(archive.leagues().isEmpty());
    QCOMPARE(fixture.log.ends(), 0);
}

void TestBadInput::numberTable()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("rounds");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<std::optional<double>>("power");

    const std::optional<double> refused;
    for (const auto &[name, text] : anyTexts()) {
        // Nothing of these is a number; an empty power box (or blanks) is a power of 0.
        const bool noPower = text.trimmed().isEmpty();
        QTest::newRow(name) << text << (noPower ? -1 : -2) << -1
                            << (noPower ? std::optional<double>(0) : refused);
    }
    const std::pair<const char *, Numbers> numbers[] = {
        {"-3", {-1, -1, refused}},
        {"-0", {-2, -1, 0}},
        {"2.5", {-2, -1, 2.5}},
        {"3.5", {-2, -1, 3.5}},
        {".5", {-2, -1, 0.5}},
        {"5.", {5, -1, 5}},
        {"3.0", {3, -1, 3}},
        {"+3", {3, -1, 3}},
        {" 3 ", {3, 3, 3}},
        {"1e1", {10, -1, 10}},
        {"0", {-2, -1, 0}},
        {"99", {99, 99, 99}},
        {"100", {-2, 100, 100}},
        {"999", {-2, 999, 999}},
        {"1000", {-2, -1, 1000}},
        {"32767", {-2, -1, 32767}},
        {"32768", {-2, -1, 32768}},
        {"-32769", {-1, -1, refused}},
        {"1e308", {-2, -1, refused}},
        {"-1e308", {-1, -1, refused}},
        {"1e309", {-2, -1, refused}},
        {"99999999999", {-2, -1, 99999999999.0}},
        {"1e15", {-2, -1, 1e15}},
        {"1e16", {-2, -1, refused}},
        {"1e-400", {-2, -1, 0}},
        {"3.0000000000000000001", {-2, -1, 3}},
        {"2.5e1", {25, -1, 25}},
        {"25e-1", {-2, -1, 2.5}},
        {"NaN", {-2, -1, refused}},
        {"nan", {-2, -1, refused}},
        {"inf", {-2, -1, refused}},
        {"-Infinity", {-2, -1, refused}},
        {"0x10", {-2, -1, refused}},
        {"0X1A", {-2, -1, refused}},
        {"1,5", {-2, -1, refused}},
        {"1.000,5", {-2, -1, refused}},
        {"1 000", {-2, -1, refused}},
        {"1_000", {-2, -1, refused}},
        {"--3", {-2, -1, refused}},
        {"3e", {-2, -1, refused}},
        {"3 rounds", {-2, -1, refused}},
        {"fullwidth digit", {-2, -1, refused}},
        {"Arabic-Indic digit", {-2, -1, refused}},
    };
    for (const auto &[name, expected] : numbers) {
        QString text = QString::fromUtf8(name);
        if (text == QLatin1String("fullwidth digit"))
            text = QStringLiteral("３");
        else if (text == QLatin1String("Arabic-Indic digit"))
            text = QStringLiteral("٣");
        QTest::newRow(name) << text << expected.rounds << expected.minutes << expected.power;
    }
    QTest::newRow("10,000 digits")
        << QString(QStringLiteral("1") + QString(9999, QLatin1Char('0'))) << -2 << -1 << refused;
    QTest::newRow("10,000 characters of a tiny fraction")
        << QString(QStringLiteral("0.") + QString(9997, QLatin1Char('0')) + QStringLiteral("1"))
        << -2 << -1 << std::optional<double>(0);
}

void TestBadInput::roundsTakesOnlyAWholeNumber_data()
{
    numberTable();
}

void TestBadInput::roundsTakesOnlyAWholeNumber()
{
    QFETCH(QString, text);
    QFETCH(int, rounds);

    RoundFixture fixture({kA, kB});
    Throne &throne = *fixture.throne;
    // Standings left from an earlier tournament show whether anything was written.
    const QString oldRows = QStringLiteral("SELECT Name, House, Score, Power FROM TournyInfo");
    fixture.install.exec(kTourny,
                         QStringLiteral("INSERT INTO TournyInfo VALUES ('Old, Row', 'X', 4, 7)"));
    const QList<QVariantList> before = fixture.install.rows(kTourny, oldRows);

    tryInput(throne.Rounds(), text);
    QCOMPARE(throne.Rounds()->text(), text);
    click(throne, "StartButton");

    if (rounds > 0) {
        QCOMPARE(fixture.log.texts(), QStringList());
        QVERIFY(throne.tournament());
        QCOMPARE(openRoundWindows(), 1);
        QCOMPARE(throne.RandomFirst(), qint16(1));
        QCOMPARE(standingsByName(fixture.install).size(), 2);
        return;
    }
    QCOMPARE(fixture.log.texts(), QStringList{rounds == -1 ? kPleaseRounds : kRoundsRange});
    QVERIFY(!throne.tournament());
    QCOMPARE(openRoundWindows(), 0);
    QCOMPARE(throne.RandomFirst(), qint16(0));
    QCOMPARE(throne.roundcounter(), qint16(1));
    QCOMPARE(fixture.install.rows(kTourny, oldRows), before);
    QCOMPARE(listTexts(throne.TournyPlayers()), (QStringList{kA.name(), kB.name()}));
}

void TestBadInput::minutesRefusesWithAMessageAndLeavesTheClock_data()
{
    numberTable();
}

void TestBadInput::minutesRefusesWithAMessageAndLeavesTheClock()
{
    QFETCH(QString, text);
    QFETCH(int, minutes);

    RoundFixture fixture({kA, kB});
    Tournament *round = fixture.startRound();
    QVERIFY(round);
    Round::RoundClock &clock = fixture.throne->progress()->clock();
    auto *box = control<QLineEdit>(*round, "Minutes");
    auto *fullTime = control<QLabel>(*round, "FullTime");

    // What a start must leave: the limit as the whole time left; a refused text leaves the
    // clock as it stood. Ticks can come only from the event loop, which none of
    // the steps runs; should one come all the same, it counts one second down.
    const auto startWith = [&](const QString &typed, bool tried) {
        if (tried)
            tryInput(box, typed);
        else
            typeInto(box, typed);
        QCOMPARE(box->text(), typed);
        const bool running = round->Timer1()->isActive();
        const qint64 before = secondsLeft(clock);
        QSignalSpy ticks(round->Timer1(), &QTimer::timeout);
        fixture.log.clear();
        click(*round, "StartTimer");
        const int refusedOrMinutes = tried ? minutes : typed.toInt();
        // A refusal says what the box takes; a start says nothing.
        QCOMPARE(fixture.log.texts(),
                 refusedOrMinutes < 0 ? QStringList{kPleaseMinutes} : QStringList());
        if (refusedOrMinutes < 0) {
            QCOMPARE(round->Timer1()->isActive(), running);
            QCOMPARE(secondsLeft(clock), qMax<qint64>(before - ticks.count(), 0));
        } else {
            QVERIFY(round->Timer1()->isActive());
            QCOMPARE(secondsLeft(clock),
                     qMax<qint64>(qint64(refusedOrMinutes) * 60 - ticks.count(), 0));
        }
    };

    // Idle, then running from 10 minutes.
    startWith(text, true);
    if (QTest::currentTestFailed())
        return;
    if (minutes < 0)
        QCOMPARE(fullTime->text(), QStringLiteral("00:00:00"));
    startWith(QStringLiteral("10"), false);
    if (QTest::currentTestFailed())
        return;
    startWith(text, true);
}

void TestBadInput::powersTakeANumberOrRefuseTheGame_data()
{
    numberTable();
}

void TestBadInput::powersTakeANumberOrRefuseTheGame()
{
    QFETCH(QString, text);
    QFETCH(std::optional<double>, power);

    // Game 1 (A against B) takes the text as player 1's power, game 2 (C against D) as
    // player 2's.
    RoundFixture fixture({kA, kB, kC, kD});
    Tournament *round = fixture.startRound();
    QVERIFY(round);
    const QString win = QStringLiteral("Full Win");
    const QString one = QStringLiteral("1");

    const auto game = [&](const Entrant &player1, const Entrant &player2, bool first) {
        const int row = rowOf(round->MatchList1(), player1.name());
        QVERIFY(row >= 0);
        clickRow(round->MatchList1(), row);
        chooseEntry(control<QComboBox>(*round, "Player1Win"), win);
        auto *power1 = control<QLineEdit>(*round, "Player1Power");
        auto *power2 = control<QLineEdit>(*round, "Player2Power");
        if (first) {
            tryInput(power1, text);
            typeInto(power2, one);
        } else {
            typeInto(power1, one);
            tryInput(power2, text);
        }
        QCOMPARE((first ? power1 : power2)->text(), text);
        fixture.log.clear();
        click(*round, "GameDone");
        if (!power) {
            QCOMPARE(fixture.log.texts(), QStringList{kPleasePower});
            QCOMPARE(fixture.row(player1.name()), Row(0, 0));
            QCOMPARE(fixture.row(player2.name()), Row(0, 0));
            QCOMPARE(rowOf(round->MatchList1(), player1.name()), row);
            QCOMPARE(rowOf(round->MatchList2(), player2.name()), row);
            return;
        }
        QCOMPARE(fixture.log.texts(), QStringList());
        QCOMPARE(fixture.row(player1.name()), Row(3, first ? *power : 1.0));
        QCOMPARE(fixture.row(player2.name()), Row(0, first ? 1.0 : *power));
        QCOMPARE(rowOf(round->MatchList1(), player1.name()), -1);
    };
    game(kA, kB, true);
    if (QTest::currentTestFailed())
        return;
    game(kC, kD, false);
}

void TestBadInput::resultBoxRefusesAnyTextThatIsNoResult_data()
{
    namesAndHousesRoundTripThroughATournament_data();
}

void TestBadInput::resultBoxRefusesAnyTextThatIsNoResult()
{
    QFETCH(QString, text);

    // A typed result that is not one of the five is refused: nothing is recorded, the
    // game and what was typed stay, and player 2's result shown does not change.
    RoundFixture fixture({kA, kB});
    Tournament *round = fixture.startRound();
    QVERIFY(round);
    clickRow(round->MatchList1(), 0);
    auto *result = control<QComboBox>(*round, "Player1Win");
    tryInput(result->lineEdit(), text);
    QCOMPARE(result->currentText(), text);
    typeInto(control<QLineEdit>(*round, "Player1Power"), QStringLiteral("2"));
    typeInto(control<QLineEdit>(*round, "Player2Power"), QStringLiteral("1"));
    click(*round, "GameDone");

    QCOMPARE(fixture.log.texts(), QStringList{QStringLiteral("Please choose player 1's result")});
    QCOMPARE(control<QLabel>(*round, "Player2Win")->text(), QString());
    QCOMPARE(fixture.row(kA.name()), Row(0, 0));
    QCOMPARE(fixture.row(kB.name()), Row(0, 0));
    QCOMPARE(rowCount(round->MatchList1()), 1);
    QCOMPARE(result->currentText(), text);
}

void TestBadInput::powersAddUpInTheStandingsAsTyped_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("shown");

    // Decimal fractions have no exact binary form: their sum must not show the difference.
    QTest::newRow("0.1 and 0.2") << "0.1"
                                 << "0.2"
                                 << "0.3";
    QTest::newRow("12.1 and 0.2") << "12.1"
                                  << "0.2"
                                  << "12.3";
    QTest::newRow("fractions that make a whole") << "0.7"
                                                 << "0.3"
                                                 << "1";
    QTest::newRow("halves") << "5.5"
                            << "5.25"
                            << "10.75";
    QTest::newRow("largest power, written out") << "1e15"
                                                << "0"
                                                << "1000000000000000";
    QTest::newRow("eleven digits") << "99999999999"
                                   << "1"
                                   << "100000000000";
}

void TestBadInput::powersAddUpInTheStandingsAsTyped()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, shown);

    // Two rounds of the same game: Ann wins both with the two powers.
    RoundFixture fixture({kA, kB});
    for (const QString &power : {first, second}) {
        Tournament *round = fixture.startRound();
        QVERIFY(round);
        QCOMPARE(listTexts(round->MatchList1()), QStringList{kA.name()});
        clickRow(round->MatchList1(), 0);
        chooseEntry(control<QComboBox>(*round, "Player1Win"), QStringLiteral("Full Win"));
        tryInput(control<QLineEdit>(*round, "Player1Power"), power);
        typeInto(control<QLineEdit>(*round, "Player2Power"), QStringLiteral("1"));
        click(*round, "GameDone");
        click(*round, "EndTourny");
    }
    QCOMPARE(fixture.log.texts(), QStringList());
    QCOMPARE(listTexts(fixture.throne->PlayerScores()),
             (QStringList{QStringLiteral("6(%1)").arg(shown), QStringLiteral("0(2)")}));
}

QTEST_MAIN(TestBadInput)
#include "tst_badinput.moc"
