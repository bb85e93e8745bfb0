#pragma once

#include "history/archive.h"
#include "history/archiveaccess.h"
#include "history/league.h"

#include <QDialog>
#include <QPointer>

#include <optional>

class QComboBox;
class QDateEdit;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTabWidget;

namespace Zuvi {

namespace Publish {
class BigScreen;
}

/// "History…": the club's finished tournaments, newest first (date, name, entrants,
/// winner). The one selected shows its final standings and its games; it can be renamed
/// or deleted, and the history written out as CSV. The league tab ranks the players over
/// every tournament shown, by the scheme chosen.
class HistoryDialog final : public QDialog
{
    Q_OBJECT

public:
    /// archive is where the history is kept (the files or the shared server).
    explicit HistoryDialog(History::ArchiveAccess archive, QWidget *parent = nullptr);

    /// Reads the archive again and shows it.
    void reload();
    /// "Add a past tournament…" for a tournament file chosen: asks its date, reads it and
    /// adds it to the archive.
    void addPastTournament(const QString &file);

    /// "Export…" once the file is chosen: what the tab shows (the tournament's standings
    /// or games, or the league table) as PDF or CSV by the file's extension. Returns the
    /// reason where nothing was written (also shown to the organiser).
    std::optional<QString> exportShown(const QString &path);
    /// "Show on second screen": what the tab shows on a big screen of the history's own.
    Publish::BigScreen *showOnBigScreen();

private:
    void showSelected();
    void showLeague();
    /// Reads the kept leagues again into the league's list.
    void reloadLeagues();
    /// Shows the league chosen in the list (its dates and scheme), or every tournament.
    void chooseLeague();
    /// Ticks the tournaments the league shown counts; they can be ticked by hand only
    /// when the league's tournaments are chosen one by one.
    void showLeagueTournaments(const History::League &league);
    /// The league as the controls set it.
    History::League leagueShown() const;
    void saveLeague();
    void removeLeague();
    void rename();
    void remove();
    void exportCsv();
    /// What the tab shows as a document: the band for the big screen, the table, and the
    /// tournament's snapshot and document (none for the league); or the reason there is
    /// nothing to show.
    struct Shown;
    std::optional<Shown> shown(QString *refusal) const;
    void printShown();
    /// The tournament selected, or null.
    const History::ArchivedTournament *selected() const;

    History::ArchiveAccess m_archive;
    QList<History::ArchivedTournament> m_tournaments;
    QTableWidget *m_list;
    QTabWidget *m_tabs;
    QTableWidget *m_standings;
    QTableWidget *m_games;
    QTableWidget *m_league;
    QList<History::League> m_leagues;
    QComboBox *m_leagueChoice;
    QDateEdit *m_from;
    QDateEdit *m_to;
    /// Whether the league's tournaments are those of its dates or those ticked.
    QComboBox *m_choosing;
    /// Every tournament, ticked where it counts in the league shown.
    QListWidget *m_leagueTournaments;
    QLineEdit *m_placement;
    QComboBox *m_scheme;
    QSpinBox *m_bestOf;
    QPushButton *m_rename;
    QPushButton *m_delete;
    QPointer<Publish::BigScreen> m_screen;
    /// The league chosen while its tab is hidden: its list and table are made when the tab
    /// is first shown, so that a long history opens at once.
    std::optional<History::League> m_pendingLeague;
};

} // namespace Zuvi
