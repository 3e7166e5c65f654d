#include "NetworkTableModel.h"

#include "PlottingState.h"
#include "SignalScale.h"
#include "VendorLookup.h"
#include "radar/LocateState.h"
#include "scan/ALUtilities.h"
#include "scan/ScanCycle.h"
#include "scan/WirelessInterface.h"
#include "settings/Preferences.h"

#include <QSet>

namespace {

const QString unknownVendor = QStringLiteral("Unknown");

bool sameBssid(const NetworkModel *a, const NetworkModel &b) {
    return a && !a->bssid.isNull() && a->bssid == b.bssid;
}

} // namespace

NetworkTableModel::NetworkTableModel(Sources sources, QObject *parent)
    : QAbstractTableModel(parent)
    , m_sources(std::move(sources)) {
    Q_ASSERT(m_sources.cycle && m_sources.prefs && m_sources.plotting);
}

const QStringList &NetworkTableModel::columnIds() {
    static const QStringList ids = {
        QStringLiteral("check"), QStringLiteral("securityLock"), QStringLiteral("ssid"),
        QStringLiteral("bssid"), QStringLiteral("vendor"),       QStringLiteral("channel"),
        QStringLiteral("width"), QStringLiteral("networkMode"),  QStringLiteral("security"),
        QStringLiteral("rssi"),  QStringLiteral("networkType"),  QStringLiteral("frequency"),
    };
    return ids;
}

int NetworkTableModel::columnOf(const QString &columnId) {
    return static_cast<int>(columnIds().indexOf(columnId));
}

int NetworkTableModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int NetworkTableModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant NetworkTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const QStringList titles = {
        QStringLiteral("Plot"),         QString(),
        QStringLiteral("SSID"),         QStringLiteral("BSSID"),
        QStringLiteral("Vendor"),       QStringLiteral("Channel"),
        QStringLiteral("Width"),        QStringLiteral("Wi-Fi Mode"),
        QStringLiteral("Security"),     QStringLiteral("Signal Level"),
        QStringLiteral("Network Type"), QStringLiteral("Frequency"),
    };
    switch (role) {
    case Qt::DisplayRole:
        return titles.at(section);
    case Qt::ToolTipRole:
        if (section == Check)
            return QStringLiteral("Plot on the signal graph");
        if (section == SecurityLock)
            return QStringLiteral("Open or protected");
        return {};
    case ColumnIdRole:
        return columnIds().at(section);
    default:
        return {};
    }
}

QVariant NetworkTableModel::data(const QModelIndex &index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row &row = m_rows.at(index.row());
    const int column = index.column();
    const bool hasSignal = row.record->rssi != 0;
    switch (role) {
    case Qt::DisplayRole:
        if (column == Check || column == SecurityLock)
            return {}; // a check box, a padlock: no text
        return displayText(row, column);
    case Qt::CheckStateRole:
        if (column != Check)
            return {};
        return row.checked ? Qt::Checked : Qt::Unchecked;
    case RecordRole:
        return QVariant::fromValue(row.record);
    case HighlightRole:
        return static_cast<int>(row.highlight);
    case LockOpenRole:
        if (column != SecurityLock)
            return {};
        return row.record->security == QLatin1String("None");
    case SignalValueRole:
        if (column != Rssi || !hasSignal)
            return {};
        return row.signal;
    case SignalFillRole:
    case SignalLevelRole: {
        if (column != Rssi || !hasSignal)
            return {};
        const SignalScale scale = row.percent ? SignalScale::percent() : SignalScale::dBm();
        if (role == SignalFillRole)
            return scale.fillOf(row.signal);
        return static_cast<int>(scale.levelOf(row.signal));
    }
    default:
        return {};
    }
}

// Absent values leave the cell empty rather than showing a placeholder.
QString NetworkTableModel::displayText(const Row &row, int column) const {
    const NetworkModel &r = *row.record;
    switch (column) {
    case Ssid:
        return r.ssid;
    case Bssid:
        return r.bssid;
    case Vendor:
        return row.vendor;
    case Channel:
        return r.channel != 0 ? QString::number(r.channel) : QString();
    case Width:
        // Without a channel the width means nothing either.
        return r.channel != 0 ? r.channelWidth : QString();
    case NetworkMode:
        return r.networkMode;
    case Security:
        return r.security;
    case Rssi:
        return r.rssi != 0 ? QString::number(row.signal) : QString();
    case NetworkType:
        return r.networkType;
    case Frequency:
        return r.frequency;
    default:
        return {};
    }
}

Qt::ItemFlags NetworkTableModel::flags(const QModelIndex &index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    // While locating, the graph shows the located network alone: the check
    // boxes stay as they were.
    if (index.column() == Check && !isLocating())
        f |= Qt::ItemIsUserCheckable;
    return f;
}

bool NetworkTableModel::setData(const QModelIndex &index, const QVariant &value, int role) {
    if (role != Qt::CheckStateRole || index.column() != Check || isLocating() ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    Row &row = m_rows[index.row()];
    const bool on = static_cast<Qt::CheckState>(value.toInt()) == Qt::Checked;
    m_sources.plotting->setPlotted(row.record, on);
    row.checked = m_sources.plotting->isPlotted(row.record->bssid);
    m_shownChecks.insert(row.record->bssid, row.checked);
    Q_EMIT dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

NetworkModelPtr NetworkTableModel::recordAt(int row) const {
    return row >= 0 && row < m_rows.size() ? m_rows.at(row).record : nullptr;
}

NetworkList NetworkTableModel::records() const {
    NetworkList list;
    list.reserve(m_rows.size());
    for (const Row &row : m_rows)
        list.append(row.record);
    return list;
}

bool NetworkTableModel::isLocating() const {
    return m_sources.locate && m_sources.locate->isLocating();
}

// Nothing can be scanned while the adapter is off, so the table is empty
// then; a computer that is merely not joined still lists what is in range.
bool NetworkTableModel::adapterPowered(WirelessInterface *iface) const {
    return iface && iface->powered();
}

void NetworkTableModel::reload() {
    WirelessInterface *iface = m_sources.interface ? m_sources.interface() : nullptr;
    if (!adapterPowered(iface)) {
        showRows({});
        Q_EMIT totalsTextChanged(QString(), QString());
        Q_EMIT adapterPoweredShown(false);
        Q_EMIT connectedToNetwork(nullptr);
        return;
    }
    Q_EMIT adapterPoweredShown(true);
    Q_EMIT networkLabelsRearrangeRequested();

    const NetworkList records = m_sources.cycle->scanedResults();
    const QString joinedBssid = iface->bssid();
    plotJoinedRow(records);
    showRows(rowsFor(records, joinedBssid));

    const bool joinedFirst = !m_rows.isEmpty() && m_rows.first().highlight == RowHighlight::Joined;
    if (!m_rows.isEmpty() && !joinedFirst)
        Q_EMIT totalsTextChanged(QStringLiteral("Total SSID's : 0"),
                                 QStringLiteral("Total BSSID's : 0"));
    Q_EMIT connectedToNetwork(joinedFirst ? m_rows.first().record : nullptr);
}

// The joined network in row 0 is plotted automatically (outside locate
// mode), and comes back after the user unchecked it.
void NetworkTableModel::plotJoinedRow(const NetworkList &records) {
    if (records.isEmpty() || isLocating())
        return;
    const NetworkModelPtr connected = m_sources.cycle->connectedNetwork();
    if (sameBssid(connected.get(), *records.first()))
        m_sources.plotting->plotJoinedNetwork(records.first());
}

QList<NetworkTableModel::Row> NetworkTableModel::rowsFor(const NetworkList &records,
                                                         const QString &joinedBssid) {
    QList<Row> rows;
    rows.reserve(records.size());
    for (int i = 0; i < records.size(); ++i)
        rows.append(rowFor(records.at(i), i, joinedBssid));
    if (!isLocating()) {
        m_shownChecks.clear();
        for (const Row &row : std::as_const(rows))
            m_shownChecks.insert(row.record->bssid, row.checked);
    }
    return rows;
}

NetworkTableModel::Row NetworkTableModel::rowFor(const NetworkModelPtr &record, int position,
                                                 const QString &joinedBssid) {
    Row row;
    row.record = record;
    row.vendor = vendorFor(*record);
    row.highlight = highlightFor(*record, position, joinedBssid);
    row.checked = checkedFor(*record, position);
    row.signal = ALUtilities::getSignalstrengthForNetwork(record->rssi, *m_sources.prefs);
    row.percent = m_sources.prefs->isPercent();
    return row;
}

// Row 0 is orange when it is the joined network; while locating, the
// located network's row (never row 0) is yellow.
NetworkTableModel::RowHighlight NetworkTableModel::highlightFor(const NetworkModel &record,
                                                                int position,
                                                                const QString &joinedBssid) const {
    if (position == 0)
        return !joinedBssid.isNull() && joinedBssid == record.bssid ? RowHighlight::Joined
                                                                    : RowHighlight::None;
    if (isLocating() && sameBssid(m_sources.locate->locateModel.get(), record))
        return RowHighlight::Located;
    return RowHighlight::None;
}

bool NetworkTableModel::checkedFor(const NetworkModel &record, int position) const {
    if (isLocating())
        return m_shownChecks.value(record.bssid, false);
    if (position == 0 && sameBssid(m_sources.cycle->connectedNetwork().get(), record))
        return true;
    return m_sources.plotting->isPlotted(record.bssid);
}

// The cache first, then the vendor file; a web look-up that had to start
// shows "Unknown" until its answer arrives. A found name is kept on the
// record for the CSV export.
QString NetworkTableModel::vendorFor(NetworkModel &record) const {
    if (!m_sources.vendors || record.bssid.isNull())
        return unknownVendor;
    const auto cached = m_sources.vendors->vendorDict.constFind(record.bssid);
    if (cached != m_sources.vendors->vendorDict.constEnd()) {
        record.vendor = *cached;
        return *cached;
    }
    QString found;
    m_sources.vendors->fetchVendorforMacAddress(record.bssid,
                                                [&found](const QString &text) { found = text; });
    if (found.isNull())
        return unknownVendor;
    record.vendor = found;
    return found;
}

void NetworkTableModel::vendorCached(const QString &bssid, const QString &vendor) {
    if (bssid.isNull() || vendor.isEmpty())
        return;
    for (int i = 0; i < m_rows.size(); ++i) {
        Row &row = m_rows[i];
        if (row.record->bssid != bssid)
            continue;
        row.record->vendor = vendor;
        row.vendor = vendor;
        Q_EMIT dataChanged(index(i, Vendor), index(i, Vendor), {Qt::DisplayRole});
    }
}

// Moves the rows to the new list in small steps: rows whose record left
// are removed, new records are appended, then the rows are put in the new
// order and only the rows whose cells changed are reported.
void NetworkTableModel::showRows(const QList<Row> &next) {
    QSet<const NetworkModel *> distinct;
    for (const Row &row : next)
        distinct.insert(row.record.get());
    if (distinct.size() != next.size()) {
        // The same record twice: rows cannot follow records, start afresh.
        beginResetModel();
        m_rows = next;
        endResetModel();
        return;
    }
    removeRowsMissingFrom(next);
    appendRowsNewIn(next);
    reorderLike(next);
    refreshChanged(next);
}

void NetworkTableModel::removeRowsMissingFrom(const QList<Row> &next) {
    QSet<const NetworkModel *> wanted;
    for (const Row &row : next)
        wanted.insert(row.record.get());
    auto kept = [&](int i) { return wanted.contains(m_rows.at(i).record.get()); };
    for (int last = static_cast<int>(m_rows.size()) - 1; last >= 0;) {
        if (kept(last)) {
            --last;
            continue;
        }
        int first = last;
        while (first > 0 && !kept(first - 1))
            --first;
        beginRemoveRows({}, first, last);
        m_rows.remove(first, last - first + 1);
        endRemoveRows();
        last = first - 1;
    }
}

void NetworkTableModel::appendRowsNewIn(const QList<Row> &next) {
    QSet<const NetworkModel *> present;
    for (const Row &row : std::as_const(m_rows))
        present.insert(row.record.get());
    QList<Row> added;
    for (const Row &row : next) {
        if (!present.contains(row.record.get()))
            added.append(row);
    }
    if (added.isEmpty())
        return;
    const int first = static_cast<int>(m_rows.size());
    beginInsertRows({}, first, first + static_cast<int>(added.size()) - 1);
    m_rows.append(added);
    endInsertRows();
}

// Same records as `next` by now; persistent indexes (the selection) move
// with their records.
void NetworkTableModel::reorderLike(const QList<Row> &next) {
    QHash<const NetworkModel *, int> target;
    bool moved = false;
    for (int i = 0; i < next.size(); ++i) {
        target.insert(next.at(i).record.get(), i);
        moved = moved || m_rows.at(i).record != next.at(i).record;
    }
    if (!moved)
        return;
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    QList<Row> reordered(m_rows.size());
    for (const Row &row : std::as_const(m_rows))
        reordered[target.value(row.record.get())] = row;
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex &old : from)
        to.append(index(target.value(m_rows.at(old.row()).record.get()), old.column()));
    m_rows = reordered;
    changePersistentIndexList(from, to);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void NetworkTableModel::refreshChanged(const QList<Row> &next) {
    int first = -1;
    auto flush = [&](int last) {
        if (first >= 0)
            Q_EMIT dataChanged(index(first, 0), index(last, ColumnCount - 1));
        first = -1;
    };
    for (int i = 0; i < next.size(); ++i) {
        if (m_rows.at(i) == next.at(i)) {
            flush(i - 1);
            continue;
        }
        m_rows[i] = next.at(i);
        if (first < 0)
            first = i;
    }
    flush(static_cast<int>(next.size()) - 1);
}
