#pragma once

#include "scan/NetworkModel.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QStringList>
#include <functional>

class PlottingState;
class Preferences;
class ScanCycle;
class VendorLookup;
class WirelessInterface;
struct LocateState;

// The network table: one row per record of the display list. Each reload()
// re-derives every cell and does the once-per-reload side effects: the
// joined network is announced and plotted, vendors are looked up and the
// totals are blanked when they would mislead. Rows follow their records
// across reloads (removed, inserted and moved rather than reset), so the
// selection and the scroll position survive a polling tick.
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
        ScanCycle *cycle = nullptr;         // display list, connected network
        const Preferences *prefs = nullptr; // display unit
        VendorLookup *vendors = nullptr;    // null: every vendor reads "Unknown"
        PlottingState *plotting = nullptr;
        LocateState *locate = nullptr;                  // null: never locating
        std::function<WirelessInterface *()> interface; // may return null
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
    void reload();
    // A web answer arrived: the vendor cell shows it without waiting for the
    // next reload.
    void vendorCached(const QString &bssid, const QString &vendor);

Q_SIGNALS:
    void connectedToNetwork(const NetworkModelPtr &record); // null: not joined, nothing shown
    void adapterPoweredShown(bool powered);
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
    bool adapterPowered(WirelessInterface *iface) const;
    void plotJoinedRow(const NetworkList &records);
    QList<Row> rowsFor(const NetworkList &records, const QString &joinedBssid);
    Row rowFor(const NetworkModelPtr &record, int position, const QString &joinedBssid);
    RowHighlight highlightFor(const NetworkModel &record, int position,
                              const QString &joinedBssid) const;
    bool checkedFor(const NetworkModel &record, int position) const;
    QString vendorFor(NetworkModel &record) const;
    QString displayText(const Row &row, int column) const;

    void showRows(const QList<Row> &next);
    void removeRowsMissingFrom(const QList<Row> &next);
    void appendRowsNewIn(const QList<Row> &next);
    void reorderLike(const QList<Row> &next);
    void refreshChanged(const QList<Row> &next);

    Sources m_sources;
    QList<Row> m_rows;
    // Check boxes as last shown outside locate mode: they stay so while locating.
    QHash<QString, bool> m_shownChecks;
};
