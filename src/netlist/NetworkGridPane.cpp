#include "NetworkGridPane.h"

#include "NetworkTableModel.h"
#include "SignalBarDelegate.h"
#include "TableHeaderView.h"
#include "VendorLookup.h"
#include "graph/PlottingState.h"
#include "radar/LocateState.h"
#include "scan/ScanCycle.h"
#include "shell/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr int headerHeight = 28;

} // namespace

NetworkGridPane::NetworkGridPane(const Context &context, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
    , m_cycle(context.cycle) {
    m_model = new NetworkTableModel(
        {context.prefs, context.vendors, context.plotting, context.locate}, this);
    buildTable();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_table, 1);
    layout->addWidget(buildTotals());

    m_rowMenu = new QMenu(QStringLiteral("Context"), this);
    m_rowMenu->setObjectName(QStringLiteral("rowMenu"));

    connectModel();
    if (m_cycle)
        m_cycle->setTableSorter(m_sort.sorter());
}

// The cycle may outlive the pane: it must not call into a sorter that is gone.
NetworkGridPane::~NetworkGridPane() {
    if (m_cycle)
        m_cycle->setTableSorter({});
}

QTableView *NetworkGridPane::tableView() const {
    return m_table;
}

NetworkList NetworkGridPane::records() const {
    return m_model->records();
}

void NetworkGridPane::buildTable() {
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("networkTableView"));
    m_header = new TableHeaderView(m_table);
    m_table->setHorizontalHeader(m_header);
    m_table->setModel(m_model);
    m_header->setMoveFreezingSection(NetworkTableModel::SecurityLock);
    m_header->setFixedHeight(headerHeight);
    m_header->setSortIndicatorShown(false);
    m_header->setStretchLastSection(true);

    m_table->verticalHeader()->hide();
    // Rows just taller than their text, so the pane shows a dozen networks
    // beside the radar and the graph.
    const int rowHeight = m_table->fontMetrics().height() + 6;
    m_table->verticalHeader()->setMinimumSectionSize(rowHeight);
    m_table->verticalHeader()->setDefaultSectionSize(rowHeight);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setShowGrid(false);
    m_table->setWordWrap(false);
    m_table->setContextMenuPolicy(Qt::CustomContextMenu);

    QPalette palette = m_table->palette();
    palette.setColor(QPalette::Base, Theme::as<QColor>(Theme::paneWhite));
    palette.setColor(QPalette::Text, Theme::as<QColor>(Theme::black));
    m_table->setPalette(palette);

    m_table->setItemDelegate(new NetworkCellDelegate(m_table));
    auto *signalDelegate = new SignalBarDelegate(m_table);
    m_table->setItemDelegateForColumn(NetworkTableModel::Rssi, signalDelegate);
    m_table->setColumnWidth(NetworkTableModel::Check, 40);
    m_table->setColumnWidth(NetworkTableModel::SecurityLock, 32);
    m_table->setColumnWidth(
        NetworkTableModel::Rssi,
        signalDelegate->sizeHint(QStyleOptionViewItem(), QModelIndex()).width());
    sizeTextColumns();
}

// Wide enough for the longest text each column usually holds, so a BSSID or
// a security mode is read whole rather than guessed from "...".
void NetworkGridPane::sizeTextColumns() {
    const QFontMetrics metrics(m_table->font());
    const int padding = 2 * metrics.averageCharWidth() + 8;
    const auto fit = [&](int column, const QString &sample) {
        m_table->setColumnWidth(column, metrics.horizontalAdvance(sample) + padding);
    };
    fit(NetworkTableModel::Ssid, QStringLiteral("Café Wi-Fi, Guest"));
    fit(NetworkTableModel::Bssid, QStringLiteral("88:88:88:88:88:88"));
    fit(NetworkTableModel::Vendor, QStringLiteral("Hewlett Packard Enterprise"));
    fit(NetworkTableModel::Channel, QStringLiteral("Channel"));
    fit(NetworkTableModel::Width, QStringLiteral("320 MHz"));
    fit(NetworkTableModel::NetworkMode, QStringLiteral("Wi-Fi Mode"));
    fit(NetworkTableModel::Security, QStringLiteral("WPA/WPA2 Enterprise"));
    fit(NetworkTableModel::NetworkType, QStringLiteral("Network Type"));
}

QWidget *NetworkGridPane::buildTotals() {
    auto *totals = new QWidget(this);
    auto *row = new QHBoxLayout(totals);
    row->setContentsMargins(8, 4, 8, 0);
    m_totalSsids = new QLabel(totals);
    m_totalSsids->setObjectName(QStringLiteral("totalSSIDLabel"));
    m_totalBssids = new QLabel(totals);
    m_totalBssids->setObjectName(QStringLiteral("totalBSSIDLabel"));
    row->addWidget(m_totalSsids);
    row->addSpacing(24);
    row->addWidget(m_totalBssids);
    row->addStretch(1);
    return totals;
}

void NetworkGridPane::connectModel() {
    connect(m_model, &NetworkTableModel::connectedToNetwork, this,
            &NetworkGridPane::connectedToNetwork);
    connect(m_model, &NetworkTableModel::totalsTextChanged, this, &NetworkGridPane::setTotals);
    connect(m_model, &NetworkTableModel::networkLabelsRearrangeRequested, m_context.plotting,
            &PlottingState::rearrangeNetworkLabelsRequested);
    if (m_context.vendors)
        connect(m_context.vendors, &VendorLookup::vendorCached, m_model,
                &NetworkTableModel::vendorCached);
    connect(m_header, &QHeaderView::sectionClicked, this, &NetworkGridPane::sortByHeader);
    connect(m_table, &QWidget::customContextMenuRequested, this, &NetworkGridPane::openRowMenu);
}

void NetworkGridPane::showTick(const ScanTick &tick) {
    m_model->showTick(tick);
}

void NetworkGridPane::reload() {
    m_model->reload();
}

void NetworkGridPane::showList(const NetworkList &records) {
    m_model->showList(records);
}

void NetworkGridPane::selectBssid(const QString &bssid) {
    const NetworkList rows = m_model->records();
    for (qsizetype row = 0; row < rows.size(); ++row) {
        if (rows.at(row)->bssid != bssid)
            continue;
        m_table->selectRow(int(row));
        m_table->scrollTo(m_model->index(int(row), 0));
        return;
    }
}

void NetworkGridPane::setAdapterPowered(bool powered) {
    m_model->setAdapterPowered(powered);
}

void NetworkGridPane::setTotals(const QString &ssidTotal, const QString &bssidTotal) {
    m_totalSsids->setText(ssidTotal);
    m_totalBssids->setText(bssidTotal);
}

// The cycle applies the new order, joined network first, to its display list
// (the next ticks keep it) and to the rows shown, which the table reloads.
void NetworkGridPane::sortByHeader(int logicalIndex) {
    const QString columnId =
        m_model->headerData(logicalIndex, Qt::Horizontal, NetworkTableModel::ColumnIdRole)
            .toString();
    m_sort.headerClicked(columnId);
    m_header->setSortIndicatorShown(true);
    m_header->setSortIndicator(logicalIndex,
                               m_sort.firstAscending() ? Qt::AscendingOrder : Qt::DescendingOrder);
    if (!m_cycle)
        return;
    m_cycle->sortTableView();
    NetworkList rows = m_model->records();
    m_cycle->sortTableView(rows);
    m_model->showList(rows);
}

void NetworkGridPane::openRowMenu(const QPoint &viewportPos) {
    const QModelIndex cell = m_table->indexAt(viewportPos);
    LocateState fallback;
    LocateState &locate = m_context.locate ? *m_context.locate : fallback;
    const std::optional<RowMenu::Item> item =
        RowMenu::menuNeedsUpdate(locate, m_model->records(), cell.isValid() ? cell.row() : -1,
                                 cell.isValid() ? cell.column() : -1);
    if (item)
        showRowMenuItem(*item);
    if (!m_rowMenu->isEmpty())
        m_rowMenu->popup(m_table->viewport()->mapToGlobal(viewportPos));
}

void NetworkGridPane::showRowMenuItem(const RowMenu::Item &item) {
    m_rowMenu->clear();
    QAction *action = m_rowMenu->addAction(item.title);
    const bool exit = item.action == RowMenu::Action::ExitLocate;
    connect(action, &QAction::triggered, this,
            exit ? &NetworkGridPane::exitLocateRequested : &NetworkGridPane::locateRequested);
}
