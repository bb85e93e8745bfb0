#pragma once

#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace Zuvi {

class DataControl;

/// The player editor: one record of the player table at a time, its boxes laid over a
/// picture of a paper registration card and bound to the table through the data control
/// Adodc1. Its buttons add, write, delete and re-read records; closing it says that the
/// stored players may have changed, so that the lists that show them are refilled.
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

Q_SIGNALS:
    /// The editor closed: the stored players may have changed. Emitted under the error
    /// path, so a receiver that reads the database may throw DbError.
    void playersChanged();

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

    void cmdAdd();
    void cmdUpdate();
    void cmdDelete();
    void cmdRefresh();

    QPixmap m_card;

    DataControl *m_adodc1 = nullptr;
    QLineEdit *m_country = nullptr;
    QCheckBox *m_check1 = nullptr;
};

} // namespace Zuvi
