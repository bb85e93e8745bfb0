// The waits that wrong personal codes earn their sender on the players' page: the first
// after five wrong codes, longer after each later one, for that sender only, until the
// organiser lifts them.

#include "page/reportwaits.h"

#include <QTest>

using namespace Zuvi;

class TestReportWaits : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void wrongCodesEarnGrowingWaits_data();
    void wrongCodesEarnGrowingWaits();
    void aWaitHoldsOneSenderAndIsLifted();
};

void TestReportWaits::wrongCodesEarnGrowingWaits_data()
{
    // At each time (seconds), a wrong code from one sender; the wait each one starts.
    QTest::addColumn<QList<int>>("at");
    QTest::addColumn<QList<int>>("waits");
    constexpr int minute = 60;
    QTest::newRow("four wrong codes: no wait") << QList<int>{0, 1, 2, 3} << QList<int>{0, 0, 0, 0};
    QTest::newRow("the fifth: a minute")
        << QList<int>{0, 1, 2, 3, 4} << QList<int>{0, 0, 0, 0, minute};
    QTest::newRow("after the wait, each wrong code doubles it")
        << QList<int>{0, 1, 2, 3, 4, 70, 200, 500}
        << QList<int>{0, 0, 0, 0, minute, 2 * minute, 4 * minute, 8 * minute};
    QList<int> many;
    QList<int> waits;
    for (int i = 0; i < 14; ++i) {
        many.append(i * 4000);
        waits.append(i < 4 ? 0 : std::min(60 << (i - 4), 3600));
    }
    QTest::newRow("never more than an hour") << many << waits;
}

void TestReportWaits::wrongCodesEarnGrowingWaits()
{
    QFETCH(QList<int>, at);
    QFETCH(QList<int>, waits);
    ReportWaits book;
    QList<int> got;
    for (const int second : at)
        got.append(int(book.wrongCode(QStringLiteral("10.0.0.7"), second * 1000LL) / 1000));
    QCOMPARE(got, waits);
}

void TestReportWaits::aWaitHoldsOneSenderAndIsLifted()
{
    ReportWaits book;
    const QString phone = QStringLiteral("10.0.0.7");
    const QString other = QStringLiteral("10.0.0.8");
    for (int i = 0; i < ReportWaits::kWrongCodesAllowed; ++i)
        book.wrongCode(phone, 1000);
    book.wrongCode(other, 1000);
    QCOMPARE(book.waitLeft(phone, 1000), ReportWaits::kFirstWaitMs);
    QCOMPARE(book.waitLeft(phone, 31000), ReportWaits::kFirstWaitMs - 30000);
    QCOMPARE(book.waitLeft(phone, 1000 + ReportWaits::kFirstWaitMs), 0);
    QCOMPARE(book.waitLeft(other, 1000), 0);
    QCOMPARE(book.waitLeft(QStringLiteral("10.0.0.9"), 1000), 0);
    // The organiser sees the waiting phone first, then the others that gave wrong codes.
    const QList<ReportWaits::Sender> senders = book.senders(2000);
    QCOMPARE(senders.size(), 2);
    QCOMPARE(senders.at(0).address, phone);
    QCOMPARE(senders.at(0).wrong, 5);
    QCOMPARE(senders.at(0).leftMs, ReportWaits::kFirstWaitMs - 1000);
    QCOMPARE(senders.at(1).address, other);
    QCOMPARE(senders.at(1).leftMs, 0);
    // Lifted: it sends again, and starts counting afresh.
    QCOMPARE(book.liftAll(2000), 1);
    QCOMPARE(book.waitLeft(phone, 2000), 0);
    QVERIFY(book.senders(2000).isEmpty());
    QCOMPARE(book.wrongCode(phone, 3000), 0);
}

QTEST_APPLESS_MAIN(TestReportWaits)
#include "tst_reportwaits.moc"
