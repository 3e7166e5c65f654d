#pragma once

#include "RowMenu.h"
#include "SortDescriptors.h"
#include "scan/NetworkModel.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <optional>

class NetworkTableModel;
class PlottingState;
class Preferences;
class QLabel;
class QMenu;
class QTableView;
class ScanCycle;
class TableHeaderView;
class VendorLookup;
class WirelessInterface;
struct LocateState;

// The network grid pane: the table of networks in range and, below it, the
// two totals. It reloads itself whenever the scan cycle rebuilt or re-sorted
// the display list, sorts on header clicks and offers locate mode per row.
class NetworkGridPane : public QWidget {
    Q_OBJECT
public:
    struct Context {
        ScanCycle *cycle; // display list, connectedNetwork, sortTableView
        const Preferences *prefs;
        VendorLookup *vendors;
        PlottingState *plotting;
        LocateState *locate;
        std::function<WirelessInterface *()> interface; // joined BSSID, powered; may return null
    };

    explicit NetworkGridPane(const Context &context, QWidget *parent = nullptr);
    ~NetworkGridPane() override;

    QTableView *tableView() const;

public Q_SLOTS:
    void reload(); // one table reload with its side effects

Q_SIGNALS:
    void connectedToNetwork(const NetworkModelPtr &record); // null: not joined / nothing to show
    void adapterPoweredShown(bool powered);                 // Enable/Disable button state
    void locateRequested();     // row menu "Locate" (locate->locateModel already set)
    void exitLocateRequested(); // row menu "Exit Locate"

private:
    void buildTable();
    void sizeTextColumns();
    QWidget *buildTotals();
    void connectCycle();
    void connectModel();
    void setTotals(const QString &ssidTotal, const QString &bssidTotal);
    void sortByHeader(int logicalIndex);
    void openRowMenu(const QPoint &viewportPos);
    void showRowMenuItem(const RowMenu::Item &item);

    Context m_context;
    QPointer<ScanCycle> m_cycle;
    SortDescriptors m_sort;
    NetworkTableModel *m_model = nullptr;
    QTableView *m_table = nullptr;
    TableHeaderView *m_header = nullptr;
    QLabel *m_totalSsids = nullptr;
    QLabel *m_totalBssids = nullptr;
    QMenu *m_rowMenu = nullptr;
};
