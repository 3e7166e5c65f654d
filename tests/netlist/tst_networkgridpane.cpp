#include "TableFixture.h"
#include "netlist/NetworkCellDelegate.h"
#include "netlist/NetworkGridPane.h"
#include "netlist/NetworkTableModel.h"
#include "netlist/SignalBarDelegate.h"
#include "netlist/SignalScale.h"
#include "netlist/TableHeaderView.h"

#include <QApplication>
#include <QLabel>
#include <QLoggingCategory>
#include <QMenu>
#include <QMouseEvent>
#include <QTableView>
#include <QTest>
#include <memory>

namespace {

using Model = NetworkTableModel;

void sendMouse(QWidget *target, QEvent::Type type, const QPoint &pos, Qt::MouseButtons buttons) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(pos), QPointF(target->mapToGlobal(pos)), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

} // namespace

class TestNetworkGridPane : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void headerLook();
    void columnDrags_data();
    void columnDrags();
    void lockHeaderPressFreezesMoves();
    void headerClickSorts();
    void rowMenu_data();
    void rowMenu();
    void rightClickOutsideKeepsTheItem();
    void checkBoxClick_data();
    void checkBoxClick();
    void totalsLabels_data();
    void totalsLabels();
    void signalsReachThePane();
    void webVendorShownAtOnce();
    void rowColours();
    void levelBarAndPadlockDrawn();
    void paneLetsGoOfTheCycle();

private:
    void tickAndShow();
    QString visualOrder() const;
    QString column(int column) const;
    QPoint sectionCentre(int visual) const;
    void drag(int fromVisual, int toVisual);
    void pressHeader(int logical);
    void rightClick(const QPoint &viewportPos);
    QString menuItems() const;
    QColor pixel(int row, int column, int fromRight) const;

    std::unique_ptr<TableFixture> m_f;
    std::unique_ptr<NetworkGridPane> m_pane;
    QTableView *m_table = nullptr;
    QHeaderView *m_header = nullptr;
};

void TestNetworkGridPane::initTestCase() {
    QLoggingCategory::setFilterRules(QStringLiteral("airlume.*.info=false"));
}

void TestNetworkGridPane::init() {
    m_f = std::make_unique<TableFixture>();
    TableFixture *f = m_f.get();
    m_pane = std::make_unique<NetworkGridPane>(
        NetworkGridPane::Context{&f->cycle, &f->prefs, &f->vendors, &f->plotting, &f->locate,
                                 [f] { return f->interface(); }});
    m_table = m_pane->tableView();
    m_header = m_table->horizontalHeader();
    m_pane->resize(1400, 400);
    m_f->cycle.setLocateHooks(
        {[f] { return f->locate.locateArray; }, [f] { return f->locate.locateModel; }});
}

void TestNetworkGridPane::cleanup() {
    m_pane.reset();
    m_f.reset();
}

void TestNetworkGridPane::tickAndShow() {
    QVERIFY(m_f->tick());
    m_pane->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pane.get()));
}

QString TestNetworkGridPane::visualOrder() const {
    QStringList ids;
    for (int visual = 0; visual < m_header->count(); ++visual)
        ids << Model::columnIds().at(m_header->logicalIndex(visual));
    return ids.join(' ');
}

QString TestNetworkGridPane::column(int column) const {
    QStringList cells;
    for (int row = 0; row < m_table->model()->rowCount(); ++row)
        cells << m_table->model()->index(row, column).data().toString();
    return cells.join('|');
}

QPoint TestNetworkGridPane::sectionCentre(int visual) const {
    const int logical = m_header->logicalIndex(visual);
    return {m_header->sectionViewportPosition(logical) + m_header->sectionSize(logical) / 2,
            m_header->height() / 2};
}

// Press on one header, move over the target section in steps, release.
void TestNetworkGridPane::drag(int fromVisual, int toVisual) {
    QWidget *viewport = m_header->viewport();
    const QPoint start = sectionCentre(fromVisual);
    const int target = m_header->logicalIndex(toVisual);
    const int left = m_header->sectionViewportPosition(target);
    const QPoint end(toVisual < fromVisual ? left + 2 : left + m_header->sectionSize(target) - 2,
                     start.y());
    sendMouse(viewport, QEvent::MouseButtonPress, start, Qt::LeftButton);
    for (int step = 1; step <= 10; ++step)
        sendMouse(viewport, QEvent::MouseMove, start + (end - start) * step / 10, Qt::LeftButton);
    sendMouse(viewport, QEvent::MouseButtonRelease, end, Qt::NoButton);
}

void TestNetworkGridPane::pressHeader(int logical) {
    const QPoint at(m_header->sectionViewportPosition(logical) + m_header->sectionSize(logical) / 2,
                    m_header->height() / 2);
    QTest::mouseClick(m_header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

void TestNetworkGridPane::rightClick(const QPoint &viewportPos) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, viewportPos,
                            m_table->viewport()->mapToGlobal(viewportPos));
    QApplication::sendEvent(m_table->viewport(), &event);
}

// The titles of the row menu's items; "(closed)" while it is not open.
QString TestNetworkGridPane::menuItems() const {
    auto *menu = m_pane->findChild<QMenu *>(QStringLiteral("rowMenu"));
    if (!menu || !menu->isVisible())
        return QStringLiteral("(closed)");
    QStringList titles;
    for (QAction *action : menu->actions())
        titles << action->text();
    menu->hide();
    return titles.join(' ');
}

QColor TestNetworkGridPane::pixel(int row, int column, int fromRight) const {
    const QRect cell = m_table->visualRect(m_table->model()->index(row, column));
    const QImage image = m_table->viewport()->grab().toImage();
    const qreal scale = image.devicePixelRatio();
    return image.pixelColor(QPoint(cell.right() - fromRight, cell.center().y()) * scale);
}

void TestNetworkGridPane::headerLook() {
    QVERIFY(qobject_cast<TableHeaderView *>(m_header));
    QCOMPARE(m_header->height(), 28);
    m_f->hear(TableFixture::networks({"Alpha:-40"}));
    tickAndShow();
    const QImage header = m_header->grab().toImage();
    const int y = static_cast<int>(header.height() / 2);
    QCOMPARE(header.pixelColor(QPoint(2, y) * header.devicePixelRatio()), QColor(0, 124, 186));
    QVERIFY(header.pixelColor(2, header.height() - 1) != QColor(0, 124, 186)); // bottom strip
    bool whiteTitle = false;
    const int titleLeft = m_header->sectionViewportPosition(Model::Ssid);
    for (int x = titleLeft; x < titleLeft + 40 && !whiteTitle; ++x)
        whiteTitle = header.pixelColor(QPoint(x, y) * header.devicePixelRatio()).lightness() > 200;
    QVERIFY(whiteTitle);
}

void TestNetworkGridPane::columnDrags_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("order");
    const QString unchanged = "check securityLock ssid bssid vendor channel width networkMode "
                              "security rssi networkType frequency";
    QTest::newRow("third to fifth stays")
        << 2 << 4
        << "check securityLock bssid vendor ssid channel width networkMode security rssi "
           "networkType frequency";
    QTest::newRow("sixth to third stays")
        << 5 << 2
        << "check securityLock channel ssid bssid vendor width networkMode security rssi "
           "networkType frequency";
    QTest::newRow("into the first place snaps back") << 3 << 0 << unchanged;
    QTest::newRow("first column dragged away snaps back") << 0 << 3 << unchanged;
    QTest::newRow("lock column cannot be dragged") << 1 << 4 << unchanged;
}

void TestNetworkGridPane::columnDrags() {
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, order);
    m_f->hear(TableFixture::networks({"Alpha:-40"}));
    tickAndShow();
    drag(from, to);
    QCOMPARE(visualOrder(), order);
}

void TestNetworkGridPane::lockHeaderPressFreezesMoves() {
    m_f->hear(TableFixture::networks({"Alpha:-40"}));
    tickAndShow();
    pressHeader(Model::SecurityLock);
    QVERIFY(!m_header->sectionsMovable());
    m_header->moveSection(4, 6); // a move that does not come from a drag is not refused
    QVERIFY(!m_header->sectionsMovable());
    pressHeader(Model::Ssid);
    QVERIFY(m_header->sectionsMovable());
    drag(2, 3);
    QCOMPARE(visualOrder().section(' ', 0, 3), "check securityLock bssid ssid");
}

void TestNetworkGridPane::headerClickSorts() {
    m_f->hear(TableFixture::networks({"delta:-40", "Bravo:-50", "charlie:-80", "Alpha:-60"}), 2);
    tickAndShow();
    QCOMPARE(column(Model::Ssid), "charlie|delta|Bravo|Alpha");
    pressHeader(Model::Ssid);
    QCOMPARE(column(Model::Ssid), "charlie|Alpha|Bravo|delta");
    QCOMPARE(m_header->sortIndicatorSection(), int(Model::Ssid));
    QCOMPARE(m_header->sortIndicatorOrder(), Qt::AscendingOrder);
    pressHeader(Model::Ssid);
    QCOMPARE(column(Model::Ssid), "charlie|delta|Bravo|Alpha");
    QCOMPARE(m_header->sortIndicatorOrder(), Qt::DescendingOrder);
    pressHeader(Model::Check); // sorts by signal, weakest first
    QVERIFY(m_f->tick());
    QCOMPARE(column(Model::Ssid), "charlie|Alpha|Bravo|delta");
}

void TestNetworkGridPane::rowMenu_data() {
    QTest::addColumn<QString>("located"); // "" when not locating
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("items");
    QTest::addColumn<QString>("candidate");
    QTest::addColumn<QString>("emitted");
    QTest::newRow("not locating") << "" << 2 << "Locate"
                                  << "Charlie"
                                  << "locate";
    QTest::newRow("located row") << "Charlie" << 1 << "Exit Locate"
                                 << "Charlie"
                                 << "exit";
    QTest::newRow("other row while the candidate is located") << "Charlie" << 2 << "Exit Locate"
                                                              << "Bravo"
                                                              << "exit";
}

void TestNetworkGridPane::rowMenu() {
    QFETCH(QString, located);
    QFETCH(int, row);
    QFETCH(QString, items);
    QFETCH(QString, candidate);
    QFETCH(QString, emitted);
    m_f->hear(TableFixture::networks({"Alpha:-40", "Bravo:-50", "Charlie:-60"}));
    QVERIFY(m_f->tick());
    if (!located.isEmpty()) {
        m_f->locate.locateModel = m_f->recordOf(located);
        m_f->locate.locateArray = {m_f->locate.locateModel};
    }
    tickAndShow();
    QStringList log;
    connect(m_pane.get(), &NetworkGridPane::locateRequested, this, [&] { log << "locate"; });
    connect(m_pane.get(), &NetworkGridPane::exitLocateRequested, this, [&] { log << "exit"; });

    rightClick(m_table->visualRect(m_table->model()->index(row, Model::Bssid)).center());
    auto *menu = m_pane->findChild<QMenu *>(QStringLiteral("rowMenu"));
    QVERIFY(menu && menu->isVisible());
    QCOMPARE(menu->actions().size(), 1);
    QCOMPARE(m_f->locate.locateModel->ssid, candidate);
    menu->actions().first()->trigger();
    QCOMPARE(log.join(' '), emitted);
    QCOMPARE(menuItems(), items);
}

void TestNetworkGridPane::rightClickOutsideKeepsTheItem() {
    m_f->hear(TableFixture::networks({"Alpha:-40", "Bravo:-50"}));
    tickAndShow();
    const QPoint below(20, m_table->visualRect(m_table->model()->index(1, 0)).bottom() + 30);
    rightClick(below);
    QCOMPARE(menuItems(), "(closed)"); // nothing chosen yet: nothing to offer
    QVERIFY(!m_f->locate.locateModel);

    rightClick(m_table->visualRect(m_table->model()->index(1, Model::Ssid)).center());
    QCOMPARE(menuItems(), "Locate");
    m_f->locate.locateArray = {m_f->locate.locateModel}; // Bravo is being located
    rightClick(below);
    QCOMPARE(menuItems(), "Locate");
    QCOMPARE(m_f->locate.locateModel->ssid, "Bravo");
}

void TestNetworkGridPane::checkBoxClick_data() {
    QTest::addColumn<bool>("locating");
    QTest::addColumn<QString>("checks");
    QTest::newRow("click plots") << false << "on|off";
    QTest::newRow("frozen while locating") << true << "off|off";
}

void TestNetworkGridPane::checkBoxClick() {
    QFETCH(bool, locating);
    QFETCH(QString, checks);
    m_f->hear(TableFixture::networks({"Alpha:-40", "Bravo:-50"}));
    tickAndShow();
    if (locating) {
        m_f->locate.locateModel = m_f->recordOf("Bravo");
        m_f->locate.locateArray = {m_f->locate.locateModel};
    }
    QStyleOptionViewItem option;
    option.initFrom(m_table);
    option.rect = m_table->visualRect(m_table->model()->index(0, Model::Check));
    option.features = QStyleOptionViewItem::HasCheckIndicator;
    const QRect box =
        m_table->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, m_table);
    QTest::mouseClick(m_table->viewport(), Qt::LeftButton, Qt::NoModifier, box.center());

    QStringList states;
    for (int row = 0; row < 2; ++row) {
        const QVariant state = m_table->model()->index(row, Model::Check).data(Qt::CheckStateRole);
        states << (state.toInt() == Qt::Checked ? "on" : "off");
    }
    QCOMPARE(states.join('|'), checks);
    QCOMPARE(m_f->plotting.isPlotted(TableFixture::bssidOf(1)), !locating);
}

void TestNetworkGridPane::totalsLabels_data() {
    QTest::addColumn<int>("joined");
    QTest::addColumn<bool>("powered");
    QTest::addColumn<QString>("totals");
    QTest::newRow("joined") << 0 << true << "Total SSID's : 2|Total BSSID's : 3";
    QTest::newRow("not joined") << -1 << true << "0|0";
    QTest::newRow("adapter off") << 0 << false << "|";
}

void TestNetworkGridPane::totalsLabels() {
    QFETCH(int, joined);
    QFETCH(bool, powered);
    QFETCH(QString, totals);
    m_f->hear(TableFixture::networks({"Alpha:-40", "Bravo:-50", "Alpha:-60"}), joined);
    m_f->iface.isPowered = powered;
    QVERIFY(m_f->tick());
    auto *ssids = m_pane->findChild<QLabel *>(QStringLiteral("totalSSIDLabel"));
    auto *bssids = m_pane->findChild<QLabel *>(QStringLiteral("totalBSSIDLabel"));
    QVERIFY(ssids && bssids);
    QCOMPARE(ssids->text() + '|' + bssids->text(), totals);
}

void TestNetworkGridPane::signalsReachThePane() {
    QStringList log;
    connect(m_pane.get(), &NetworkGridPane::connectedToNetwork, this,
            [&](const NetworkModelPtr &r) { log << "joined " + (r ? r->ssid : "none"); });
    connect(m_pane.get(), &NetworkGridPane::adapterPoweredShown, this,
            [&](bool on) { log << (on ? "Disable" : "Enable"); });
    connect(&m_f->plotting, &PlottingState::rearrangeNetworkLabelsRequested, this,
            [&] { log << "labels"; });
    m_f->hear(TableFixture::networks({"Alpha:-40", "Bravo:-50"}), 1);
    QVERIFY(m_f->tick());
    // Reloaded when the list was sorted and again when the tick's reload ran.
    QCOMPARE(log.join(", "), "Disable, labels, joined Bravo, Disable, labels, joined Bravo");
    log.clear();
    m_f->iface.isPowered = false;
    m_pane->reload();
    QCOMPARE(log.join(", "), "Enable, joined none");
}

void TestNetworkGridPane::webVendorShownAtOnce() {
    m_f->hear(TableFixture::networks({"Alpha:-40"}));
    QVERIFY(m_f->tick());
    Q_EMIT m_f->vendors.vendorCached(TableFixture::bssidOf(1), QStringLiteral("Web Vendor"));
    QCOMPARE(column(Model::Vendor), "Web Vendor");
}

void TestNetworkGridPane::rowColours() {
    m_f->hear(TableFixture::networks({"Alpha:-40", "Bravo:-50", "Charlie:-60"}), 0);
    QVERIFY(m_f->tick());
    m_f->locate.locateModel = m_f->recordOf("Charlie");
    m_f->locate.locateArray = {m_f->locate.locateModel};
    tickAndShow();
    QCOMPARE(column(Model::Ssid), "Alpha|Charlie|Bravo");
    QCOMPARE(pixel(0, Model::Ssid, 2), QColor::fromRgbF(1.0f, 0.6470588445663452f, 0.0f));
    QCOMPARE(pixel(1, Model::Ssid, 2), QColor(Qt::yellow));
    QCOMPARE(pixel(2, Model::Ssid, 2), QColor(Qt::white));
    QCOMPARE(NetworkCellDelegate::rowColour(int(Model::RowHighlight::None)).isValid(), false);
}

void TestNetworkGridPane::levelBarAndPadlockDrawn() {
    QList<ScanResult> heard = TableFixture::networks({"Alpha:-45", "Bravo:-75", "Charlie:0"});
    heard[0].securityModes.reset();
    heard[0].securityModes.set(Security::None);
    m_f->hear(heard);
    tickAndShow();
    QCOMPARE(column(Model::Ssid), "Charlie|Alpha|Bravo"); // no signal sorts as 0
    // The bar starts 30 pixels right of the value, inside a 4-pixel margin.
    auto barPixel = [&](int row) {
        const QRect cell = m_table->visualRect(m_table->model()->index(row, Model::Rssi));
        const QImage image = m_table->viewport()->grab().toImage();
        return image.pixelColor(QPoint(cell.left() + 4 + 30 + 3, cell.center().y()) *
                                image.devicePixelRatio());
    };
    QCOMPARE(barPixel(1), SignalBarDelegate::levelColour(int(SignalScale::Level::Normal)));
    QCOMPARE(barPixel(2), SignalBarDelegate::levelColour(int(SignalScale::Level::Warning)));
    QCOMPARE(barPixel(0), QColor(Qt::white)); // no signal, no bar

    auto inkIn = [&](int row) {
        const QRect cell = m_table->visualRect(m_table->model()->index(row, Model::SecurityLock));
        const QImage image = m_table->viewport()->grab().toImage().copy(cell);
        int dark = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                dark += image.pixelColor(x, y).lightness() < 128;
        return dark;
    };
    QVERIFY(inkIn(1) > 10); // open
    QVERIFY(inkIn(2) > 10); // locked
}

void TestNetworkGridPane::paneLetsGoOfTheCycle() {
    m_f->hear(TableFixture::networks({"b:-40", "a:-50"}));
    tickAndShow();
    pressHeader(Model::Ssid);
    QCOMPARE(column(Model::Ssid), "a|b");
    m_pane.reset();
    QVERIFY(m_f->tick()); // no sorter left behind
    QCOMPARE(m_f->cycle.scanedResults().first()->ssid, "b");
}

QTEST_MAIN(TestNetworkGridPane)
#include "tst_networkgridpane.moc"
