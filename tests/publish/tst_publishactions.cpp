// The commands a window's context menu offers: Print… (Ctrl+P), Export… (Ctrl+Shift+E) and
// Show on second screen (F11), driven through their shortcuts with the dialogs replaced.

#include "publish/bigscreen.h"
#include "publish/publishactions.h"
#include "support/rowgame.h"
#include "support/testsupport.h"
#include "tournament/tournamentprogress.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>

using namespace Zuvi;
using namespace Zuvi::Publish;

Q_DECLARE_METATYPE(Zuvi::Publish::DocumentKind)

class TestPublishActions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void actionsCarryTheirShortcuts();
    void exportWritesTheChosenFile_data();
    void exportWritesTheChosenFile();
    void nothingToExportIsSaid_data();
    void nothingToExportIsSaid();
    void fileThatCannotBeWrittenIsSaid();
    void secondScreenOpensOnceAndTogglesFullScreen();

private:
    /// Presses the keys on the organiser's window, as the organiser does.
    void press(QKeySequence keys);

    std::unique_ptr<Test::TempInstall> m_install;
    std::unique_ptr<Test::MessageLog> m_log;
    std::unique_ptr<TournamentProgress> m_progress;
    std::unique_ptr<QWidget> m_window;
    QList<QAction *> m_actions;
    std::optional<DocumentChoice> m_choice;
    QString m_file;
    int m_filesAsked = 0;
};

void TestPublishActions::init()
{
    m_install = std::make_unique<Test::TempInstall>();
    m_log = std::make_unique<Test::MessageLog>();
    m_progress = std::make_unique<TournamentProgress>();
    m_window = std::make_unique<QWidget>();
    new QLineEdit(m_window.get());
    m_actions = createPublishActions(m_window.get(), m_progress.get());
    m_window->show();
    QApplication::setActiveWindow(m_window.get());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    m_filesAsked = 0;
    PublishDialogs dialogs;
    dialogs.chooseDocument = [this](QWidget *, const Snapshot &, bool) { return m_choice; };
    dialogs.chooseFile = [this](QWidget *, DocumentKind) {
        ++m_filesAsked;
        return m_file;
    };
    setPublishDialogs(dialogs);
}

void TestPublishActions::cleanup()
{
    setPublishDialogs({});
    m_window.reset();
    m_progress.reset();
    m_log.reset();
    m_install.reset();
}

void TestPublishActions::press(QKeySequence keys)
{
    QTest::keySequence(m_window.get(), keys);
}

void TestPublishActions::actionsCarryTheirShortcuts()
{
    QCOMPARE(m_actions.size(), 3);
    QCOMPARE(m_actions[0]->text(), QStringLiteral("Print…"));
    QCOMPARE(m_actions[0]->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
    QCOMPARE(m_actions[1]->text(), QStringLiteral("Export…"));
    QCOMPARE(m_actions[1]->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+E")));
    QCOMPARE(m_actions[2]->text(), QStringLiteral("Show on second screen"));
    QCOMPARE(m_actions[2]->shortcut(), QKeySequence(QStringLiteral("F11")));
    for (QAction *action : std::as_const(m_actions)) {
        QVERIFY(m_window->actions().contains(action));
        QVERIFY(action->isShortcutVisibleInContextMenu());
    }
}

void TestPublishActions::exportWritesTheChosenFile_data()
{
    QTest::addColumn<DocumentKind>("kind");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("starts");

    QTest::newRow("standings as PDF")
        << DocumentKind::Standings << "standings.pdf" << QByteArray("%PDF");
    QTest::newRow("pairings as CSV, capital extension")
        << DocumentKind::PairingsByTable << "pairings.CSV" << QByteArray("\"round\",\"table\"");
    QTest::newRow("slips as PDF") << DocumentKind::MatchSlips << "slips.pdf" << QByteArray("%PDF");
    QTest::newRow("games as CSV") << DocumentKind::Games << "games.csv"
                                  << QByteArray("\"round\",\"table\",\"player1\"");
}

void TestPublishActions::exportWritesTheChosenFile()
{
    QFETCH(DocumentKind, kind);
    QFETCH(QString, file);
    QFETCH(QByteArray, starts);
    m_progress->setRandomSource([] { return 0.0; });
    for (const char *name : {"Abel", "Baker", "Cole"})
        m_progress->addEntrant(QString::fromUtf8(name), QStringLiteral("Stark"));
    m_progress->startRound(QStringLiteral("3"));
    Test::recordAtRow(*m_progress, 0, QStringLiteral("Full Win"), 3, 1);
    m_choice = DocumentChoice{kind, false};
    m_file = QDir(m_install->folder()).filePath(file);
    press(QKeySequence(QStringLiteral("Ctrl+Shift+E")));
    QCOMPARE(m_log->texts(), QStringList());
    QFile written(m_file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY2(written.readAll().startsWith(starts), qPrintable(m_file));
}

void TestPublishActions::nothingToExportIsSaid_data()
{
    QTest::addColumn<DocumentKind>("kind");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("message");

    QTest::newRow("export standings before the start")
        << DocumentKind::Standings << "Ctrl+Shift+E"
        << "There are no standings: the tournament has not started.";
    QTest::newRow("print pairings before the start")
        << DocumentKind::PairingsByName << "Ctrl+P"
        << "There is no pairing: no round is being played.";
    QTest::newRow("export games before any") << DocumentKind::Games << "Ctrl+Shift+E"
                                             << "There are no games: none has been recorded.";
}

void TestPublishActions::nothingToExportIsSaid()
{
    QFETCH(DocumentKind, kind);
    QFETCH(QString, keys);
    QFETCH(QString, message);
    m_choice = DocumentChoice{kind, false};
    m_file = QDir(m_install->folder()).filePath(QStringLiteral("out.pdf"));
    press(QKeySequence(keys));
    QCOMPARE(m_log->texts(), QStringList{message});
    QCOMPARE(m_filesAsked, 0);
    QVERIFY(!QFile::exists(m_file));
}

void TestPublishActions::fileThatCannotBeWrittenIsSaid()
{
    m_progress->addEntrant(QStringLiteral("Abel"), QStringLiteral("Stark"));
    m_progress->startRound(QStringLiteral("3"));
    m_choice = DocumentChoice{DocumentKind::Standings, false};
    for (const QString &name :
         {QStringLiteral("missing/standings.pdf"), QStringLiteral("Tourny.db/standings.csv"),
          QStringLiteral("standings.txt")}) {
        m_log->clear();
        m_file = QDir(m_install->folder()).filePath(name);
        m_actions[1]->trigger();
        QCOMPARE(m_log->texts().size(), 1);
        QVERIFY2(m_log->last().startsWith(QDir::toNativeSeparators(m_file) +
                                          QStringLiteral(" could not be written: ")),
                 qPrintable(m_log->last()));
        QVERIFY(!QFile::exists(m_file));
    }
    QVERIFY(m_log->last().endsWith(QStringLiteral("must end in .pdf or .csv.")));
    QCOMPARE(m_log->ends(), 0);
}

void TestPublishActions::secondScreenOpensOnceAndTogglesFullScreen()
{
    QVERIFY(!bigScreenOf(m_progress.get()));
    press(QKeySequence(Qt::Key_F11));
    BigScreen *screen = bigScreenOf(m_progress.get());
    QVERIFY(screen);
    QVERIFY(QTest::qWaitForWindowExposed(screen));
    QVERIFY(!screen->isFullScreen()); // one screen only: a normal window first
    QTRY_COMPARE(QApplication::activeWindow(), m_window.get());

    // A second window's actions share the one screen; F11 again goes full screen and back.
    QWidget other;
    const QList<QAction *> otherActions = createPublishActions(&other, m_progress.get());
    otherActions[2]->trigger();
    QCOMPARE(bigScreenOf(m_progress.get()), screen);
    QVERIFY(screen->isFullScreen());
    press(QKeySequence(Qt::Key_F11));
    QVERIFY(!screen->isFullScreen());
    QTRY_COMPARE(QApplication::activeWindow(), m_window.get());

    // Closed, it goes; F11 opens a new one.
    screen->close();
    QTRY_VERIFY(!bigScreenOf(m_progress.get()));
    press(QKeySequence(Qt::Key_F11));
    QVERIFY(bigScreenOf(m_progress.get()));
}

QTEST_MAIN(TestPublishActions)
#include "tst_publishactions.moc"
