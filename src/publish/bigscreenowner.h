#pragma once

#include <QObject>
#include <QPointer>

namespace Zuvi {
class TournamentProgress;
}

namespace Zuvi::Publish {

class BigScreen;

/// Holds the one big screen of a tournament and remembers, with the tournament's stored
/// progress, whether it is open, so that a tournament resumed after Zuvi stopped shows it
/// again. A child of the tournament, so that the screen closes when the tournament object
/// goes; that end (Zuvi stopping) leaves what is remembered as it was.
class BigScreenOwner final : public QObject
{
    Q_OBJECT

public:
    /// The owner of progress's big screen; made when create is true and there is none.
    static BigScreenOwner *of(const TournamentProgress *progress, bool create);
    ~BigScreenOwner() override;
    Q_DISABLE_COPY_MOVE(BigScreenOwner)

    BigScreen *screen() const;

    /// F11: opens the screen beside the window given, or toggles its full screen once it is
    /// open.
    void showOrToggle(QWidget *beside);
    /// Opens the screen beside the window given, where it is not open yet.
    void open(QWidget *beside);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit BigScreenOwner(TournamentProgress *progress);

    TournamentProgress *m_progress;
    QPointer<BigScreen> m_screen;
};

/// At start-up, once the question about a stored tournament is answered: where the
/// tournament was resumed (resumed) and its big screen was open when Zuvi stopped, the big
/// screen opens again beside window as soon as window is shown; otherwise what was stored
/// about the big screen is forgotten, so that a tournament discarded or finished does not
/// bring it back later.
void restoreBigScreen(TournamentProgress *progress, QWidget *window, bool resumed);

} // namespace Zuvi::Publish
