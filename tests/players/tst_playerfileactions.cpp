// "Import players…" and "Export players…" as the organiser reaches them in the player
// editor: the context menu and its shortcuts, the preview with OK and Cancel, the rows
// without a name and the repeated rows it shows, the records read anew after an import, a
// bad file's message, and the export.

#include "support/testsupport.h"

#include "data/installfolder.h"
#include "playereditor/datacontrol.h"
#include "playereditor/playerinfo.h"
#include "players/playerfileactions.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Zuvi;
using Zuvi::Test::MessageLog;
using Zuvi::Test::TempInstall;

namespace {

const QString kPlayers = Data::playersDatabase();

QString copyLegacy(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("players.mdb"));
    if (!QFile::copy(QStringLiteral(ZUVI_LEGACY_MDB), path))
        qFatal("cannot copy the legacy fixture");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

QAction *action(const QWidget *window, const char *name)
{
    for (QAction *candidate : window->actions()) {
        if (candidate->objectName() == QLatin1StringView(name))
            return candidate;
    }
    return nullptr;
}

// What the preview showed, and the button pressed on it.
struct Preview
{
    bool shown = false;
    QString summary;
    int rows = -1;
    bool okEnabled = false;
    // The headings of the rows shown.
    QStringList headings;
    // "Import the repeated rows too": shown, and ticked as the preview opened.
    bool repeatsShown = false;
    bool repeatsTicked = false;
};

// Answers the preview dialog as soon as it is open: reads it, ticks "Import the repeated
// rows too" if asked and presses button.
void answerPreview(Preview *seen, const QString &button, bool tickRepeats = false)
{
    QTimer::singleShot(10, qApp, [seen, button, tickRepeats] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || dialog->objectName() != QStringLiteral("ImportPreview")) {
            answerPreview(seen, button, tickRepeats);
            return;
        }
        seen->shown = true;
        seen->summary = dialog->findChild<QLabel *>(QStringLiteral("Summary"))->text();
        const QAbstractItemModel *rows =
            dialog->findChild<QTableView *>(QStringLiteral("Rows"))->model();
        seen->rows = rows->rowCount();
        for (int row = 0; row < rows->rowCount(); ++row)
            seen->headings.append(rows->headerData(row, Qt::Vertical).toString());
        auto *repeats = dialog->findChild<QCheckBox *>(QStringLiteral("ImportRepeats"));
        seen->repeatsShown = repeats->isVisibleTo(dialog);
        seen->repeatsTicked = repeats->isChecked();
        // A click on the box itself, at the left end of the control.
        if (tickRepeats)
            QTest::mouseClick(repeats, Qt::LeftButton, {}, QPoint(6, repeats->height() / 2));
        auto *ok = dialog->findChild<QPushButton *>(QStringLiteral("Ok"));
        seen->okEnabled = ok->isEnabled();
        QTest::mouseClick(dialog->findChild<QPushButton *>(button), Qt::LeftButton);
    });
}

// Restores the file dialogs when a test ends.
struct ChooserGuard
{
    explicit ChooserGuard(QString import, QString exportTo = {})
    {
        Players::setFileChooser([import, exportTo](QWidget *, Players::FileChoice choice) {
            return choice == Players::FileChoice::Import ? import : exportTo;
        });
    }
    ~ChooserGuard() { Players::setFileChooser({}); }
    Q_DISABLE_COPY_MOVE(ChooserGuard)
};

/// One stored player, Grace Hopper, the player editor shown over her record, a folder for
/// the files that the commands read and write, and the messages captured.
struct EditorOverOnePlayer
{
    EditorOverOnePlayer()
    {
        install.addPlayers({{QStringLiteral("Grace"), QStringLiteral("Hopper")}});
        editor = new PlayerInfo;
        editor->show();
    }
    Q_DISABLE_COPY_MOVE(EditorOverOnePlayer)

    QString filePath(const QString &name) const { return dir.filePath(name); }

    TempInstall install;
    QTemporaryDir dir;
    MessageLog log;
    PlayerInfo *editor = nullptr;
};

} // namespace

class TestPlayerFileActions final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void editorOffersBothCommands();
    void previewAnswerDecidesTheImport_data();
    void previewAnswerDecidesTheImport();
    void previewCountsNamelessAndRepeatedRows_data();
    void previewCountsNamelessAndRepeatedRows();
    void badFileIsShownAndEditorStaysUsable();
    void exportShortcutWritesTheFile();
};

void TestPlayerFileActions::editorOffersBothCommands()
{
    TempInstall install;
    MessageLog log;
    auto *editor = new PlayerInfo;
    QCOMPARE(editor->contextMenuPolicy(), Qt::ActionsContextMenu);
    QAction *import = action(editor, "ImportPlayers");
    QAction *exportAction = action(editor, "ExportPlayers");
    QVERIFY(import && exportAction);
    QCOMPARE(import->text(), QStringLiteral("&Import players…"));
    QCOMPARE(import->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+I")));
    QCOMPARE(exportAction->text(), QStringLiteral("&Export players…"));
    QCOMPARE(exportAction->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+X")));
    delete editor;
}

void TestPlayerFileActions::previewAnswerDecidesTheImport_data()
{
    QTest::addColumn<bool>("oneStored"); // one of the file's four players stored before
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("summary"); // how the preview's summary begins, after the path
    QTest::addColumn<int>("previewRows");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("stored"); // players stored afterwards, and records of the editor

    QTest::newRow("OK imports and shows the new records")
        << true << "Ok"
        << "3 players new, to be imported.\n1 player already stored" << 3
        << QStringList{"Imported 3 players; skipped 1 player already stored."} << 4;
    QTest::newRow("Cancel writes nothing")
        << false << "Cancel"
        << "4 players new, to be imported." << 4 << QStringList() << 0;
}

void TestPlayerFileActions::previewAnswerDecidesTheImport()
{
    QFETCH(bool, oneStored);
    QFETCH(QString, button);
    QFETCH(QString, summary);
    QFETCH(int, previewRows);
    QFETCH(QStringList, messages);
    QFETCH(int, stored);

    TempInstall install;
    if (oneStored) {
        install.exec(
            kPlayers,
            QStringLiteral("INSERT INTO PlayerInfo(\"First Name\", \"Last Name\", Email) "
                           "VALUES (?, ?, ?)"),
            {QStringLiteral("Zoë"), QStringLiteral("Ångström"), QStringLiteral("zoe@example.org")});
    }
    QTemporaryDir dir;
    const QString mdb = copyLegacy(dir);
    const ChooserGuard chooser(mdb);
    MessageLog log;
    auto *editor = new PlayerInfo;
    editor->show();
    QSignalSpy changed(editor, &PlayerInfo::playersChanged);
    QCOMPARE(editor->Adodc1()->recordCount(), oneStored ? 1 : 0);

    Preview seen;
    answerPreview(&seen, button);
    action(editor, "ImportPlayers")->trigger();

    QVERIFY(seen.shown);
    QVERIFY2(seen.summary.startsWith(mdb + QLatin1Char('\n') + summary), qPrintable(seen.summary));
    QCOMPARE(seen.rows, previewRows);
    QVERIFY(seen.okEnabled);
    QVERIFY(!seen.repeatsShown);
    QCOMPARE(log.texts(), messages);
    QCOMPARE(log.ends(), 0);
    // The records are read anew only after an import.
    QCOMPARE(changed.count(), button == QStringLiteral("Ok") ? 1 : 0);
    QCOMPARE(editor->Adodc1()->recordCount(), stored);
    QCOMPARE(install.rows(kPlayers, QStringLiteral("SELECT count(*) FROM PlayerInfo")),
             QList<QVariantList>{{stored}});
    editor->close();
}

void TestPlayerFileActions::previewCountsNamelessAndRepeatedRows_data()
{
    QTest::addColumn<bool>("tickRepeats");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("stored");
    QTest::newRow("repeats left unticked: the first of each only")
        << false
        << "Imported 2 players; skipped 0 players already stored, 2 rows that repeat an earlier "
           "row of the file and 1 row without a name."
        << QStringList{"Ada", "Alan"};
    QTest::newRow("repeats ticked: every row with a name")
        << true << "Imported 4 players; skipped 0 players already stored and 1 row without a name."
        << QStringList{"Ada", "Ada", "Alan", "Ada"};
}

void TestPlayerFileActions::previewCountsNamelessAndRepeatedRows()
{
    QFETCH(bool, tickRepeats);
    QFETCH(QString, message);
    QFETCH(QStringList, stored);
    TempInstall install;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("players.csv"));
    {
        QFile csv(file);
        QVERIFY(csv.open(QIODevice::WriteOnly));
        csv.write("First Name,Last Name,Email\n"
                  "Ada,Lovelace,ada@example.org\n"
                  "Ada, Lovelace,ada@example.org\n"
                  " , ,someone@example.org\n"
                  "Alan,Turing,\n"
                  "Ada,Lovelace,ada@example.org\n");
    }
    const ChooserGuard chooser(file);
    MessageLog log;
    auto *editor = new PlayerInfo;
    editor->show();

    Preview seen;
    answerPreview(&seen, QStringLiteral("Ok"), tickRepeats);
    action(editor, "ImportPlayers")->trigger();

    QVERIFY(seen.shown);
    QCOMPARE(seen.summary,
             file + QStringLiteral("\n2 players new, to be imported.\n0 players already stored "
                                   "(same first name, last name and e-mail), to be skipped.\n2 "
                                   "rows repeat an earlier row of the file (same first name, last "
                                   "name and e-mail), marked \"(repeat)\" below: imported only if "
                                   "\"Import the repeated rows too\" is ticked.\n1 row without a "
                                   "name is skipped.\nThe new players as they will be stored:"));
    QCOMPARE(seen.headings, (QStringList{"1", "2 (repeat)", "3", "4 (repeat)"}));
    QVERIFY(seen.repeatsShown);
    QVERIFY(!seen.repeatsTicked);
    QVERIFY(seen.okEnabled);
    QCOMPARE(log.texts(), QStringList{message});
    QCOMPARE(editor->Adodc1()->recordCount(), stored.size());
    QStringList names;
    for (const QVariantList &row : install.rows(
             kPlayers, QStringLiteral("SELECT \"First Name\" FROM PlayerInfo ORDER BY ID")))
        names.append(row.at(0).toString());
    QCOMPARE(names, stored);
    editor->close();
}

void TestPlayerFileActions::badFileIsShownAndEditorStaysUsable()
{
    EditorOverOnePlayer fixture;
    PlayerInfo *editor = fixture.editor;
    const QString file = fixture.filePath(QStringLiteral("players.csv"));
    {
        QFile csv(file);
        QVERIFY(csv.open(QIODevice::WriteOnly));
        csv.write("Name,Mail\nAda,ada@example.org\n");
    }
    const ChooserGuard chooser(file);

    action(editor, "ImportPlayers")->trigger();

    QCOMPARE(fixture.log.texts(),
             QStringList{QStringLiteral("The players cannot be imported from %1: no usable "
                                        "column: neither \"First Name\" nor \"Last Name\" is "
                                        "among its columns")
                             .arg(file)});
    QCOMPARE(fixture.log.ends(), 0);
    QVERIFY(editor->isVisible());
    QCOMPARE(editor->Adodc1()->recordCount(), 1);
    QCOMPARE(editor->findChild<QLineEdit *>(QStringLiteral("FirstName"))->text(),
             QStringLiteral("Grace"));
    editor->close();
}

void TestPlayerFileActions::exportShortcutWritesTheFile()
{
    EditorOverOnePlayer fixture;
    PlayerInfo *editor = fixture.editor;
    const QString file = fixture.filePath(QStringLiteral("export.csv"));
    const ChooserGuard chooser(QString(), file);
    QVERIFY(QTest::qWaitForWindowActive(editor));

    // The shortcut works while the organiser types in a box of the card.
    auto *first = editor->findChild<QLineEdit *>(QStringLiteral("FirstName"));
    first->setFocus();
    QTest::keyClick(first, Qt::Key_X, Qt::ControlModifier | Qt::ShiftModifier);

    QCOMPARE(fixture.log.texts(),
             QStringList{QStringLiteral("Exported 1 player to %1.").arg(file)});
    // Passwords are written only when the organiser says Yes; Return says No.
    QCOMPARE(fixture.log.questions(),
             QStringList{QStringLiteral("Write the players' passwords into %1 as well? Anyone "
                                        "who can read the file can then read them.")
                             .arg(file)});
    QVERIFY(fixture.log.questionDefaults().constLast() == Ui::DefaultAnswer::No);
    QVERIFY((QFile::permissions(file) & 0x0077).toInt() == 0);
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(written.readAll().endsWith("\r\n\"Grace\",\"Hopper\",,,,,,,,,,,,,0,\r\n"));
    QCOMPARE(first->text(), QStringLiteral("Grace"));
    editor->close();
}

QTEST_MAIN(TestPlayerFileActions)
#include "tst_playerfileactions.moc"
