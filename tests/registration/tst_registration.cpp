// The registration window driven as a user drives it: stored players, adding and removing
// entrants with their houses, and the refusals.

#include "support/roundfixture.h"

#include "data/installfolder.h"
#include "registration/throne.h"
#include "tournament/tournamentprogress.h"
#include "ui/listutil.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>

using namespace Zuvi;
using namespace Zuvi::Test;

namespace {
const QString kPleaseAdd = QStringLiteral("Please select a player to add");
const QString kPleaseHouse = QStringLiteral("Please select a house to play");
const QString kAlready = QStringLiteral("That player is already in the tournament.");
const QString kPleaseRemove = QStringLiteral("Please select a player to remove");

} // namespace

class TestRegistration : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void loadShowsStoredPlayersByDisplayName();
    void loadWithEmptyTableShowsEmptyLists();
    void windowHasItsControls();
    void addIsRefusedInOrderOfChecks_data();
    void addIsRefusedInOrderOfChecks();
    void houseTextIsTakenAsTyped_data();
    void houseTextIsTakenAsTyped();
    void duplicateTestIsExactAndIgnoresHouse();
    void sameNamedStoredPlayersEnterUnderNamesOfTheirOwn();
    void playerEditorOpensAtTheSelectedPlayer();
    void removeKeepsListsSideBySideAndSelectsNothing();
    void removeWithNothingSelectedIsRefused();
    void manyStoredPlayersLoad();
};

void TestRegistration::loadShowsStoredPlayersByDisplayName()
{
    TempInstall install;
    install.addPlayers({{QStringLiteral("Ann"), QStringLiteral("Smith")},
                        {QStringLiteral("Bran"), QStringLiteral("O'Neil")},
                        {QStringLiteral("Zoë"), QStringLiteral("Müller")},
                        {QStringLiteral("Arya"), QString()},
                        {QString(), QStringLiteral("Hodor")},
                        {QString(), QString()}});
    MessageLog log;
    Throne throne(new TournamentProgress);
    QCOMPARE(listTexts(throne.StoredPlayers()),
             (QStringList{"Smith, Ann", "O'Neil, Bran", "Müller, Zoë", ", Arya", "Hodor, ", ", "}));
    QCOMPARE(throne.roundcounter(), qint16(1));
    QCOMPARE(throne.RandomFirst(), qint16(0));
    QCOMPARE(throne.StoredPlayers()->selectionModel()->selectedIndexes().size(), 0);
    QCOMPARE(log.texts(), QStringList());
}

void TestRegistration::loadWithEmptyTableShowsEmptyLists()
{
    TempInstall install;
    Throne throne(new TournamentProgress);
    for (QListView *list : {throne.StoredPlayers(), throne.TournyPlayers(), throne.PlayerHouses(),
                            throne.PlayerScores()})
        QCOMPARE(rowCount(list), 0);
    QCOMPARE(throne.House()->currentText(), QStringLiteral("House"));
    QCOMPARE(throne.Rounds()->text(), QString());
    QCOMPARE(throne.StartButton()->text(), QStringLiteral("Start Tournament"));

    // The empty list says how players come in, until there are some.
    throne.show();
    QVERIFY(QTest::qWaitForWindowExposed(&throne));
    auto *hint = throne.StoredPlayers()->findChild<QLabel *>(QStringLiteral("StoredPlayersHint"));
    QVERIFY(hint);
    QVERIFY(hint->isVisible());
    QVERIFY(hint->text().contains(QStringLiteral("Import players")));
    QVERIFY(hint->text().contains(QStringLiteral("Edit Player Database")));
    install.addPlayers({{QStringLiteral("Ann"), QStringLiteral("Smith")}});
    throne.FillNames();
    QVERIFY(!hint->isVisible());
}

void TestRegistration::windowHasItsControls()
{
    TempInstall install;
    Throne throne(new TournamentProgress);
    throne.show();
    QVERIFY(QTest::qWaitForWindowExposed(&throne));
    QCOMPARE(throne.objectName(), QStringLiteral("throne"));
    QCOMPARE(throne.windowTitle(), QStringLiteral("Zuvi"));
    QCOMPARE(throne.size(), QSize(608, 389));
    QCOMPARE(throne.StoredPlayers()->geometry(), QRect(4, 28, 153, 303));
    QCOMPARE(throne.StartButton()->geometry(), QRect(304, 332, 301, 25));
    QCOMPARE(QApplication::focusWidget(), throne.StoredPlayers());
    for (const char *name :
         {"PlayerLabel", "StoredPlayers", "Command1", "Label2", "House", "AddTourny",
          "RemoveTourny", "Label3", "RoundsLbl", "Rounds", "TournyLabel", "TournyPlayers",
          "HouseLabel", "PlayerHouses", "Label1", "PlayerScores", "StartButton", "Label4"})
        QVERIFY2(throne.findChild<QWidget *>(QString::fromLatin1(name)), name);
    QCOMPARE(throne.House()->count(), 4);
}

void TestRegistration::addIsRefusedInOrderOfChecks_data()
{
    QTest::addColumn<int>("storedRow");
    QTest::addColumn<QString>("house");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no player, house still House") << -1 << QStringLiteral("House") << kPleaseAdd;
    QTest::newRow("no player, house chosen") << -1 << QStringLiteral("Stark") << kPleaseAdd;
    QTest::newRow("player, house still House") << 0 << QStringLiteral("House") << kPleaseHouse;
    QTest::newRow("player, house emptied") << 0 << QString() << kPleaseHouse;
    QTest::newRow("player, house of blanks") << 0 << QStringLiteral("   ") << kPleaseHouse;
    QTest::newRow("player, house of a tab") << 0 << QStringLiteral("\t") << kPleaseHouse;
}

void TestRegistration::addIsRefusedInOrderOfChecks()
{
    QFETCH(int, storedRow);
    QFETCH(QString, house);
    QFETCH(QString, expected);
    TempInstall install;
    install.addPlayers({{QStringLiteral("Ann"), QStringLiteral("Smith")}});
    MessageLog log;
    Throne throne(new TournamentProgress);
    if (storedRow >= 0)
        clickRow(throne.StoredPlayers(), storedRow);
    setText(throne.House()->lineEdit(), house);
    click(throne, "AddTourny");
    QCOMPARE(log.texts(), QStringList{expected});
    QCOMPARE(rowCount(throne.TournyPlayers()), 0);
    QCOMPARE(rowCount(throne.PlayerHouses()), 0);
    QCOMPARE(rowCount(throne.PlayerScores()), 0);
}

void TestRegistration::houseTextIsTakenAsTyped_data()
{
    QTest::addColumn<QString>("house");
    QTest::newRow("listed house") << QStringLiteral("Lannister");
    QTest::newRow("other case of House") << QStringLiteral("house");
    QTest::newRow("own house with apostrophe") << QStringLiteral("Night's Watch");
    QTest::newRow("prefix of a listed house is not completed") << QStringLiteral("Star");
    QTest::newRow("one letter is not completed") << QStringLiteral("B");
}

void TestRegistration::houseTextIsTakenAsTyped()
{
    QFETCH(QString, house);
    TempInstall install;
    install.addPlayers({{QStringLiteral("Ann"), QStringLiteral("Smith")}});
    MessageLog log;
    Throne throne(new TournamentProgress);
    // Shown and focused, as a person types into it (completion acts only then).
    throne.show();
    QVERIFY(QTest::qWaitForWindowActive(&throne));
    registerEntrant(throne, 0, house);
    QCOMPARE(log.texts(), QStringList());
    QCOMPARE(listTexts(throne.TournyPlayers()), QStringList{"Smith, Ann"});
    QCOMPARE(listTexts(throne.PlayerHouses()), QStringList{house});
    QCOMPARE(listTexts(throne.PlayerScores()), QStringList{"0(0)"});
    // The selection and the house stay for the next entrant.
    QCOMPARE(Ui::selectedRow(throne.StoredPlayers()), 0);
    QCOMPARE(throne.House()->currentText(), house);
}

void TestRegistration::duplicateTestIsExactAndIgnoresHouse()
{
    TempInstall install;
    install.addPlayers({{QStringLiteral("Ann"), QStringLiteral("Smith")},
                        {QStringLiteral("ann"), QStringLiteral("Smith")},
                        {QStringLiteral("Ann"), QStringLiteral("Smith")}});
    MessageLog log;
    Throne throne(new TournamentProgress);
    registerEntrant(throne, 0, QStringLiteral("Stark"));
    registerEntrant(throne, 0, QStringLiteral("Greyjoy"));
    QCOMPARE(log.texts(), QStringList{kAlready});
    // A name differing only in case is another entrant.
    registerEntrant(throne, 1, QStringLiteral("Stark"));
    QCOMPARE(log.texts().size(), 1);
    QCOMPARE(listTexts(throne.TournyPlayers()), (QStringList{"Smith, Ann", "Smith, ann"}));
    QCOMPARE(listTexts(throne.PlayerHouses()), (QStringList{"Stark", "Stark"}));
}

void TestRegistration::sameNamedStoredPlayersEnterUnderNamesOfTheirOwn()
{
    // Two stored players of one name are two entrants: the second enters with its city, a
    // third without a city with a number, and each keeps that name through the tournament
    // and a restart; the same stored player is never entered twice.
    RoundFixture f;
    const auto store = [&](const QString &city) {
        f.install.exec(QStringLiteral("players"),
                       QStringLiteral("INSERT INTO PlayerInfo([First Name], [Last Name], City) "
                                      "VALUES ('Ada', 'Lovelace', ?)"),
                       {city.isNull() ? QVariant() : QVariant(city)});
    };
    store(QStringLiteral("London"));
    store(QStringLiteral("Z\u00fcrich"));
    store(QString());
    store(QStringLiteral("Z\u00fcrich"));
    f.throne->FillNames();
    for (int row : {0, 1, 2, 3, 1})
        registerEntrant(*f.throne, row, QStringLiteral("Stark"));
    const QStringList names{"Lovelace, Ada", "Lovelace, Ada (Z\u00fcrich)", "Lovelace, Ada (2)",
                            "Lovelace, Ada (3)"};
    QCOMPARE(listTexts(f.throne->TournyPlayers()), names);
    QCOMPARE(f.log.texts(), QStringList{kAlready});

    Tournament *round = f.startRound(QStringLiteral("2"));
    QVERIFY(round);
    recordGame(*round, 0, QStringLiteral("Full Win"), QStringLiteral("4"), QStringLiteral("1"));
    QVERIFY(!QTest::currentTestFailed());
    QCOMPARE(f.row(names.at(0)), StandingsRow(3, 4));
    QCOMPARE(f.row(names.at(1)), StandingsRow(0, 1));
    QVERIFY(f.restart(true));
    for (int row : {0, 1, 2, 3})
        registerEntrant(*f.throne, row, QStringLiteral("Stark"));
    QCOMPARE(f.log.texts(), QStringList(5, kAlready));
    QCOMPARE(f.count(QStringLiteral("TournyInfo")), 4);
}

void TestRegistration::playerEditorOpensAtTheSelectedPlayer()
{
    TempInstall install;
    install.addPlayers({{QStringLiteral("Ann"), QStringLiteral("Smith")},
                        {QStringLiteral("Bob"), QStringLiteral("Baker")},
                        {QStringLiteral("Cat"), QStringLiteral("Clark")}});
    MessageLog log;
    Throne throne(new TournamentProgress);
    const auto firstName = [&] {
        return control<QLineEdit>(*throne.playerEditor(), "FirstName")->text();
    };
    // Nothing selected: the first record, as before.
    QVERIFY(openEditor(throne));
    QCOMPARE(firstName(), QStringLiteral("Ann"));
    // The player selected in the list, also when the editor is open already.
    clickRow(throne.StoredPlayers(), 2);
    QVERIFY(openEditor(throne));
    QCOMPARE(firstName(), QStringLiteral("Cat"));
    clickRow(throne.StoredPlayers(), 1);
    QVERIFY(openEditor(throne));
    QCOMPARE(firstName(), QStringLiteral("Bob"));
    QCOMPARE(log.texts(), QStringList());
}

void TestRegistration::removeKeepsListsSideBySideAndSelectsNothing()
{
    TempInstall install;
    install.addPlayers({{"A", "One"}, {"B", "Two"}, {"C", "Three"}, {"D", "Four"}});
    MessageLog log;
    Throne throne(new TournamentProgress);
    const QStringList houses{"Stark", "Greyjoy", "Lannister", "Baratheon"};
    for (int i = 0; i < 4; ++i)
        registerEntrant(throne, i, houses[i]);
    clickRow(throne.TournyPlayers(), 1);
    click(throne, "RemoveTourny");
    QCOMPARE(log.texts(), QStringList());
    QCOMPARE(listTexts(throne.TournyPlayers()), (QStringList{"One, A", "Three, C", "Four, D"}));
    QCOMPARE(listTexts(throne.PlayerHouses()), (QStringList{"Stark", "Lannister", "Baratheon"}));
    QCOMPARE(listTexts(throne.PlayerScores()), (QStringList{"0(0)", "0(0)", "0(0)"}));
    QCOMPARE(Ui::selectedRow(throne.TournyPlayers()), -1);

    // A second click right after the removal has nothing to remove.
    click(throne, "RemoveTourny");
    QCOMPARE(log.texts(), QStringList{kPleaseRemove});
    QCOMPARE(rowCount(throne.TournyPlayers()), 3);
}

void TestRegistration::removeWithNothingSelectedIsRefused()
{
    TempInstall install;
    install.addPlayers({{"A", "One"}, {"B", "Two"}});
    MessageLog log;
    Throne throne(new TournamentProgress);
    registerEntrant(throne, 0, QStringLiteral("Stark"));
    registerEntrant(throne, 1, QStringLiteral("Stark"));
    // A row selected in the house list does not choose an entrant.
    clickRow(throne.PlayerHouses(), 1);
    click(throne, "RemoveTourny");
    QCOMPARE(log.texts(), QStringList{kPleaseRemove});
    QCOMPARE(rowCount(throne.TournyPlayers()), 2);
    QCOMPARE(rowCount(throne.PlayerHouses()), 2);
}

void TestRegistration::manyStoredPlayersLoad()
{
    TempInstall install;
    QList<std::pair<QString, QString>> players;
    for (int i = 0; i < 20000; ++i)
        players.append({QStringLiteral("First%1").arg(i), QStringLiteral("Last'%1").arg(i)});
    install.addPlayers(players);
    Throne throne(new TournamentProgress);
    QCOMPARE(rowCount(throne.StoredPlayers()), 20000);
    QCOMPARE(listTexts(throne.StoredPlayers()).at(19999), QStringLiteral("Last'19999, First19999"));
    QVERIFY(throne.StoredPlayers()->uniformItemSizes());
}

QTEST_MAIN(TestRegistration)
#include "tst_registration.moc"
