#include "publish/screenpaging.h"

#include <QStringList>

#include <algorithm>

namespace Zuvi::Publish {

PageLayout pageLayout(int width, int height, int rowHeight, int minColumnWidth, int maxColumns)
{
    PageLayout layout;
    if (rowHeight > 0)
        layout.rowsPerColumn = std::max(1, height / rowHeight);
    if (minColumnWidth > 0)
        layout.columns = std::clamp(width / minColumnWidth, 1, std::max(1, maxColumns));
    return layout;
}

int pageCount(int rows, int rowsPerPage)
{
    if (rows <= 0)
        return 1;
    const int perPage = std::max(1, rowsPerPage);
    return (rows + perPage - 1) / perPage;
}

int nextPage(int current, int pages)
{
    if (pages <= 1 || current < 0 || current + 1 >= pages)
        return 0;
    return current + 1;
}

int keptPage(int current, int pages)
{
    return current >= 0 && current < pages ? current : 0;
}

std::optional<int> captionSeconds(const QString &caption)
{
    const QStringList parts = caption.split(QLatin1Char(':'));
    if (parts.size() != 3)
        return std::nullopt;
    long long total = 0;
    for (const QString &part : parts) {
        bool ok = false;
        const int value = part.toInt(&ok);
        if (!ok || value < 0 || part.isEmpty() || !part.at(0).isDigit())
            return std::nullopt;
        total = total * 60 + value;
    }
    if (total > 1'000'000'000)
        return std::nullopt;
    return int(total);
}

ClockTone clockTone(int secondsLeft, bool ranOut)
{
    if (secondsLeft <= 0)
        return ranOut ? ClockTone::Red : ClockTone::Normal;
    return secondsLeft <= 5 * 60 ? ClockTone::Amber : ClockTone::Normal;
}

ClockTone ClockWatch::feed(const QString &caption)
{
    const std::optional<int> seconds = captionSeconds(caption);
    if (!seconds) {
        m_tone = ClockTone::Normal;
    } else if (*seconds == 0) {
        // Still red while the run-out caption repeats; any other way to 0 is a fresh clock.
        const bool ranOut = (m_lastSeconds && *m_lastSeconds == 1) ||
                            (m_tone == ClockTone::Red && m_lastSeconds == 0);
        m_tone = clockTone(0, ranOut);
    } else {
        m_tone = clockTone(*seconds, false);
    }
    m_lastSeconds = seconds;
    return m_tone;
}

void ClockWatch::reset()
{
    m_lastSeconds.reset();
    m_tone = ClockTone::Normal;
}

namespace {

/// The area of the part of rect that covers the organiser's windows.
qint64 coveredArea(const QRect &rect, const QList<QRect> &organiser)
{
    qint64 area = 0;
    for (const QRect &window : organiser) {
        const QRect both = rect.intersected(window);
        area += qint64(both.width()) * both.height();
    }
    return area;
}

} // namespace

QRect placeBeside(const QRect &available, const QList<QRect> &organiser, const QSize &preferred,
                  const QSize &minimum)
{
    QRect taken;
    for (const QRect &window : organiser)
        taken = taken.united(window.intersected(available));
    if (taken.isEmpty())
        return QRect(available.topLeft(), preferred.boundedTo(available.size()));

    // The four strips of the screen beside what the organiser's windows take, best first.
    enum class Side { Right, Below, Left, Above };
    const struct
    {
        Side side;
        QRect strip;
    } strips[] = {
        {Side::Right, QRect(QPoint(taken.right() + 1, available.top()), available.bottomRight())},
        {Side::Below, QRect(QPoint(available.left(), taken.bottom() + 1), available.bottomRight())},
        {Side::Left, QRect(available.topLeft(), QPoint(taken.left() - 1, available.bottom()))},
        {Side::Above, QRect(available.topLeft(), QPoint(available.right(), taken.top() - 1))},
    };
    std::optional<QRect> best;
    qint64 bestArea = 0;
    for (const auto &[side, strip] : strips) {
        if (strip.width() < minimum.width() || strip.height() < minimum.height())
            continue;
        const QSize size = preferred.expandedTo(minimum).boundedTo(strip.size());
        const qint64 area = qint64(size.width()) * size.height();
        if (best && area <= bestArea)
            continue;
        // Level with the organiser's windows where the strip allows.
        const int x = std::clamp(taken.left(), strip.left(), strip.right() - size.width() + 1);
        const int y = std::clamp(taken.top(), strip.top(), strip.bottom() - size.height() + 1);
        QPoint at;
        switch (side) {
        case Side::Right:
            at = QPoint(strip.left(), y);
            break;
        case Side::Below:
            at = QPoint(x, strip.top());
            break;
        case Side::Left:
            at = QPoint(strip.right() - size.width() + 1, y);
            break;
        case Side::Above:
            at = QPoint(x, strip.bottom() - size.height() + 1);
            break;
        }
        best = QRect(at, size);
        bestArea = area;
    }
    if (best)
        return *best;

    // No room beside them: the corner that covers the least of them.
    const QSize size = minimum.boundedTo(available.size());
    const QPoint corners[] = {
        QPoint(available.right() - size.width() + 1, available.bottom() - size.height() + 1),
        QPoint(available.right() - size.width() + 1, available.top()),
        QPoint(available.left(), available.bottom() - size.height() + 1),
        available.topLeft(),
    };
    QRect least(corners[0], size);
    for (const QPoint &corner : corners) {
        const QRect rect(corner, size);
        if (coveredArea(rect, organiser) < coveredArea(least, organiser))
            least = rect;
    }
    return least;
}

} // namespace Zuvi::Publish
