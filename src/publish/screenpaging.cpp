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

} // namespace Zuvi::Publish
