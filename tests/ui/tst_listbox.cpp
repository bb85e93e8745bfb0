// The list boxes of the windows: a long list's scroll bar repaints when its handle moves
// and not for a row more or less, and a row's text is drawn whole or cut with an ellipsis.

#include "ui/listutil.h"
#include "ui/textlistmodel.h"

#include <QApplication>
#include <QImage>
#include <QListView>
#include <QPaintEvent>
#include <QScrollBar>
#include <QTest>

using namespace Zuvi;

namespace {

class PaintCounter final : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

QStringList names(int count)
{
    QStringList texts;
    for (int i = 0; i < count; ++i)
        texts.append(QStringLiteral("Player %1").arg(i));
    return texts;
}

} // namespace

class TestListBox : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void scrollBarRepaintsWhenItsHandleMoves_data();
    void scrollBarRepaintsWhenItsHandleMoves();
    void longTextIsElided();
};

void TestListBox::scrollBarRepaintsWhenItsHandleMoves_data()
{
    QTest::addColumn<int>("rowsBefore");
    QTest::addColumn<int>("rowsAfter");
    QTest::addColumn<bool>("repaints");
    QTest::newRow("one row more of 2,500") << 2500 << 2501 << false;
    QTest::newRow("one row less of 2,500") << 2500 << 2499 << false;
    QTest::newRow("twice as long: the handle shrinks") << 40 << 80 << true;
    QTest::newRow("a short list grows a scroll bar") << 3 << 60 << true;
    QTest::newRow("the list emptied") << 60 << 0 << true;
}

void TestListBox::scrollBarRepaintsWhenItsHandleMoves()
{
    QFETCH(int, rowsBefore);
    QFETCH(int, rowsAfter);
    QFETCH(bool, repaints);
    QListView list;
    Ui::setUpListBox(&list);
    list.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Ui::TextListModel model;
    model.setTexts(names(rowsBefore));
    list.setModel(&model);
    list.resize(150, 200);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QCoreApplication::processEvents();

    const QImage before = list.verticalScrollBar()->grab().toImage();
    PaintCounter counter;
    list.verticalScrollBar()->installEventFilter(&counter);
    if (rowsAfter == rowsBefore + 1)
        model.insertText(rowsBefore / 2, QStringLiteral("Late entrant"));
    else if (rowsAfter == rowsBefore - 1)
        model.removeText(rowsBefore / 2);
    else
        model.setTexts(names(rowsAfter));
    // The list lays itself out at its next turn of the event loop, then repaints.
    QTest::qWait(50);
    QCOMPARE(counter.paints > 0, repaints);
    list.verticalScrollBar()->removeEventFilter(&counter);
    // What it shows is what a bar painted afresh shows.
    const QImage after = list.verticalScrollBar()->grab().toImage();
    QCOMPARE(after == before, !repaints);
}

void TestListBox::longTextIsElided()
{
    QListView list;
    Ui::setUpListBox(&list);
    Ui::TextListModel model;
    const QString longName = QStringLiteral("Wolfeschlegelsteinhausenbergerdorff, Hubert");
    model.setTexts({longName, QStringLiteral("Ng, Al")});
    list.setModel(&model);
    list.resize(120, 80);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    // The long row is drawn to the list's edge; the short one ends well before it.
    const QImage image = list.viewport()->grab().toImage();
    const QRect longRow = list.visualRect(model.index(0));
    const QRect shortRow = list.visualRect(model.index(1));
    const auto lastInk = [&](const QRect &row) {
        const QRgb background = image.pixel(row.right() - 1, row.top() + 1);
        int last = -1;
        for (int x = row.left(); x < qMin(row.right(), image.width()); ++x) {
            for (int y = row.top(); y <= row.bottom() && y < image.height(); ++y) {
                if (image.pixel(x, y) != background)
                    last = x;
            }
        }
        return last;
    };
    QVERIFY(lastInk(longRow) > list.viewport()->width() - 20);
    QVERIFY(lastInk(shortRow) < list.viewport()->width() / 2);
}

QTEST_MAIN(TestListBox)
#include "tst_listbox.moc"
