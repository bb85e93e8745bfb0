#include "players/playerfileactions.h"

#include "core/errorpath.h"
#include "players/importpreviewdialog.h"
#include "players/playerfile.h"
#include "players/playerimport.h"
#include "players/storedplayers.h"
#include "ui/messagebox.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QPointer>
#include <QProgressDialog>

#include <utility>

namespace Zuvi::Players {

namespace {

FileChooser &chooserSlot()
{
    static FileChooser chooser;
    return chooser;
}

QString chooseFile(QWidget *parent, FileChoice choice)
{
    if (const FileChooser &chooser = chooserSlot())
        return chooser(parent, choice);
    if (choice == FileChoice::Import)
        return QFileDialog::getOpenFileName(
            parent, QStringLiteral("Import Players"), QDir::homePath(),
            QStringLiteral("Player files (*.mdb *.accdb *.csv);;Access databases (*.mdb "
                           "*.accdb);;CSV files (*.csv);;All files (*)"));
    return QFileDialog::getSaveFileName(
        parent, QStringLiteral("Export Players"),
        QDir(QDir::homePath()).filePath(QStringLiteral("players.csv")),
        QStringLiteral("CSV files (*.csv);;All files (*)"));
}

// A wait cursor for the length of a scope.
class BusyCursor final
{
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    Q_DISABLE_COPY_MOVE(BusyCursor)
};

} // namespace

FileChooser setFileChooser(FileChooser chooser)
{
    return std::exchange(chooserSlot(), std::move(chooser));
}

void importPlayers(QWidget *parent, const std::function<void()> &afterImport)
{
    const QString file = chooseFile(parent, FileChoice::Import);
    if (file.isEmpty())
        return;
    PlayerTable table;
    ImportPreview preview;
    try {
        const BusyCursor busy;
        table = readPlayerFile(file);
        preview = onStoredPlayers([&](auto &players) { return previewImport(players, table); });
    } catch (const FileError &error) {
        Ui::message(parent,
                    QStringLiteral("The players cannot be imported from %1").arg(error.text()));
        return;
    }

    ImportPreviewDialog dialog(file, table, preview, parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const Repeats repeats = dialog.repeats();

    QProgressDialog progress(
        QStringLiteral("Importing players…"), QStringLiteral("Cancel"), 0,
        int(preview.newPlayers + (repeats == Repeats::Import ? preview.repeats : 0)), parent);
    progress.setObjectName(QStringLiteral("ImportProgress"));
    progress.setWindowTitle(QStringLiteral("Import Players"));
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(400);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    ImportResult result;
    result = onStoredPlayers([&](auto &players) {
        return runImport(
            players, table,
            [&](qsizetype done, qsizetype total) {
                progress.setMaximum(int(total));
                progress.setValue(int(done));
                return !progress.wasCanceled();
            },
            repeats);
    });
    progress.close();
    if (result.canceled) {
        Ui::message(parent, QStringLiteral("The import was cancelled: no player was imported."));
        return;
    }
    Ui::message(parent, importSummary(result));
    if (afterImport && result.imported > 0)
        afterImport();
}

void exportPlayers(QWidget *parent)
{
    const QString file = chooseFile(parent, FileChoice::Export);
    if (file.isEmpty())
        return;
    // Passwords leave the database only when the organiser says so; Return and Escape
    // leave them out.
    const Passwords passwords =
        Ui::ask(parent,
                QStringLiteral("Write the players' passwords into %1 as well? Anyone who can "
                               "read the file can then read them.")
                    .arg(file),
                Ui::DefaultAnswer::No)
            ? Passwords::Included
            : Passwords::LeftOut;
    qsizetype count = 0;
    try {
        const BusyCursor busy;
        count = onStoredPlayers(
            [&](auto &players) { return exportPlayersCsv(players, file, passwords); });
    } catch (const FileError &error) {
        Ui::message(parent,
                    QStringLiteral("The players cannot be exported to %1").arg(error.text()));
        return;
    }
    Ui::message(parent, exportSummary(count, file));
}

QList<QAction *> createPlayerFileActions(QWidget *parent, std::function<void()> afterImport)
{
    auto *import = new QAction(QStringLiteral("&Import players…"), parent);
    import->setObjectName(QStringLiteral("ImportPlayers"));
    import->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_I));
    import->setShortcutContext(Qt::WindowShortcut);
    QPointer<QWidget> owner(parent);
    QObject::connect(import, &QAction::triggered, parent,
                     Core::guarded([owner, afterImport = std::move(afterImport)] {
                         importPlayers(owner, afterImport);
                     }));

    auto *exportAction = new QAction(QStringLiteral("&Export players…"), parent);
    exportAction->setObjectName(QStringLiteral("ExportPlayers"));
    exportAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_X));
    exportAction->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(exportAction, &QAction::triggered, parent,
                     Core::guarded([owner] { exportPlayers(owner); }));
    return {import, exportAction};
}

} // namespace Zuvi::Players
