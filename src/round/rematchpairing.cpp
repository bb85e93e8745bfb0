#include "round/rematchpairing.h"

#include <QHash>

#include <algorithm>
#include <climits>
#include <utility>
#include <vector>

namespace Zuvi::Round {

namespace {

// Steps (partners looked at, cells of the matching's tables) after which the search stops
// looking ahead and pairs the rest of the field greedily: a few hundred milliseconds at
// most, far beyond what a field of thousands with a dozen rounds behind it needs.
constexpr qint64 kWorkLimit = 60'000'000;

// Partners the greedy rest looks at for one entrant before it takes the rule's partner.
constexpr int kGreedyLook = 256;

// Maximum matching in a general graph given by an adjacency matrix (Edmonds' blossoms,
// O(V^3)). The search only asks it about small sets of entrants.
class Blossom
{
public:
    // match: a matching to start from (-1 where unmatched), symmetric and along edges.
    Blossom(int size, std::vector<char> adjacent, std::vector<int> match)
        : m_size(size), m_adjacent(std::move(adjacent)), m_match(std::move(match)), m_parent(size),
          m_base(size), m_used(size), m_blossom(size)
    {
    }

    const std::vector<int> &match() const { return m_match; }

    // The number of pairs in a largest matching; adds the steps taken to work.
    int run(qint64 &work)
    {
        int pairs = 0;
        for (int v = 0; v < m_size; ++v) {
            if (m_match[v] > v)
                ++pairs;
        }
        for (int v = 0; v < m_size; ++v) {
            if (m_match[v] != -1)
                continue;
            for (int u = v + 1; u < m_size; ++u) {
                if (m_match[u] == -1 && edge(v, u)) {
                    m_match[v] = u;
                    m_match[u] = v;
                    ++pairs;
                    break;
                }
            }
        }
        for (int root = 0; root < m_size; ++root) {
            if (m_match[root] != -1)
                continue;
            work += qint64(m_size) * m_size;
            int end = findPath(root);
            if (end == -1)
                continue;
            ++pairs;
            while (end != -1) {
                const int previous = m_parent[end];
                const int next = m_match[previous];
                m_match[end] = previous;
                m_match[previous] = end;
                end = next;
            }
        }
        return pairs;
    }

private:
    bool edge(int a, int b) const { return m_adjacent[std::size_t(a) * m_size + b] != 0; }

    int commonBase(int a, int b) const
    {
        std::vector<char> seen(m_size, 0);
        for (;;) {
            a = m_base[a];
            seen[a] = 1;
            if (m_match[a] == -1)
                break;
            a = m_parent[m_match[a]];
        }
        for (;;) {
            b = m_base[b];
            if (seen[b])
                return b;
            b = m_parent[m_match[b]];
        }
    }

    void markPath(int v, int base, int child)
    {
        while (m_base[v] != base) {
            m_blossom[m_base[v]] = 1;
            m_blossom[m_base[m_match[v]]] = 1;
            m_parent[v] = child;
            child = m_match[v];
            v = m_parent[m_match[v]];
        }
    }

    int findPath(int root)
    {
        std::fill(m_used.begin(), m_used.end(), 0);
        std::fill(m_parent.begin(), m_parent.end(), -1);
        for (int i = 0; i < m_size; ++i)
            m_base[i] = i;
        m_used[root] = 1;
        std::vector<int> queue{root};
        for (std::size_t head = 0; head < queue.size(); ++head) {
            const int v = queue[head];
            for (int to = 0; to < m_size; ++to) {
                if (!edge(v, to) || m_base[v] == m_base[to] || m_match[v] == to)
                    continue;
                if (to == root || (m_match[to] != -1 && m_parent[m_match[to]] != -1)) {
                    const int base = commonBase(v, to);
                    std::fill(m_blossom.begin(), m_blossom.end(), 0);
                    markPath(v, base, to);
                    markPath(to, base, v);
                    for (int i = 0; i < m_size; ++i) {
                        if (m_blossom[m_base[i]]) {
                            m_base[i] = base;
                            if (!m_used[i]) {
                                m_used[i] = 1;
                                queue.push_back(i);
                            }
                        }
                    }
                } else if (m_parent[to] == -1) {
                    m_parent[to] = v;
                    if (m_match[to] == -1)
                        return to;
                    m_used[m_match[to]] = 1;
                    queue.push_back(m_match[to]);
                }
            }
        }
        return -1;
    }

    int m_size;
    std::vector<char> m_adjacent;
    std::vector<int> m_match;
    std::vector<int> m_parent;
    std::vector<int> m_base;
    std::vector<char> m_used;
    std::vector<char> m_blossom;
};

// The entrants to pair (an even number, in standings order), each with its group in the
// score-group rule and the entrants it has met.
struct Field
{
    std::vector<int> group;                  // non-decreasing from the top
    std::vector<std::vector<int>> opponents; // sorted, each once
    int groups = 0;
    int mostOpponents = 0;
};

// The search over the partners in the rule's order. It knows at every step the fewest
// rematches the entrants still unpaired need, so it never has to undo a pair: it takes
// the first partner that leaves a field which can still be paired with the fewest.
class Search
{
public:
    explicit Search(const Field &field)
        : m_field(field), m_count(int(field.group.size())), m_head(m_count), m_tail(m_count + 1),
          m_next(m_count + 2), m_previous(m_count + 2), m_unpaired(field.groups, 0),
          // Every set of at least this many entrants can be paired without a rematch: each
          // of them may still play at least half of the others (Dirac's condition).
          m_sureSize(2 * field.mostOpponents + 2)
    {
        int previous = m_head;
        for (int i = 0; i < m_count; ++i) {
            m_next[previous] = i;
            m_previous[i] = previous;
            previous = i;
            ++m_unpaired[field.group[i]];
        }
        m_next[previous] = m_tail;
        m_previous[m_tail] = previous;
        // A count tree (Fenwick) of the unpaired entrants, by place.
        m_tree.assign(std::size_t(m_count) + 1, 0);
        for (int i = 1; i <= m_count; ++i) {
            ++m_tree[i];
            const int parent = i + (i & -i);
            if (parent <= m_count)
                m_tree[parent] += m_tree[i];
        }
        while (m_treeTop * 2 <= m_count)
            m_treeTop *= 2;
        m_hint.assign(std::size_t(m_count), -1);
        m_local.assign(std::size_t(m_count), -1);
    }

    // The pairs, each highest-placed entrant first, in the order they were made.
    std::vector<std::pair<int, int>> run()
    {
        std::vector<std::pair<int, int>> pairs;
        pairs.reserve(m_count / 2);
        int remaining = m_count;
        int budget = remaining >= m_sureSize ? 0 : fewestRematches(collect(m_next[m_head], -1, -1));
        while (remaining > 0) {
            const int a = m_next[m_head];
            const int size = blockSize(a);
            int chosen = -1;
            if (!m_greedy) {
                chosen = pairWithinBlock(a, size, remaining, budget);
                if (chosen == -1)
                    chosen = pairAcross(a, size, remaining, budget);
                m_greedy = m_work > kWorkLimit;
            }
            if (chosen == -1)
                chosen = pairGreedily(a, size);
            budget = std::max(0, budget - int(met(a, chosen)));
            unlink(a);
            unlink(chosen);
            remaining -= 2;
            pairs.emplace_back(a, chosen);
        }
        return pairs;
    }

private:
    bool met(int a, int b) const
    {
        const std::vector<int> &list = m_field.opponents[std::size_t(a)];
        return std::binary_search(list.begin(), list.end(), b);
    }

    void unlink(int v)
    {
        m_next[m_previous[v]] = m_next[v];
        m_previous[m_next[v]] = m_previous[v];
        --m_unpaired[m_field.group[v]];
        for (int i = v + 1; i <= m_count; i += i & -i)
            --m_tree[i];
    }

    // The unpaired entrant with k unpaired entrants above it, or the tail when there are
    // not that many: a descent of the count tree, so that the middle of a group of
    // thousands is found without walking to it.
    int nth(int k) const
    {
        int position = 0;
        for (int step = m_treeTop; step > 0; step /= 2) {
            if (position + step <= m_count && m_tree[position + step] <= k) {
                position += step;
                k -= m_tree[position];
            }
        }
        return position < m_count ? position : m_tail;
    }

    // The number of unpaired entrants, from the highest, that form the first group of the
    // score-group rule over the entrants still unpaired: the group of the highest, less
    // its odd member handed down, or, when the highest is alone, the highest with the
    // next group (less that group's last member if the count is odd).
    int blockSize(int top) const
    {
        const int own = m_unpaired[m_field.group[top]];
        if (own % 2 == 0)
            return own;
        if (own > 1)
            return own - 1;
        const int below = m_unpaired[m_field.group[m_next[top]]];
        return (1 + below) % 2 == 0 ? 1 + below : below;
    }

    // The unpaired entrants from first up to the tail, without skipA and skipB.
    std::vector<int> collect(int first, int skipA, int skipB, int limit = INT_MAX) const
    {
        std::vector<int> set;
        for (int v = first; v != m_tail && int(set.size()) < limit; v = m_next[v]) {
            if (v != skipA && v != skipB)
                set.push_back(v);
        }
        return set;
    }

    // The fewest rematches with which the set (an even number) can be paired.
    // The search asks about sets that differ from the last one by a few entrants, so it
    // starts from the last matching found, kept in m_hint: only the entrants it leaves
    // unmatched need an augmenting path.
    int fewestRematches(const std::vector<int> &set)
    {
        const int size = int(set.size());
        if (size >= m_sureSize)
            return 0;
        for (int i = 0; i < size; ++i)
            m_local[std::size_t(set[i])] = i;
        std::vector<char> adjacent(std::size_t(size) * size, 0);
        std::vector<int> match(std::size_t(size), -1);
        for (int i = 0; i < size; ++i) {
            for (int j = i + 1; j < size; ++j) {
                const char free = met(set[i], set[j]) ? 0 : 1;
                adjacent[std::size_t(i) * size + j] = free;
                adjacent[std::size_t(j) * size + i] = free;
            }
            const int mate = m_hint[std::size_t(set[i])];
            if (mate != -1 && m_local[std::size_t(mate)] != -1 &&
                m_hint[std::size_t(mate)] == set[i])
                match[std::size_t(i)] = m_local[std::size_t(mate)];
        }
        m_work += qint64(size) * size;
        Blossom blossom(size, std::move(adjacent), std::move(match));
        const int pairs = blossom.run(m_work);
        for (int i = 0; i < size; ++i) {
            const int mate = blossom.match()[std::size_t(i)];
            m_hint[std::size_t(set[i])] = mate == -1 ? -1 : set[std::size_t(mate)];
            m_local[std::size_t(set[i])] = -1;
        }
        return size / 2 - pairs;
    }

    // Visits a's partners in the rule's order until visit returns true: the lower half of
    // a's group from the rule's partner on, the upper half below a, then (unless
    // withinBlock) every entrant below the group. Returns the partner visit accepted.
    // Stops with -1 once the search is past its work limit (the greedy rest is not).
    template <typename Visit> int forEachPartner(int a, int size, bool withinBlock, Visit visit)
    {
        const auto spent = [this] { return !m_greedy && ++m_work > kWorkLimit; };
        const int partner = nth(size / 2);
        int v = partner;
        for (int k = size / 2; k < size; ++k, v = m_next[v]) {
            if (spent())
                return -1;
            if (visit(v))
                return v;
        }
        const int belowBlock = v;
        for (int u = m_next[a]; u != partner; u = m_next[u]) {
            if (spent())
                return -1;
            if (visit(u))
                return u;
        }
        if (withinBlock)
            return -1;
        for (int u = belowBlock; u != m_tail; u = m_next[u]) {
            if (spent())
                return -1;
            if (visit(u))
                return u;
        }
        return -1;
    }

    // The first partner in a's group that leaves the rest of the group able to pair among
    // itself without a rematch, where the entrants below the group can still be paired
    // with all the rematches left to make; -1 if there is none.
    int pairWithinBlock(int a, int size, int remaining, int budget)
    {
        if (remaining - size < m_sureSize) {
            const int below = nth(size);
            if (fewestRematches(collect(below, -1, -1)) != budget)
                return -1;
        } else if (budget != 0) {
            return -1;
        }
        return forEachPartner(a, size, true, [&](int c) {
            if (met(a, c))
                return false;
            return size - 2 >= m_sureSize ||
                   fewestRematches(collect(m_next[m_head], a, c, size - 2)) == 0;
        });
    }

    // The first partner anywhere after which the entrants left can be paired with the
    // rematches left to make; -1 if the work limit is reached first.
    int pairAcross(int a, int size, int remaining, int budget)
    {
        return forEachPartner(a, size, false, [&](int c) {
            const int cost = met(a, c) ? 1 : 0;
            if (cost > budget)
                return false;
            if (remaining - 2 >= m_sureSize)
                return budget - cost == 0;
            return fewestRematches(collect(m_next[m_head], a, c)) == budget - cost;
        });
    }

    // The first of the next few partners not met before, or else the rule's partner.
    int pairGreedily(int a, int size)
    {
        int looked = 0;
        const int fresh = forEachPartner(
            a, size, false, [&](int c) { return !met(a, c) || ++looked > kGreedyLook; });
        if (fresh != -1 && !met(a, fresh))
            return fresh;
        return nth(size / 2);
    }

    const Field &m_field;
    const int m_count;
    const int m_head;
    const int m_tail;
    std::vector<int> m_next;
    std::vector<int> m_previous;
    std::vector<int> m_unpaired;
    std::vector<int> m_tree;
    int m_treeTop = 1;
    std::vector<int> m_hint;  // the last matching found: each entrant's partner, or -1
    std::vector<int> m_local; // scratch: an entrant's place in the set asked about, or -1
    const int m_sureSize;
    qint64 m_work = 0;
    bool m_greedy = false; // past the work limit: the rest is paired greedily
};

} // namespace

Pairing pairNextRound(const QList<StandingsRow> &rows, const QSet<QString> &dropped,
                      const QList<PlayedGame> &games, bool avoidRematches)
{
    QList<StandingsRow> active;
    active.reserve(rows.size());
    for (const StandingsRow &row : rows) {
        if (!dropped.contains(row.name))
            active.append(row);
    }
    if (!avoidRematches)
        return pairByStandings(active);

    // The groups of the score-group rule, as consecutive stretches of the standings.
    std::vector<int> groupOfRow;
    groupOfRow.reserve(std::size_t(active.size()));
    const QList<qsizetype> sizes = scoreGroupSizes(active);
    for (qsizetype g = 0; g < sizes.size(); ++g)
        groupOfRow.insert(groupOfRow.end(), std::size_t(sizes[g]), int(g));

    // An odd field: the bye goes to the lowest-placed entrant with the fewest byes.
    QHash<QString, int> byes;
    for (const PlayedGame &game : games) {
        if (game.left == bye() && game.right != bye())
            ++byes[game.right];
        else if (game.right == bye() && game.left != bye())
            ++byes[game.left];
    }
    qsizetype byeRow = -1;
    if (active.size() % 2 != 0) {
        int fewest = INT_MAX;
        for (qsizetype i = active.size() - 1; i >= 0 && fewest > 0; --i) {
            const int count = byes.value(active[i].name);
            if (count < fewest) {
                fewest = count;
                byeRow = i;
            }
        }
    }

    // The entrants to pair, each with its group and the entrants it has met. A name given
    // to several rows leads to the first of them, and each to the next of the same name.
    std::vector<qsizetype> rowOf;
    Field field;
    field.groups = int(sizes.size());
    QHash<QString, int> firstOf;
    firstOf.reserve(active.size());
    std::vector<int> nextOf;
    std::vector<int> lastOf;
    for (qsizetype i = 0; i < active.size(); ++i) {
        if (i == byeRow)
            continue;
        const int index = int(rowOf.size());
        rowOf.push_back(i);
        field.group.push_back(groupOfRow[std::size_t(i)]);
        nextOf.push_back(-1);
        lastOf.push_back(index);
        const auto first = firstOf.constFind(active[i].name);
        if (first == firstOf.cend()) {
            firstOf.insert(active[i].name, index);
        } else {
            nextOf[std::size_t(lastOf[std::size_t(*first)])] = index;
            lastOf[std::size_t(*first)] = index;
        }
    }
    field.opponents.resize(rowOf.size());
    for (const PlayedGame &game : games) {
        const int left = firstOf.value(game.left, -1);
        const int right = left == -1 ? -1 : firstOf.value(game.right, -1);
        for (int a = right == -1 ? -1 : left; a != -1; a = nextOf[std::size_t(a)]) {
            for (int b = right; b != -1; b = nextOf[std::size_t(b)]) {
                if (a == b)
                    continue;
                field.opponents[std::size_t(a)].push_back(b);
                field.opponents[std::size_t(b)].push_back(a);
            }
        }
    }
    for (std::vector<int> &list : field.opponents) {
        std::sort(list.begin(), list.end());
        list.erase(std::unique(list.begin(), list.end()), list.end());
        field.mostOpponents = std::max(field.mostOpponents, int(list.size()));
    }

    Pairing pairing;
    pairing.left.reserve(active.size() / 2 + 1);
    pairing.right.reserve(active.size() / 2 + 1);
    for (const auto &[a, b] : Search(field).run()) {
        pairing.left.append(active[rowOf[std::size_t(a)]].name);
        pairing.right.append(active[rowOf[std::size_t(b)]].name);
    }
    if (byeRow != -1) {
        pairing.left.append(active[byeRow].name);
        pairing.right.append(bye());
    }
    return pairing;
}

} // namespace Zuvi::Round
