// Names are shown as the organiser typed them: a player named with markup in it is shown
// with the brackets in every message box, question, dialog and window label, never
// formatted (a player named "<b>markup</b>" was once shown in bold).

#include "support/roundfixture.h"

#include "players/importpreviewdialog.h"
#include "players/playerfile.h"
#include "ui/messagebox.h"
#include "ui/textlistmodel.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QTableView>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

#include <algorithm>

using namespace Zuvi;
using namespace Zuvi::Test;

namespace {

const Entrant kMarkup{QStringLiteral("<b>markup</b>"), QStringLiteral("<i>Doe</i>"),
                      QStringLiteral("<font color=red>Stark</font>")};

/// The labels shown in a window or dialog that show text in any format but plain.
QStringList formattedLabels(const QWidget &widget)
{
    QStringList names;
    for (const QLabel *label : widget.findChildren<QLabel *>()) {
        if (label->isVisible() && !label->text().isEmpty() && label->textFormat() != Qt::PlainText)
            names.append(label->objectName() + QLatin1Char(' ') + label->text());
    }
    return names;
}

/// What a tool tip shows of its text: a text that looks like markup is read as rich text.
QString shownToolTip(const QString &tip)
{
    if (!Qt::mightBeRichText(tip))
        return tip;
    QTextDocument document;
    document.setHtml(tip);
    return document.toPlainText();
}

} // namespace

class TestPlainText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void messageBoxShowsMarkupAsTyped_data();
    void messageBoxShowsMarkupAsTyped();
    void roundWindowShowsMarkupNamesAsTyped();
    void mergeDialogShowsMarkupNamesAsTyped();
    void toolTipsShowMarkupAsTyped_data();
    void toolTipsShowMarkupAsTyped();
};

void TestPlainText::messageBoxShowsMarkupAsTyped_data()
{
    QTest::addColumn<bool>("question");
    QTest::newRow("message") << false;
    QTest::newRow("question") << true;
}

void TestPlainText::messageBoxShowsMarkupAsTyped()
{
    // The real box, not the test seam: it is looked at while it is open, then closed.
    QFETCH(bool, question);
    const QString text =
        QStringLiteral("%1 asks from the table to drop out of the tournament.").arg(kMarkup.name());
    QString shown;
    Qt::TextFormat format = Qt::AutoText;
    QTimer::singleShot(0, qApp, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        const auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
        if (label) {
            shown = label->text();
            format = label->textFormat();
        }
        box->reject();
    });
    if (question)
        Ui::ask(nullptr, text, Ui::DefaultAnswer::No);
    else
        Ui::message(nullptr, text);
    QCOMPARE(shown, text);
    QCOMPARE(format, Qt::PlainText);
}

void TestPlainText::roundWindowShowsMarkupNamesAsTyped()
{
    RoundFixture fixture({kMarkup, kB});
    Tournament *round = fixture.startRound();
    QVERIFY(round);
    clickRow(round->MatchList1(), 0);
    QCOMPARE(control<QLabel>(*round, "Player1")->text(), kMarkup.name());
    QCOMPARE(formattedLabels(*round), QStringList());
    const QStringList formatted = formattedLabels(*fixture.throne);
    QVERIFY2(formatted.isEmpty(), qPrintable(formatted.join(QLatin1Char('|'))));
}

void TestPlainText::mergeDialogShowsMarkupNamesAsTyped()
{
    RoundFixture fixture({kMarkup, kB}, 0);
    Throne &throne = *fixture.throne;
    auto *merge = throne.findChild<QAction *>(QStringLiteral("MergeHistory"));
    QVERIFY(merge);
    const QStringList stored = listTexts(throne.StoredPlayers());
    const auto markupRow = std::find_if(stored.begin(), stored.end(), [](const QString &text) {
        return text.contains(QStringLiteral("<b>markup</b>"));
    });
    QVERIFY(markupRow != stored.end());
    clickRow(throne.StoredPlayers(), int(markupRow - stored.begin()));
    QStringList formatted{QStringLiteral("not looked at")};
    QString shown;
    whenDialogOpens("MergeHistoryDialog", [&](QDialog &dialog) {
        formatted = formattedLabels(dialog);
        for (const QLabel *label : dialog.findChildren<QLabel *>()) {
            if (label->text().endsWith(QStringLiteral(" is the same person as:")))
                shown = label->text();
        }
    });
    merge->trigger();
    QCOMPARE(shown, *markupRow + QStringLiteral(" is the same person as:"));
    QCOMPARE(formatted, QStringList());
}

void TestPlainText::toolTipsShowMarkupAsTyped_data()
{
    // A list's note (a drop request names the entrant) and a cell of the import preview
    // (a value of the file) are shown in tool tips.
    QTest::addColumn<QString>("text");
    QTest::newRow("markup name") << kMarkup.name() + QStringLiteral(" asks to drop");
    QTest::newRow("entity") << QStringLiteral("Tom &amp; Jerry");
    QTest::newRow("line break tag") << QStringLiteral("Ann<br>Bob");
    QTest::newRow("plain name") << QStringLiteral("Adams, Ann asks to drop");
}

void TestPlainText::toolTipsShowMarkupAsTyped()
{
    QFETCH(QString, text);
    Ui::TextListModel notes;
    notes.setTexts({QStringLiteral("Stark")});
    notes.setNotes({text});
    QCOMPARE(shownToolTip(notes.index(0).data(Qt::ToolTipRole).toString()), text);

    QVariantList player(Players::playerColumns().size());
    player[Players::kFirstName] = text;
    player[Players::kLastName] = QStringLiteral("Adams");
    Players::PlayerTable table;
    table.rows = {player};
    Players::ImportPreview preview;
    preview.newPlayers = 1;
    preview.firstRows = Players::rowValues(table.rows);
    preview.firstRowRepeats = {false};
    const Players::ImportPreviewDialog dialog(QStringLiteral("players.csv"), table, preview);
    const auto *rows = dialog.findChild<QTableView *>(QStringLiteral("Rows"));
    QVERIFY(rows);
    const QModelIndex cell = rows->model()->index(0, Players::kFirstName);
    QCOMPARE(cell.data(Qt::DisplayRole).toString(), text);
    QCOMPARE(shownToolTip(cell.data(Qt::ToolTipRole).toString()), text);
}

QTEST_MAIN(TestPlainText)
#include "tst_plaintext.moc"
