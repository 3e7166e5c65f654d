#pragma once

#include "scan/NetworkModel.h"

#include <QList>
#include <QString>
#include <functional>

// One sort key of the table: a record field, a direction and how two values
// of it compare.
struct SortDescriptor {
    enum class Comparison {
        Natural,        // numbers by value, texts by character code
        CaseInsensitive // texts ignoring case
    };

    QString key; // the NetworkModel field, by name
    bool ascending = true;
    Comparison comparison = Comparison::Natural;

    bool operator==(const SortDescriptor &) const = default;

    // Negative, zero or positive, as a sorts before, with or after b in this
    // descriptor's direction.
    int compare(const NetworkModel &a, const NetworkModel &b) const;
};

// The table's sort order, built from header clicks: the clicked column's
// descriptor goes first (reversed when its key is already first, so a second
// click sorts descending) and the earlier descriptors stay behind it as
// tie-breakers. Rows equal under every descriptor keep their order.
class SortDescriptors {
public:
    // The descriptor a header click on the column brings in (always ascending).
    static SortDescriptor prototypeFor(const QString &columnId);

    void headerClicked(const QString &columnId);
    const QList<SortDescriptor> &descriptors() const { return m_descriptors; }
    bool firstAscending() const;

    void sort(NetworkList &records) const;
    // For ScanCycle::setTableSorter; valid while this object lives.
    std::function<void(NetworkList &)> sorter() const;

private:
    QList<SortDescriptor> m_descriptors;
};
