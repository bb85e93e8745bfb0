#pragma once

#include "publish/documents.h"
#include "publish/snapshot.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

class QAction;
class QWidget;

namespace Zuvi {
class TournamentProgress;
}

namespace Zuvi::Publish {

class BigScreen;

/// The commands that put the tournament in front of the room, for a window's context menu:
/// "Print…" (Ctrl+P: choose a document, then the print dialog or its preview), "Export…"
/// (Ctrl+Shift+E: choose a document and a file; .pdf or .csv by the file's extension) and
/// "Show on second screen" (F11: opens the big screen; pressed again, it toggles the big
/// screen's full screen). The actions are added to parent as well, so that their shortcuts
/// work while parent is active; their handlers run under the application's error path.
/// Every window that calls this shares the one big screen of progress.
QList<QAction *> createPublishActions(QWidget *parent, TournamentProgress *progress);

/// The commands that hold a new pairing back from the room until the organiser has looked
/// at it: "Review pairings before publishing" (checkable, off by default) and "Publish
/// pairings" (Ctrl+Shift+U, enabled while a round's pairing waits). Each window that calls
/// this gets its own pair, kept in step with progress.
QList<QAction *> createReviewActions(QWidget *parent, TournamentProgress *progress);
/// "Take results from the players' page" and "Confirm reports at the desk" (checkable, off
/// by default), following the tournament's options.
QList<QAction *> createReportActions(QWidget *parent, TournamentProgress *progress);

/// "Player cards…" (Ctrl+Shift+K): every entrant's card with the personal code and the
/// private link to the players' page, printed through the preview or written as PDF.
QList<QAction *> createCardActions(QWidget *parent, TournamentProgress *progress);
/// Prints or writes the cards (only: the one entrant's); entrants without a code get one
/// first. Refuses with a message where there is no entrant.
void playerCardsCommand(QWidget *parent, TournamentProgress *progress,
                        const QString &only = QString());

/// The big screen of progress while it is open, else nullptr.
BigScreen *bigScreenOf(const TournamentProgress *progress);

/// What the documents show of progress now (reads the standings from the database; may
/// throw DbError).
Snapshot takeSnapshot(const TournamentProgress &progress);
/// What the room is shown of progress now: the snapshot without a pairing that is still
/// being reviewed (the players' page, the big screen).
Snapshot roomSnapshot(const TournamentProgress &progress);

/// Writes the document to path as PDF or CSV by the path's extension (letter case aside).
/// Returns the reason when there is nothing to write, the extension is neither, or the file
/// cannot be written; the file is then left as it was.
std::optional<QString> exportDocument(DocumentKind kind, const Snapshot &snapshot,
                                      const QString &path);

/// The organiser's choice of a document to print or export.
struct DocumentChoice
{
    DocumentKind kind = DocumentKind::PairingsByTable;
    bool preview = false; ///< print: show the preview first
};

/// The dialogs the commands open, replaceable by tests. chooseDocument returns nothing when
/// the organiser cancels; chooseFile returns an empty text then.
struct PublishDialogs
{
    std::function<std::optional<DocumentChoice>(QWidget *parent, const Snapshot &snapshot,
                                                bool forExport)>
        chooseDocument;
    std::function<QString(QWidget *parent, DocumentKind kind)> chooseFile;
    /// "Player cards…": the print preview (false) or a PDF (true); nothing on cancel.
    std::function<std::optional<bool>(QWidget *parent)> chooseCardsPdf;
    /// The PDF file for the cards; empty on cancel.
    std::function<QString(QWidget *parent)> chooseCardsFile;
};

/// Installs dialogs in place of the real ones (empty functions restore those); returns the
/// ones installed before.
PublishDialogs setPublishDialogs(PublishDialogs dialogs);

} // namespace Zuvi::Publish
