#include "RowDiff.h"

#include <QHash>
#include <algorithm>

RowDiff::RowDiff(const QList<Key> &before, const QList<Key> &after) {
    if (before == after) {
        // The same rows in the same order (the usual tick): nothing moves.
        m_targets.resize(after.size());
        for (int i = 0; i < after.size(); ++i)
            m_targets[i] = i;
        return;
    }
    QHash<Key, int> position; // key -> index in `after`
    position.reserve(after.size());
    for (int i = 0; i < after.size(); ++i)
        position.insert(after.at(i), i);
    m_followsKeys = position.size() == after.size();

    // Removals, walked from the end so that earlier row numbers stay valid.
    QList<bool> kept(after.size(), false);
    m_targets.reserve(after.size());
    for (int i = static_cast<int>(before.size()) - 1; i >= 0 && m_followsKeys;) {
        const auto found = position.constFind(before.at(i));
        if (found != position.cend()) {
            m_followsKeys = !kept.at(*found); // a key twice in `before`
            kept[*found] = true;
            m_targets.append(*found);
            --i;
            continue;
        }
        Range range{i, i};
        while (range.first > 0 && !position.contains(before.at(range.first - 1)))
            --range.first;
        m_removals.append(range);
        i = range.first - 1;
    }
    if (!m_followsKeys) {
        m_removals.clear();
        m_targets.clear();
        return;
    }
    std::reverse(m_targets.begin(), m_targets.end()); // the kept rows in their order
    for (int i = 0; i < after.size(); ++i) {
        if (!kept.at(i)) {
            m_appended.append(i);
            m_targets.append(i);
        }
    }
    for (int i = 0; i < m_targets.size() && !m_moved; ++i)
        m_moved = m_targets.at(i) != i;
}
