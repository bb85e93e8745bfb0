#include "publish/publishactions.h"

#include "core/errorpath.h"
#include "publish/bigscreen.h"
#include "publish/bigscreenowner.h"
#include "publish/csvexport.h"
#include "publish/pagecode.h"
#include "publish/playercards.h"
#include "tournament/tournamentprogress.h"
#include "ui/accessibility.h"
#include "ui/apptitle.h"
#include "ui/messagebox.h"

#include <QAction>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace Zuvi::Publish {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("Zuvi::Publish::Actions", text);
}

PublishDialogs &installedDialogs()
{
    static PublishDialogs dialogs;
    return dialogs;
}

/// The list of documents with the commands' buttons; a document with nothing in it is shown
/// greyed, with the reason as its tip.
std::optional<DocumentChoice> runDocumentDialog(QWidget *parent, const Snapshot &snapshot,
                                                bool forExport)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("PublishDocumentDialog"));
    dialog.setWindowTitle(Ui::appTitle());
    auto *layout = new QVBoxLayout(&dialog);
    auto *caption =
        new QLabel(forExport ? tr("Export which document?") : tr("Print which document?"), &dialog);
    layout->addWidget(caption);
    auto *list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("Documents"));
    Ui::speakAs(list, caption, tr("Documents"), QChar(), caption->text());
    list->setUniformItemSizes(true);
    const QList<DocumentKind> kinds = allDocuments();
    int firstUsable = -1;
    for (qsizetype i = 0; i < kinds.size(); ++i) {
        auto *item = new QListWidgetItem(documentName(kinds.at(i)), list);
        if (const std::optional<QString> nothing = nothingToShow(kinds.at(i), snapshot)) {
            item->setFlags(item->flags() & ~Qt::ItemIsEnabled);
            item->setToolTip(*nothing);
            // Readers hear why, as the greyed row shows it.
            item->setData(Qt::AccessibleDescriptionRole, *nothing);
        } else if (firstUsable < 0) {
            firstUsable = int(i);
        }
    }
    if (firstUsable < 0) {
        Ui::message(parent, tr("There is nothing to print or export yet."));
        return std::nullopt;
    }
    list->setCurrentRow(firstUsable);
    layout->addWidget(list);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, &dialog);
    bool preview = false;
    if (forExport) {
        buttons->addButton(tr("Export…"), QDialogButtonBox::AcceptRole);
    } else {
        buttons->addButton(tr("Print…"), QDialogButtonBox::AcceptRole);
        QPushButton *previewButton =
            buttons->addButton(tr("Preview…"), QDialogButtonBox::ActionRole);
        QObject::connect(previewButton, &QPushButton::clicked, &dialog, [&] {
            preview = true;
            dialog.accept();
        });
    }
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted || list->currentRow() < 0)
        return std::nullopt;
    return DocumentChoice{kinds.at(list->currentRow()), preview};
}

QString suggestedFileName(DocumentKind kind)
{
    switch (kind) {
    case DocumentKind::PairingsByTable:
        return QStringLiteral("pairings.pdf");
    case DocumentKind::PairingsByName:
        return QStringLiteral("pairings-by-name.pdf");
    case DocumentKind::MatchSlips:
        return QStringLiteral("match-slips.pdf");
    case DocumentKind::Standings:
        return QStringLiteral("standings.pdf");
    case DocumentKind::Games:
        return QStringLiteral("games.csv");
    }
    return QStringLiteral("zuvi.pdf");
}

QString runFileDialog(QWidget *parent, DocumentKind kind)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString pdf = tr("PDF document (*.pdf)");
    const QString csv = tr("CSV table (*.csv)");
    const QString suggested = suggestedFileName(kind);
    QString filter = suggested.endsWith(QStringLiteral(".csv")) ? csv : pdf;
    const QString filters =
        kind == DocumentKind::MatchSlips ? pdf : pdf + QStringLiteral(";;") + csv;
    QString path = QFileDialog::getSaveFileName(parent, tr("Export %1").arg(documentName(kind)),
                                                QDir(folder).filePath(suggested), filters, &filter);
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += filter == csv ? QStringLiteral(".csv") : QStringLiteral(".pdf");
    return path;
}

std::optional<DocumentChoice> chooseDocument(QWidget *parent, const Snapshot &snapshot,
                                             bool forExport)
{
    if (installedDialogs().chooseDocument)
        return installedDialogs().chooseDocument(parent, snapshot, forExport);
    return runDocumentDialog(parent, snapshot, forExport);
}

QString chooseFile(QWidget *parent, DocumentKind kind)
{
    if (installedDialogs().chooseFile)
        return installedDialogs().chooseFile(parent, kind);
    return runFileDialog(parent, kind);
}

// The document the organiser chose, where it has something to show; a document with
// nothing in it is refused with a message instead.
std::optional<DocumentChoice> chooseShowableDocument(QWidget *parent, const Snapshot &snapshot,
                                                     bool forExport)
{
    std::optional<DocumentChoice> choice = chooseDocument(parent, snapshot, forExport);
    if (!choice)
        return std::nullopt;
    if (const std::optional<QString> nothing = nothingToShow(choice->kind, snapshot)) {
        Ui::message(parent, *nothing);
        return std::nullopt;
    }
    return choice;
}

void printCommand(QWidget *parent, TournamentProgress *progress)
{
    const Snapshot snapshot = takeSnapshot(*progress);
    const std::optional<DocumentChoice> choice = chooseShowableDocument(parent, snapshot, false);
    if (!choice)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(documentTitle(choice->kind, snapshot));
    printer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    if (choice->preview) {
        QPrintPreviewDialog preview(&printer, parent);
        QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                         [&](QPrinter *target) { paintDocument(choice->kind, snapshot, *target); });
        preview.exec();
        return;
    }
    QPrintDialog dialog(&printer, parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (!paintDocument(choice->kind, snapshot, printer))
        Ui::message(parent, tr("The document could not be printed."));
}

std::optional<bool> runCardsChoice(QWidget *parent)
{
    if (installedDialogs().chooseCardsPdf)
        return installedDialogs().chooseCardsPdf(parent);
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("PlayerCardsDialog"));
    dialog.setWindowTitle(Ui::appTitle());
    auto *layout = new QVBoxLayout(&dialog);
    auto *caption = new QLabel(tr("Each card carries its player's personal code: hand every "
                                  "player their own card only."),
                               &dialog);
    caption->setWordWrap(true);
    layout->addWidget(caption);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, &dialog);
    bool pdf = false;
    QPushButton *print = buttons->addButton(tr("Preview…"), QDialogButtonBox::AcceptRole);
    print->setObjectName(QStringLiteral("CardsPreview"));
    QPushButton *write = buttons->addButton(tr("Write as PDF…"), QDialogButtonBox::ActionRole);
    write->setObjectName(QStringLiteral("CardsPdf"));
    QObject::connect(write, &QPushButton::clicked, &dialog, [&] {
        pdf = true;
        dialog.accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return pdf;
}

QString runCardsFileDialog(QWidget *parent)
{
    if (installedDialogs().chooseCardsFile)
        return installedDialogs().chooseCardsFile(parent);
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString path = QFileDialog::getSaveFileName(parent, tr("Export Player cards"),
                                                QDir(folder).filePath(QStringLiteral("cards.pdf")),
                                                tr("PDF document (*.pdf)"));
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    return path;
}

void exportCommand(QWidget *parent, TournamentProgress *progress)
{
    const Snapshot snapshot = takeSnapshot(*progress);
    const std::optional<DocumentChoice> choice = chooseShowableDocument(parent, snapshot, true);
    if (!choice)
        return;
    const QString path = chooseFile(parent, choice->kind);
    if (path.isEmpty())
        return;
    if (const std::optional<QString> error = exportDocument(choice->kind, snapshot, path))
        Ui::message(parent,
                    tr("%1 could not be written: %2").arg(QDir::toNativeSeparators(path), *error));
}

} // namespace

namespace {

Snapshot snapshotWith(const TournamentProgress &progress,
                      const QList<Progress::StandingsRow> &standings)
{
    const std::optional<qint16> rounds = progress.rounds();
    Snapshot snapshot =
        makeSnapshot(progress.state(), standings,
                     rounds ? std::optional<int>(*rounds) : std::nullopt, progress.over());
    snapshot.pageAddress = PageAddress::instance().address();
    return snapshot;
}

} // namespace

Snapshot takeSnapshot(const TournamentProgress &progress)
{
    const Progress::State &state = progress.state();
    // Without stored progress the standings table may still hold a tournament's rows: they
    // are shown as stored. A registration under way has no standings yet.
    return snapshotWith(progress, state.started || state.entrants.isEmpty()
                                      ? progress.standings()
                                      : QList<Progress::StandingsRow>());
}

Snapshot roomSnapshot(const TournamentProgress &progress)
{
    const bool published = progress.pairingPublished();
    // While the room is shown a pairing it is not shown the standings: they are not read.
    if (progress.roundOpen() && published)
        return snapshotWith(progress, {});
    return roomView(takeSnapshot(progress), published);
}

std::optional<QString> exportDocument(DocumentKind kind, const Snapshot &snapshot,
                                      const QString &path)
{
    if (const std::optional<QString> nothing = nothingToShow(kind, snapshot))
        return nothing;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QStringLiteral("pdf"))
        return writePdf(kind, snapshot, path);
    if (suffix == QStringLiteral("csv"))
        return writeCsv(kind, snapshot, path);
    return tr("The file's name must end in .pdf or .csv.");
}

BigScreen *bigScreenOf(const TournamentProgress *progress)
{
    const BigScreenOwner *owner = progress ? BigScreenOwner::of(progress, false) : nullptr;
    return owner ? owner->screen() : nullptr;
}

PublishDialogs setPublishDialogs(PublishDialogs dialogs)
{
    return std::exchange(installedDialogs(), std::move(dialogs));
}

QList<QAction *> createReviewActions(QWidget *parent, TournamentProgress *progress)
{
    auto *review = new QAction(tr("Review pairings before publishing"), parent);
    review->setObjectName(QStringLiteral("ReviewPairings"));
    review->setCheckable(true);
    auto *publish = new QAction(tr("Publish pairings"), parent);
    publish->setObjectName(QStringLiteral("PublishPairings"));
    publish->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_U));
    publish->setShortcutContext(Qt::WindowShortcut);
    publish->setShortcutVisibleInContextMenu(true);
    const QPointer<TournamentProgress> model(progress);
    const auto follow = [review, publish, model] {
        if (!model)
            return;
        const QSignalBlocker block(review);
        review->setChecked(model->reviewPairings());
        publish->setEnabled(model->roundOpen() && !model->pairingPublished());
    };
    QObject::connect(review, &QAction::toggled, parent, [model, follow](bool on) {
        Core::runGuarded([&] {
            if (model)
                model->setReviewPairings(on);
        });
        follow();
    });
    QObject::connect(publish, &QAction::triggered, parent, Core::guarded([model] {
                         if (model)
                             model->publishPairing();
                     }));
    QObject::connect(progress, &TournamentProgress::publishedChanged, review, follow);
    QObject::connect(progress, &TournamentProgress::roundChanged, review, follow);
    QObject::connect(progress, &TournamentProgress::pairingChanged, review, follow);
    follow();
    parent->addAction(publish);
    return {review, publish};
}

QList<QAction *> createReportActions(QWidget *parent, TournamentProgress *progress)
{
    auto *take = new QAction(tr("Take results from the players' page"), parent);
    take->setObjectName(QStringLiteral("TakeReports"));
    take->setCheckable(true);
    auto *confirm = new QAction(tr("Confirm reports at the desk"), parent);
    confirm->setObjectName(QStringLiteral("ConfirmReports"));
    confirm->setCheckable(true);
    const QPointer<TournamentProgress> model(progress);
    const auto follow = [take, confirm, model] {
        if (!model)
            return;
        const QSignalBlocker blockTake(take);
        const QSignalBlocker blockConfirm(confirm);
        take->setChecked(model->takeReports());
        confirm->setChecked(model->confirmReports());
        confirm->setEnabled(model->takeReports());
    };
    QObject::connect(take, &QAction::toggled, parent, [model, follow](bool on) {
        Core::runGuarded([&] {
            if (model)
                model->setTakeReports(on);
        });
        follow();
    });
    QObject::connect(confirm, &QAction::toggled, parent, [model, follow](bool on) {
        Core::runGuarded([&] {
            if (model)
                model->setConfirmReports(on);
        });
        follow();
    });
    QObject::connect(progress, &TournamentProgress::reportsChanged, take, follow);
    follow();
    return {take, confirm};
}

void playerCardsCommand(QWidget *parent, TournamentProgress *progress, const QString &only)
{
    progress->ensurePlayerCodes();
    const QList<PlayerCard> cards =
        playerCards(progress->state(), PageAddress::instance().address(), only);
    if (cards.isEmpty()) {
        Ui::message(parent, tr("No player is entered yet: there are no cards to print."));
        return;
    }
    const std::optional<bool> pdf = runCardsChoice(parent);
    if (!pdf)
        return;
    if (*pdf) {
        const QString path = runCardsFileDialog(parent);
        if (path.isEmpty())
            return;
        if (const std::optional<QString> error = writeCardsPdf(cards, path))
            Ui::message(
                parent,
                tr("%1 could not be written: %2").arg(QDir::toNativeSeparators(path), *error));
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(tr("Player cards"));
    printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    QPrintPreviewDialog preview(&printer, parent);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&](QPrinter *target) { paintCards(cards, *target); });
    preview.exec();
}

QList<QAction *> createCardActions(QWidget *parent, TournamentProgress *progress)
{
    auto *cards = new QAction(tr("Player cards…"), parent);
    cards->setObjectName(QStringLiteral("PlayerCards"));
    cards->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K));
    cards->setShortcutContext(Qt::WindowShortcut);
    cards->setShortcutVisibleInContextMenu(true);
    QObject::connect(cards, &QAction::triggered, parent,
                     Core::guarded([parent, progress] { playerCardsCommand(parent, progress); }));
    parent->addAction(cards);
    return {cards};
}

QList<QAction *> createPublishActions(QWidget *parent, TournamentProgress *progress)
{
    auto *print = new QAction(tr("Print…"), parent);
    print->setObjectName(QStringLiteral("PrintAction"));
    print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    QObject::connect(print, &QAction::triggered, parent,
                     Core::guarded([parent, progress] { printCommand(parent, progress); }));

    auto *exportAction = new QAction(tr("Export…"), parent);
    exportAction->setObjectName(QStringLiteral("ExportAction"));
    exportAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    QObject::connect(exportAction, &QAction::triggered, parent,
                     Core::guarded([parent, progress] { exportCommand(parent, progress); }));

    auto *screen = new QAction(tr("Show on second screen"), parent);
    screen->setObjectName(QStringLiteral("BigScreenAction"));
    screen->setShortcut(QKeySequence(Qt::Key_F11));
    QObject::connect(screen, &QAction::triggered, parent, Core::guarded([parent, progress] {
                         BigScreenOwner::of(progress, true)->showOrToggle(parent);
                     }));

    const QList<QAction *> actions = {print, exportAction, screen};
    for (QAction *action : actions) {
        action->setShortcutContext(Qt::WindowShortcut);
        action->setShortcutVisibleInContextMenu(true);
    }
    parent->addActions(actions);
    return actions;
}

} // namespace Zuvi::Publish
