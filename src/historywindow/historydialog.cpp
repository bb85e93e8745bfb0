#include "historywindow/historydialog.h"

#include "core/errorpath.h"
#include "data/dberror.h"
#include "history/league.h"
#include "history/pasttournament.h"
#include "publish/bigscreen.h"
#include "publish/csvexport.h"
#include "publish/historydocuments.h"
#include "publish/publishactions.h"
#include "round/scoring.h"
#include "ui/layout.h"
#include "ui/messagebox.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSet>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace Zuvi {

using Core::guarded;

namespace {

QTableWidget *table(QWidget *parent, const char *name, const QStringList &headings)
{
    auto *widget = new QTableWidget(0, int(headings.size()), parent);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setHorizontalHeaderLabels(headings);
    widget->verticalHeader()->hide();
    widget->setEditTriggers(QAbstractItemView::NoEditTriggers);
    widget->setSelectionBehavior(QAbstractItemView::SelectRows);
    widget->setSelectionMode(QAbstractItemView::SingleSelection);
    widget->horizontalHeader()->setStretchLastSection(true);
    // Column widths from the first rows: a long past is not measured row by row.
    widget->horizontalHeader()->setResizeContentsPrecision(100);
    return widget;
}

void fill(QTableWidget *widget, const QList<QStringList> &rows)
{
    widget->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < rows.at(r).size(); ++c)
            widget->setItem(r, c, new QTableWidgetItem(rows.at(r).at(c)));
    }
    widget->resizeColumnsToContents();
    // Fitting the columns to a table that is shown takes the stretch from the last one:
    // it is given back, so that the last column fills the width again.
    widget->horizontalHeader()->setStretchLastSection(false);
    widget->horizontalHeader()->setStretchLastSection(true);
}

/// A control after its caption in a row; the caption's mnemonic moves the focus to it.
void addLabelled(QHBoxLayout *row, const QString &caption, QWidget *control, int stretch = 0)
{
    auto *label = new QLabel(caption, control->parentWidget());
    label->setBuddy(control);
    row->addWidget(label);
    row->addWidget(control, stretch);
}

QString number(double value)
{
    return Round::powerText(value);
}

} // namespace

struct HistoryDialog::Shown
{
    QString band; ///< the big screen's band: the tournament's or the league's name
    Publish::TableDocument table;
    std::optional<std::pair<Publish::DocumentKind, Publish::Snapshot>> tournament;
    QList<History::LeagueRow> league;
};

HistoryDialog::HistoryDialog(History::ArchiveAccess archive, QWidget *parent)
    : QDialog(parent), m_archive(std::move(archive))
{
    setObjectName(QStringLiteral("HistoryDialog"));
    setWindowTitle(QStringLiteral("History"));
    resize(900, 560);

    m_list = table(this, "HistoryTournaments",
                   {QStringLiteral("Date"), QStringLiteral("Name"), QStringLiteral("Entrants"),
                    QStringLiteral("Winner")});
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("HistoryTabs"));
    m_standings = table(this, "HistoryStandings",
                        {QStringLiteral("Rank"), QStringLiteral("Name"), QStringLiteral("House"),
                         QStringLiteral("Score"), QStringLiteral("Power"),
                         QStringLiteral("Dropped"), QStringLiteral("Late entry")});
    m_games = table(this, "HistoryGames",
                    {QStringLiteral("Round"), QStringLiteral("Table"), QStringLiteral("Player 1"),
                     QStringLiteral("Player 2"), QStringLiteral("Result"),
                     QStringLiteral("Power 1"), QStringLiteral("Power 2")});
    auto *leaguePage = new QWidget(this);
    m_leagueChoice = new QComboBox(leaguePage);
    m_leagueChoice->setObjectName(QStringLiteral("LeagueChoice"));
    m_from = new QDateEdit(leaguePage);
    m_from->setObjectName(QStringLiteral("LeagueFrom"));
    m_from->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_from->setCalendarPopup(true);
    m_to = new QDateEdit(leaguePage);
    m_to->setObjectName(QStringLiteral("LeagueTo"));
    m_to->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_to->setCalendarPopup(true);
    m_choosing = new QComboBox(leaguePage);
    m_choosing->setObjectName(QStringLiteral("LeagueChoosing"));
    m_choosing->addItems({QStringLiteral("Played between"), QStringLiteral("Chosen one by one")});
    m_leagueTournaments = new QListWidget(leaguePage);
    m_leagueTournaments->setObjectName(QStringLiteral("LeagueTournaments"));
    m_leagueTournaments->setAccessibleName(QStringLiteral("Tournaments of the league"));
    m_placement = new QLineEdit(QStringLiteral("10, 8, 6, 5, 4, 3, 2, 1"), leaguePage);
    m_placement->setObjectName(QStringLiteral("LeaguePlacement"));
    m_placement->setMaxLength(400);
    m_scheme = new QComboBox(leaguePage);
    m_scheme->setObjectName(QStringLiteral("LeagueScheme"));
    m_scheme->addItems({QStringLiteral("Sum of tournament scores"),
                        QStringLiteral("Placement points"),
                        QStringLiteral("A point for taking part")});
    m_bestOf = new QSpinBox(leaguePage);
    m_bestOf->setObjectName(QStringLiteral("LeagueBestOf"));
    m_bestOf->setRange(0, 999);
    m_bestOf->setSpecialValueText(QStringLiteral("every event"));
    m_league = table(leaguePage, "LeagueTable",
                     {QStringLiteral("Rank"), QStringLiteral("Player"), QStringLiteral("Points"),
                      QStringLiteral("Events"), QStringLiteral("Counted")});
    auto *schemeRow = new QHBoxLayout;
    addLabelled(schemeRow, QStringLiteral("&Scheme:"), m_scheme, 1);
    addLabelled(schemeRow, QStringLiteral("&Best of:"), m_bestOf);
    auto *choiceRow = new QHBoxLayout;
    addLabelled(choiceRow, QStringLiteral("&League:"), m_leagueChoice, 1);
    addLabelled(choiceRow, QStringLiteral("T&ournaments:"), m_choosing);
    addLabelled(choiceRow, QStringLiteral("&From:"), m_from);
    addLabelled(choiceRow, QStringLiteral("&To:"), m_to);
    auto *placementRow = new QHBoxLayout;
    addLabelled(placementRow, QStringLiteral("&Placement points:"), m_placement, 1);
    auto *saveLeague = new QPushButton(QStringLiteral("Sa&ve league\u2026"), leaguePage);
    saveLeague->setObjectName(QStringLiteral("LeagueSave"));
    auto *deleteLeague = new QPushButton(QStringLiteral("Delete lea&gue"), leaguePage);
    deleteLeague->setObjectName(QStringLiteral("LeagueDelete"));
    auto *exportLeague = new QPushButton(QStringLiteral("E&xport league\u2026"), leaguePage);
    exportLeague->setObjectName(QStringLiteral("LeagueExport"));
    placementRow->addWidget(saveLeague);
    placementRow->addWidget(deleteLeague);
    placementRow->addWidget(exportLeague);
    auto *leagueLayout = new QVBoxLayout(leaguePage);
    leagueLayout->addLayout(choiceRow);
    leagueLayout->addLayout(schemeRow);
    leagueLayout->addLayout(placementRow);
    auto *leagueLists = new QHBoxLayout;
    leagueLists->addWidget(m_leagueTournaments, 2);
    leagueLists->addWidget(m_league, 3);
    leagueLayout->addLayout(leagueLists);
    m_tabs->addTab(m_standings, QStringLiteral("Standings"));
    m_tabs->addTab(m_games, QStringLiteral("Games"));
    m_tabs->addTab(leaguePage, QStringLiteral("League"));

    m_rename = new QPushButton(QStringLiteral("&Rename\u2026"), this);
    m_rename->setObjectName(QStringLiteral("HistoryRename"));
    m_delete = new QPushButton(QStringLiteral("&Delete"), this);
    m_delete->setObjectName(QStringLiteral("HistoryDelete"));
    auto *addPast = new QPushButton(QStringLiteral("&Add a past tournament\u2026"), this);
    addPast->setObjectName(QStringLiteral("HistoryAddPast"));
    auto *exportButton = new QPushButton(QStringLiteral("&Export CSV\u2026"), this);
    exportButton->setObjectName(QStringLiteral("HistoryExport"));
    auto *close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("HistoryClose"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_rename);
    buttons->addWidget(m_delete);
    buttons->addWidget(addPast);
    buttons->addWidget(exportButton);
    buttons->addStretch(1);
    buttons->addWidget(close);

    // What the tab shows leaves for the room as the live documents do.
    auto *print = new QAction(QStringLiteral("Print\u2026"), this);
    print->setObjectName(QStringLiteral("HistoryPrintAction"));
    print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    auto *exportShownAction = new QAction(QStringLiteral("Export\u2026"), this);
    exportShownAction->setObjectName(QStringLiteral("HistoryExportAction"));
    exportShownAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    auto *screen = new QAction(QStringLiteral("Show on second screen"), this);
    screen->setObjectName(QStringLiteral("HistoryBigScreenAction"));
    screen->setShortcut(QKeySequence(Qt::Key_F11));
    const QList<QAction *> documentActions{print, exportShownAction, screen};
    for (QAction *action : documentActions) {
        action->setShortcutContext(Qt::WindowShortcut);
        action->setShortcutVisibleInContextMenu(true);
    }
    addActions(documentActions);
    for (QTableWidget *list : {m_list, m_standings, m_games, m_league}) {
        list->setContextMenuPolicy(Qt::ActionsContextMenu);
        list->addActions(documentActions);
    }
    auto *documents = new QHBoxLayout;
    for (auto [action, name] :
         {std::pair{print, "HistoryPrint"}, std::pair{exportShownAction, "HistoryExportShown"},
          std::pair{screen, "HistoryBigScreen"}}) {
        auto *button = new QPushButton(action->text(), this);
        button->setObjectName(QString::fromLatin1(name));
        button->setToolTip(action->shortcut().toString(QKeySequence::NativeText));
        connect(button, &QPushButton::clicked, action, &QAction::trigger);
        documents->addWidget(button);
    }
    documents->addStretch(1);
    connect(print, &QAction::triggered, this, guarded([this] { printShown(); }));
    connect(exportShownAction, &QAction::triggered, this, guarded([this] {
                const bool league = m_tabs->currentIndex() == 2;
                const QString path = QFileDialog::getSaveFileName(
                    this, QStringLiteral("Export"),
                    QDir::home().filePath(league ? QStringLiteral("league.pdf")
                                                 : QStringLiteral("standings.pdf")),
                    QStringLiteral("PDF document (*.pdf);;CSV table (*.csv)"));
                if (!path.isEmpty())
                    exportShown(path);
            }));
    connect(screen, &QAction::triggered, this, guarded([this] { showOnBigScreen(); }));
    connect(exportLeague, &QPushButton::clicked, exportShownAction, &QAction::trigger);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 2);
    layout->addWidget(m_tabs, 3);
    layout->addLayout(documents);
    layout->addLayout(buttons);

    connect(m_list, &QTableWidget::itemSelectionChanged, this, guarded([this] { showSelected(); }));
    connect(m_rename, &QPushButton::clicked, this, guarded([this] { rename(); }));
    connect(m_delete, &QPushButton::clicked, this, guarded([this] { remove(); }));
    connect(exportButton, &QPushButton::clicked, this, guarded([this] { exportCsv(); }));
    connect(addPast, &QPushButton::clicked, this, guarded([this] {
                const QString file = QFileDialog::getOpenFileName(
                    this, QStringLiteral("Add a past tournament"), QDir::homePath(),
                    QStringLiteral("Tournament files (*.db);;All files (*)"));
                if (!file.isEmpty())
                    addPastTournament(file);
            }));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_scheme, &QComboBox::currentIndexChanged, this, guarded([this] { showLeague(); }));
    connect(m_bestOf, &QSpinBox::valueChanged, this, guarded([this] { showLeague(); }));
    connect(m_from, &QDateEdit::dateChanged, this, guarded([this] {
                showLeagueTournaments(leagueShown());
                showLeague();
            }));
    connect(m_to, &QDateEdit::dateChanged, this, guarded([this] {
                showLeagueTournaments(leagueShown());
                showLeague();
            }));
    connect(m_placement, &QLineEdit::textChanged, this, guarded([this] { showLeague(); }));
    connect(m_choosing, &QComboBox::currentIndexChanged, this, guarded([this] {
                // Chosen one by one starts from the tournaments the dates took.
                History::League league = leagueShown();
                if (league.oneByOne) {
                    History::League dated = league;
                    dated.oneByOne = false;
                    for (const History::ArchivedTournament &t :
                         History::tournamentsOf(dated, m_tournaments))
                        league.chosen.append(t.id);
                }
                showLeagueTournaments(league);
                showLeague();
            }));
    connect(m_leagueTournaments, &QListWidget::itemChanged, this,
            guarded([this] { showLeague(); }));
    connect(m_leagueChoice, &QComboBox::activated, this, guarded([this] { chooseLeague(); }));
    connect(m_tabs, &QTabWidget::currentChanged, this, guarded([this] {
                if (m_tabs->currentIndex() != 2 || !m_pendingLeague)
                    return;
                const History::League league = *std::exchange(m_pendingLeague, std::nullopt);
                showLeagueTournaments(league);
                showLeague();
            }));
    connect(saveLeague, &QPushButton::clicked, this, guarded([this] { this->saveLeague(); }));
    connect(deleteLeague, &QPushButton::clicked, this, guarded([this] { removeLeague(); }));
    reload();
}

void HistoryDialog::reload()
{
    // The games are read for the tournament shown only.
    m_tournaments = m_archive.list(false);
    QList<QStringList> rows;
    for (const History::ArchivedTournament &t : std::as_const(m_tournaments))
        rows.append({t.played.toString(Qt::ISODate), t.name, QString::number(t.entrants.size()),
                     t.winner()});
    fill(m_list, rows);
    if (!m_tournaments.isEmpty())
        m_list->selectRow(0);
    showSelected();
    reloadLeagues();
}

void HistoryDialog::reloadLeagues()
{
    m_leagues = m_archive.leagues();
    const QSignalBlocker blockChoice(m_leagueChoice);
    m_leagueChoice->clear();
    m_leagueChoice->addItem(QStringLiteral("Every tournament"), 0);
    for (const History::League &league : std::as_const(m_leagues))
        m_leagueChoice->addItem(league.name, league.id);
    chooseLeague();
}

void HistoryDialog::chooseLeague()
{
    const qint64 id = m_leagueChoice->currentData().toLongLong();
    History::League shown;
    shown.from = m_tournaments.isEmpty() ? QDate::currentDate() : m_tournaments.constLast().played;
    shown.to = m_tournaments.isEmpty() ? QDate::currentDate() : m_tournaments.constFirst().played;
    for (const History::League &league : std::as_const(m_leagues)) {
        if (league.id == id)
            shown = league;
    }
    const QSignalBlocker blockFrom(m_from);
    const QSignalBlocker blockTo(m_to);
    const QSignalBlocker blockScheme(m_scheme);
    const QSignalBlocker blockBest(m_bestOf);
    const QSignalBlocker blockPlacement(m_placement);
    const QSignalBlocker blockChoosing(m_choosing);
    if (shown.from.isValid())
        m_from->setDate(shown.from);
    if (shown.to.isValid())
        m_to->setDate(shown.to);
    m_choosing->setCurrentIndex(shown.oneByOne ? 1 : 0);
    m_scheme->setCurrentIndex(int(shown.scheme.kind));
    m_bestOf->setValue(shown.scheme.bestOf);
    QStringList points;
    for (double value : shown.scheme.placementPoints)
        points.append(number(value));
    m_placement->setText(points.join(QStringLiteral(", ")));
    if (m_tabs->currentIndex() != 2) {
        m_pendingLeague = shown;
        return;
    }
    showLeagueTournaments(shown);
    showLeague();
}

void HistoryDialog::showLeagueTournaments(const History::League &league)
{
    const QSignalBlocker block(m_leagueTournaments);
    m_from->setEnabled(!league.oneByOne);
    m_to->setEnabled(!league.oneByOne);
    QSet<qint64> counted;
    for (const History::ArchivedTournament &t : History::tournamentsOf(league, m_tournaments))
        counted.insert(t.id);
    // One item per tournament, newest first as in the history's list.
    if (m_leagueTournaments->count() != m_tournaments.size()) {
        m_leagueTournaments->clear();
        for (const History::ArchivedTournament &t : std::as_const(m_tournaments)) {
            auto *item = new QListWidgetItem(
                QStringLiteral("%1  %2").arg(t.played.toString(Qt::ISODate), t.name),
                m_leagueTournaments);
            item->setData(Qt::UserRole, t.id);
        }
    }
    for (int i = 0; i < m_leagueTournaments->count(); ++i) {
        QListWidgetItem *item = m_leagueTournaments->item(i);
        const qint64 id = m_tournaments.at(i).id;
        item->setText(QStringLiteral("%1  %2").arg(m_tournaments.at(i).played.toString(Qt::ISODate),
                                                   m_tournaments.at(i).name));
        item->setData(Qt::UserRole, id);
        Qt::ItemFlags flags = Qt::ItemIsEnabled;
        if (league.oneByOne)
            flags |= Qt::ItemIsUserCheckable | Qt::ItemIsSelectable;
        item->setFlags(flags);
        item->setCheckState(counted.contains(id) ? Qt::Checked : Qt::Unchecked);
    }
}

History::League HistoryDialog::leagueShown() const
{
    History::League league;
    league.from = m_from->date();
    league.to = m_to->date();
    league.oneByOne = m_choosing->currentIndex() == 1;
    if (league.oneByOne) {
        for (int i = 0; i < m_leagueTournaments->count(); ++i) {
            const QListWidgetItem *item = m_leagueTournaments->item(i);
            if (item->checkState() == Qt::Checked)
                league.chosen.append(item->data(Qt::UserRole).toLongLong());
        }
    }
    league.scheme.kind = History::LeagueScheme::Kind(m_scheme->currentIndex());
    league.scheme.bestOf = m_bestOf->value();
    if (const auto points = History::parsePlacementPoints(m_placement->text()))
        league.scheme.placementPoints = *points;
    return league;
}

void HistoryDialog::saveLeague()
{
    if (!History::parsePlacementPoints(m_placement->text())) {
        Ui::message(this, QStringLiteral("Please enter the placement points as numbers from 0 to "
                                         "1000000 separated by commas, such as 10, 8, 6, 5."));
        return;
    }
    History::League league = leagueShown();
    if (league.oneByOne && league.chosen.isEmpty()) {
        Ui::message(this, QStringLiteral("Please tick the tournaments of the league."));
        return;
    }
    if (!league.oneByOne && league.from > league.to) {
        Ui::message(this, QStringLiteral("The league's first day comes after its last."));
        return;
    }
    QInputDialog dialog(this);
    dialog.setObjectName(QStringLiteral("LeagueName"));
    dialog.setWindowTitle(QStringLiteral("Save league"));
    dialog.setLabelText(QStringLiteral("Name of the league:"));
    if (m_leagueChoice->currentIndex() > 0)
        dialog.setTextValue(m_leagueChoice->currentText());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const std::optional<QString> name = History::checkedName(dialog.textValue());
    if (!name) {
        Ui::message(this, QStringLiteral("Please enter a name of 1 to 200 letters."));
        return;
    }
    league.name = *name;
    // Another league of that name would be replaced by this one: asked first.
    const qint64 current = m_leagueChoice->currentData().toLongLong();
    if (const std::optional<History::League> other =
            History::otherLeagueNamed(m_leagues, league.name, current)) {
        if (!Ui::ask(this,
                     QStringLiteral("A league named \"%1\" is kept already. Replace it with "
                                    "this one?")
                         .arg(other->name),
                     Ui::DefaultAnswer::No))
            return;
    }
    const qint64 id = m_archive.saveLeague(league);
    reloadLeagues();
    m_leagueChoice->setCurrentIndex(std::max(0, m_leagueChoice->findData(id)));
    chooseLeague();
}

void HistoryDialog::removeLeague()
{
    if (m_leagueChoice->currentIndex() <= 0)
        return;
    if (!Ui::ask(this,
                 QStringLiteral("Delete the league \"%1\"? Its tournaments stay in the history.")
                     .arg(m_leagueChoice->currentText()),
                 Ui::DefaultAnswer::No))
        return;
    m_archive.removeLeague(m_leagueChoice->currentData().toLongLong());
    reloadLeagues();
}

const History::ArchivedTournament *HistoryDialog::selected() const
{
    const int row = m_list->currentRow();
    if (row < 0 || row >= m_tournaments.size() || m_list->selectedItems().isEmpty())
        return nullptr;
    return &m_tournaments.at(row);
}

void HistoryDialog::showSelected()
{
    const History::ArchivedTournament *t = selected();
    m_rename->setEnabled(t);
    m_delete->setEnabled(t);
    QList<QStringList> standings;
    QList<QStringList> games;
    if (t) {
        // The games of the tournament shown are read when it is first shown, for the tab
        // and for its documents.
        if (t->games.isEmpty())
            m_tournaments[m_list->currentRow()].games = m_archive.games(t->id);
        for (const History::ArchivedEntrant &e : t->entrants)
            standings.append({QString::number(e.rank), e.name, e.house, number(e.score),
                              number(e.power), e.dropped ? QStringLiteral("yes") : QString(),
                              e.late ? QStringLiteral("yes") : QString()});
        for (const History::ArchivedGame &g : std::as_const(t->games)) {
            const bool bye = g.player2 == QLatin1String("Bye");
            games.append({QString::number(g.round), QString::number(g.table), g.player1, g.player2,
                          g.result1, number(g.power1), bye ? QString() : number(g.power2)});
        }
    }
    fill(m_standings, standings);
    fill(m_games, games);
}

void HistoryDialog::showLeague()
{
    const History::League league = leagueShown();
    QList<QStringList> rows;
    for (const History::LeagueRow &row :
         History::leagueTable(History::tournamentsOf(league, m_tournaments), league.scheme))
        rows.append({QString::number(row.rank), row.name, number(row.points),
                     QString::number(row.events), QString::number(row.counted)});
    fill(m_league, rows);
}

void HistoryDialog::rename()
{
    const History::ArchivedTournament *t = selected();
    if (!t)
        return;
    QInputDialog dialog(this);
    dialog.setObjectName(QStringLiteral("HistoryRenameDialog"));
    dialog.setWindowTitle(QStringLiteral("Rename"));
    dialog.setLabelText(
        QStringLiteral("Name of the tournament of %1:").arg(t->played.toString(Qt::ISODate)));
    dialog.setTextValue(t->name);
    Ui::plainTextLabels(&dialog);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString typed = dialog.textValue();
    const std::optional<QString> name = History::checkedName(typed);
    if (!name) {
        Ui::message(this, QStringLiteral("Please enter a name of 1 to 200 letters."));
        return;
    }
    m_archive.rename(t->id, *name);
    const int row = m_list->currentRow();
    reload();
    m_list->selectRow(row);
}

void HistoryDialog::remove()
{
    const History::ArchivedTournament *t = selected();
    if (!t)
        return;
    if (!Ui::ask(this,
                 QStringLiteral("Delete \"%1\" of %2 from the history? This cannot be undone.")
                     .arg(t->name, t->played.toString(Qt::ISODate)),
                 Ui::DefaultAnswer::No))
        return;
    m_archive.remove(t->id);
    reload();
}

void HistoryDialog::addPastTournament(const QString &file)
{
    QInputDialog dialog(this);
    dialog.setObjectName(QStringLiteral("HistoryPastDate"));
    dialog.setWindowTitle(QStringLiteral("Add a past tournament"));
    dialog.setLabelText(QStringLiteral("Date the tournament of %1 was played (YYYY-MM-DD):")
                            .arg(QFileInfo(file).fileName()));
    dialog.setTextValue(QDate::currentDate().toString(Qt::ISODate));
    Ui::plainTextLabels(&dialog);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QDate played = QDate::fromString(dialog.textValue().trimmed(), Qt::ISODate);
    if (!played.isValid()) {
        Ui::message(this, QStringLiteral("Please enter the date as YYYY-MM-DD, for example %1.")
                              .arg(QDate::currentDate().toString(Qt::ISODate)));
        return;
    }
    History::ArchivedTournament past;
    try {
        past = History::readPastTournament(file, played, m_archive.storedPlayersByName());
    } catch (const Failure &failure) {
        // A file that is not a tournament file is refused; the archive stays as it was.
        Ui::message(this, QStringLiteral("%1 cannot be added: %2")
                              .arg(QDir::toNativeSeparators(file), failure.description()));
        return;
    }
    m_archive.add(past);
    reload();
}

std::optional<HistoryDialog::Shown> HistoryDialog::shown(QString *refusal) const
{
    Shown shown;
    if (m_tabs->currentIndex() == 2) {
        const History::League league = leagueShown();
        const QList<History::ArchivedTournament> tournaments =
            History::tournamentsOf(league, m_tournaments);
        shown.league = History::leagueTable(tournaments, league.scheme);
        // The league chosen keeps its name while it is shown as kept.
        const QString name =
            m_leagueChoice->currentIndex() > 0 ? m_leagueChoice->currentText() : QString();
        shown.table =
            Publish::leagueDocument(name, league.scheme, int(tournaments.size()), shown.league);
        shown.band = name.isEmpty() ? QStringLiteral("League") : name;
        return shown;
    }
    const History::ArchivedTournament *t = selected();
    if (!t) {
        *refusal = QStringLiteral("Please select a tournament.");
        return std::nullopt;
    }
    const Publish::DocumentKind kind = m_tabs->currentIndex() == 1
                                           ? Publish::DocumentKind::Games
                                           : Publish::DocumentKind::Standings;
    const Publish::Snapshot snapshot = Publish::archivedSnapshot(*t);
    if (const std::optional<QString> nothing = Publish::nothingToShow(kind, snapshot)) {
        *refusal = *nothing;
        return std::nullopt;
    }
    shown.band = t->name;
    shown.table = Publish::tableDocument(kind, snapshot);
    shown.tournament = std::pair{kind, snapshot};
    return shown;
}

std::optional<QString> HistoryDialog::exportShown(const QString &path)
{
    QString refusal;
    const std::optional<Shown> what = shown(&refusal);
    std::optional<QString> error;
    if (!what)
        error = refusal;
    else if (what->tournament)
        error = Publish::exportDocument(what->tournament->first, what->tournament->second, path);
    else
        error = Publish::exportLeague(what->table, what->league, path);
    if (error)
        Ui::message(this, QStringLiteral("%1 could not be written: %2")
                              .arg(QDir::toNativeSeparators(path), *error));
    return error;
}

Publish::BigScreen *HistoryDialog::showOnBigScreen()
{
    QString refusal;
    const std::optional<Shown> what = shown(&refusal);
    if (!what) {
        Ui::message(this, refusal);
        return nullptr;
    }
    if (!m_screen) {
        // The history's own screen: it follows no tournament and closes with the window.
        m_screen = new Publish::BigScreen(nullptr, this);
        m_screen->setAttribute(Qt::WA_DeleteOnClose);
    }
    // A tournament's standings as the room saw them at the end; its games and the league
    // as tables.
    if (what->tournament && what->tournament->first == Publish::DocumentKind::Standings)
        m_screen->showSnapshot(what->tournament->second);
    else
        m_screen->showTable(what->band, what->table);
    m_screen->present(this);
    return m_screen;
}

void HistoryDialog::printShown()
{
    QString refusal;
    const std::optional<Shown> what = shown(&refusal);
    if (!what) {
        Ui::message(this, refusal);
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(what->table.title);
    printer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    // The preview shows the pages and prints them.
    QPrintPreviewDialog preview(&printer, this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
            [&](QPrinter *target) { Publish::paintDocument(what->table, *target); });
    preview.exec();
}

void HistoryDialog::exportCsv()
{
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Export the history"),
        QDir::home().filePath(QStringLiteral("history.csv")), QStringLiteral("CSV (*.csv)"));
    if (path.isEmpty())
        return;
    if (const std::optional<QString> error =
            Publish::writeCsvRows(Publish::historyCsvRows(m_tournaments), path))
        Ui::message(this, QStringLiteral("%1 could not be written: %2")
                              .arg(QDir::toNativeSeparators(path), *error));
}

} // namespace Zuvi
