#pragma once

#include "scan/NetworkModel.h"
#include "scan/ScanTick.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QStringList>

class PlottingState;
class Preferences;
class VendorLookup;
struct LocateState;

// The network table: one row per record of the display list. It reloads once
// per polling tick, from the tick alone (it asks no interface), re-deriving
// every cell and doing the once-per-reload side effects: the joined network
// is announced and plotted, vendors are looked up and the totals are shown,
// or blanked when they would mislead. Rows follow their records across
// reloads (removed, appended and moved rather than reset; see RowDiff), so
// the selection and the scroll position survive a tick, and only rows whose
// cells changed are reported.
//
// Colours stay with the widgets: the model answers with roles (which
// highlight, which padlock, how full the level bar is).
class NetworkTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        Check,
        SecurityLock,
        Ssid,
        Bssid,
        Vendor,
        Channel,
        Width,
        NetworkMode,
        Security,
        Rssi,
        NetworkType,
        Frequency,
        ColumnCount
    };

    enum Role {
        RecordRole = Qt::UserRole + 1, // NetworkModelPtr of the row
        ColumnIdRole,                  // header: the column's identifier
        HighlightRole,                 // RowHighlight of the row, as int
        SignalValueRole,               // "rssi": the signal in the display unit
        SignalFillRole,                // "rssi": share of the level bar, 0..1
        SignalLevelRole,               // "rssi": SignalScale::Level, as int
        LockOpenRole,                  // "securityLock": bool, an open network
    };

    enum class RowHighlight { None, Joined, Located };

    struct Sources {
        const Preferences *prefs = nullptr; // display unit
        VendorLookup *vendors = nullptr;    // null: every vendor reads "Unknown"
        PlottingState *plotting = nullptr;
        LocateState *locate = nullptr; // null: never locating
    };

    explicit NetworkTableModel(Sources sources, QObject *parent = nullptr);

    static const QStringList &columnIds();
    static int columnOf(const QString &columnId); // -1 when unknown

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;

    NetworkModelPtr recordAt(int row) const;
    NetworkList records() const;

public Q_SLOTS:
    // The reload of a finished tick: its display list, joined network and totals.
    void showTick(const ScanTick &tick);
    // The same tick's records in another order (the user sorted the table).
    void showList(const NetworkList &records);
    // The rows shown, re-derived (the display unit or locate mode changed).
    void reload();
    // While the adapter is off nothing can be heard: from the next reload on
    // the table is empty and the totals blank, until it is on again.
    void setAdapterPowered(bool powered) { m_powered = powered; }
    // A web answer arrived: the vendor cell shows it without waiting for the
    // next reload.
    void vendorCached(const QString &bssid, const QString &vendor);

Q_SIGNALS:
    // Once per reload. Null: not joined, or nothing shown.
    void connectedToNetwork(const NetworkModelPtr &record);
    void totalsTextChanged(const QString &ssidTotal, const QString &bssidTotal);
    void networkLabelsRearrangeRequested();

private:
    struct Row {
        NetworkModelPtr record;
        QString vendor;
        RowHighlight highlight = RowHighlight::None;
        bool checked = false;
        qint64 signal = 0; // display unit
        bool percent = false;
        bool operator==(const Row &) const = default;
    };

    bool isLocating() const;
    void reloadRows(const NetworkList &records);
    void plotJoinedRow(const NetworkList &records);
    QList<Row> rowsFor(const NetworkList &records);
    RowHighlight highlightFor(const NetworkModel &record, int position) const;
    bool checkedFor(const NetworkModel &record, int position) const;
    QString vendorFor(NetworkModel &record) const;
    QString displayText(const Row &row, int column) const;
    void showRows(QList<Row> next);
    void reorderRows(const QList<int> &targets);

    Sources m_sources;
    QList<Row> m_rows;
    bool m_powered = true;
    NetworkModelPtr m_joined; // of the last tick
    QString m_joinedBssid;    // of the last tick
    // Check boxes as shown when locate mode began: they stay so while locating.
    QHash<QString, bool> m_frozenChecks; // BSSID -> on
    bool m_checksFrozen = false;
};
