#include "roundwindow/tournament.h"

#include "core/errorpath.h"
#include "round/numbertext.h"
#include "round/pairing.h"
#include "roundwindow/gameentry.h"
#include "roundwindow/recordedgames.h"
#include "round/roundclock.h"
#include "round/scoring.h"
#include "tournament/tablereports.h"
#include "tournament/tournamentprogress.h"
#include "ui/accessibility.h"
#include "ui/fonts.h"
#include "ui/layout.h"
#include "ui/listutil.h"
#include "ui/messagebox.h"
#include "ui/textlistmodel.h"
#include "ui/twips.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QTimer>

#include <algorithm>

namespace Zuvi {

using Core::guarded;
using Ui::place;

namespace {

QLabel *label(const QString &text, QWidget *parent, const char *name, int left, int top, int width,
              int height)
{
    auto *result = place(new QLabel(text, parent), name, left, top, width, height);
    Ui::styleLabel(result, false);
    return result;
}

} // namespace

Tournament::Tournament(TournamentProgress *progress, bool resumed)
    : QWidget(nullptr), m_progress(progress)
{
    setObjectName(QStringLiteral("Tournament"));
    setWindowTitle(QStringLiteral("Tournament Operations Menu"));
    // Closing the window by its frame only hides it: the round stays open as it stands,
    // with its pairing, its recorded games and its clock (which goes on running), and the
    // start button brings the same window back. Only "End Round" ends it.
    setFont(Ui::defaultFont());
    resize(Ui::twips(9165), Ui::twips(5850));
    buildControls();
    buildActions();
    connectHandlers();
    // Every caption fits its box whichever sans-serif face the system has.
    Ui::fitTexts(this);
    showPairing({});
    showReports();
    if (resumed) {
        const Round::RoundClock &clock = m_progress->clock();
        m_fullTime->setText(
            Round::RoundClock::caption(clock.hours(), clock.minutes(), clock.seconds()));
        if (clock.running())
            m_timer1->start();
    }
}

Tournament::~Tournament() = default;

void Tournament::buildControls()
{
    m_matchList1 = place(new QListView(this), "MatchList1", 60, 60, 2235, 4350);
    m_matchList2 = place(new QListView(this), "MatchList2", 2280, 60, 2295, 4350);
    m_list1Model = new Ui::TextListModel(this);
    m_list2Model = new Ui::TextListModel(this);
    m_matchList1->setModel(m_list1Model);
    m_matchList2->setModel(m_list2Model);
    Ui::setUpListBox(m_matchList1);
    Ui::setUpListBox(m_matchList2);

    m_moveUp = place(new QPushButton(QStringLiteral("Up"), this), "MoveUp", 4620, 1680, 615, 495);
    m_moveDown =
        place(new QPushButton(QStringLiteral("Down"), this), "MoveDown", 4620, 2220, 615, 495);

    buildGamePanel();
    buildClock();

    QLabel *listsHelp = label(
        QStringLiteral("The table on the left is matched up against the table on the right.  "
                       "You can move a player in the list on the right up or down to change "
                       "their matchups by clicking on the name and then clicking on the Up or "
                       "the Down button. "),
        this, "Label1", 60, 4620, 4515, 855);
    QLabel *gameHelp = label(
        QStringLiteral("Once a game is finished, click on the name of the player on the left.  "
                       "Game Information will appear above. Click the drop down box to select "
                       "whether player 1 won or lost, and then input both players' final "
                       "power.  Once a game is done, click Game Over.  Once all games are "
                       "done, click End Round."),
        this, "Label2", 5220, 4620, 3915, 1215);
    m_announcer = new Ui::Announcer(this);
    nameControls(listsHelp->text(), gameHelp->text());

    // Labels never take the focus; the controls follow their tab indices.
    Ui::setTabChain({m_matchList1, m_matchList2, m_moveUp, m_moveDown, m_player1Win, m_player2Power,
                     m_gameDone, m_player1Power, m_startTimer, m_minutes, m_endTourny});
    // The left list is first in the tab order: it takes the focus when the window becomes
    // active, which shows the game panel.
    m_matchList1->setFocus();
}

void Tournament::nameControls(const QString &listsHelp, const QString &gameHelp)
{
    // What a screen reader says for each control; the captions beside them are their
    // buddies, and the help texts below their descriptions.
    const auto caption = [this](const char *name) {
        return findChild<QLabel *>(QLatin1String(name));
    };
    Ui::speakAs(m_matchList1, QStringLiteral("Player 1 of each game"), listsHelp);
    Ui::speakAs(m_matchList2, QStringLiteral("Player 2 of each game"), listsHelp);
    Ui::speakAs(m_moveUp, QStringLiteral("Move player 2 up"), listsHelp);
    Ui::speakAs(m_moveDown, QStringLiteral("Move player 2 down"), listsHelp);
    Ui::speakAs(m_player1Win, caption("Label6"), QStringLiteral("Player 1's result"), QChar(),
                gameHelp);
    Ui::speakAs(m_player2Win, caption("Label7"), QStringLiteral("Player 2's result"));
    Ui::speakAs(m_player1Power, caption("Label4"), QStringLiteral("Player 1's power"), QChar(),
                gameHelp);
    Ui::speakAs(m_player2Power, caption("Label5"), QStringLiteral("Player 2's power"), QChar(),
                gameHelp);
    Ui::speakAs(m_gameDone, QStringLiteral("Game Over"), gameHelp);
    Ui::speakAs(m_endTourny, QStringLiteral("End Round"), gameHelp);
    Ui::speakAs(m_minutes, caption("TimeLimit"), QStringLiteral("Time limit in minutes"));
    Ui::speakAs(m_startTimer, QStringLiteral("Start Timer"));
    // The clock is read as the time it shows; what that time is comes as its description.
    m_fullTime->setAccessibleDescription(QStringLiteral("Time remaining"));

    // The keyboard does what the mouse does: Return on the left list goes to the game's
    // result, Return in the result and player 1's power goes on to the next box, Return in
    // player 2's power is "Game Over", Return in the minutes starts the clock, Return on a
    // button clicks it, and the Menu key or Shift+F10 opens a list's context menu.
    Ui::onReturn(m_matchList1, [this] {
        // The game under the keyboard's cursor is the one Return opens.
        if (Ui::selectedRow(m_matchList1) < 0)
            Ui::selectRow(m_matchList1, m_matchList1->currentIndex().row());
        if (Ui::selectedRow(m_matchList1) >= 0)
            m_player1Win->setFocus(Qt::TabFocusReason);
    });
    Ui::onReturn(m_player1Win, [this] { m_player1Power->setFocus(Qt::TabFocusReason); });
    Ui::onReturn(m_player1Power, [this] { m_player2Power->setFocus(Qt::TabFocusReason); });
    Ui::onReturn(m_player2Power, [this] { m_gameDone->click(); });
    Ui::onReturn(m_minutes, [this] { m_startTimer->click(); });
    Ui::returnClicksButtons(this);
    Ui::keyboardContextMenu(m_matchList1);
    Ui::keyboardContextMenu(m_matchList2);
}

void Tournament::buildGamePanel()
{
    m_gameFrame = place(new QFrame(this), "GameFrame", 5280, 60, 3855, 3135);
    m_gameFrame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    // Hidden until the left list first receives the focus.
    m_gameFrame->hide();
    QFrame *frame = m_gameFrame;

    m_gameNumber = label(QString(), frame, "GameNumber", 1320, 240, 1215, 255);
    m_gameNumber->setFont(Ui::sansFont(12, true));
    m_gameNumber->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    m_player1 = label(QString(), frame, "Player1", 120, 600, 1575, 495);
    m_player1->setFont(Ui::sansFont(8.25, true));
    m_player2 = label(QString(), frame, "Player2", 2160, 600, 1575, 495);
    m_player2->setFont(Ui::sansFont(8.25, true));
    m_player2->setAlignment(Qt::AlignRight | Qt::AlignTop);

    // Over the players' names while the panel is empty because its game was recorded or
    // changed elsewhere; hidden otherwise.
    m_gameNotice = label(QString(), frame, "GameNotice", 120, 600, 3615, 495);
    m_gameNotice->setFont(Ui::sansFont(8.25, true));
    m_gameNotice->setWordWrap(true);
    m_gameNotice->setTextFormat(Qt::PlainText);
    m_gameNotice->hide();

    m_versus = label(QStringLiteral("VS."), frame, "Label3", 1740, 600, 375, 255);
    m_versus->setFont(Ui::sansFont(8.25, true));
    m_versus->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    label(QStringLiteral("Results:"), frame, "Label6", 120, 900, 855, 255);
    label(QStringLiteral("Results:"), frame, "Label7", 2160, 900, 855, 255);

    m_player1Win = place(new QComboBox(frame), "Player1Win", 120, 1200, 1575, 315);
    // The field is a line edit of our own so that a finished edit is seen before the combo
    // box reacts to it (connections run in the order they were made): a text typed to
    // match an entry must not count as choosing that entry.
    auto *field = new QLineEdit;
    connect(field, &QLineEdit::editingFinished, this, [this] { m_resultTyped = true; });
    m_player1Win->setLineEdit(field);
    connect(field, &QLineEdit::editingFinished, this, [this] { m_resultTyped = false; });
    // No completion: it would turn a typed "full win" into a mixed-case text that matches
    // no result, and texts are compared exactly.
    m_player1Win->setCompleter(nullptr);
    m_player1Win->setInsertPolicy(QComboBox::NoInsert);
    m_player1Win->addItems(Round::resultTexts());
    m_player1Win->setCurrentIndex(-1);
    m_player1Win->setEditText(QString());

    m_player2Win = label(QString(), frame, "Player2Win", 2160, 1200, 1575, 255);
    Ui::styleLabel(m_player2Win, true);
    m_player2Win->setBackgroundRole(QPalette::Base);

    label(QStringLiteral("Power:"), frame, "Label4", 120, 1560, 1335, 195);
    label(QStringLiteral("Power:"), frame, "Label5", 2160, 1560, 1335, 195);
    m_player1Power = place(new QLineEdit(frame), "Player1Power", 120, 1800, 1575, 285);
    m_player2Power = place(new QLineEdit(frame), "Player2Power", 2160, 1800, 1575, 285);

    m_gameDone = place(new QPushButton(QStringLiteral("Game Over"), frame), "GameDone", 1140, 2160,
                       1515, 255);
    m_endTourny = place(new QPushButton(QStringLiteral("End Round"), frame), "EndTourny", 240, 2580,
                        3375, 375);
}

void Tournament::buildClock()
{
    QLabel *remaining =
        label(QStringLiteral("Time Remaining"), this, "TimeRemaining", 5280, 3300, 2115, 315);
    remaining->setFont(Ui::sansFont(9.75, true));
    remaining->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    m_fullTime = label(QStringLiteral("00:00:00"), this, "FullTime", 5280, 3720, 2115, 315);
    m_fullTime->setFont(Ui::sansFont(12, true));
    m_fullTime->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    QLabel *limit =
        label(QStringLiteral(" Time Limit (Minutes)"), this, "TimeLimit", 7500, 3240, 1395, 435);
    limit->setFont(Ui::sansFont(8.25, true));
    limit->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    m_minutes = place(new QLineEdit(QStringLiteral("45"), this), "Minutes", 7500, 3720, 1395, 315);
    m_minutes->setFont(Ui::sansFont(9.75, true));
    m_minutes->setAlignment(Qt::AlignCenter);

    m_startTimer = place(new QPushButton(QStringLiteral("Start Timer"), this), "StartTimer", 5220,
                         4140, 3855, 375);
    m_startTimer->setFont(Ui::sansFont(9.75, true));

    // A precise timer on this window's thread: a coarse one would let the clock fall
    // minutes behind the wall over a long round.
    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setTimerType(Qt::PreciseTimer);
    m_timer1->setInterval(1000);
}

void Tournament::buildActions()
{
    // Ctrl+Z works wherever the focus is in this window, except in a text box, whose own
    // Ctrl+Z undoes typing: a line edit claims the key before the shortcut sees it.
    m_undo = new QAction(QStringLiteral("Undo last game"), this);
    m_undo->setObjectName(QStringLiteral("UndoLastGame"));
    m_undo->setShortcut(QKeySequence::Undo);
    m_undo->setShortcutContext(Qt::WindowShortcut);
    m_recordedGames = new QAction(QStringLiteral("Recorded games\u2026"), this);
    m_recordedGames->setObjectName(QStringLiteral("RecordedGames"));
    m_pairAgain = new QAction(QStringLiteral("Pair this round again"), this);
    m_pairAgain->setObjectName(QStringLiteral("PairAgain"));
    // A result reported from the table: recorded where both players agree, else shown in
    // the panel for "Game Over"; or rejected.
    m_takeReport = new QAction(QStringLiteral("Take the report"), this);
    m_takeReport->setObjectName(QStringLiteral("TakeReport"));
    m_takeReport->setShortcut(QKeySequence(Qt::Key_F8));
    m_takeReport->setShortcutContext(Qt::WindowShortcut);
    m_takeReport->setShortcutVisibleInContextMenu(true);
    m_rejectReports = new QAction(QStringLiteral("Reject the reports"), this);
    m_rejectReports->setObjectName(QStringLiteral("RejectReports"));
    m_rejectReports->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F8));
    m_rejectReports->setShortcutContext(Qt::WindowShortcut);
    m_rejectReports->setShortcutVisibleInContextMenu(true);
    addAction(m_undo);
    addAction(m_takeReport);
    addAction(m_rejectReports);
    for (QListView *list : {m_matchList1, m_matchList2}) {
        list->setContextMenuPolicy(Qt::ActionsContextMenu);
        list->addAction(m_undo);
        list->addAction(m_recordedGames);
        list->addAction(m_pairAgain);
        list->addAction(m_takeReport);
        list->addAction(m_rejectReports);
    }
}

void Tournament::addContextActions(const QList<QAction *> &actions)
{
    for (QListView *list : {m_matchList1, m_matchList2})
        list->addActions(actions);
    addActions(actions);
}

void Tournament::connectHandlers()
{
    m_matchList1->installEventFilter(this);
    connect(m_moveUp, &QPushButton::clicked, this, guarded([this] { moveUp(); }));
    connect(m_moveDown, &QPushButton::clicked, this, guarded([this] { moveDown(); }));
    connect(m_matchList1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            guarded([this] { selectGame(); }));
    connect(m_undo, &QAction::triggered, this, guarded([this] { undoLastGame(); }));
    connect(m_recordedGames, &QAction::triggered, this, guarded([this] { showRecordedGames(); }));
    connect(m_pairAgain, &QAction::triggered, this, guarded([this] { pairAgain(); }));
    connect(m_takeReport, &QAction::triggered, this, guarded([this] { takeReport(); }));
    connect(m_rejectReports, &QAction::triggered, this, guarded([this] { rejectReports(); }));
    // Clicking a row shows its game also when the row is the one highlighted already (the
    // panel may have been emptied by a change from elsewhere).
    connect(m_matchList1, &QListView::clicked, this, [this](const QModelIndex &index) {
        Core::runGuarded([this, row = index.row()] {
            if (gameOfRow(row) != m_shown || m_shownRecord.id != 0)
                showGame(row);
        });
    });
    connect(m_progress, &TournamentProgress::pairingChanged, this,
            [this](const Progress::PairingChange &change) {
                Core::runGuarded([this, &change] {
                    showPairing(change);
                    showReports();
                    followShownGame();
                });
            });
    connect(m_progress, &TournamentProgress::gamesChanged, this,
            guarded([this] { followShownGame(); }));
    connect(m_progress, &TournamentProgress::reportsChanged, this,
            guarded([this] { showReports(); }));
    connect(m_progress, &TournamentProgress::roundChanged, this, [this] {
        // A round ended at another station: this window goes as after its own End Round.
        if (m_progress->isShared() && !m_progress->roundOpen() && !m_roundEnded) {
            m_roundEnded = true;
            m_timer1->stop();
            hide();
            deleteLater();
        }
    });
    connect(m_progress, &TournamentProgress::clockChanged, this,
            [this](const QString &caption) { m_fullTime->setText(caption); });
    connect(m_player1Win, &QComboBox::activated, this,
            [this](int index) { Core::runGuarded([this, index] { chooseResult(index); }); });
    connect(m_gameDone, &QPushButton::clicked, this, guarded([this] { recordGame(); }));
    connect(m_endTourny, &QPushButton::clicked, this, guarded([this] { endRound(); }));
    connect(m_startTimer, &QPushButton::clicked, this, guarded([this] { startClock(); }));
    connect(m_timer1, &QTimer::timeout, this, guarded([this] { tickClock(); }));
}

bool Tournament::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_matchList1 && event->type() == QEvent::FocusIn)
        m_gameFrame->show();
    return QWidget::eventFilter(watched, event);
}

void Tournament::showPairing(const Progress::PairingChange &change)
{
    if (m_roundEnded)
        return;
    // Removing the selected game would select a neighbour on the way and fill the panel
    // with it: the selection handler stays out of every change of the lists.
    const QSignalBlocker blockSelection(m_matchList1->selectionModel());
    const QList<Progress::Seat> &seats = m_progress->seats();
    const QList<int> &open = m_progress->openSeats();
    using Kind = Progress::PairingChange::Kind;
    switch (change.kind) {
    case Kind::Recorded:
        m_list1Model->removeText(change.row);
        m_list2Model->removeText(change.row);
        return;
    case Kind::Reopened:
        if (change.row >= 0 && change.row < open.size()) {
            const Progress::Seat &seat = seats.at(open.at(change.row));
            m_list1Model->insertText(change.row, seat.player1);
            m_list2Model->insertText(change.row, seat.player2);
            return;
        }
        break;
    case Kind::Swapped:
        for (int row : {change.row, change.otherRow}) {
            if (row >= 0 && row < open.size())
                m_list2Model->setText(row, seats.at(open.at(row)).player2);
        }
        return;
    case Kind::Whole:
        break;
    }
    QStringList left;
    QStringList right;
    left.reserve(open.size());
    right.reserve(open.size());
    for (int seat : open) {
        left.append(seats.at(seat).player1);
        right.append(seats.at(seat).player2);
    }
    m_list1Model->setTexts(left);
    m_list2Model->setTexts(right);
}

void Tournament::moveUp()
{
    const int row = Ui::selectedRow(m_matchList2);
    if (row <= 0)
        return;
    swapOpponents(row, row - 1);
}

void Tournament::moveDown()
{
    const int row = Ui::selectedRow(m_matchList2);
    if (row < 0 || row >= Ui::rowCount(m_matchList2) - 1)
        return;
    swapOpponents(row, row + 1);
}

void Tournament::swapOpponents(int row, int otherRow)
{
    // The texts change places; the entries and the selection stay where they are.
    {
        const QScopedValueRollback own(m_ownStep, true);
        m_progress->swapOpponents(row, otherRow);
    }
    const QStringList &left = m_list1Model->texts();
    const QStringList &right = m_list2Model->texts();
    if (row < left.size() && otherRow < left.size() && row < right.size() &&
        otherRow < right.size()) {
        m_announcer->announce(
            QStringLiteral("Pairing changed: %1 plays %2; %3 plays %4.")
                .arg(left.at(row), right.at(row), left.at(otherRow), right.at(otherRow)));
    }

    // The panel's player 2 follows whoever now faces its game.
    if (m_shown.isNull() || m_shownRecord.id != 0 || !m_progress->isOpen(m_shown))
        return;
    m_shownSeat = m_progress->seats().at(m_shown.table - 1);
    m_player2->setText(m_shownSeat.player2);
}

void Tournament::selectGame()
{
    const int game = Ui::selectedRow(m_matchList1);
    if (game < 0)
        return;
    showGame(game);
}

Progress::GameRef Tournament::gameOfRow(int row) const
{
    const QList<int> &open = m_progress->openSeats();
    if (row < 0 || row >= open.size())
        return {};
    return m_progress->openRoundGame(open.at(row) + 1);
}

int Tournament::rowOfGame(const Progress::GameRef &game) const
{
    if (!m_progress->isOpen(game))
        return -1;
    return int(m_progress->openSeats().indexOf(game.table - 1));
}

void Tournament::showGame(int row)
{
    const Progress::GameRef game = gameOfRow(row);
    if (game.isNull())
        return;
    // The game is numbered by its table, as the slips, the pairings and the big screen
    // number it, not by its row among the games left.
    m_shown = game;
    m_shownSeat = m_progress->seats().at(game.table - 1);
    m_shownRecord = {};
    m_gameNotice->hide();
    m_versus->show();
    m_gameNumber->setText(QStringLiteral("Game #%1").arg(game.table));
    m_player1->setText(m_shownSeat.player1);
    m_player2->setText(m_shownSeat.player2);
    // A newly selected game starts with an empty result and empty powers: what the last
    // game left in the panel must never be recorded for this one.
    clearResults();
}

void Tournament::followShownGame()
{
    if (m_ownStep || m_roundEnded || m_shown.isNull())
        return;
    if (m_shownRecord.id == 0 && m_progress->isOpen(m_shown)) {
        const Progress::Seat &seat = m_progress->seats().at(m_shown.table - 1);
        if (seat.player1 == m_shownSeat.player1 && seat.player2 == m_shownSeat.player2) {
            // Still waiting, as shown; a list filled anew keeps it selected.
            if (const int row = rowOfGame(m_shown); row != Ui::selectedRow(m_matchList1)) {
                const QSignalBlocker block(m_matchList1->selectionModel());
                Ui::selectRow(m_matchList1, row);
            }
            return;
        }
    } else if (m_shownRecord.id != 0) {
        const std::optional<Progress::Game> now = m_progress->recordedGame(m_shown);
        if (now && now->id == m_shownRecord.id && now->result1 == m_shownRecord.result1 &&
            now->power1 == m_shownRecord.power1 && now->power2 == m_shownRecord.power2)
            return;
    }
    emptyPanel(fateOf(m_shown));
}

QString Tournament::fateOf(const Progress::GameRef &game) const
{
    const QString table = QString::number(game.table);
    const bool shared = m_progress->isShared();
    const auto where = [&](const QString &station) {
        if (!station.isEmpty() && station != m_progress->station())
            return QStringLiteral(" at %1").arg(station);
        return shared ? QStringLiteral(" at another station") : QString();
    };
    if (const std::optional<Progress::Game> recorded = m_progress->recordedGame(game)) {
        const QString result = recorded->player2 == Round::bye()
                                   ? QStringLiteral("%1 against the bye").arg(recorded->result1)
                                   : QStringLiteral("%1, %2 to %3")
                                         .arg(recorded->result1, Round::powerText(recorded->power1),
                                              Round::powerText(recorded->power2));
        if (m_shownRecord.id != 0 && recorded->id == m_shownRecord.id)
            return QStringLiteral("Table %1 was amended%2: %3.")
                .arg(table, where(recorded->station), result);
        if (m_progress->recordedFromReports(game))
            return QStringLiteral("Table %1 was recorded by both players' reports: %2.")
                .arg(table, result);
        return QStringLiteral("Table %1 was recorded%2: %3.")
            .arg(table, where(recorded->station), result);
    }
    if (m_progress->isOpen(game)) {
        if (m_shownRecord.id != 0)
            return QStringLiteral("Table %1 was taken back%2: it waits for its result again.")
                .arg(table, where(QString()));
        return QStringLiteral("The players of table %1 were changed%2: %3 against %4.")
            .arg(table, where(QString()), m_progress->seats().at(game.table - 1).player1,
                 m_progress->seats().at(game.table - 1).player2);
    }
    if (m_progress->roundOpen() && m_progress->roundcounter() == game.round)
        return QStringLiteral("Round %1 was paired again%2. Select the game again.")
            .arg(QString::number(game.round), where(QString()));
    return QStringLiteral("Round %1 has ended.").arg(game.round);
}

void Tournament::emptyPanel(const QString &notice)
{
    // No other game takes the panel's place by itself: the organiser chooses the next one.
    {
        const QSignalBlocker block(m_matchList1->selectionModel());
        Ui::clearSelection(m_matchList1);
    }
    Ui::clearSelection(m_matchList2);
    m_shown = {};
    m_shownSeat = {};
    m_shownRecord = {};
    m_gameNumber->clear();
    m_player1->clear();
    m_player2->clear();
    clearResults();
    m_gameNotice->setText(notice);
    m_gameNotice->setVisible(!notice.isEmpty());
    m_versus->setVisible(notice.isEmpty());
    if (!notice.isEmpty())
        m_announcer->announce(notice);
}

void Tournament::clearResults()
{
    m_player1Win->setCurrentIndex(-1);
    m_player1Win->setEditText(QString());
    m_player2Win->clear();
    m_player1Power->clear();
    m_player2Power->clear();
}

void Tournament::chooseResult(int index)
{
    if (m_resultTyped || index < 0)
        return;
    if (const auto result = Round::player2Result(m_player1Win->itemText(index)))
        m_player2Win->setText(*result);
}

void Tournament::recordGame()
{
    if (m_shown.isNull() || m_shownRecord.id != 0) {
        // No game in the panel: before the first selection, after the last game was
        // recorded (it is never recorded twice), or after its game was recorded elsewhere.
        Ui::message(this, QStringLiteral("Please select a game"));
        return;
    }
    const Progress::GameRef game = m_shown;
    // Only one of the five results scores; a bye has no power, whatever its box holds.
    const std::optional<GameEntry> entry =
        readGameEntry(this, m_player1Win->currentText(), m_player1Power->text(),
                      m_player2Power->text(), m_shownSeat.player2 == Round::bye());
    if (!entry)
        return;
    // The box may have let a change in while it was shown.
    if (m_shown != game)
        return;
    const QString &result = entry->result1;
    // The game, both players' rows and its seat are stored together; the game then
    // leaves both lists, and a second "Game Over" can never record it again: the next game
    // is selected with an empty panel, or, with none left, the panel keeps showing the
    // recorded game with nothing selected.
    // What readers are told, from the seat as it stands before the game leaves the lists.
    const Progress::Seat &seat = m_shownSeat;
    const QString table = QString::number(game.table);
    const QString recorded =
        seat.player2 == Round::bye()
            ? QStringLiteral("Game #%1 recorded: %2, %3, power %4, against the bye.")
                  .arg(table, seat.player1, result, Round::powerText(entry->power1))
            : QStringLiteral("Game #%1 recorded: %2, %3, power %4; %5, %6, power %7.")
                  .arg(table, seat.player1, result, Round::powerText(entry->power1), seat.player2,
                       Round::player2Result(result).value_or(QString()),
                       Round::powerText(entry->power2));
    const int row = rowOfGame(game);
    TournamentProgress::RecordRefusal refusal;
    {
        const QScopedValueRollback own(m_ownStep, true);
        refusal = m_progress->recordGame(game, result, entry->power1, entry->power2);
    }
    if (refusal != TournamentProgress::RecordRefusal::None) {
        // The game is no longer open (recorded or changed elsewhere a moment ago): nothing
        // was stored, and the panel says what became of it.
        const QString fate = fateOf(game);
        emptyPanel(fate);
        Ui::message(this, QStringLiteral("This result was not recorded. %1").arg(fate));
        return;
    }
    m_shownRecord = m_progress->recordedGame(game).value_or(Progress::Game());
    goOnAfterRecording(row, recorded);
}

void Tournament::goOnAfterRecording(int game, const QString &recorded)
{
    Ui::clearSelection(m_matchList2);
    // The keyboard goes on to the next game; once every game is recorded, to "End Round".
    const int left = Ui::rowCount(m_matchList1);
    Ui::clearSelection(m_matchList1);
    if (left > 0) {
        Ui::selectRow(m_matchList1, std::clamp(game, 0, left - 1));
        m_matchList1->setFocus(Qt::OtherFocusReason);
        m_announcer->announce(recorded + QStringLiteral(" Next: %1.").arg(m_gameNumber->text()));
    } else {
        m_endTourny->setFocus(Qt::OtherFocusReason);
        m_announcer->announce(recorded + QStringLiteral(" Every game is recorded."));
    }
}

void Tournament::showReports()
{
    if (m_roundEnded)
        return;
    // Without reports (the usual case) nothing is marked: the lists are left alone, so
    // that "Game Over" and the undo cost nothing here.
    const Progress::State &state = m_progress->state();
    const bool current = state.takeReports && Progress::bookIsCurrent(state);
    if (!current && !m_reportsShown)
        return;
    QStringList notes;
    const QList<int> &open = m_progress->openSeats();
    const QList<Progress::Seat> &seats = m_progress->seats();
    const QHash<int, QList<Progress::Report>> pending =
        current ? Progress::pendingResultsByTable(state.reports)
                : QHash<int, QList<Progress::Report>>();
    const QStringList asking = current ? m_progress->dropRequests() : QStringList();
    notes.reserve(open.size());
    for (const int seat : open) {
        const int table = seat + 1;
        const auto reports = pending.constFind(table);
        // Reports refused for a wrong code that named the table: someone tried its players'
        // codes, or a player mistyped one.
        const int refused = current ? state.reports.refused.value(table) : 0;
        if (reports == pending.cend() && asking.isEmpty() && refused == 0) {
            notes.append(QString());
            continue;
        }
        const Progress::Seat &players = seats.at(seat);
        QStringList said;
        QString note;
        if (reports != pending.cend()) {
            for (const Progress::Report &report : *reports)
                said.append(Progress::reportText(report, players));
            switch (Progress::tableReportsOf(*reports)) {
            case Progress::TableReports::None:
                break;
            case Progress::TableReports::Reported:
                note = QStringLiteral("Reported: %1").arg(said.join(QStringLiteral("; ")));
                break;
            case Progress::TableReports::Agreed:
                note = QStringLiteral("Both reports agree (F8 records): %1")
                           .arg(said.join(QStringLiteral("; ")));
                break;
            case Progress::TableReports::Disputed:
                note =
                    QStringLiteral("The reports differ: %1").arg(said.join(QStringLiteral("; ")));
                break;
            }
        }
        for (const QString &name : {players.player1, players.player2}) {
            if (asking.contains(name))
                note += (note.isEmpty() ? QString() : QStringLiteral(". ")) +
                        QStringLiteral("%1 asks to drop").arg(name);
        }
        if (refused > 0)
            note +=
                (note.isEmpty() ? QString() : QStringLiteral(". ")) +
                (refused == 1 ? QStringLiteral("1 report refused for a wrong code")
                              : QStringLiteral("%1 reports refused for a wrong code").arg(refused));
        notes.append(note);
    }
    m_list1Model->setNotes(notes);
    m_list2Model->setNotes(notes);
    m_reportsShown = current;
}

void Tournament::takeReport()
{
    const int row = Ui::selectedRow(m_matchList1);
    if (row < 0) {
        Ui::message(this, QStringLiteral("Please select a game"));
        return;
    }
    const Progress::GameRef game = gameOfRow(row);
    const int table = game.table;
    const QList<Progress::Report> reports = m_progress->pendingReports(table);
    if (reports.isEmpty()) {
        Ui::message(this, QStringLiteral("No result has been reported from table %1.").arg(table));
        return;
    }
    if (m_progress->tableReports(table) == Progress::TableReports::Agreed) {
        const Progress::Report &agreed = reports.last();
        const QString recorded =
            QStringLiteral("Game #%1 recorded as reported: %2.")
                .arg(table)
                .arg(Progress::reportText(agreed, m_progress->seats().at(table - 1)));
        {
            const QScopedValueRollback own(m_ownStep, true);
            if (!m_progress->recordReport(table))
                return;
        }
        goOnAfterRecording(row, recorded);
        return;
    }
    // One report, or two that differ: the latest fills the panel for the organiser to check
    // and record with "Game Over".
    const Progress::Report &latest = reports.last();
    m_gameFrame->show();
    showGame(row);
    fillPanel(latest.result1, latest.power1, latest.power2);
    m_player1Win->setFocus(Qt::OtherFocusReason);
    m_announcer->announce(QStringLiteral("%1: the panel shows the report of %2. Check it, then "
                                         "Game Over.")
                              .arg(m_gameNumber->text(),
                                   latest.reporter == 1 ? m_player1->text() : m_player2->text()));
}

void Tournament::rejectReports()
{
    const int row = Ui::selectedRow(m_matchList1);
    if (row < 0) {
        Ui::message(this, QStringLiteral("Please select a game"));
        return;
    }
    m_progress->rejectReports(gameOfRow(row).table);
}

void Tournament::undoLastGame()
{
    const QList<Progress::Game> games = m_progress->openRoundGames();
    if (games.isEmpty()) {
        Ui::message(this, QStringLiteral("There is no game to undo."));
        return;
    }
    const Progress::Game game = games.last();
    std::optional<int> row;
    {
        const QScopedValueRollback own(m_ownStep, true);
        row = m_progress->reopenGame(game.id);
    }
    if (row)
        reopen(*row, game.result1, game.power1, game.power2);
}

void Tournament::fillPanel(const QString &result1, double power1, double power2)
{
    const int index = m_player1Win->findText(result1, Qt::MatchExactly | Qt::MatchCaseSensitive);
    m_player1Win->setCurrentIndex(index);
    m_player1Win->setEditText(result1);
    if (const auto result2 = Round::player2Result(result1))
        m_player2Win->setText(*result2);
    m_player1Power->setText(Round::powerText(power1));
    m_player2Power->setText(m_player2->text() == Round::bye() ? QString()
                                                              : Round::powerText(power2));
}

void Tournament::reopen(int row, const QString &result1, double power1, double power2)
{
    // The game is back at its seat, selected, with the panel showing it and what was
    // recorded, ready to be recorded again.
    m_gameFrame->show();
    Ui::selectRow(m_matchList1, row);
    showGame(row);
    fillPanel(result1, power1, power2);
    if (isActiveWindow())
        m_matchList1->setFocus(Qt::OtherFocusReason);
    m_announcer->announce(
        QStringLiteral("%1 reopened: %2 against %3, %4.")
            .arg(m_gameNumber->text(), m_player1->text(), m_player2->text(), result1));
}

void Tournament::showRecordedGames()
{
    RecordedGamesDialog dialog(m_progress, this);
    connect(&dialog, &RecordedGamesDialog::reopened, this,
            [this](int row, const Progress::Game &game) {
                reopen(row, game.result1, game.power1, game.power2);
            });
    dialog.exec();
}

void Tournament::endRound()
{
    // Games not recorded score nothing: the organiser confirms ending the round without
    // them, and they stay in the recorded games to be recorded late.
    const QList<int> &open = m_progress->openSeats();
    if (!open.isEmpty()) {
        const QList<Progress::Seat> &seats = m_progress->seats();
        // The box names at most this many tables; a larger rest is counted.
        constexpr int listed = 10;
        QStringList tables;
        for (qsizetype i = 0; i < open.size() && i < listed; ++i) {
            const Progress::Seat &seat = seats.at(open.at(i));
            tables.append(QStringLiteral("table %1 %2 \u2013 %3")
                              .arg(open.at(i) + 1)
                              .arg(seat.player1, seat.player2));
        }
        QString list = tables.join(QStringLiteral("; "));
        if (open.size() > listed)
            list += QStringLiteral(" and %1 more").arg(open.size() - listed);
        const QString question =
            open.size() == 1
                ? QStringLiteral("1 game is not recorded: %1. End the round without it?").arg(list)
                : QStringLiteral("%1 games are not recorded: %2. End the round without them?")
                      .arg(open.size())
                      .arg(list);
        if (!Ui::ask(this, question, Ui::DefaultAnswer::No))
            return;
    }
    m_progress->endRound();
    // The window goes with its lists, its panel and its clock.
    m_roundEnded = true;
    m_timer1->stop();
    hide();
    deleteLater();
}

void Tournament::pairAgain()
{
    TournamentProgress::RepairRefusal refusal;
    {
        const QScopedValueRollback own(m_ownStep, true);
        refusal = m_progress->repairRound();
    }
    switch (refusal) {
    case TournamentProgress::RepairRefusal::GamesRecorded: {
        const qsizetype recorded = m_progress->openRoundGames().size();
        Ui::message(this, recorded == 1
                              ? QStringLiteral("The round cannot be paired again: 1 game of it "
                                               "is recorded. Undo it first.")
                              : QStringLiteral("The round cannot be paired again: %1 games of "
                                               "it are recorded. Undo them first.")
                                    .arg(recorded));
        return;
    }
    case TournamentProgress::RepairRefusal::NoRound:
        return;
    case TournamentProgress::RepairRefusal::None:
        break;
    }
    // The panel showed a game of the old pairing.
    emptyPanel(QString());
    m_matchList1->setFocus(Qt::OtherFocusReason);
    m_announcer->announce(QStringLiteral("The round is paired again."));
}

void Tournament::startClock()
{
    // A text that is no number of minutes is refused and leaves the clock as it was,
    // running or not.
    const std::optional<qint16> minutes = Round::parseMinutes(m_minutes->text());
    if (!minutes) {
        Ui::message(this, QStringLiteral("Please enter the time limit as a whole number of "
                                         "minutes from 1 to 999"));
        return;
    }
    m_progress->startClock(*minutes);
    m_timer1->start();
}

void Tournament::tickClock()
{
    const Round::RoundClock::Tick tick = m_progress->tickClock();
    m_fullTime->setText(tick.caption);
    if (tick.stopped)
        m_timer1->stop();
}

} // namespace Zuvi
