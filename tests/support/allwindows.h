#pragma once

// Every window of the application open at once over one started round: the registration
// window, the round window, the player editor with its find dialog, the recorded games, an
// import preview and the dialog that drops a player. For the tests that look at every
// window alike.

#include "support/roundfixture.h"

#include "playereditor/findplayerdialog.h"
#include "players/importpreviewdialog.h"
#include "players/playerfile.h"
#include "registration/dropplayerdialog.h"
#include "roundwindow/recordedgames.h"

#include <QAction>
#include <QPointer>

#include <memory>

namespace Zuvi::Test {

/// The objectNames of the windows AllWindows opens.
inline QStringList allWindowNames()
{
    return {QStringLiteral("throne"),
            QStringLiteral("Tournament"),
            QStringLiteral("PlayerInfo"),
            QStringLiteral("FindPlayerDialog"),
            QStringLiteral("RecordedGamesDialog"),
            QStringLiteral("ImportPreview"),
            QStringLiteral("DropPlayer")};
}

/// The windows, shown; the round of kA-kE is started and its first game selected.
struct AllWindows
{
    AllWindows() : fixture({kA, kB, kC, kD, kE})
    {
        fixture.throne->show();
        round = fixture.startRound();
        if (!round)
            return;
        clickRow(round->MatchList1(), 0);
        editor = openEditor(*fixture.throne);
        if (!editor)
            return;
        editor->findChild<QAction *>(QStringLiteral("FindPlayer"))->trigger();
        find = editor->findChild<FindPlayerDialog *>();
        recorded = std::make_unique<RecordedGamesDialog>(fixture.throne->progress(), round);
        recorded->show();
        // One new player and one row that repeats it: the preview shows both.
        QVariantList player(Players::playerColumns().size());
        player[0] = QStringLiteral("Ann");
        player[1] = QStringLiteral("Adams");
        Players::PlayerTable table;
        table.rows = {player, player};
        Players::ImportPreview preview;
        preview.newPlayers = 1;
        preview.repeats = 1;
        preview.firstRows = Players::rowValues(table.rows);
        preview.firstRowRepeats = {false, true};
        import = std::make_unique<Players::ImportPreviewDialog>(QStringLiteral("players.csv"),
                                                                table, preview);
        import->show();
        drop = std::make_unique<DropPlayerDialog>(fixture.throne->progress()->playingNames());
        drop->show();
    }
    Q_DISABLE_COPY_MOVE(AllWindows)

    /// False when a window did not open: the caller QVERIFYs it.
    bool complete() const { return round && editor && find; }

    /// The window of that objectName, or null.
    QWidget *window(const QString &name) const
    {
        const QList<QWidget *> all{fixture.throne.get(), round,        editor.data(), find.data(),
                                   recorded.get(),       import.get(), drop.get()};
        for (QWidget *window : all) {
            if (window && window->objectName() == name)
                return window;
        }
        return nullptr;
    }

    RoundFixture fixture;
    Tournament *round = nullptr;
    QPointer<PlayerInfo> editor;
    QPointer<FindPlayerDialog> find;
    std::unique_ptr<RecordedGamesDialog> recorded;
    std::unique_ptr<Players::ImportPreviewDialog> import;
    std::unique_ptr<DropPlayerDialog> drop;
};

} // namespace Zuvi::Test
