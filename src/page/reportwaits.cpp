#include "page/reportwaits.h"

#include <algorithm>

namespace Zuvi {

qint64 ReportWaits::waitLeft(const QString &sender, qint64 now) const
{
    const auto found = m_counts.constFind(sender);
    return found == m_counts.cend() ? 0 : std::max<qint64>(0, found->until - now);
}

qint64 ReportWaits::wrongCode(const QString &sender, qint64 now)
{
    if (m_counts.size() > 4096 && !m_counts.contains(sender)) {
        // Senders neither waiting nor heard from within the longest wait are forgotten, so
        // that a flood of addresses cannot fill the memory.
        m_counts.removeIf([now](const auto &entry) {
            return entry.value().until <= now && now - entry.value().last >= kLongestWaitMs;
        });
    }
    Count &count = m_counts[sender];
    ++count.wrong;
    count.last = now;
    // The first wait after kWrongCodesAllowed; after it, every wrong code waits longer.
    if (count.waits == 0 && count.wrong < kWrongCodesAllowed)
        return 0;
    const qint64 wait = std::min(kLongestWaitMs, kFirstWaitMs << std::min(count.waits, 10));
    ++count.waits;
    count.until = now + wait;
    return wait;
}

QList<ReportWaits::Sender> ReportWaits::senders(qint64 now) const
{
    QList<Sender> list;
    for (auto it = m_counts.cbegin(); it != m_counts.cend(); ++it)
        list.append({it.key(), it.value().wrong, std::max<qint64>(0, it.value().until - now)});
    std::sort(list.begin(), list.end(), [](const Sender &a, const Sender &b) {
        return a.leftMs != b.leftMs ? a.leftMs > b.leftMs : a.address < b.address;
    });
    return list;
}

int ReportWaits::liftAll(qint64 now)
{
    const auto waiting = std::count_if(m_counts.cbegin(), m_counts.cend(),
                                       [now](const Count &count) { return count.until > now; });
    m_counts.clear();
    return int(waiting);
}

} // namespace Zuvi
