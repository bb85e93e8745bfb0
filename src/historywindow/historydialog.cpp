#include "historywindow/historydialog.h"

#include "core/errorpath.h"
#include "data/dberror.h"
#include "history/league.h"
#include "history/pasttournament.h"
#include "publish/csvexport.h"
#include "round/scoring.h"
#include "ui/messagebox.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
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
}

QString number(double value)
{
    return Round::powerText(value);
}

} // namespace

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
    m_standings =
        table(this, "HistoryStandings",
              {QStringLiteral("Rank"), QStringLiteral("Name"), QStringLiteral("House"),
               QStringLiteral("Score"), QStringLiteral("Power"), QStringLiteral("Dropped")});
    m_games = table(this, "HistoryGames",
                    {QStringLiteral("Round"), QStringLiteral("Table"), QStringLiteral("Player 1"),
                     QStringLiteral("Player 2"), QStringLiteral("Result"),
                     QStringLiteral("Power 1"), QStringLiteral("Power 2")});
    auto *leaguePage = new QWidget(this);
    m_scheme = new QComboBox(leaguePage);
    m_scheme->setObjectName(QStringLiteral("LeagueScheme"));
    m_scheme->addItems({QStringLiteral("Sum of tournament scores"),
                        QStringLiteral("Placement points (10, 8, 6, 5, 4, 3, 2, 1)"),
                        QStringLiteral("A point for taking part")});
    m_bestOf = new QSpinBox(leaguePage);
    m_bestOf->setObjectName(QStringLiteral("LeagueBestOf"));
    m_bestOf->setRange(0, 999);
    m_bestOf->setSpecialValueText(QStringLiteral("every event"));
    m_league = table(leaguePage, "LeagueTable",
                     {QStringLiteral("Rank"), QStringLiteral("Player"), QStringLiteral("Points"),
                      QStringLiteral("Events"), QStringLiteral("Counted")});
    auto *schemeRow = new QHBoxLayout;
    auto *schemeLabel = new QLabel(QStringLiteral("&Scheme:"), leaguePage);
    schemeLabel->setBuddy(m_scheme);
    auto *bestLabel = new QLabel(QStringLiteral("&Best of:"), leaguePage);
    bestLabel->setBuddy(m_bestOf);
    schemeRow->addWidget(schemeLabel);
    schemeRow->addWidget(m_scheme, 1);
    schemeRow->addWidget(bestLabel);
    schemeRow->addWidget(m_bestOf);
    auto *leagueLayout = new QVBoxLayout(leaguePage);
    leagueLayout->addLayout(schemeRow);
    leagueLayout->addWidget(m_league);
    m_tabs->addTab(m_standings, QStringLiteral("Standings"));
    m_tabs->addTab(m_games, QStringLiteral("Games"));
    m_tabs->addTab(leaguePage, QStringLiteral("League of the tournaments shown"));

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

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 2);
    layout->addWidget(m_tabs, 3);
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
    showLeague();
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
        for (const History::ArchivedEntrant &e : t->entrants)
            standings.append({QString::number(e.rank), e.name, e.house, number(e.score),
                              number(e.power), e.dropped ? QStringLiteral("yes") : QString()});
        for (const History::ArchivedGame &g : m_archive.games(t->id)) {
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
    History::LeagueScheme scheme;
    scheme.kind = History::LeagueScheme::Kind(m_scheme->currentIndex());
    scheme.bestOf = m_bestOf->value();
    QList<QStringList> rows;
    for (const History::LeagueRow &row : History::leagueTable(m_tournaments, scheme))
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
        past = History::readPastTournament(file, played);
    } catch (const Failure &failure) {
        // A file that is not a tournament file is refused; the archive stays as it was.
        Ui::message(this, QStringLiteral("%1 cannot be added: %2")
                              .arg(QDir::toNativeSeparators(file), failure.description()));
        return;
    }
    m_archive.add(past);
    reload();
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
