#pragma once

#include <QList>

// How a table's rows become a new list of rows in steps a view can follow,
// so that rows keep following their records: the rows whose key is gone are
// removed, the new keys are appended, and only then, if the order differs,
// the rows are moved into the new order. A key names one row in each list
// (the record it shows); equal keys are the same row.
//
// Cost: linear in the two lists (one hash of the new keys); nothing is
// hashed when both lists hold the same keys in the same order.
class RowDiff {
public:
    using Key = const void *;
    struct Range {
        int first = 0;
        int last = 0; // inclusive
        bool operator==(const Range &) const = default;
    };

    RowDiff(const QList<Key> &before, const QList<Key> &after);

    // False when the lists differ and one of them names a key twice: rows
    // cannot follow their keys then, and the table starts afresh.
    bool followsKeys() const { return m_followsKeys; }
    // Rows of `before` to remove, last range first, so each range is still
    // numbered as in `before` when it goes.
    const QList<Range> &removals() const { return m_removals; }
    // Indexes into `after` of the rows to append, in order, once the
    // removals are done.
    const QList<int> &appended() const { return m_appended; }
    // After the removals and appends: whether the rows must move, and the
    // index in `after` of the row at each position.
    bool moved() const { return m_moved; }
    const QList<int> &targets() const { return m_targets; }

    // Runs of rows for which `changed(i)` holds, i in [0, count).
    template <typename Changed> static QList<Range> changedRanges(int count, Changed changed) {
        QList<Range> ranges;
        for (int i = 0; i < count; ++i) {
            if (!changed(i))
                continue;
            if (!ranges.isEmpty() && ranges.last().last == i - 1)
                ranges.last().last = i;
            else
                ranges.append({i, i});
        }
        return ranges;
    }

private:
    bool m_followsKeys = true;
    bool m_moved = false;
    QList<Range> m_removals;
    QList<int> m_appended;
    QList<int> m_targets;
};
