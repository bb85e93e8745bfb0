#pragma once

#include <QHash>
#include <QList>
#include <QString>

namespace Zuvi {

/// The wrong personal codes each sender address has given on the players' page, and the
/// waits they earn: after kWrongCodesAllowed wrong codes the sender waits a minute, and each
/// wrong code after a wait starts a wait twice as long as the last (an hour at most). A wait
/// holds back that sender only: the players of any table report from other phones with their
/// own codes. Kept in memory: it is about the network, not the tournament.
class ReportWaits final
{
public:
    static constexpr int kWrongCodesAllowed = 5;
    static constexpr qint64 kFirstWaitMs = 60 * 1000;
    static constexpr qint64 kLongestWaitMs = 60 * 60 * 1000;

    /// How long sender must still wait at now (ms since the epoch); 0 where it may send.
    qint64 waitLeft(const QString &sender, qint64 now) const;
    /// Counts a wrong code from sender at now. Returns the wait it starts (0: none yet).
    qint64 wrongCode(const QString &sender, qint64 now);

    /// A sender that gave wrong codes, for the organiser.
    struct Sender
    {
        QString address;
        int wrong = 0;     ///< wrong codes given since the organiser last lifted its waits
        qint64 leftMs = 0; ///< how long it still waits (0: it does not)
    };
    /// The senders that gave wrong codes, those waiting first.
    QList<Sender> senders(qint64 now) const;
    /// Lifts every wait and forgets the counts. Returns how many senders were waiting.
    int liftAll(qint64 now);

private:
    struct Count
    {
        int wrong = 0;    ///< wrong codes in all
        int waits = 0;    ///< waits started
        qint64 until = 0; ///< the end of the last wait
        qint64 last = 0;  ///< the last wrong code
    };
    QHash<QString, Count> m_counts;
};

} // namespace Zuvi
