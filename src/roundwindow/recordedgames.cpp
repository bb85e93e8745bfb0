#include "roundwindow/recordedgames.h"

#include "tournament/tablereports.h"

#include "core/errorpath.h"
#include "round/numbertext.h"
#include "round/pairing.h"
#include "round/scoring.h"
#include "roundwindow/gameentry.h"
#include "tournament/tournamentprogress.h"
#include "ui/accessibility.h"
#include "ui/apptitle.h"
#include "ui/messagebox.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace Zuvi {

namespace Round {

/// Where the reports of a table of a round's pairing are found.
QString reportKey(int round, int pairing, int seat)
{
    return QStringLiteral("%1/%2/%3").arg(round).arg(pairing).arg(seat);
}

/// The recorded games as rows of a table, newest last, then the games of ended rounds
/// that were not recorded (id 0), in round and table order.
class GamesTableModel final : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setGames(QList<Progress::Game> games, const QList<Progress::MissedGame> &missed)
    {
        beginResetModel();
        m_games = std::move(games);
        for (const Progress::MissedGame &game : missed) {
            Progress::Game row;
            row.round = game.round;
            row.pairing = game.pairing;
            row.seat = game.seat;
            row.player1 = game.player1;
            row.player2 = game.player2;
            m_games.append(row);
        }
        endResetModel();
    }
    const QList<Progress::Game> &games() const { return m_games; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(m_games.size());
    }
    int columnCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : 7 + (m_withStation ? 1 : 0) + (m_withReports ? 1 : 0);
    }
    /// Where stations share the tournament, a column says which recorded each game.
    void setWithStation(bool on) { m_withStation = on; }
    /// Where results are taken from the tables, a last column gives the reports of each
    /// table of the pairing in play, with what became of them (key: round, pairing, seat).
    void setReports(QHash<QString, QString> reports, bool on)
    {
        beginResetModel();
        m_reports = std::move(reports);
        m_withReports = on;
        endResetModel();
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || role != Qt::DisplayRole)
            return QVariant();
        const Progress::Game &game = m_games.at(index.row());
        const bool bye = game.player2 == Round::bye();
        if (index.column() == reportsColumn())
            return m_reports.value(reportKey(game.round, game.pairing, game.seat));
        if (game.id == 0 && index.column() >= 4)
            return index.column() == 4 ? QStringLiteral("Not recorded") : QString();
        switch (index.column()) {
        case 0:
            return game.round;
        case 1:
            return game.seat + 1;
        case 2:
            return game.player1;
        case 3:
            return game.player2;
        case 4:
            return game.result1;
        case 5:
            return Round::powerText(game.power1);
        case 6:
            return bye ? QString() : Round::powerText(game.power2);
        case 7:
            return m_withStation ? game.station : QString();
        }
        return QVariant();
    }
    int reportsColumn() const { return m_withReports ? 7 + (m_withStation ? 1 : 0) : -1; }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const char *const titles[] = {"Round",  "Table",   "Player 1", "Player 2",
                                             "Result", "Power 1", "Power 2",  "Station"};
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
            section < columnCount())
            return section == reportsColumn() ? QStringLiteral("Reports")
                                              : QString::fromLatin1(titles[section]);
        return QAbstractTableModel::headerData(section, orientation, role);
    }

private:
    QList<Progress::Game> m_games;
    bool m_withStation = false;
    bool m_withReports = false;
    QHash<QString, QString> m_reports;
};

} // namespace Round

RecordedGamesDialog::RecordedGamesDialog(TournamentProgress *progress, QWidget *parent)
    : QDialog(parent), m_progress(progress)
{
    setObjectName(QStringLiteral("RecordedGamesDialog"));
    setWindowTitle(QStringLiteral("Recorded games"));
    resize(720, 420);

    m_model = new Round::GamesTableModel(this);
    m_model->setWithStation(progress->isShared());
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("RecordedGamesTable"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);

    m_result = new QComboBox(this);
    m_result->setObjectName(QStringLiteral("AmendResult"));
    m_result->setEditable(true);
    m_result->setInsertPolicy(QComboBox::NoInsert);
    m_result->setCompleter(nullptr);
    m_result->addItems(Round::resultTexts());
    m_power1 = new QLineEdit(this);
    m_power1->setObjectName(QStringLiteral("AmendPower1"));
    m_power2 = new QLineEdit(this);
    m_power2->setObjectName(QStringLiteral("AmendPower2"));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Player 1's result:"), m_result);
    form->addRow(QStringLiteral("Player 1's power:"), m_power1);
    form->addRow(QStringLiteral("Player 2's power:"), m_power2);

    m_reopen = new QPushButton(QStringLiteral("Reopen"), this);
    m_reopen->setObjectName(QStringLiteral("ReopenGame"));
    m_amend = new QPushButton(QStringLiteral("Amend"), this);
    m_amend->setObjectName(QStringLiteral("AmendGame"));
    auto *close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_reopen);
    buttons->addWidget(m_amend);
    buttons->addStretch();
    buttons->addWidget(close);

    // What a screen reader says for each control.
    Ui::speakAs(m_table, QStringLiteral("Recorded games"),
                QStringLiteral("Select a game to reopen it or to amend its result and powers."));
    Ui::speakAs(m_result, QStringLiteral("Player 1's result"));
    Ui::speakAs(m_power1, QStringLiteral("Player 1's power"));
    Ui::speakAs(m_power2, QStringLiteral("Player 2's power"));
    Ui::keyboardContextMenu(m_table);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_table);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_reopen, &QPushButton::clicked, this, Core::guarded([this] { reopen(); }));
    connect(m_amend, &QPushButton::clicked, this, Core::guarded([this] { amend(); }));
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { selectGame(); });
    connect(m_progress, &TournamentProgress::gamesChanged, this,
            Core::guarded([this] { refresh(); }));
    refresh();
}

RecordedGamesDialog::~RecordedGamesDialog() = default;

void RecordedGamesDialog::refresh()
{
    // A game recorded late keeps its place in the selection by its round and table.
    const Progress::Game *before = selectedGame();
    const qint64 selected = before ? before->id : -1;
    const std::pair<int, int> place =
        before ? std::pair{before->round, before->seat} : std::pair{-1, -1};
    m_model->setGames(m_progress->games(), m_progress->missedGames());
    // The reports of the pairing in play, each with its fate.
    QHash<QString, QString> reports;
    const Progress::State &state = m_progress->state();
    if (state.takeReports && Progress::bookIsCurrent(state)) {
        for (const Progress::Report &report : state.reports.reports) {
            if (report.table < 1 || report.table > state.seats.size())
                continue;
            static const char *const fates[] = {"waiting", "recorded", "rejected", "replaced"};
            QString &text = reports[Round::reportKey(state.reports.round, state.reports.pairing,
                                                     report.table - 1)];
            if (!text.isEmpty())
                text += QStringLiteral("; ");
            text += QStringLiteral("%1 (%2)").arg(
                Progress::reportText(report, state.seats.at(report.table - 1)),
                QString::fromLatin1(fates[int(report.fate)]));
        }
        // And the reports refused at each table for a wrong code.
        for (auto it = state.reports.refused.cbegin(); it != state.reports.refused.cend(); ++it) {
            if (it.key() < 1 || it.key() > state.seats.size())
                continue;
            QString &text =
                reports[Round::reportKey(state.reports.round, state.reports.pairing, it.key() - 1)];
            if (!text.isEmpty())
                text += QStringLiteral("; ");
            text += it.value() == 1
                        ? QStringLiteral("1 report refused for a wrong code")
                        : QStringLiteral("%1 reports refused for a wrong code").arg(it.value());
        }
    }
    m_model->setReports(std::move(reports), state.takeReports);
    for (int row = 0; row < m_model->games().size(); ++row) {
        const Progress::Game &game = m_model->games().at(row);
        if (selected == 0 ? std::pair{game.round, game.seat} == place : game.id == selected)
            m_table->selectRow(row);
    }
    selectGame();
}

const Progress::Game *RecordedGamesDialog::selectedGame() const
{
    const QModelIndexList rows = m_table->selectionModel()->selectedRows();
    if (rows.isEmpty() || rows.first().row() >= m_model->games().size())
        return nullptr;
    return &m_model->games().at(rows.first().row());
}

void RecordedGamesDialog::selectGame()
{
    const Progress::Game *game = selectedGame();
    const QList<Progress::Game> open = m_progress->openRoundGames();
    const bool inOpenRound =
        game && std::any_of(open.cbegin(), open.cend(),
                            [&](const Progress::Game &g) { return g.id == game->id; });
    m_reopen->setEnabled(inOpenRound);
    m_amend->setEnabled(game && !inOpenRound);
    // A game that was not recorded is recorded here; a recorded one is amended.
    m_amend->setText(game && game->id == 0 ? QStringLiteral("Record") : QStringLiteral("Amend"));
    if (!game)
        return;
    const bool bye = game->player2 == Round::bye();
    if (game->id == 0) {
        m_result->setCurrentIndex(-1);
        m_result->setEditText(QString());
        m_power1->clear();
        m_power2->clear();
        m_power2->setEnabled(!bye);
        return;
    }
    m_result->setEditText(game->result1);
    m_power1->setText(Round::powerText(game->power1));
    m_power2->setText(bye ? QString() : Round::powerText(game->power2));
    m_power2->setEnabled(!bye);
}

void RecordedGamesDialog::reopen()
{
    const Progress::Game *selected = selectedGame();
    if (!selected)
        return;
    const Progress::Game game = *selected;
    if (const std::optional<int> row = m_progress->reopenGame(game.id)) {
        Q_EMIT reopened(*row, game);
        accept();
    }
}

void RecordedGamesDialog::amend()
{
    const Progress::Game *selected = selectedGame();
    if (!selected)
        return;
    const Progress::Game game = *selected;
    // The result and the amounts are checked as "Game Over" checks them; a refusal changes
    // nothing.
    const std::optional<GameEntry> entry =
        readGameEntry(this, m_result->currentText(), m_power1->text(), m_power2->text(),
                      game.player2 == Round::bye());
    if (!entry)
        return;
    if (game.id == 0) {
        m_progress->recordMissedGame(
            {game.round, game.pairing, game.seat, game.player1, game.player2}, entry->result1,
            entry->power1, entry->power2);
        return;
    }
    m_progress->amendGame(game.id, entry->result1, entry->power1, entry->power2);
}

} // namespace Zuvi
