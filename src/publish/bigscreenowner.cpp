#include "publish/bigscreenowner.h"

#include "core/errorpath.h"
#include "publish/bigscreen.h"
#include "tournament/tournamentprogress.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace Zuvi::Publish {

namespace {

/// Opens the big screen once the window it goes beside is shown (and placed), so that it
/// can find its place beside the organiser's windows.
class OpenWhenShown final : public QObject
{
public:
    OpenWhenShown(TournamentProgress *progress, QWidget *window)
        : QObject(window), m_progress(progress), m_window(window)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::Show) {
            // After the window's own handling of its showing, which places the windows it
            // brings along (a resumed round window among them).
            QTimer::singleShot(0, m_window,
                               Core::guarded([progress = m_progress, window = m_window] {
                                   if (progress && window)
                                       BigScreenOwner::of(progress, true)->open(window);
                               }));
            m_window->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    QPointer<TournamentProgress> m_progress;
    QPointer<QWidget> m_window;
};

} // namespace

BigScreenOwner::BigScreenOwner(TournamentProgress *progress)
    : QObject(progress), m_progress(progress)
{
    setObjectName(QStringLiteral("PublishBigScreenOwner"));
}

BigScreenOwner::~BigScreenOwner()
{
    // Zuvi stopping (or the tournament object going): the screen goes without a close, and
    // what is stored stays as it was, to be brought back by a resume.
    delete m_screen.data();
}

BigScreenOwner *BigScreenOwner::of(const TournamentProgress *progress, bool create)
{
    auto *owner = progress->findChild<BigScreenOwner *>(QStringLiteral("PublishBigScreenOwner"),
                                                        Qt::FindDirectChildrenOnly);
    if (!owner && create)
        owner = new BigScreenOwner(const_cast<TournamentProgress *>(progress));
    return owner;
}

BigScreen *BigScreenOwner::screen() const
{
    return m_screen;
}

void BigScreenOwner::showOrToggle(QWidget *beside)
{
    if (m_screen && m_screen->isVisible()) {
        m_screen->toggleFullScreen();
        return;
    }
    open(beside);
}

void BigScreenOwner::open(QWidget *beside)
{
    if (m_screen && m_screen->isVisible())
        return;
    if (!m_screen) {
        m_screen = new BigScreen(m_progress);
        m_screen->setAttribute(Qt::WA_DeleteOnClose);
        m_screen->installEventFilter(this);
    }
    m_progress->setBigScreenOpen(true);
    m_screen->present(beside);
}

bool BigScreenOwner::eventFilter(QObject *watched, QEvent *event)
{
    // Closed by the organiser while other windows of Zuvi stay open: not to be brought
    // back. Closed as the last window, Zuvi stops with the screen open. The event's type is
    // looked at first: while the screen is being destroyed it is no longer a BigScreen,
    // and its pointer must not be taken as one.
    if (event->type() == QEvent::Close && watched == m_screen &&
        !BigScreen::organiserWindows().isEmpty())
        Core::runGuarded([this] { m_progress->setBigScreenOpen(false); });
    return false;
}

void restoreBigScreen(TournamentProgress *progress, QWidget *window, bool resumed)
{
    // Only a resumed tournament brings its big screen back: one discarded has lost the
    // flag with its progress, and a new tournament's first step replaces a finished one's.
    if (!resumed || !progress->bigScreenOpen())
        return;
    if (window->isVisible())
        BigScreenOwner::of(progress, true)->open(window);
    else
        new OpenWhenShown(progress, window);
}

} // namespace Zuvi::Publish
