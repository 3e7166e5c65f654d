#include "SortDescriptors.h"

#include <algorithm>

namespace {

using Comparison = SortDescriptor::Comparison;

struct ColumnKey {
    const char *column;
    const char *key;
    Comparison comparison;
};

// Columns that have no value of their own ("check", "securityLock") sort by
// signal.
constexpr ColumnKey columnKeys[] = {
    {"rssi", "rssi", Comparison::Natural},
    {"channel", "channel", Comparison::Natural},
    {"frequency", "frequency", Comparison::Natural},
    {"vendor", "vendor", Comparison::Natural},
    {"ssid", "ssid", Comparison::CaseInsensitive},
    {"bssid", "bssid", Comparison::CaseInsensitive},
    {"networkMode", "networkMode", Comparison::CaseInsensitive},
    {"security", "security", Comparison::CaseInsensitive},
    {"networkType", "networkType", Comparison::CaseInsensitive},
    {"width", "channelWidth", Comparison::CaseInsensitive},
};

template <typename T> int threeWay(const T &a, const T &b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

// An absent text sorts before every present one.
int compareTexts(const QString &a, const QString &b, Comparison comparison) {
    if (a.isNull() || b.isNull())
        return threeWay(!a.isNull(), !b.isNull());
    const Qt::CaseSensitivity cs =
        comparison == Comparison::CaseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
    return threeWay(QString::compare(a, b, cs), 0);
}

const QString *textField(const NetworkModel &r, const QString &key) {
    if (key == QLatin1String("ssid"))
        return &r.ssid;
    if (key == QLatin1String("bssid"))
        return &r.bssid;
    if (key == QLatin1String("vendor"))
        return &r.vendor;
    if (key == QLatin1String("frequency"))
        return &r.frequency;
    if (key == QLatin1String("networkMode"))
        return &r.networkMode;
    if (key == QLatin1String("security"))
        return &r.security;
    if (key == QLatin1String("networkType"))
        return &r.networkType;
    if (key == QLatin1String("channelWidth"))
        return &r.channelWidth;
    return nullptr;
}

const qint64 *numberField(const NetworkModel &r, const QString &key) {
    if (key == QLatin1String("rssi"))
        return &r.rssi;
    if (key == QLatin1String("channel"))
        return &r.channel;
    return nullptr;
}

} // namespace

int SortDescriptor::compare(const NetworkModel &a, const NetworkModel &b) const {
    int order = 0;
    if (const qint64 *x = numberField(a, key))
        order = threeWay(*x, *numberField(b, key));
    else if (const QString *s = textField(a, key))
        order = compareTexts(*s, *textField(b, key), comparison);
    return ascending ? order : -order;
}

SortDescriptor SortDescriptors::prototypeFor(const QString &columnId) {
    for (const ColumnKey &entry : columnKeys) {
        if (columnId == QLatin1String(entry.column))
            return {QString::fromLatin1(entry.key), true, entry.comparison};
    }
    return {QStringLiteral("rssi"), true, Comparison::Natural};
}

void SortDescriptors::headerClicked(const QString &columnId) {
    SortDescriptor clicked = prototypeFor(columnId);
    if (!m_descriptors.isEmpty() && m_descriptors.first().key == clicked.key) {
        clicked = m_descriptors.takeFirst();
        clicked.ascending = !clicked.ascending;
    }
    // One descriptor per key: the clicked one replaces an older tie-breaker.
    m_descriptors.removeIf([&](const SortDescriptor &d) { return d.key == clicked.key; });
    m_descriptors.prepend(clicked);
}

bool SortDescriptors::firstAscending() const {
    return m_descriptors.isEmpty() || m_descriptors.first().ascending;
}

void SortDescriptors::sort(NetworkList &records) const {
    if (m_descriptors.isEmpty())
        return;
    std::stable_sort(records.begin(), records.end(),
                     [this](const NetworkModelPtr &a, const NetworkModelPtr &b) {
                         for (const SortDescriptor &d : m_descriptors) {
                             if (const int order = d.compare(*a, *b))
                                 return order < 0;
                         }
                         return false;
                     });
}

std::function<void(NetworkList &)> SortDescriptors::sorter() const {
    return [this](NetworkList &records) { sort(records); };
}
