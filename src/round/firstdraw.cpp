#include "round/firstdraw.h"

#include <cmath>

namespace Zuvi::Round {

namespace {

// Index floor(r * count) of a list of count entries, kept inside the list whatever the
// source returns (a value of 1, a negative one or NaN would otherwise point outside it).
qsizetype drawIndex(const UniformRandom &random, qsizetype count)
{
    const double scaled = std::floor(random() * static_cast<double>(count));
    if (!(scaled >= 0.0))
        return 0;
    if (scaled >= static_cast<double>(count))
        return count - 1;
    return static_cast<qsizetype>(scaled);
}

// The entrants not drawn yet, in their order. Taking the k-th of them costs O(log n)
// through a Fenwick tree of "still there" counts; removing from the middle of a list
// each time would move the rest of it at every draw (quadratic in the entrants).
class Remaining
{
public:
    explicit Remaining(QStringList &entrants)
        : m_entrants(entrants), m_tree(entrants.size() + 1, 0), m_count(entrants.size())
    {
        for (qsizetype i = 1; i <= m_count; ++i) {
            m_tree[i] += 1;
            const qsizetype parent = i + (i & -i);
            if (parent <= m_count)
                m_tree[parent] += m_tree[i];
        }
        m_top = 1;
        while (m_top * 2 <= m_count)
            m_top *= 2;
    }

    qsizetype count() const { return m_count; }

    QString take(qsizetype k)
    {
        // The position whose prefix count is k + 1.
        qsizetype position = 0;
        qsizetype left = k + 1;
        for (qsizetype step = m_top; step > 0; step /= 2) {
            const qsizetype next = position + step;
            if (next < m_tree.size() && m_tree[next] < left) {
                position = next;
                left -= m_tree[next];
            }
        }
        for (qsizetype i = position + 1; i < m_tree.size(); i += i & -i)
            m_tree[i] -= 1;
        --m_count;
        return std::move(m_entrants[position]);
    }

private:
    QStringList &m_entrants;
    QList<qsizetype> m_tree;
    qsizetype m_count;
    qsizetype m_top = 1;
};

QString takeDrawn(Remaining &remaining, const UniformRandom &random)
{
    return remaining.take(drawIndex(random, remaining.count()));
}

} // namespace

Pairing drawFirstRound(QStringList &entrants, const UniformRandom &random)
{
    Pairing pairing;
    const qsizetype passes =
        static_cast<qsizetype>(roundHalfEven(static_cast<double>(entrants.size()) / 2.0)) + 1;
    pairing.left.reserve(passes);
    pairing.right.reserve(passes);
    Remaining remaining(entrants);
    for (qsizetype pass = 0; pass < passes; ++pass) {
        if (remaining.count() == 0)
            continue;
        pairing.left.append(takeDrawn(remaining, random));
        if (remaining.count() == 0)
            pairing.right.append(bye());
        else
            pairing.right.append(takeDrawn(remaining, random));
    }
    entrants.clear();
    return pairing;
}

} // namespace Zuvi::Round
