#pragma once

#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <functional>

class QAction;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QSqlRecord;

namespace Zuvi {

class DataControl;
class FindPlayerDialog;

/// The player editor: one record of the player table at a time, its boxes laid over a
/// picture of a paper registration card and bound to the table through the data control
/// Adodc1. Its buttons add, write, delete and re-read records; closing it says that the
/// stored players may have changed, so that the lists that show them are refilled.
///
/// A record is written only with a first or a last name, and with a typed birthday that is
/// a date (stored as YYYY-MM-DD); Delete asks first. Country is kept with its record in a
/// table of its own beside the player table. "Find…" on the context menu finds a player by
/// name or e-mail.
class PlayerInfo final : public QWidget
{
    Q_OBJECT

public:
    /// Builds the window and opens the player table; a table that cannot be opened is
    /// reported and leaves the window open with empty boxes.
    PlayerInfo();
    ~PlayerInfo() override;
    Q_DISABLE_COPY_MOVE(PlayerInfo)

    DataControl *Adodc1() const { return m_adodc1; }

    /// Shows the stored player with an id (PlayerInfo's ID, its rowid), after writing a
    /// pending change; without such a player the current record stays.
    void showPlayer(qint64 playerId);

    /// The context menu's "Find…" (Ctrl+F).
    QAction *findAction() const { return m_findAction; }

Q_SIGNALS:
    /// The editor closed: the stored players may have changed. Receivers catch what they
    /// throw (they run under the error path themselves), as for every signal.
    void playersChanged();
    /// "History…" (Ctrl+H) on the context menu.
    void historyRequested();
    /// "Player's record…" (Ctrl+R) for the record shown (its ID and its name as the lists
    /// show it).
    void recordRequested(qint64 playerId, const QString &name);

protected:
    void paintEvent(QPaintEvent *event) override;
    /// The closing step, however the window closes: a pending change is written first
    /// (a failure keeps the window open with the change in its boxes), then the default
    /// pointer comes back and playersChanged() is emitted.
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    QLineEdit *cardBox(const char *name, int left, int top, int width);
    /// Runs a data command: a failure shows its description and the window stays usable.
    void runCommand(const std::function<void()> &steps);
    void showPosition();
    /// Refuses a record without a name and a typed birthday that is not a date; turns a
    /// typed date into the stored form.
    static void checkRecord(QSqlRecord &values);
    QString deleteQuestion() const;
    void openFind();
    void findNext();

    void cmdAdd();
    void cmdUpdate();
    void cmdDelete();
    void cmdRefresh();

    QPixmap m_card;

    DataControl *m_adodc1 = nullptr;
    QLineEdit *m_country = nullptr;
    QCheckBox *m_check1 = nullptr;
    QAction *m_findAction = nullptr;
    QPointer<FindPlayerDialog> m_find;
};

} // namespace Zuvi
