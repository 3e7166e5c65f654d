#pragma once

#include "RowMenu.h"
#include "SortDescriptors.h"
#include "scan/NetworkModel.h"
#include "scan/ScanTick.h"

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
struct LocateState;

// The network grid pane: the table of networks in range and, below it, the
// two totals. It shows each tick it is handed, sorts on header clicks and
// offers locate mode per row.
class NetworkGridPane : public QWidget {
    Q_OBJECT
public:
    struct Context {
        ScanCycle *cycle; // the table's sort order is applied there
        const Preferences *prefs;
        VendorLookup *vendors;
        PlottingState *plotting;
        LocateState *locate;
    };

    explicit NetworkGridPane(const Context &context, QWidget *parent = nullptr);
    ~NetworkGridPane() override;

    QTableView *tableView() const;
    NetworkList records() const; // the rows shown, in order

public Q_SLOTS:
    void showTick(const ScanTick &tick);       // the tick's one table reload
    void reload();                             // the rows shown, re-derived
    void showList(const NetworkList &records); // these rows, in this order
    void selectBssid(const QString &bssid);    // its row selected and in sight
    void setAdapterPowered(bool powered);

Q_SIGNALS:
    void connectedToNetwork(const NetworkModelPtr &record); // null: not joined / nothing to show
    void locateRequested();     // row menu "Locate" (locate->locateModel already set)
    void exitLocateRequested(); // row menu "Exit Locate"

private:
    void buildTable();
    void sizeTextColumns();
    QWidget *buildTotals();
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
