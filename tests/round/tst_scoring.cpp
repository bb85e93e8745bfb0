// The points of a game result and what player 2 is shown for it.

#include "round/scoring.h"

#include <QTest>

using namespace Zuvi::Round;

class TestScoring : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void listHoldsTheFiveResultsInOrder();
    void resultGivesPointsAndOpposite_data();
    void resultGivesPointsAndOpposite();
};

void TestScoring::listHoldsTheFiveResultsInOrder()
{
    QCOMPARE(resultTexts(),
             QStringList({"Full Win", "Full Loss", "Modified Win", "Modified Loss", "True Draw"}));
}

void TestScoring::resultGivesPointsAndOpposite_data()
{
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("player1");
    QTest::addColumn<bool>("known");
    QTest::addColumn<QString>("player2Shows");

    QTest::newRow("full win") << "Full Win" << 3 << true << "Full Loss";
    QTest::newRow("full loss") << "Full Loss" << 0 << true << "Full Win";
    QTest::newRow("modified win") << "Modified Win" << 2 << true << "Modified Loss";
    QTest::newRow("modified loss") << "Modified Loss" << 1 << true << "Modified Win";
    QTest::newRow("true draw gives player 1 two") << "True Draw" << 2 << true << "True Draw";
    QTest::newRow("empty") << "" << 0 << false << "";
    QTest::newRow("small letters") << "full win" << 0 << false << "";
    QTest::newRow("capitals") << "FULL WIN" << 0 << false << "";
    QTest::newRow("leading blank") << " Full Win" << 0 << false << "";
    QTest::newRow("trailing blank") << "True Draw " << 0 << false << "";
    QTest::newRow("typed text") << "Win" << 0 << false << "";
    QTest::newRow("bye") << "Bye" << 0 << false << "";
}

void TestScoring::resultGivesPointsAndOpposite()
{
    QFETCH(QString, result);
    QFETCH(int, player1);
    QFETCH(bool, known);
    QFETCH(QString, player2Shows);

    QCOMPARE(player1Points(result), player1);
    const int player2 = 3 - player1Points(result);
    QVERIFY(player2 >= 0 && player2 <= 3);
    const std::optional<QString> shown = player2Result(result);
    QCOMPARE(shown.has_value(), known);
    if (known) {
        QCOMPARE(*shown, player2Shows);
        // Player 2's result read as player 1's gives the other share of the 3 points,
        // except for the draw, which is split 2 to 1 in player 1's favour.
        if (result != QLatin1String("True Draw"))
            QCOMPARE(player1Points(*shown), player2);
    }
}

QTEST_APPLESS_MAIN(TestScoring)
#include "tst_scoring.moc"
