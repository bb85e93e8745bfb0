#include "registration/throne.h"

#include "history/playerrecord.h"
#include "historywindow/historydialog.h"
#include "historywindow/playerrecorddialog.h"
#include "page/pagedialog.h"
#include "page/pageserver.h"
#include "registration/dropplayerdialog.h"
#include "registration/stationdialog.h"

#include "core/errorpath.h"
#include "data/dbconnection.h"
#include "data/dberror.h"
#include "data/installfolder.h"
#include "data/serverschema.h"
#include "data/statements.h"
#include "playereditor/playerinfo.h"
#include "players/playerfileactions.h"
#include "players/storedplayers.h"
#include "publish/bigscreenowner.h"
#include "publish/publishactions.h"
#include "data/displayname.h"
#include "roundwindow/recordedgames.h"
#include "roundwindow/tournament.h"
#include "tournament/tournamentprogress.h"
#include "ui/accessibility.h"
#include "ui/apptitle.h"
#include "ui/fonts.h"
#include "ui/layout.h"
#include "ui/listutil.h"
#include "ui/messagebox.h"
#include "ui/textlistmodel.h"
#include "ui/utf8listmodel.h"
#include "ui/twips.h"

#include <QAction>
#include <QComboBox>
#include <QInputDialog>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSqlQuery>
#include <QTimer>
#include <QVariant>

namespace Zuvi {

using Core::guarded;
using Ui::place;

Throne::Throne(TournamentProgress *progress, QWidget *parent)
    : QWidget(parent), m_progress(progress)
{
    setObjectName(QStringLiteral("throne"));
    setWindowTitle(Ui::appTitle());
    setFont(Ui::defaultFont());
    resize(Ui::twips(9120), Ui::twips(5835));
    m_background.load(QStringLiteral(":/marble.png"));
    if (!m_progress->parent())
        m_progress->setParent(this);
    buildControls();
    buildActions();
    // Every caption fits its box whichever sans-serif face the system has.
    Ui::fitTexts(this);
    load();
}

Throne::~Throne()
{
    // The round window and the player editor are windows of their own that use this
    // window's members; they cannot outlive it.
    delete m_tournament.data();
    delete m_playerEditor.data();
}

void Throne::buildControls()
{
    m_playerLabel = place(new QLabel(QStringLiteral(" Stored Players"), this), "PlayerLabel", 60,
                          60, 2295, 315);
    Ui::styleLabel(m_playerLabel, true);
    m_playerLabel->setFont(Ui::sansFont(9.75, true));

    m_storedPlayers = place(new QListView(this), "StoredPlayers", 60, 420, 2295, 4545);
    // Over the list while it is empty; the mouse goes through it to the list and its menu.
    m_storedHint = new QLabel(
        QStringLiteral("No players are stored yet.\n\nRight-click here and choose "
                       "\u201cImport players\u2026\u201d to bring them in from a file, or "
                       "click \u201cEdit Player Database\u201d to add them one by one."),
        m_storedPlayers->viewport());
    m_storedHint->setObjectName(QStringLiteral("StoredPlayersHint"));
    m_storedHint->setWordWrap(true);
    m_storedHint->setAlignment(Qt::AlignCenter);
    m_storedHint->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_storedHint->hide();
    m_command1 = place(new QPushButton(QStringLiteral("Edit Player Database"), this), "Command1",
                       60, 4980, 2295, 375);

    auto *label2 = place(
        new QLabel(QStringLiteral("Click Edit Player Database to add or remove entries above."),
                   this),
        "Label2", 60, 5400, 2355, 435);
    Ui::styleLabel(label2, true);
    Ui::fitLabelText(label2);

    m_house = place(new QComboBox(this), "House", 2400, 120, 2115, 315);
    m_house->setEditable(true);
    m_house->setInsertPolicy(QComboBox::NoInsert);
    // The house is taken exactly as typed: no completion may turn "Star" into "Stark".
    m_house->setCompleter(nullptr);
    m_house->addItems({QStringLiteral("Baratheon"), QStringLiteral("Greyjoy"),
                       QStringLiteral("Lannister"), QStringLiteral("Stark")});
    m_house->setCurrentIndex(-1);
    m_house->setEditText(QStringLiteral("House"));

    m_addTourny = place(new QPushButton(QStringLiteral("Add To Tournament"), this), "AddTourny",
                        2400, 480, 2115, 495);
    m_removeTourny = place(new QPushButton(QStringLiteral("Remove From Tournament"), this),
                           "RemoveTourny", 2400, 1020, 2115, 495);

    auto *label3 = place(
        new QLabel(QStringLiteral(
                       "Click on your name in the list on the left, choose which house you will "
                       "play from the drop down box in the middle, and then click on Add To "
                       "Tournament.  If you want to remove your name from the tournament, click "
                       "on it in the list to the right and click on Remove From Tournament."),
                   this),
        "Label3", 2460, 1740, 1995, 2235);
    Ui::styleLabel(label3, true);
    Ui::fitLabelText(label3);

    auto *roundsLbl = place(new QLabel(QStringLiteral("Number of Rounds"), this), "RoundsLbl", 2400,
                            4200, 2115, 315);
    Ui::styleLabel(roundsLbl, true);
    roundsLbl->setFont(Ui::sansFont(9.75, true));
    roundsLbl->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    m_rounds = place(new QLineEdit(this), "Rounds", 2820, 4560, 1215, 375);
    m_rounds->setFont(Ui::sansFont(9.75, true));
    m_rounds->setAlignment(Qt::AlignCenter);

    auto *tournyLabel = place(new QLabel(QStringLiteral(" Tournament Players"), this),
                              "TournyLabel", 4560, 60, 2235, 315);
    Ui::styleLabel(tournyLabel, true);
    tournyLabel->setFont(Ui::sansFont(9.75, true));
    m_tournyPlayers = place(new QListView(this), "TournyPlayers", 4560, 420, 2235, 4545);

    auto *houseLabel =
        place(new QLabel(QStringLiteral(" House"), this), "HouseLabel", 6780, 60, 1515, 315);
    Ui::styleLabel(houseLabel, true);
    houseLabel->setFont(Ui::sansFont(9.75, true));
    m_playerHouses = place(new QListView(this), "PlayerHouses", 6780, 420, 1515, 4545);

    auto *label1 = place(new QLabel(QStringLiteral(" Score"), this), "Label1", 8280, 60, 795, 315);
    Ui::styleLabel(label1, true);
    label1->setFont(Ui::sansFont(9.75, true));
    m_playerScores = place(new QListView(this), "PlayerScores", 8280, 420, 795, 4545);

    m_startButton = place(new QPushButton(QStringLiteral("Start Tournament"), this), "StartButton",
                          4560, 4980, 4515, 375);
    m_startButton->setFont(Ui::sansFont(12, true));

    auto *label4 = place(new QLabel(QStringLiteral("Once all players have been added to the "
                                                   "tournament, and the Number of Rounds has "
                                                   "been filled in, click Start Tournament"),
                                    this),
                         "Label4", 4560, 5400, 4515, 435);
    Ui::styleLabel(label4, true);
    Ui::fitLabelText(label4);

    m_storedModel = new Ui::Utf8ListModel(this);
    m_namesModel = new Ui::TextListModel(this);
    m_housesModel = new Ui::TextListModel(this);
    m_scoresModel = new Ui::TextListModel(this);
    m_storedPlayers->setModel(m_storedModel);
    m_tournyPlayers->setModel(m_namesModel);
    m_playerHouses->setModel(m_housesModel);
    m_playerScores->setModel(m_scoresModel);
    for (QListView *list : {m_storedPlayers, m_tournyPlayers, m_playerHouses, m_playerScores})
        Ui::setUpListBox(list);

    m_namesModel->setGreyedNote(QStringLiteral("dropped"));
    m_housesModel->setGreyedNote(QStringLiteral("dropped"));
    m_scoresModel->setGreyedNote(QStringLiteral("dropped"));
    nameControls(label2, label3, roundsLbl, tournyLabel, houseLabel, label1, label4);

    // Labels never take the focus; the controls follow their tab indices.
    Ui::setTabChain({m_storedPlayers, m_command1, m_addTourny, m_tournyPlayers, m_removeTourny,
                     m_house, m_playerHouses, m_startButton, m_playerScores, m_rounds});
    m_storedPlayers->setFocus();

    connect(m_addTourny, &QPushButton::clicked, this, guarded([this] { addEntrant(); }));
    connect(m_removeTourny, &QPushButton::clicked, this, guarded([this] { removeEntrant(); }));
    connect(m_startButton, &QPushButton::clicked, this, guarded([this] { start(); }));
    connect(m_command1, &QPushButton::clicked, this, guarded([this] { openPlayerEditor(); }));
}

void Throne::nameControls(QLabel *label2, QLabel *label3, QLabel *roundsLbl, QLabel *tournyLabel,
                          QLabel *houseLabel, QLabel *label1, QLabel *label4)
{
    // What a screen reader says for each control; the captions beside them are their
    // buddies, and the help texts their descriptions.
    Ui::speakAs(m_storedPlayers, m_playerLabel, QStringLiteral("Stored players"), QLatin1Char('S'));
    Ui::speakAs(m_command1, QStringLiteral("Edit Player Database"), label2->text());
    Ui::speakAs(m_house, QStringLiteral("House of the tournament player"), label3->text());
    Ui::speakAs(m_addTourny, QStringLiteral("Add To Tournament"), label3->text());
    Ui::speakAs(m_removeTourny, QStringLiteral("Remove From Tournament"), label3->text());
    Ui::speakAs(m_rounds, roundsLbl, QStringLiteral("Number of rounds"), QLatin1Char('N'),
                label4->text());
    Ui::speakAs(m_tournyPlayers, tournyLabel, QStringLiteral("Tournament players"),
                QLatin1Char('T'));
    Ui::speakAs(m_playerHouses, houseLabel, QStringLiteral("Houses of the tournament players"),
                QLatin1Char('H'));
    Ui::speakAs(m_playerScores, label1, QStringLiteral("Scores of the tournament players"),
                QLatin1Char('c'));
    // The start button's caption names the round it starts; readers speak that caption.
    m_startButton->setAccessibleDescription(label4->text());

    // The keyboard does what the mouse does: Return on the stored players or in the house
    // adds the selected player, Return in the number of rounds starts, Return on a button
    // clicks it, and the Menu key or Shift+F10 opens a list's context menu.
    Ui::onReturn(m_storedPlayers, [this] {
        // The row under the keyboard's cursor is the one Return adds.
        if (Ui::selectedRow(m_storedPlayers) < 0)
            Ui::selectRow(m_storedPlayers, m_storedPlayers->currentIndex().row());
        m_addTourny->click();
    });
    Ui::onReturn(m_house, [this] { m_addTourny->click(); });
    Ui::onReturn(m_rounds, [this] { m_startButton->click(); });
    Ui::returnClicksButtons(this);
    for (QListView *list : {m_storedPlayers, m_tournyPlayers, m_playerHouses, m_playerScores})
        Ui::keyboardContextMenu(list);
}

void Throne::buildActions()
{
    m_reinstate = new QAction(QStringLiteral("Reinstate"), this);
    m_reinstate->setObjectName(QStringLiteral("Reinstate"));
    m_avoidRematches = new QAction(QStringLiteral("Avoid rematches"), this);
    m_avoidRematches->setObjectName(QStringLiteral("AvoidRematches"));
    m_avoidRematches->setCheckable(true);
    m_recordedGames = new QAction(QStringLiteral("Recorded games\u2026"), this);
    m_recordedGames->setObjectName(QStringLiteral("RecordedGames"));
    m_tournyPlayers->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_tournyPlayers->addAction(m_reinstate);
    // A player's record over the club's archive, for an entrant or a stored player.
    auto *entrantRecord = new QAction(QStringLiteral("Player's record\u2026"), this);
    entrantRecord->setObjectName(QStringLiteral("EntrantRecord"));
    entrantRecord->setShortcut(QKeySequence(QStringLiteral("Ctrl+R")));
    entrantRecord->setShortcutContext(Qt::WidgetShortcut);
    m_tournyPlayers->addAction(entrantRecord);
    connect(entrantRecord, &QAction::triggered, this, guarded([this] {
                const int index = m_progress->entrantOfRow(Ui::selectedRow(m_tournyPlayers));
                if (index < 0) {
                    Ui::message(this, QStringLiteral("Please select a player"));
                    return;
                }
                const Progress::Entrant &entrant = m_progress->entrants().at(index);
                showPlayerRecord(entrant.playerId, entrant.name);
            }));
    auto *merge = new QAction(QStringLiteral("Merge history into\u2026"), this);
    merge->setObjectName(QStringLiteral("MergeHistory"));
    m_storedPlayers->addAction(merge);
    connect(merge, &QAction::triggered, this, guarded([this] { mergeHistory(); }));
    auto *storedRecord = new QAction(QStringLiteral("Player's record\u2026"), this);
    storedRecord->setObjectName(QStringLiteral("StoredPlayerRecord"));
    storedRecord->setShortcut(QKeySequence(QStringLiteral("Ctrl+R")));
    storedRecord->setShortcutContext(Qt::WidgetShortcut);
    m_storedPlayers->addAction(storedRecord);
    connect(storedRecord, &QAction::triggered, this, guarded([this] {
                const int row = Ui::selectedRow(m_storedPlayers);
                if (row < 0 || row >= m_storedIds.size()) {
                    Ui::message(this, QStringLiteral("Please select a player"));
                    return;
                }
                showPlayerRecord(m_storedIds.at(row), m_storedModel->text(row));
            }));
    m_storedPlayers->setContextMenuPolicy(Qt::ActionsContextMenu);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    addContextActions({m_avoidRematches, m_recordedGames});
    addContextActions(Publish::createPublishActions(this, m_progress));
    addContextActions(Publish::createReviewActions(this, m_progress));
    addContextActions(Publish::createReportActions(this, m_progress));
    auto *history = new QAction(QStringLiteral("History\u2026"), this);
    history->setObjectName(QStringLiteral("History"));
    history->setShortcut(QKeySequence(QStringLiteral("Ctrl+H")));
    connect(history, &QAction::triggered, this, guarded([this] { showHistory(); }));
    auto *page = new QAction(QStringLiteral("Players' page on the network\u2026"), this);
    page->setObjectName(QStringLiteral("PlayersPage"));
    page->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+P")));
    connect(page, &QAction::triggered, this, guarded([this] { showPageDialog(); }));
    m_pageAction = page;
    // Players who asked from their table, on the players' page, to leave the tournament.
    auto *drops = new QAction(QStringLiteral("Drop requests\u2026"), this);
    drops->setObjectName(QStringLiteral("DropRequests"));
    drops->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+D")));
    connect(drops, &QAction::triggered, this, guarded([this] { settleDropRequests(); }));
    connect(m_progress, &TournamentProgress::reportsChanged, this,
            guarded([this] { showDropRequests(); }));
    // While the first round is played the entrant list is empty (the draw took every name
    // into the pairing): a player is dropped by name from a list of its own.
    auto *dropAction = new QAction(QStringLiteral("Drop a player\u2026"), this);
    dropAction->setObjectName(QStringLiteral("DropPlayer"));
    dropAction->setShortcut(QKeySequence(QStringLiteral("Ctrl+D")));
    connect(dropAction, &QAction::triggered, this, guarded([this] { dropPlayer(); }));
    addContextActions({history, page, drops, dropAction});
    addContextActions(stationActions());
    // Phones that gave wrong personal codes wait; the organiser may let them report again.
    auto *lift = new QAction(QStringLiteral("Lift waits for wrong codes\u2026"), this);
    lift->setObjectName(QStringLiteral("LiftWaits"));
    lift->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+W")));
    connect(lift, &QAction::triggered, this, guarded([this] { liftWaits(); }));
    m_liftWaitsAction = lift;
    addContextActions({lift});
    addContextActions(Publish::createCardActions(this, m_progress));
    // A lost card: its code stops working and the entrant gets a new one.
    auto *newCode = new QAction(QStringLiteral("New code for this player\u2026"), this);
    newCode->setObjectName(QStringLiteral("NewPlayerCode"));
    newCode->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+L")));
    newCode->setShortcutContext(Qt::WidgetShortcut);
    connect(newCode, &QAction::triggered, this, guarded([this] { renewPlayerCode(); }));
    m_tournyPlayers->addAction(newCode);
    m_playerScores->addAction(newCode);
    // Importing refills the stored players at once.
    addStoredPlayersActions(Players::createPlayerFileActions(
        this, [this] { Core::runGuarded([this] { FillNames(); }); }));

    connect(m_reinstate, &QAction::triggered, this, guarded([this] { reinstate(); }));
    connect(m_avoidRematches, &QAction::toggled, this, [this](bool on) {
        Core::runGuarded([this, on] { m_progress->setAvoidRematches(on); });
    });
    connect(m_recordedGames, &QAction::triggered, this, guarded([this] { showRecordedGames(); }));
    connect(m_progress, &TournamentProgress::entrantsChanged, this,
            guarded([this] { showEntrants(); }));
    connect(m_progress, &TournamentProgress::roundChanged, this, guarded([this] { showRound(); }));
}

QList<QAction *> Throne::stationActions()
{
    auto *connectAction = new QAction(QStringLiteral("Connect to a shared tournament\u2026"), this);
    connectAction->setObjectName(QStringLiteral("ConnectShared"));
    connectAction->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+N")));
    connect(connectAction, &QAction::triggered, this, guarded([this] {
                StationDialog dialog(this);
                if (dialog.exec() == QDialog::Accepted) {
                    setStoreChoice(dialog.choice());
                    Q_EMIT storeChosen();
                }
            }));
    auto *reconnect = new QAction(QStringLiteral("Reconnect"), this);
    reconnect->setObjectName(QStringLiteral("Reconnect"));
    reconnect->setShortcut(QKeySequence(Qt::Key_F5));
    reconnect->setVisible(m_progress->isShared());
    // The stored players are read again too: another station may have added some.
    connect(reconnect, &QAction::triggered, this, guarded([this] {
                m_progress->reload();
                FillNames();
            }));
    auto *local = new QAction(QStringLiteral("Work on this computer only"), this);
    local->setObjectName(QStringLiteral("WorkLocally"));
    local->setVisible(m_progress->isShared());
    connect(local, &QAction::triggered, this, guarded([this] {
                rememberStoreChoice({});
                setStoreChoice({});
                Q_EMIT storeChosen();
            }));
    return {connectAction, reconnect, local};
}

void Throne::showPageDialog()
{
    if (!m_pageServer)
        m_pageServer = new PageServer(m_progress, this);
    PageDialog dialog(m_pageServer, this);
    dialog.exec();
}

void Throne::liftWaits()
{
    QStringList waiting;
    if (m_pageServer) {
        for (const ReportWaits::Sender &sender : m_pageServer->wrongCodeSenders()) {
            if (sender.leftMs > 0)
                waiting.append(QStringLiteral("%1 (%2 wrong codes, %3 min. left)")
                                   .arg(sender.address)
                                   .arg(sender.wrong)
                                   .arg((sender.leftMs + 59999) / 60000));
        }
    }
    if (waiting.isEmpty()) {
        Ui::message(this, QStringLiteral("No phone waits after wrong codes."));
        return;
    }
    if (!Ui::ask(this,
                 QStringLiteral("These phones wait after wrong codes: %1. Let them report again?")
                     .arg(waiting.join(QStringLiteral("; "))),
                 Ui::DefaultAnswer::No))
        return;
    const int lifted = m_pageServer->liftWaits();
    Ui::message(this, lifted == 1 ? QStringLiteral("1 phone may report again.")
                                  : QStringLiteral("%1 phones may report again.").arg(lifted));
}

QString Throne::selectedEntrantName() const
{
    int index = m_progress->entrantOfRow(Ui::selectedRow(m_tournyPlayers));
    if (index < 0) {
        const int row = Ui::selectedRow(m_playerScores);
        index = row < m_progress->entrants().size() ? row : -1;
    }
    return index < 0 ? QString() : m_progress->entrants().at(index).name;
}

void Throne::renewPlayerCode()
{
    // The entrant is taken by name now: the lists may move while the question is open.
    const QString name = selectedEntrantName();
    if (name.isEmpty()) {
        Ui::message(this, QStringLiteral("Please select a player"));
        return;
    }
    if (!Ui::ask(this,
                 QStringLiteral("Give %1 a new personal code? The code on %1's card stops "
                                "working at once.")
                     .arg(name),
                 Ui::DefaultAnswer::No))
        return;
    if (m_progress->renewPlayerCode(name).isEmpty())
        return;
    if (Ui::ask(this, QStringLiteral("%1 has a new code. Print %1's new card now?").arg(name),
                Ui::DefaultAnswer::Yes))
        Publish::playerCardsCommand(this, m_progress, name);
}

void Throne::showPlayerRecord(qint64 playerId, const QString &name)
{
    const QList<History::ArchivedTournament> archive =
        History::ArchiveAccess(storeChoice().server, storeChoice().stationName()).list(true);
    PlayerRecordDialog dialog(History::playerRecord(archive, playerId, name), name, this);
    dialog.exec();
}

void Throne::mergeHistory()
{
    const int row = Ui::selectedRow(m_storedPlayers);
    if (row < 0 || row >= m_storedIds.size() || m_storedIds.at(row) == 0) {
        Ui::message(this, QStringLiteral("Please select a player"));
        return;
    }
    QStringList others;
    QList<qint64> otherIds;
    for (int i = 0; i < m_storedModel->rowCount() && i < m_storedIds.size(); ++i) {
        if (i != row && m_storedIds.at(i) != 0) {
            others.append(
                QStringLiteral("%1 (no. %2)").arg(m_storedModel->text(i)).arg(m_storedIds.at(i)));
            otherIds.append(m_storedIds.at(i));
        }
    }
    if (others.isEmpty()) {
        Ui::message(this, QStringLiteral("There is no other stored player to merge with."));
        return;
    }
    QInputDialog dialog(this);
    dialog.setObjectName(QStringLiteral("MergeHistoryDialog"));
    dialog.setWindowTitle(QStringLiteral("Merge history"));
    dialog.setLabelText(QStringLiteral("%1 is the same person as:").arg(m_storedModel->text(row)));
    dialog.setComboBoxItems(others);
    dialog.setComboBoxEditable(false);
    Ui::plainTextLabels(&dialog);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const qsizetype chosen = others.indexOf(dialog.textValue());
    if (chosen < 0)
        return;
    const QString into = m_storedModel->text(int(m_storedIds.indexOf(otherIds.at(chosen))));
    if (!Ui::ask(this,
                 QStringLiteral("Give the history of %1 to %2? Their tournaments then count as "
                                "one person's. The stored players themselves stay as they are.")
                     .arg(m_storedModel->text(row), into),
                 Ui::DefaultAnswer::No))
        return;
    const qint64 moved = History::ArchiveAccess(storeChoice().server, storeChoice().stationName())
                             .mergePlayer(m_storedIds.at(row), otherIds.at(chosen));
    Ui::message(this,
                moved == 1
                    ? QStringLiteral("1 archived tournament moved to %1.").arg(into)
                    : QStringLiteral("%1 archived tournaments moved to %2.").arg(moved).arg(into));
}

void Throne::showHistory()
{
    HistoryDialog dialog(History::ArchiveAccess(storeChoice().server, storeChoice().stationName()),
                         this);
    dialog.exec();
}

void Throne::addContextActions(const QList<QAction *> &actions)
{
    addActions(actions);
    for (QListView *list : {m_tournyPlayers, m_playerHouses, m_playerScores}) {
        list->setContextMenuPolicy(Qt::ActionsContextMenu);
        list->addActions(actions);
    }
}

void Throne::addStoredPlayersActions(const QList<QAction *> &actions)
{
    m_storedPlayers->addActions(actions);
}

namespace {

/// The question a start-up asks about a stored tournament.
QString resumeQuestion(const TournamentProgress::StoredTournament &stored)
{
    if (!stored.started) {
        return stored.entrants == 1
                   ? QStringLiteral("1 entrant is registered. Resume the registration?")
                   : QStringLiteral("%1 entrants are registered. Resume the registration?")
                         .arg(stored.entrants);
    }
    // The number of rounds as the number it was read as ("10", whether typed as "10",
    // " 10 " or "1e1").
    const QString rounds = stored.rounds ? QString::number(*stored.rounds) : QString();
    if (stored.roundOpen) {
        return QStringLiteral("A tournament is in progress: round %1 of %2, %3 of %4 games "
                              "recorded. Resume it?")
            .arg(stored.round)
            .arg(rounds)
            .arg(stored.recorded)
            .arg(stored.games);
    }
    return QStringLiteral("A tournament is in progress: round %1 of %2 is next. Resume it?")
        .arg(stored.round)
        .arg(rounds);
}

} // namespace

void Throne::load()
{
    FillNames();
    m_namesModel->resetTexts({});
    m_housesModel->resetTexts({});
    m_scoresModel->resetTexts({});
    // A tournament stored unfinished is offered for resuming; declined, its progress goes
    // and the window starts empty at round 1.
    bool resumed = false;
    if (const std::optional<TournamentProgress::StoredTournament> stored =
            m_progress->loadStored()) {
        // A tournament shared with other stations is theirs too: it is taken over as it
        // stands, never discarded from here.
        resumed = m_progress->isShared() || Ui::ask(this, resumeQuestion(*stored));
        if (resumed) {
            m_progress->resume();
            if (m_progress->roundOpen())
                openRoundWindow(true);
        } else {
            m_progress->discard();
        }
    }
    // The big screen comes back beside this window with a resumed tournament it was open for.
    Publish::restoreBigScreen(m_progress, this, resumed);
}

void Throne::showEntrants()
{
    QStringList names;
    QStringList houses;
    QStringList scores;
    QList<bool> greyedNames;
    QList<bool> greyed;
    const QList<Progress::Entrant> &entrants = m_progress->entrants();
    names.reserve(entrants.size());
    houses.reserve(entrants.size());
    scores.reserve(entrants.size());
    greyed.reserve(entrants.size());
    for (const Progress::Entrant &entrant : entrants) {
        if (entrant.nameShown) {
            names.append(entrant.name);
            greyedNames.append(entrant.dropped);
        }
        houses.append(entrant.house);
        scores.append(entrant.scoreText);
        greyed.append(entrant.dropped);
    }
    m_namesModel->setTexts(names, greyedNames);
    m_housesModel->setTexts(houses, greyed);
    m_scoresModel->setTexts(scores, greyed);
    showDropRequests();
}

void Throne::showDropRequests()
{
    const QStringList asking = m_progress->dropRequests();
    // Nothing asked and nothing marked: the lists are left alone.
    if (asking.isEmpty() && !m_dropsShown)
        return;
    m_dropsShown = !asking.isEmpty();
    QStringList nameNotes;
    QStringList notes;
    for (const Progress::Entrant &entrant : m_progress->entrants()) {
        const bool asks = asking.contains(entrant.name);
        const QString note =
            asks ? QStringLiteral("asks to drop (Drop requests\u2026)") : QString();
        if (entrant.nameShown) {
            nameNotes.append(note);
            notes.append(note);
        } else {
            // The first round's draw took the name out of the entrant list: the row of the
            // house and the score says whose request it is.
            notes.append(
                asks ? QStringLiteral("%1 asks to drop (Drop requests\u2026)").arg(entrant.name)
                     : QString());
        }
    }
    m_namesModel->setNotes(nameNotes);
    m_housesModel->setNotes(notes);
    m_scoresModel->setNotes(notes);
}

void Throne::settleDropRequests()
{
    const QStringList asking = m_progress->dropRequests();
    if (asking.isEmpty()) {
        Ui::message(this, QStringLiteral("No player has asked to drop."));
        return;
    }
    for (const QString &name : asking) {
        const bool drop = Ui::ask(this,
                                  QStringLiteral("%1 asks from the table to drop out of "
                                                 "the tournament. Drop %1?")
                                      .arg(name),
                                  Ui::DefaultAnswer::No);
        m_progress->settleDropRequest(name, drop);
    }
}

void Throne::showRound()
{
    m_rounds->setText(m_progress->roundsText());
    m_avoidRematches->setChecked(m_progress->avoidRematches());
    const qint16 round = m_progress->roundcounter();
    m_startButton->setText(round > 1 ? QStringLiteral("Start Round %1").arg(round)
                                     : QStringLiteral("Start Tournament"));
    // A round started at another station opens its window here too.
    if (m_progress->isShared() && m_progress->roundOpen() && !tournament()) {
        openRoundWindow(true);
        return;
    }
    // A round that has just ended leaves the keyboard here, on the start of the next one.
    if (m_tournament && !m_progress->roundOpen()) {
        QTimer::singleShot(0, this, [this] {
            if (isVisible() && !tournament()) {
                activateWindow();
                m_startButton->setFocus();
            }
        });
    }
}

void Throne::paintEvent(QPaintEvent *)
{
    // The marble picture at its own size from the top left; the rest stays window colour.
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_background);
}

void Throne::FillNames()
{
    Ui::Utf8ListModel::Rows names;
    QList<qint64> ids;
    // Read again, the list is about as long as before: room for it at once, so that it is
    // not copied as it grows while the list shown still holds the old one.
    names.reserve(m_storedModel->rowCount() + 64, m_storedModel->byteSize() + 4096);
    ids.reserve(m_storedModel->rowCount() + 64);
    if (const std::optional<Data::ServerAddress> &server = storeChoice().server) {
        // A shared tournament registers the server's players, the same at every station.
        Data::ServerLink link(*server, storeChoice().stationName());
        Data::ensureServerTables(link);
        QSqlQuery &query = link.exec(Data::Sql::selectServerPlayersWithIds());
        while (link.next(query)) {
            names.append(
                {displayName(query.value(1).toString(), query.value(0).toString()).toUtf8()});
            ids.append(query.value(2).toLongLong());
        }
        query.finish();
    } else {
        Data::DbConnection connection(Data::playersDatabase());
        // Each player's id comes with its names where the table has row ids (a table made
        // WITHOUT ROWID has none: its players are then told apart by name only).
        bool withIds = true;
        try {
            connection.prepare(QStringLiteral("Select rowid from playerinfo limit 0"));
        } catch (const Data::DbError &) {
            withIds = false;
        }
        // The display name is put together from the stored bytes, decoded when it is shown.
        const QString select =
            withIds ? Data::Sql::selectPlayersWithIds() : Data::Sql::selectPlayers();
        connection.readRows(select, [&](const Data::RowView &row) {
            ids.append(withIds ? row.integer(2) : 0);
            if (row.isNumber(0) || row.isNumber(1)) {
                names.append({displayName(row.text(1), row.text(0)).toUtf8()});
                return;
            }
            names.append({row.utf8(1), displayNameSeparator(), row.utf8(0)});
        });
    }
    m_storedModel->resetRows(std::move(names));
    m_storedIds = std::move(ids);
    showStoredHint();
}

void Throne::showStoredHint()
{
    const QSize inside = m_storedPlayers->contentsRect().size();
    m_storedHint->setGeometry(QRect(QPoint(0, 0), inside).adjusted(6, 6, -6, -6));
    m_storedHint->setVisible(m_storedModel->rowCount() == 0);
}

void Throne::addEntrant()
{
    const int row = Ui::selectedRow(m_storedPlayers);
    if (row < 0) {
        Ui::message(this, QStringLiteral("Please select a player to add"));
        return;
    }
    const QString house = m_house->currentText();
    // The untouched box and a box of blanks name no house.
    if (house == QStringLiteral("House") || house.trimmed().isEmpty()) {
        Ui::message(this, QStringLiteral("Please select a house to play"));
        return;
    }
    const QString displayName = m_storedModel->text(row);
    const qint64 playerId = row < m_storedIds.size() ? m_storedIds.at(row) : 0;
    // A different stored player of the same name enters under a name of its own; the city
    // that tells the two apart is read only then.
    std::optional<QString> name = m_progress->entrantNameFor(displayName, playerId, QString());
    if (name && *name != displayName) {
        const QString city = Players::onStoredPlayers([&](auto &players) {
            // The server's players are told apart by their ID, the file's by their rowid.
            constexpr bool onServer =
                std::is_same_v<std::decay_t<decltype(players)>, Data::ServerLink>;
            auto &&query =
                players.exec(onServer ? QStringLiteral("SELECT City FROM PlayerInfo WHERE ID = ?")
                                      : Data::Sql::selectPlayerCity(),
                             {playerId});
            const QString found = players.next(query) ? query.value(0).toString() : QString();
            query.finish();
            return found;
        });
        name = m_progress->entrantNameFor(displayName, playerId, city);
    }
    const bool late = m_progress->state().started;
    if (!name || m_progress->addEntrant(*name, house, playerId) ==
                     TournamentProgress::AddResult::AlreadyEntered) {
        Ui::message(this, QStringLiteral("That player is already in the tournament."));
        return;
    }
    if (late) {
        // A round being played goes on without the late entrant.
        const int from = m_progress->roundcounter() + (m_progress->roundOpen() ? 1 : 0);
        Ui::message(this,
                    QStringLiteral("%1 joins the tournament from round %2.").arg(*name).arg(from));
    }
}

void Throne::removeEntrant()
{
    const int row = Ui::selectedRow(m_tournyPlayers);
    if (row < 0) {
        Ui::message(this, QStringLiteral("Please select a player to remove"));
        return;
    }
    // Before the start the entrant goes; after it the entrant is dropped: kept in the
    // standings, greyed in the lists, and paired no more.
    m_progress->removeEntrant(row);
    Ui::clearSelection(m_tournyPlayers);
}

void Throne::dropPlayer()
{
    const QStringList names = m_progress->playingNames();
    if (names.isEmpty()) {
        Ui::message(this, QStringLiteral("There is no player to drop."));
        return;
    }
    DropPlayerDialog dialog(names, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The entrant of that name, wherever the lists show it now.
    if (!m_progress->removeEntrantNamed(dialog.chosen())) {
        Ui::message(this,
                    QStringLiteral("%1 is no longer in the tournament.").arg(dialog.chosen()));
        return;
    }
    Ui::clearSelection(m_tournyPlayers);
}

void Throne::reinstate()
{
    const int row = Ui::selectedRow(m_tournyPlayers);
    if (row < 0) {
        Ui::message(this, QStringLiteral("Please select a player to reinstate"));
        return;
    }
    m_progress->reinstate(row);
}

void Throne::start()
{
    switch (m_progress->checkStart(m_rounds->text())) {
    case TournamentProgress::StartRefusal::NoRounds:
        Ui::message(this, QStringLiteral("Please enter the number of rounds"));
        return;
    case TournamentProgress::StartRefusal::NotWholeInRange:
        Ui::message(this, QStringLiteral("Please enter the number of rounds as a whole number "
                                         "from 1 to 99"));
        return;
    case TournamentProgress::StartRefusal::FewerThanReached:
        Ui::message(this, QStringLiteral("The tournament has already reached round %1: please "
                                         "enter at least %1 rounds")
                              .arg(m_progress->fewestRounds()));
        return;
    case TournamentProgress::StartRefusal::Over:
        Ui::message(this, QStringLiteral("The tournament is over!"));
        return;
    case TournamentProgress::StartRefusal::None:
        break;
    }
    // A changed number of rounds changes the length of the tournament under way: asked
    // first, and put back as stored when the organiser says No.
    if (m_progress->changesRounds(m_rounds->text())) {
        const bool change =
            Ui::ask(this,
                    QStringLiteral("The tournament is set to %1 rounds. Change it to %2 rounds?")
                        .arg(m_progress->roundsText().trimmed(), m_rounds->text().trimmed()),
                    Ui::DefaultAnswer::No);
        if (!change) {
            m_rounds->setText(m_progress->roundsText());
            return;
        }
    }
    // The standings at the first start, the number of rounds and the round's pairing are
    // stored together before the round window shows them.
    m_progress->startRound(m_rounds->text());
    openRoundWindow(false);
}

void Throne::openRoundWindow(bool resumed)
{
    // One round window at most: a second click brings the open one to the front.
    if (!tournament()) {
        m_tournament = new Tournament(m_progress, resumed);
        m_tournament->addContextActions(Publish::createPublishActions(m_tournament, m_progress));
        m_tournament->addContextActions(Publish::createReviewActions(m_tournament, m_progress));
        m_tournament->addContextActions(Publish::createReportActions(m_tournament, m_progress));
        m_tournament->addContextActions({m_pageAction, m_liftWaitsAction});
        m_tournament->addContextActions(Publish::createCardActions(m_tournament, m_progress));
        placeBeside(m_tournament);
        Q_EMIT roundWindowOpened(m_tournament);
    }
    m_tournament->show();
    m_tournament->raise();
    m_tournament->activateWindow();
}

void Throne::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // A round resumed at start-up opened before this window was shown: it goes beside it
    // and stays in front, active, so that the keyboard (Ctrl+Z among it) reaches it
    // without a click. Once this window is up, the round window takes the activation back.
    if (Tournament *round = tournament()) {
        placeBeside(round);
        round->raise();
        QTimer::singleShot(0, round, [round] {
            round->raise();
            round->activateWindow();
        });
    }
}

void Throne::showRecordedGames()
{
    RecordedGamesDialog dialog(m_progress, this);
    dialog.exec();
}

void Throne::placeBeside(QWidget *window) const
{
    // To the right of this window where the screen has room; else where the system puts it.
    const QScreen *screen = this->screen();
    if (!screen || !isVisible())
        return;
    const QRect frame = frameGeometry();
    const QRect wanted(QPoint(frame.right() + 1, frame.top()), window->frameGeometry().size());
    if (screen->availableGeometry().contains(wanted))
        window->move(wanted.topLeft());
}

void Throne::openPlayerEditor()
{
    if (!m_playerEditor) {
        m_playerEditor = new PlayerInfo;
        // Each receiver runs under the error path itself: no exception crosses a signal.
        connect(m_playerEditor, &PlayerInfo::playersChanged, this,
                guarded([this] { FillNames(); }));
        connect(m_playerEditor, &PlayerInfo::historyRequested, this,
                guarded([this] { showHistory(); }));
        connect(m_playerEditor, &PlayerInfo::recordRequested, this,
                [this](qint64 id, const QString &name) {
                    Core::runGuarded([this, id, &name] { showPlayerRecord(id, name); });
                });
    }
    // The editor opens at the player selected in the stored players' list.
    const int row = Ui::selectedRow(m_storedPlayers);
    if (row >= 0 && row < m_storedIds.size() && m_storedIds.at(row) != 0)
        m_playerEditor->showPlayer(m_storedIds.at(row));
    m_playerEditor->show();
    m_playerEditor->raise();
    m_playerEditor->activateWindow();
}

Tournament *Throne::tournament() const
{
    return m_tournament && !m_tournament->roundEnded() ? m_tournament.data() : nullptr;
}

PlayerInfo *Throne::playerEditor() const
{
    return m_playerEditor;
}

qint16 Throne::roundcounter() const
{
    return m_progress->roundcounter();
}

qint16 Throne::RandomFirst() const
{
    return m_progress->RandomFirst();
}

} // namespace Zuvi
