#include "TableFixture.h"
#include "netlist/NetworkTableModel.h"

#include <QAbstractItemModelTester>
#include <QLoggingCategory>
#include <QTest>

using Model = NetworkTableModel;

// Table-driven tests start afresh (init()) for each case and name it in the
// compared text, so a failure tells which case.
class TestNetworkTableModel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLoggingCategory::setFilterRules("airlume.*.info=false"); }
    void init();
    void cleanup() { m_tester.reset(), m_model.reset(), m_f.reset(); }

    void cells();
    void reloadEffects();
    void checkBoxesPlot();
    void locatedRowHighlight();
    void vendorCell();
    void rowsFollowTheirRecords();

private:
    bool load(const QList<ScanResult> &heard, int joined = -1) {
        m_f->hear(heard, joined);
        return m_f->tick() && (m_model->reload(), true);
    }
    bool check(int row, QVariant state, int role = Qt::CheckStateRole, int column = Model::Check) {
        return m_model->setData(m_model->index(row, column), state, role);
    }
    QString column(int column, int role = Qt::DisplayRole) const;
    QString checks() const { return column(Model::Check, Qt::CheckStateRole); }

    std::unique_ptr<TableFixture> m_f;
    std::unique_ptr<Model> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
    QStringList m_log; // the model's side effects, in order
};

void TestNetworkTableModel::init() {
    cleanup();
    m_log.clear();
    m_f = std::make_unique<TableFixture>();
    TableFixture *f = m_f.get();
    m_model =
        std::make_unique<Model>(Model::Sources{&f->cycle, &f->prefs, &f->vendors, &f->plotting,
                                               &f->locate, [f] { return f->interface(); }});
    m_tester = std::make_unique<QAbstractItemModelTester>(
        m_model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    connect(m_model.get(), &Model::connectedToNetwork, this,
            [this](const NetworkModelPtr &r) { m_log << "joined " + (r ? r->ssid : "none"); });
    connect(m_model.get(), &Model::adapterPoweredShown, this,
            [this](bool on) { m_log << (on ? "powered" : "off"); });
    connect(
        m_model.get(), &Model::totalsTextChanged, this,
        [this](const QString &s, const QString &b) { m_log << "totals '" + s + "' '" + b + "'"; });
    connect(m_model.get(), &Model::networkLabelsRearrangeRequested, this,
            [this] { m_log << "labels"; });
    connect(&f->plotting, &PlottingState::configurePlotsRequested, this,
            [this](const QString &bssid) { m_log << "plot " + bssid.right(2); });
}

// One column of every row, "|"-separated.
QString TestNetworkTableModel::column(int column, int role) const {
    QStringList cells;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        const QVariant v = m_model->index(row, column).data(role);
        if (role == Qt::CheckStateRole)
            cells << (v.toInt() == Qt::Checked ? "on" : "off");
        else if (role == Model::HighlightRole)
            cells << QStringList{"clear", "orange", "yellow"}.value(v.toInt());
        else
            cells << v.toString();
    }
    return cells.join('|');
}

// The padlock, the texts from the lock column on, then the level bar's fill
// and level. Absent values leave cells empty; no channel hides the width too;
// security "None" shows the open padlock.
void TestNetworkTableModel::cells() {
    const std::tuple<const char *, int, int, int, bool, QString> cases[] = {
        {"Cafe", -61, 36, Security::WPA2Personal, false,
         "locked||Cafe|aa:bb:cc:dd:ee:01|Unknown|36|20 MHz|None|WPA2 Personal|-61|Access "
         "Point|5180|0.78 0"},
        {"", 0, 0, Security::None, false,
         "open|||aa:bb:cc:dd:ee:01|Unknown|||None|None||Access Point|-1| "},
        {"Cafe", -70, 1, Security::WPA2Personal, true,
         "locked||Cafe|aa:bb:cc:dd:ee:01|Unknown|1|20 MHz|None|WPA2 Personal|60|Access "
         "Point|2412|0.60 1"},
    };
    for (const auto &[ssid, rssi, channel, security, percent, want] : cases) {
        init();
        m_f->prefs.setValue(Preferences::displayUnitsKey, percent ? "Percent" : "dBm");
        ScanResult net =
            makeNetwork(*ssid ? ssid : QString(), TableFixture::bssidOf(1), rssi, channel,
                        channel > 14 ? Band::Ghz5
                        : channel    ? Band::Ghz2_4
                                     : 0);
        net.securityModes.set(security);
        QVERIFY(load({net}));
        auto at = [&](int column, int role = Qt::DisplayRole) {
            return m_model->index(0, column).data(role);
        };
        QStringList texts{at(Model::SecurityLock, Model::LockOpenRole).toBool() ? "open"
                                                                                : "locked"};
        for (int c = Model::SecurityLock; c < Model::ColumnCount; ++c)
            texts << at(c).toString();
        const QVariant fill = at(Model::Rssi, Model::SignalFillRole);
        texts << (fill.isValid() ? QString::number(fill.toDouble(), 'f', 2) : "") + " " +
                     at(Model::Rssi, Model::SignalLevelRole).toString();
        QCOMPARE(texts.join('|'), want);
        QCOMPARE(at(Model::Rssi, Model::SignalValueRole).isValid(), rssi != 0);
        QVERIFY(!at(Model::Check).isValid() && !at(Model::Ssid, Model::LockOpenRole).isValid());
    }
}

// Two reloads, the second after the power changed: each announces row 0 once.
// Rows are hidden only when the adapter is off, not when merely not joined.
void TestNetworkTableModel::reloadEffects() {
    const QStringList three = {"Alpha:-60", "Bravo:-40", "Charlie:-70"};
    const std::tuple<QStringList, int, QString, QString, QString> cases[] = {
        // heard, joined, power (on, off, none: no interface), effects, row highlights
        {three, 2, "on",
         "powered, labels, plot 03, joined Charlie, |, powered, labels, joined Charlie",
         "orange|clear|clear"},
        {three, -1, "on",
         "powered, labels, totals 'Total SSID's : 0' 'Total BSSID's : 0', joined none, |, "
         "powered, labels, totals 'Total SSID's : 0' 'Total BSSID's : 0', joined none",
         "clear|clear|clear"},
        {{}, -1, "on", "powered, labels, joined none, |, powered, labels, joined none", ""},
        {three, 0, "off",
         "powered, labels, plot 01, joined Alpha, |, totals '' '', off, joined none", ""},
        {three, 0, "none",
         "powered, labels, plot 01, joined Alpha, |, totals '' '', off, joined none", ""},
    };
    for (const auto &[heard, joined, power, effects, highlights] : cases) {
        init();
        QVERIFY(load(TableFixture::networks(heard), joined));
        m_log << "|";
        m_f->noInterface = power == "none";
        m_f->iface.isPowered = power != "off";
        m_model->reload();
        m_log << column(Model::Ssid, Model::HighlightRole);
        QCOMPARE(m_log.join(", "), effects + ", " + highlights);
    }
}

// Check boxes plot and unplot; the joined network is checked again at each
// reload, outside locate mode.
void TestNetworkTableModel::checkBoxesPlot() {
    QVERIFY(load(TableFixture::networks({"Alpha:-60", "Bravo:-40", "Charlie:-70"}), 0));
    QCOMPARE(column(Model::Ssid) + " " + checks(), "Alpha|Bravo|Charlie on|off|off");
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
    QVERIFY(check(2, Qt::Checked) && check(0, Qt::Unchecked));
    QCOMPARE(checks(), "off|off|on");
    QCOMPARE(changed.size(), 2);
    QCOMPARE(changed.at(0).at(0).toModelIndex(), m_model->index(2, Model::Check));
    const ColorPool &pool = m_f->cycle.colorPool;
    QCOMPARE(pool.colorFor(TableFixture::bssidOf(3)), ColorPool::initialColors().at(1));
    QCOMPARE(pool.availableColors.last(), ColorPool::initialColors().at(0)); // Alpha's, returned
    // Only the check column takes a check state.
    QVERIFY(!check(1, Qt::Checked, Qt::CheckStateRole, Model::Ssid));
    QVERIFY(!check(1, "x", Qt::DisplayRole));
    m_model->reload();
    QCOMPARE(checks(), "on|off|on");
    QCOMPARE(m_log.join(", "), "powered, labels, plot 01, joined Alpha, plot 03, powered, labels, "
                               "plot 01, joined Alpha");

    // While Bravo is located the graph plots it alone and the boxes stay as
    // they were shown, not editable; the joined one is not forced on.
    for (const QString &bssid : m_f->cycle.colorPool.dict.keys())
        m_f->cycle.colorPool.returnColor(bssid);
    m_f->plotting.plottingNetworksDict.clear();
    m_f->plotting.plottingNetworkDictionary.clear();
    m_f->startLocating("Bravo");
    m_f->plotting.plotJoinedNetwork(m_f->locate.locateModel);
    m_model->reload();
    QCOMPARE(checks(), "on|off|on");
    QVERIFY(!m_model->flags(m_model->index(1, Model::Check)).testFlag(Qt::ItemIsUserCheckable));
    QVERIFY(!check(1, Qt::Checked));
    QVERIFY(!m_f->plotting.isPlotted(TableFixture::bssidOf(1)));
    m_f->locate.locateArray.clear();
    m_model->reload();
    QCOMPARE(checks(), "on|on|off");
    QVERIFY(m_model->flags(m_model->index(1, Model::Check)).testFlag(Qt::ItemIsUserCheckable));
}

// Joined to Alpha; locate mode keeps the located network in row 1 and the
// candidate (right-clicked after the tick) is yellow, never row 0.
void TestNetworkTableModel::locatedRowHighlight() {
    const char *cases[][3] = {{"", "Bravo", "orange|clear|clear|clear"},
                              {"Charlie", "Charlie", "orange|yellow|clear|clear"},
                              {"Charlie", "Delta", "orange|clear|clear|yellow"},
                              {"Alpha", "Alpha", "orange|clear|clear|clear"}};
    for (const auto &[located, candidate, want] : cases) {
        init();
        m_f->hear({"Alpha:-60", "Bravo:-40", "Charlie:-70", "Delta:-80"}, 0);
        QVERIFY(m_f->tick());
        if (*located)
            m_f->startLocating(located);
        QVERIFY(m_f->tick());
        m_f->locate.locateModel = m_f->recordOf(candidate);
        m_model->reload();
        QCOMPARE(QString(located) + ">" + candidate + ": " +
                     column(Model::Ssid, Model::HighlightRole),
                 QString(located) + ">" + candidate + ": " + want);
    }
}

// The cache first, then the file; the name is kept on the record for the CSV
// export and in the cache; an unlisted one shows "Unknown" and is not cached.
void TestNetworkTableModel::vendorCell() {
    const char *cases[][3] = {{"00:1b:2c:11:22:33", "", "Acme Networks"},
                              {"00:1b:2c:11:22:33", "Cached Inc", "Cached Inc"},
                              {"02:00:00:11:22:33", "", "Unknown"}};
    for (const auto &[bssid, cached, want] : cases) {
        init();
        if (*cached)
            m_f->vendors.vendorDict.insert(bssid, cached);
        QVERIFY(load({makeNetwork("Cafe", bssid, -50)}));
        QCOMPARE(column(Model::Vendor) + "|" + m_model->recordAt(0)->vendor + "|" +
                     m_f->vendors.vendorDict.value(bssid, "Unknown"),
                 QString("%1|%1|%1").arg(want));
        QCOMPARE(m_f->vendors.vendorDict.contains(bssid), QString(want) != "Unknown");
    }
}

// Only changed rows are reported, and a selected row stays on its network
// while the list reorders, grows and shrinks under it; nothing is reset.
void TestNetworkTableModel::rowsFollowTheirRecords() {
    QSignalSpy resets(m_model.get(), &QAbstractItemModel::modelReset);
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
    QSignalSpy layout(m_model.get(), &QAbstractItemModel::layoutChanged);
    QList<ScanResult> heard =
        TableFixture::networks({"Alpha:-40", "Bravo:-50", "Charlie:-60", "Delta:-70"});
    QVERIFY(load(heard) && m_f->tick());
    changed.clear();
    m_model->reload();
    QCOMPARE(changed.size() + layout.size(), 0); // nothing changed, nothing reported

    heard[1].rssiValue = -51;
    heard[2].rssiValue = -52;
    QVERIFY(load(heard));
    QCOMPARE(changed.size(), 1);
    QCOMPARE(QString("%1-%2")
                 .arg(changed[0][0].toModelIndex().row())
                 .arg(changed[0][1].toModelIndex().row()),
             "1-2");
    QCOMPARE(column(Model::Rssi), "-40|-51|-52|-70");

    const QPersistentModelIndex selected = m_model->index(2, Model::Bssid);
    heard[2].rssiValue = -30; // Charlie moves to the top
    heard << makeNetwork("Echo", TableFixture::bssidOf(5), -45);
    QVERIFY(load(heard));
    QCOMPARE(column(Model::Ssid), "Charlie|Alpha|Echo|Bravo|Delta");
    QCOMPARE(selected.row(), 0);
    QCOMPARE(selected.column(), int(Model::Bssid));

    m_f->hear({heard.at(2), heard.at(4)}); // the others stop answering
    for (int i = 0; i < 5; ++i)
        QVERIFY(m_f->tick());
    m_model->reload();
    QCOMPARE(column(Model::Ssid), "Charlie|Echo");
    QCOMPARE(selected.row(), 0);
    QCOMPARE(resets.size(), 0);
}

QTEST_GUILESS_MAIN(TestNetworkTableModel)
#include "tst_networktablemodel.moc"
