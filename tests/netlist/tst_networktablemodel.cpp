#include "TableFixture.h"
#include "netlist/NetworkTableModel.h"
#include "netlist/SortDescriptors.h"

#include <QAbstractItemModelTester>
#include <QLoggingCategory>
#include <QSignalSpy>
#include <QTest>
#include <memory>

namespace {

using Model = NetworkTableModel;

QString nameOf(const NetworkModelPtr &r) {
    if (!r)
        return QStringLiteral("none");
    return r->ssid.isNull() ? QStringLiteral("-") : r->ssid;
}

} // namespace

class TestNetworkTableModel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void cellTexts_data();
    void cellTexts();
    void signalCell_data();
    void signalCell();
    void padlock_data();
    void padlock();
    void rowZero_data();
    void rowZero();
    void adapterPower_data();
    void adapterPower();
    void joinedNetworkIsPlotted();
    void checkBoxToggles();
    void locatedRowHighlight_data();
    void locatedRowHighlight();
    void checkBoxesFrozenWhileLocating();
    void vendorCell_data();
    void vendorCell();
    void rowsFollowTheirRecords();
    void onlyChangedRowsReported();
    void headerSortKeepsJoinedFirst();

private:
    void reload() { m_model->reload(); }
    QString column(int column, int role = Qt::DisplayRole) const;
    QString log() const { return m_log.join(QStringLiteral(", ")); }

    std::unique_ptr<TableFixture> m_f;
    std::unique_ptr<Model> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
    QStringList m_log; // the model's side effects, in order
};

void TestNetworkTableModel::initTestCase() {
    QLoggingCategory::setFilterRules(QStringLiteral("airlume.*.info=false"));
}

void TestNetworkTableModel::init() {
    m_log.clear();
    m_f = std::make_unique<TableFixture>();
    TableFixture *f = m_f.get();
    m_model =
        std::make_unique<Model>(Model::Sources{&f->cycle, &f->prefs, &f->vendors, &f->plotting,
                                               &f->locate, [f] { return f->interface(); }});
    m_tester = std::make_unique<QAbstractItemModelTester>(
        m_model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);

    connect(m_model.get(), &Model::connectedToNetwork, this,
            [this](const NetworkModelPtr &r) { m_log << "joined " + nameOf(r); });
    connect(m_model.get(), &Model::adapterPoweredShown, this,
            [this](bool on) { m_log << (on ? QStringLiteral("powered") : QStringLiteral("off")); });
    connect(
        m_model.get(), &Model::totalsTextChanged, this,
        [this](const QString &s, const QString &b) { m_log << "totals '" + s + "' '" + b + "'"; });
    connect(m_model.get(), &Model::networkLabelsRearrangeRequested, this,
            [this] { m_log << QStringLiteral("labels"); });
    connect(&f->plotting, &PlottingState::configurePlotsRequested, this,
            [this](const QString &bssid) { m_log << "plot " + bssid.right(2); });
}

void TestNetworkTableModel::cleanup() {
    m_tester.reset();
    m_model.reset();
    m_f.reset();
}

// One column of every row, "|"-separated.
QString TestNetworkTableModel::column(int column, int role) const {
    QStringList cells;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        const QVariant v = m_model->index(row, column).data(role);
        if (role == Qt::CheckStateRole)
            cells << (v.toInt() == Qt::Checked ? QStringLiteral("on") : QStringLiteral("off"));
        else if (role == Model::HighlightRole)
            cells << QStringList{"clear", "orange", "yellow"}.value(v.toInt());
        else
            cells << v.toString();
    }
    return cells.join(QLatin1Char('|'));
}

void TestNetworkTableModel::cellTexts_data() {
    QTest::addColumn<QString>("ssid");
    QTest::addColumn<int>("rssi");
    QTest::addColumn<int>("channel");
    QTest::addColumn<QString>("cells");
    QTest::newRow("named network")
        << "Cafe" << -61 << 36
        << "|Cafe|aa:bb:cc:dd:ee:01|Unknown|36|20 MHz|None|WPA2 Personal|-61|Access Point|5180";
    QTest::newRow("hidden network")
        << "" << -61 << 36
        << "||aa:bb:cc:dd:ee:01|Unknown|36|20 MHz|None|WPA2 Personal|-61|Access Point|5180";
    QTest::newRow("no signal")
        << "Cafe" << 0 << 36
        << "|Cafe|aa:bb:cc:dd:ee:01|Unknown|36|20 MHz|None|WPA2 Personal||Access Point|5180";
    QTest::newRow("no channel hides the width too")
        << "Cafe" << -61 << 0
        << "|Cafe|aa:bb:cc:dd:ee:01|Unknown|||None|WPA2 Personal|-61|Access Point|-1";
}

void TestNetworkTableModel::cellTexts() {
    QFETCH(QString, ssid);
    QFETCH(int, rssi);
    QFETCH(int, channel);
    QFETCH(QString, cells);
    ScanResult net = makeNetwork(ssid.isEmpty() ? QString() : ssid, TableFixture::bssidOf(1), rssi,
                                 channel, channel ? Band::Ghz5 : 0);
    net.securityModes.set(Security::WPA2Personal);
    m_f->hear({net});
    QVERIFY(m_f->tick());
    reload();
    QCOMPARE(m_model->rowCount(), 1);
    QStringList texts;
    for (int c = Model::SecurityLock; c < Model::ColumnCount; ++c)
        texts << m_model->index(0, c).data().toString();
    QCOMPARE(texts.join('|'), cells);
    QVERIFY(!m_model->index(0, Model::Check).data().isValid());
}

void TestNetworkTableModel::signalCell_data() {
    QTest::addColumn<QString>("unit");
    QTest::addColumn<int>("rssi");
    QTest::addColumn<QString>("cell"); // text, fill, level
    // Level 0 green, 1 yellow, 2 red; -70 dBm is 60 %, -80 dBm is 40 %.
    QTest::newRow("Percent -60") << "Percent" << -60 << "80 0.80 0";
    QTest::newRow("dBm -60") << "dBm" << -60 << "-60 0.80 0";
    QTest::newRow("dBm -69 above warning") << "dBm" << -69 << "-69 0.62 0";
    QTest::newRow("dBm -70 at warning") << "dBm" << -70 << "-70 0.60 1";
    QTest::newRow("Percent -70 at warning") << "Percent" << -70 << "60 0.60 1";
    QTest::newRow("dBm -79 above critical") << "dBm" << -79 << "-79 0.42 1";
    QTest::newRow("dBm -80 at critical") << "dBm" << -80 << "-80 0.40 2";
    QTest::newRow("Percent -80 at critical") << "Percent" << -80 << "40 0.40 2";
    QTest::newRow("dBm -110 below the scale") << "dBm" << -110 << "-110 0.00 2";
    QTest::newRow("dBm -30 above the scale") << "dBm" << -30 << "-30 1.00 0";
    QTest::newRow("no signal") << "Percent" << 0 << "  ";
}

void TestNetworkTableModel::signalCell() {
    QFETCH(QString, unit);
    QFETCH(int, rssi);
    QFETCH(QString, cell);
    m_f->prefs.setValue(Preferences::displayUnitsKey, unit);
    m_f->hear({makeNetwork("Cafe", TableFixture::bssidOf(1), rssi)});
    QVERIFY(m_f->tick());
    reload();
    const QModelIndex signal = m_model->index(0, Model::Rssi);
    const QVariant fill = signal.data(Model::SignalFillRole);
    const QString shown = QStringLiteral("%1 %2 %3")
                              .arg(signal.data().toString(),
                                   fill.isValid() ? QString::number(fill.toDouble(), 'f', 2) : "",
                                   signal.data(Model::SignalLevelRole).toString());
    QCOMPARE(shown, cell);
    QCOMPARE(signal.data(Model::SignalValueRole).isValid(), rssi != 0);
}

void TestNetworkTableModel::padlock_data() {
    QTest::addColumn<int>("security");
    QTest::addColumn<bool>("open");
    QTest::newRow("None is open") << int(Security::None) << true;
    QTest::newRow("WPA2 Personal is locked") << int(Security::WPA2Personal) << false;
}

void TestNetworkTableModel::padlock() {
    QFETCH(int, security);
    QFETCH(bool, open);
    ScanResult net = makeNetwork("Cafe", TableFixture::bssidOf(1), -50);
    net.securityModes.set(security);
    m_f->hear({net});
    QVERIFY(m_f->tick());
    reload();
    QCOMPARE(m_model->index(0, Model::SecurityLock).data(Model::LockOpenRole).toBool(), open);
    QVERIFY(!m_model->index(0, Model::Ssid).data(Model::LockOpenRole).isValid());
}

void TestNetworkTableModel::rowZero_data() {
    QTest::addColumn<QStringList>("heard");
    QTest::addColumn<int>("joined");
    QTest::addColumn<QString>("effects");
    QTest::addColumn<QString>("highlights");
    const QStringList three = {"Alpha:-60", "Bravo:-40", "Charlie:-70"};
    QTest::newRow("joined to the weakest")
        << three << 2 << "powered, labels, plot 03, joined Charlie"
        << "orange|clear|clear";
    QTest::newRow("joined to the strongest")
        << three << 1 << "powered, labels, plot 02, joined Bravo"
        << "orange|clear|clear";
    QTest::newRow("not joined") << three << -1 << "powered, labels, totals '0' '0', joined none"
                                << "clear|clear|clear";
    QTest::newRow("nothing in range") << QStringList{} << -1 << "powered, labels, joined none"
                                      << "";
}

void TestNetworkTableModel::rowZero() {
    QFETCH(QStringList, heard);
    QFETCH(int, joined);
    QFETCH(QString, effects);
    QFETCH(QString, highlights);
    m_f->hear(TableFixture::networks(heard), joined);
    QVERIFY(m_f->tick());
    reload();
    QCOMPARE(log(), effects);
    QCOMPARE(column(Model::Ssid, Model::HighlightRole), highlights);
}

void TestNetworkTableModel::adapterPower_data() {
    QTest::addColumn<bool>("noInterface");
    QTest::addColumn<bool>("powered");
    QTest::addColumn<int>("joined");
    QTest::addColumn<QString>("effects");
    QTest::addColumn<int>("rows");
    QTest::newRow("no interface") << true << true << 0 << "totals '' '', off, joined none" << 0;
    QTest::newRow("adapter off") << false << false << 0 << "totals '' '', off, joined none" << 0;
    // Not joined is no reason to hide what is in range.
    QTest::newRow("on, not joined")
        << false << true << -1 << "powered, labels, totals '0' '0', joined none" << 2;
    QTest::newRow("on, joined") << false << true << 0 << "powered, labels, joined Alpha" << 2;
}

void TestNetworkTableModel::adapterPower() {
    QFETCH(bool, noInterface);
    QFETCH(bool, powered);
    QFETCH(int, joined);
    QFETCH(QString, effects);
    QFETCH(int, rows);
    m_f->hear(TableFixture::networks({"Alpha:-40", "Bravo:-60"}), joined);
    QVERIFY(m_f->tick());
    reload(); // rows shown before the adapter went away
    m_log.clear();
    m_f->noInterface = noInterface;
    m_f->iface.isPowered = powered;
    reload();
    QCOMPARE(log(), effects);
    QCOMPARE(m_model->rowCount(), rows);
}

void TestNetworkTableModel::joinedNetworkIsPlotted() {
    m_f->hear(TableFixture::networks({"Alpha:-60", "Bravo:-40"}), 0);
    QVERIFY(m_f->tick());
    const NetworkModelPtr alpha = m_f->recordOf("Alpha");
    alpha->signalStrengthArray = {-61, -60};
    reload();
    QCOMPARE(column(Model::Check, Qt::CheckStateRole), "on|off");
    QVERIFY(m_f->plotting.isPlotted(alpha->bssid));
    QCOMPARE(m_f->plotting.plottingNetworkDictionary.value(alpha->bssid), alpha);
    QCOMPARE(m_f->plotting.plottingNetworksDict.value(alpha->bssid), alpha);
    QCOMPARE(alpha->signalStrengthArray.size(), 2); // plotted with its history
    reload();
    QCOMPARE(m_log.count("plot 01"), 1);

    // Unchecked by the user, it comes back at the next reload.
    QVERIFY(m_model->setData(m_model->index(0, Model::Check), Qt::Unchecked, Qt::CheckStateRole));
    QCOMPARE(column(Model::Check, Qt::CheckStateRole), "off|off");
    QVERIFY(!m_f->plotting.isPlotted(alpha->bssid));
    reload();
    QCOMPARE(column(Model::Check, Qt::CheckStateRole), "on|off");
    QVERIFY(m_f->plotting.isPlotted(alpha->bssid));
}

void TestNetworkTableModel::checkBoxToggles() {
    m_f->hear(TableFixture::networks({"Alpha:-40", "Bravo:-60", "Charlie:-70"}));
    QVERIFY(m_f->tick());
    reload();
    const NetworkModelPtr charlie = m_model->recordAt(2);
    QCOMPARE(nameOf(charlie), "Charlie");
    charlie->signalStrengthArray = {-70};
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);

    QVERIFY(m_model->setData(m_model->index(2, Model::Check), Qt::Checked, Qt::CheckStateRole));
    QCOMPARE(column(Model::Check, Qt::CheckStateRole), "off|off|on");
    QVERIFY(charlie->signalStrengthArray.isEmpty());
    QCOMPARE(m_f->cycle.colorPool.colorFor(charlie->bssid), ColorPool::initialColors().at(0));
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.at(0).at(0).toModelIndex(), m_model->index(2, Model::Check));

    QVERIFY(m_model->setData(m_model->index(0, Model::Check), Qt::Checked, Qt::CheckStateRole));
    QVERIFY(m_model->setData(m_model->index(2, Model::Check), Qt::Unchecked, Qt::CheckStateRole));
    QCOMPARE(column(Model::Check, Qt::CheckStateRole), "on|off|off");
    QCOMPARE(m_f->cycle.colorPool.availableColors.last(), ColorPool::initialColors().at(0));
    QCOMPARE(log(), "powered, labels, totals '0' '0', joined none, plot 03, plot 01");

    // Only the check column takes a check state.
    QVERIFY(!m_model->setData(m_model->index(1, Model::Ssid), Qt::Checked, Qt::CheckStateRole));
    QVERIFY(!m_model->setData(m_model->index(1, Model::Check), "x", Qt::DisplayRole));
}

void TestNetworkTableModel::locatedRowHighlight_data() {
    QTest::addColumn<QString>("located");
    QTest::addColumn<QString>("candidate");
    QTest::addColumn<QString>("highlights");
    // Joined to Alpha; locate mode keeps the located network in row 1.
    QTest::newRow("not locating") << ""
                                  << "Bravo"
                                  << "orange|clear|clear|clear";
    QTest::newRow("locating Charlie") << "Charlie"
                                      << "Charlie"
                                      << "orange|yellow|clear|clear";
    QTest::newRow("candidate moved on to Delta") << "Charlie"
                                                 << "Delta"
                                                 << "orange|clear|clear|yellow";
    QTest::newRow("locating the joined network") << "Alpha"
                                                 << "Alpha"
                                                 << "orange|clear|clear|clear";
}

void TestNetworkTableModel::locatedRowHighlight() {
    QFETCH(QString, located);
    QFETCH(QString, candidate);
    QFETCH(QString, highlights);
    m_f->hear(TableFixture::networks({"Alpha:-60", "Bravo:-40", "Charlie:-70", "Delta:-80"}), 0);
    QVERIFY(m_f->tick());
    if (!located.isEmpty())
        m_f->locate.locateArray = {m_f->recordOf(located)};
    m_f->locate.locateModel = m_f->recordOf(located.isEmpty() ? candidate : located);
    m_f->cycle.setLocateHooks(
        {[this] { return m_f->locate.locateArray; }, [this] { return m_f->locate.locateModel; }});
    QVERIFY(m_f->tick());
    m_f->locate.locateModel = m_f->recordOf(candidate); // a right-click after the tick
    reload();
    QCOMPARE(column(Model::Ssid, Model::HighlightRole), highlights);
}

void TestNetworkTableModel::checkBoxesFrozenWhileLocating() {
    m_f->hear(TableFixture::networks({"Alpha:-60", "Bravo:-40", "Charlie:-70"}), 0);
    QVERIFY(m_f->tick());
    reload();
    QVERIFY(m_model->setData(m_model->index(2, Model::Check), Qt::Checked, Qt::CheckStateRole));
    QCOMPARE(column(Model::Check, Qt::CheckStateRole), "on|off|on");

    // Locate Bravo: the graph plots it alone.
    const NetworkModelPtr bravo = m_f->recordOf("Bravo");
    for (const QString &bssid : m_f->cycle.colorPool.dict.keys())
        m_f->cycle.colorPool.returnColor(bssid);
    m_f->plotting.plottingNetworksDict.clear();
    m_f->plotting.plottingNetworkDictionary.clear();
    m_f->locate.locateArray = {bravo};
    m_f->locate.locateModel = bravo;
    m_f->plotting.plotJoinedNetwork(bravo);
    reload();
    QCOMPARE(column(Model::Check, Qt::CheckStateRole), "on|off|on");
    QVERIFY(!m_model->flags(m_model->index(1, Model::Check)).testFlag(Qt::ItemIsUserCheckable));
    QVERIFY(!m_model->setData(m_model->index(1, Model::Check), Qt::Checked, Qt::CheckStateRole));
    QVERIFY(!m_f->plotting.isPlotted(TableFixture::bssidOf(1))); // the joined one is not forced on

    m_f->locate.locateArray.clear();
    reload();
    QCOMPARE(column(Model::Check, Qt::CheckStateRole), "on|on|off");
    QVERIFY(m_model->flags(m_model->index(1, Model::Check)).testFlag(Qt::ItemIsUserCheckable));
}

void TestNetworkTableModel::vendorCell_data() {
    QTest::addColumn<QString>("bssid");
    QTest::addColumn<QString>("cached");
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("stored");
    QTest::newRow("from the file") << "00:1b:2c:11:22:33"
                                   << ""
                                   << "Acme Networks"
                                   << "Acme Networks";
    QTest::newRow("from the cache") << "00:1b:2c:11:22:33"
                                    << "Cached Inc"
                                    << "Cached Inc"
                                    << "Cached Inc";
    QTest::newRow("not listed") << "02:00:00:11:22:33"
                                << ""
                                << "Unknown"
                                << "Unknown";
}

void TestNetworkTableModel::vendorCell() {
    QFETCH(QString, bssid);
    QFETCH(QString, cached);
    QFETCH(QString, cell);
    QFETCH(QString, stored);
    if (!cached.isEmpty())
        m_f->vendors.vendorDict.insert(bssid, cached);
    m_f->hear({makeNetwork("Cafe", bssid, -50)});
    QVERIFY(m_f->tick());
    reload();
    QCOMPARE(column(Model::Vendor), cell);
    QCOMPARE(m_model->recordAt(0)->vendor, stored);
    QCOMPARE(m_f->vendors.vendorDict.value(bssid, "(none)"),
             cached.isEmpty() && cell == "Unknown" ? QStringLiteral("(none)") : cell);
}

// A selected row stays on its network while the list reorders, grows and
// shrinks under it; nothing is reset.
void TestNetworkTableModel::rowsFollowTheirRecords() {
    QSignalSpy resets(m_model.get(), &QAbstractItemModel::modelReset);
    QList<ScanResult> heard = TableFixture::networks({"Alpha:-40", "Bravo:-60", "Charlie:-70"});
    m_f->hear(heard);
    QVERIFY(m_f->tick());
    reload();
    QCOMPARE(column(Model::Ssid), "Alpha|Bravo|Charlie");
    const QPersistentModelIndex selected = m_model->index(2, Model::Bssid);

    heard[2].rssiValue = -30; // Charlie moves to the top
    heard << TableFixture::networks({"", "", "", "Delta:-50"}).at(3);
    m_f->hear(heard);
    QVERIFY(m_f->tick());
    reload();
    QCOMPARE(column(Model::Ssid), "Charlie|Alpha|Delta|Bravo");
    QCOMPARE(selected.row(), 0);
    QCOMPARE(selected.column(), int(Model::Bssid));

    m_f->hear({heard.at(2), heard.at(3)}); // Alpha and Bravo stop answering
    for (int i = 0; i < 5; ++i)
        QVERIFY(m_f->tick());
    reload();
    QCOMPARE(column(Model::Ssid), "Charlie|Delta");
    QCOMPARE(selected.row(), 0);
    QCOMPARE(resets.size(), 0);
}

void TestNetworkTableModel::onlyChangedRowsReported() {
    QList<ScanResult> heard =
        TableFixture::networks({"Alpha:-40", "Bravo:-50", "Charlie:-60", "Delta:-70"});
    m_f->hear(heard);
    QVERIFY(m_f->tick());
    reload();
    QVERIFY(m_f->tick());
    QSignalSpy quiet(m_model.get(), &QAbstractItemModel::dataChanged);
    QSignalSpy layout(m_model.get(), &QAbstractItemModel::layoutChanged);
    reload();
    QCOMPARE(quiet.size() + layout.size(), 0); // nothing changed, nothing reported

    heard[1].rssiValue = -51;
    heard[2].rssiValue = -52;
    m_f->hear(heard);
    QVERIFY(m_f->tick());
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
    reload();
    QStringList ranges;
    for (const QList<QVariant> &args : changed) {
        ranges << QStringLiteral("%1-%2")
                      .arg(args.at(0).toModelIndex().row())
                      .arg(args.at(1).toModelIndex().row());
    }
    QCOMPARE(ranges.join(' '), "1-2");
    QCOMPARE(column(Model::Rssi), "-40|-51|-52|-70");
}

void TestNetworkTableModel::headerSortKeepsJoinedFirst() {
    SortDescriptors sort;
    m_f->cycle.setTableSorter(sort.sorter());
    m_f->hear(TableFixture::networks({"delta:-40", "Bravo:-50", "charlie:-80", "Alpha:-60"}), 2);
    QVERIFY(m_f->tick());
    reload();
    QCOMPARE(column(Model::Ssid), "charlie|delta|Bravo|Alpha");

    sort.headerClicked(QStringLiteral("ssid"));
    m_f->cycle.sortTableView();
    reload();
    QCOMPARE(column(Model::Ssid), "charlie|Alpha|Bravo|delta");

    sort.headerClicked(QStringLiteral("ssid"));
    m_f->cycle.sortTableView();
    reload();
    QCOMPARE(column(Model::Ssid), "charlie|delta|Bravo|Alpha");

    sort.headerClicked(QStringLiteral("rssi"));
    QVERIFY(m_f->tick()); // the order holds across ticks
    reload();
    QCOMPARE(column(Model::Ssid), "charlie|Alpha|Bravo|delta");
    QCOMPARE(column(Model::Ssid, Model::HighlightRole), "orange|clear|clear|clear");
    m_f->cycle.setTableSorter({});
}

QTEST_GUILESS_MAIN(TestNetworkTableModel)
#include "tst_networktablemodel.moc"
