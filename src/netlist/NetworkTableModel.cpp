#include "NetworkTableModel.h"

#include "RowDiff.h"
#include "SignalScale.h"
#include "VendorLookup.h"
#include "graph/PlottingState.h"
#include "radar/LocateState.h"
#include "scan/ALUtilities.h"
#include "settings/Preferences.h"

namespace {

const QString unknownVendor = QStringLiteral("Unknown");

bool sameBssid(const NetworkModel *a, const NetworkModel &b) {
    return a && !a->bssid.isNull() && a->bssid == b.bssid;
}

} // namespace

NetworkTableModel::NetworkTableModel(Sources sources, QObject *parent)
    : QAbstractTableModel(parent)
    , m_sources(std::move(sources)) {
    Q_ASSERT(m_sources.prefs && m_sources.plotting);
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

void NetworkTableModel::showTick(const ScanTick &tick) {
    m_joined = tick.joined;
    m_joinedBssid = tick.joinedBssid;
    if (m_powered && !tick.ssidTotal.isEmpty())
        Q_EMIT totalsTextChanged(tick.ssidTotal, tick.bssidTotal);
    reloadRows(tick.displayList);
}

void NetworkTableModel::showList(const NetworkList &records) {
    reloadRows(records);
}

void NetworkTableModel::reload() {
    reloadRows(records());
}

void NetworkTableModel::reloadRows(const NetworkList &records) {
    if (!m_powered) {
        showRows({});
        Q_EMIT totalsTextChanged(QString(), QString());
        Q_EMIT connectedToNetwork(nullptr);
        return;
    }
    Q_EMIT networkLabelsRearrangeRequested();
    plotJoinedRow(records);
    showRows(rowsFor(records));

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
    if (sameBssid(m_joined.get(), *records.first()))
        m_sources.plotting->plotJoinedNetwork(records.first());
}

QList<NetworkTableModel::Row> NetworkTableModel::rowsFor(const NetworkList &records) {
    // Entering locate mode freezes the check boxes as they are shown.
    if (isLocating() && !m_checksFrozen) {
        m_frozenChecks.clear();
        for (const Row &row : std::as_const(m_rows))
            m_frozenChecks.insert(row.record->bssid, row.checked);
    }
    m_checksFrozen = isLocating();

    // The unit is read once per reload: every row shows the same one.
    const bool percent = m_sources.prefs->isPercent();
    QList<Row> rows;
    rows.reserve(records.size());
    for (int i = 0; i < records.size(); ++i) {
        const NetworkModelPtr &record = records.at(i);
        Row row;
        row.record = record;
        row.vendor = vendorFor(*record);
        row.highlight = highlightFor(*record, i);
        row.checked = checkedFor(*record, i);
        row.signal = percent ? ALUtilities::signalInPercent(record->rssi) : record->rssi;
        row.percent = percent;
        rows.append(std::move(row));
    }
    return rows;
}

// Row 0 is orange when it is the joined network; while locating, the
// located network's row (never row 0) is yellow.
NetworkTableModel::RowHighlight NetworkTableModel::highlightFor(const NetworkModel &record,
                                                                int position) const {
    if (position == 0)
        return !m_joinedBssid.isNull() && m_joinedBssid == record.bssid ? RowHighlight::Joined
                                                                        : RowHighlight::None;
    if (isLocating() && sameBssid(m_sources.locate->locateModel.get(), record))
        return RowHighlight::Located;
    return RowHighlight::None;
}

bool NetworkTableModel::checkedFor(const NetworkModel &record, int position) const {
    if (m_checksFrozen)
        return m_frozenChecks.value(record.bssid, false);
    if (position == 0 && sameBssid(m_joined.get(), record))
        return true;
    return m_sources.plotting->isPlotted(record.bssid);
}

// The cache first, then the vendor file; a web look-up that had to start
// shows "Unknown" until its answer arrives. A found name is kept on the
// record for the CSV export. A record that carries its name already shows it
// without a look-up: the cache only grows, so it still holds the same name.
QString NetworkTableModel::vendorFor(NetworkModel &record) const {
    if (!m_sources.vendors || record.bssid.isNull())
        return unknownVendor;
    if (!record.vendor.isEmpty() && record.vendor != unknownVendor)
        return record.vendor;
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

// Brings the rows to `next` in steps that keep each row on its record, and
// reports only the rows whose cells changed.
void NetworkTableModel::showRows(QList<Row> next) {
    auto keys = [](const QList<Row> &rows) {
        QList<RowDiff::Key> list;
        list.reserve(rows.size());
        for (const Row &row : rows)
            list.append(row.record.get());
        return list;
    };
    const RowDiff diff(keys(m_rows), keys(next));
    if (!diff.followsKeys()) {
        beginResetModel();
        m_rows = std::move(next);
        endResetModel();
        return;
    }
    for (const RowDiff::Range &gone : diff.removals()) {
        beginRemoveRows({}, gone.first, gone.last);
        m_rows.remove(gone.first, gone.last - gone.first + 1);
        endRemoveRows();
    }
    if (!diff.appended().isEmpty()) {
        const int first = static_cast<int>(m_rows.size());
        beginInsertRows({}, first, first + static_cast<int>(diff.appended().size()) - 1);
        for (int from : diff.appended())
            m_rows.append(next.at(from));
        endInsertRows();
    }
    if (diff.moved())
        reorderRows(diff.targets());
    const auto changed = RowDiff::changedRanges(
        static_cast<int>(next.size()), [&](int i) { return !(m_rows.at(i) == next.at(i)); });
    for (const RowDiff::Range &range : changed) {
        for (int i = range.first; i <= range.last; ++i)
            m_rows[i] = std::move(next[i]);
        Q_EMIT dataChanged(index(range.first, 0), index(range.last, ColumnCount - 1));
    }
}

// Puts the row at each position i at targets[i]; persistent indexes (the
// selection) move with their rows.
void NetworkTableModel::reorderRows(const QList<int> &targets) {
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    QList<Row> reordered(m_rows.size());
    for (int i = 0; i < m_rows.size(); ++i)
        reordered[targets.at(i)] = std::move(m_rows[i]);
    m_rows = std::move(reordered);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex &old : from)
        to.append(index(targets.at(old.row()), old.column()));
    changePersistentIndexList(from, to);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
