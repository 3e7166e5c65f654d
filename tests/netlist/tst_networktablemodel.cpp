#include "TableFixture.h"
#include "netlist/NetworkTableModel.h"

#include <QAbstractItemModelTester>
#include <QLoggingCategory>
#include <QTest>

using Model = NetworkTableModel;

// Table-driven cases start afresh (init()) and name themselves in the text
// they compare, so a failure tells which case.
class TestNetworkTableModel : public QObject {
    Q_OBJECT

    std::unique_ptr<TableFixture> m_f;
    std::unique_ptr<Model> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
    QStringList m_log; // the model's side effects, in order

    bool load(const QList<ScanResult> &heard, int joined = -1) {
        m_f->hear(heard, joined);
        return m_f->tick();
    }
    bool check(int row, QVariant state, int role = Qt::CheckStateRole, int column = Model::Check) {
        return m_model->setData(m_model->index(row, column), state, role);
    }
    // One column of every row, "|"-separated.
    QString column(int column, int role = Qt::DisplayRole) const {
        QStringList cells;
        for (int row = 0; row < m_model->rowCount(); ++row) {
            const QVariant v = m_model->index(row, column).data(role);
            cells << (role == Qt::CheckStateRole ? (v.toInt() == Qt::Checked ? "on" : "off")
                      : role == Model::HighlightRole
                          ? QStringList{"clear", "orange", "yellow"}.value(v.toInt())
                          : v.toString());
        }
        return cells.join('|');
    }
    QString checks() const { return column(Model::Check, Qt::CheckStateRole); }

private Q_SLOTS:
    void initTestCase() { QLoggingCategory::setFilterRules("airlume.*.info=false"); }
    void cleanup() { m_tester.reset(), m_model.reset(), m_f.reset(); }
    void init() {
        cleanup();
        m_log.clear();
        m_f = std::make_unique<TableFixture>();
        TableFixture *f = m_f.get();
        m_model = std::make_unique<Model>(
            Model::Sources{&f->prefs, &f->vendors, &f->plotting, &f->locate});
        f->feed(m_model.get());
        m_tester = std::make_unique<QAbstractItemModelTester>(
            m_model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        connect(m_model.get(), &Model::connectedToNetwork, this,
                [this](const NetworkModelPtr &r) { m_log << "joined " + (r ? r->ssid : "none"); });
        connect(m_model.get(), &Model::totalsTextChanged, this, [this](QString s, QString b) {
            m_log << "totals '" + s.section(' ', -1) + "' '" + b.section(' ', -1) + "'";
        });
        connect(m_model.get(), &Model::networkLabelsRearrangeRequested, this,
                [this] { m_log << "labels"; });
        connect(&f->plotting, &PlottingState::configurePlotsRequested, this,
                [this](const QString &bssid) { m_log << "plot " + bssid.right(2); });
    }

    // The padlock, the texts from the lock column on, the bar's fill and
    // level. Absent values leave cells empty; no channel hides the width too.
    // The file's vendor is kept on the record too, for the CSV export.
    void cells() {
        const std::tuple<const char *, int, int, int, bool, QString> cases[] = {
            {"Cafe", -61, 36, Security::WPA2Personal, false,
             "locked||Cafe|00:1b:2c:dd:ee:01|Acme Networks|36|20 MHz|None|WPA2 Personal|-61|Access "
             "Point|5180|0.78 0"},
            {"", 0, 0, Security::None, false,
             "open|||00:1b:2c:dd:ee:01|Acme Networks|||None|None||Access Point|-1| "},
            {"Cafe", -70, 1, Security::WPA2Personal, true,
             "locked||Cafe|00:1b:2c:dd:ee:01|Acme Networks|1|20 MHz|None|WPA2 Personal|60|Access "
             "Point|2412|0.60 1"},
        };
        for (const auto &[ssid, rssi, channel, security, percent, want] : cases) {
            init();
            m_f->prefs.setValue(Preferences::displayUnitsKey, percent ? "Percent" : "dBm");
            ScanResult net =
                makeNetwork(*ssid ? ssid : QString(), "00:1b:2c:dd:ee:01", rssi, channel,
                            channel > 14 ? Band::Ghz5
                            : channel    ? Band::Ghz2_4
                                         : 0);
            net.securityModes.set(security);
            QVERIFY(load({net}));
            auto at = [&](int c, int role = Qt::DisplayRole) {
                return m_model->index(0, c).data(role);
            };
            QStringList texts{at(Model::SecurityLock, Model::LockOpenRole).toBool() ? "open"
                                                                                    : "locked"};
            for (int c = Model::SecurityLock; c < Model::ColumnCount; ++c)
                texts << at(c).toString();
            const QVariant fill = at(Model::Rssi, Model::SignalFillRole);
            texts << (fill.isValid() ? QString::number(fill.toDouble(), 'f', 2) : "") + " " +
                         at(Model::Rssi, Model::SignalLevelRole).toString();
            QCOMPARE(texts.join('|'), want);
            QCOMPARE(m_model->recordAt(0)->vendor, "Acme Networks");
        }
    }

    // Tick after tick, each handed out once, in order: the table's one reload
    // (totals, legend, the joined row plotted and announced), the panel, the
    // records aged out, the radar. The adapter off empties the table.
    void oneReloadPerTick() {
        TickDispatcher &ticks = m_f->ticks;
        connect(&ticks, &TickDispatcher::joinedNetworkTick, this,
                [this](const NetworkModelPtr &r) { m_log << "panel " + (r ? r->ssid : "none"); });
        connect(&ticks, &TickDispatcher::networksAgedOut, this,
                [this](const NetworkList &l) { m_log << "aged " + QString::number(l.size()); });
        connect(&ticks, &TickDispatcher::radarTick, this,
                [this](const NetworkList &l) { m_log << "radar " + QString::number(l.size()); });
        const QStringList three = {"Alpha:-60", "Bravo:-40", "Charlie:-70"};
        const QString shown = "totals '3' '3', labels, ", clear = "clear|clear|clear";
        const QString left = shown + "totals '0' '0', joined none, panel none, ";
        const QString off = "totals '' '', joined none, panel none, radar 3, ";
        const std::tuple<QStringList, int, bool, QString> steps[] = {
            // heard, joined, powered; the tick's effects, then the row highlights
            {three, 2, true,
             shown + "plot 03, joined Charlie, panel Charlie, radar 3, orange|clear|clear"},
            {three, 2, true, shown + "joined Charlie, panel Charlie, radar 3, orange|clear|clear"},
            {three, -1, true, left + "radar 3, " + clear},
            {{}, -1, false, off},
            {{}, -1, false, off},
            {{}, -1, true, left + "radar 3, " + clear},
            {{}, -1, true, left + "aged 3, radar 3, " + clear},
            {{}, -1, true, "labels, joined none, panel none, radar 0, "},
        };
        for (const auto &[heard, joined, powered, effects] : steps) {
            m_log.clear();
            m_f->iface.isPowered = powered;
            QVERIFY(load(TableFixture::networks(heard), joined));
            m_log << column(Model::Ssid, Model::HighlightRole);
            QCOMPARE(m_log.join(", "), effects);
        }
    }

    // Check boxes plot and unplot; the joined network is checked again at
    // each reload, but not while another network is located, when the boxes
    // are not editable.
    void checkBoxesPlot() {
        QVERIFY(load(TableFixture::networks({"Alpha:-60", "Bravo:-40", "Charlie:-70"}), 0));
        QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
        QVERIFY(check(2, Qt::Checked) && check(0, Qt::Unchecked));
        QVERIFY(!check(1, Qt::Checked, Qt::CheckStateRole, Model::Ssid));
        QVERIFY(!check(1, "x", Qt::DisplayRole));
        QCOMPARE(checks() + QString(" %1").arg(changed.size()), "off|off|on 2");
        QCOMPARE(changed.at(0).at(0).toModelIndex(), m_model->index(2, Model::Check));
        m_model->reload();
        QCOMPARE(checks(), "on|off|on");
        QCOMPARE(m_log.join(", "), "totals '3' '3', labels, plot 01, joined Alpha, plot 03, "
                                   "labels, plot 01, joined Alpha");

        // Locating Bravo, the graph plots it alone; the boxes show what they
        // showed, not editable, and the joined one is not forced on.
        for (const char *ssid : {"Alpha", "Charlie"})
            m_f->plotting.setPlotted(m_f->recordOf(ssid), false);
        m_f->startLocating("Bravo");
        m_f->plotting.plotJoinedNetwork(m_f->locate.locateModel);
        m_model->reload();
        QCOMPARE(checks(), "on|off|on");
        QVERIFY(!check(1, Qt::Checked) && !m_f->plotting.isPlotted(TableFixture::bssidOf(1)));
        QVERIFY(!m_model->flags(m_model->index(1, Model::Check)).testFlag(Qt::ItemIsUserCheckable));
        m_f->locate.locateArray.clear();
        m_model->reload();
        QCOMPARE(checks(), "on|on|off");
    }

    // Joined to Alpha; locate mode keeps the located network in row 1 and the
    // candidate (right-clicked after the tick) is yellow, never row 0.
    void locatedRowHighlight() {
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

    // Only changed rows are reported, with no layout change while the order
    // holds; a selected row stays on its network while the list reorders,
    // grows and shrinks under it; nothing is reset.
    void rowsFollowTheirRecords() {
        QSignalSpy resets(m_model.get(), &QAbstractItemModel::modelReset);
        QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
        QSignalSpy layout(m_model.get(), &QAbstractItemModel::layoutChanged);
        QList<ScanResult> heard =
            TableFixture::networks({"Alpha:-40", "Bravo:-50", "Charlie:-60", "Delta:-70"});
        QVERIFY(load(heard));
        changed.clear();
        QVERIFY(m_f->tick());
        QCOMPARE(changed.size() + layout.size(), 0);
        heard[1].rssiValue = -51;
        heard[2].rssiValue = -52;
        QVERIFY(load(heard));
        QCOMPARE(QString("%1 %2-%3 ")
                         .arg(layout.size())
                         .arg(changed[0][0].toModelIndex().row())
                         .arg(changed[0][1].toModelIndex().row()) +
                     column(Model::Rssi),
                 "0 1-2 -40|-51|-52|-70");
        const QPersistentModelIndex selected = m_model->index(2, Model::Bssid);
        heard[2].rssiValue = -30; // Charlie moves to the top
        heard << makeNetwork("Echo", TableFixture::bssidOf(5), -45);
        QVERIFY(load(heard));
        QCOMPARE(column(Model::Ssid), "Charlie|Alpha|Echo|Bravo|Delta");
        QCOMPARE(QString("%1 %2 %3").arg(selected.row()).arg(selected.column()).arg(layout.size()),
                 QString("0 %1 1").arg(Model::Bssid));
        m_f->hear({heard.at(2), heard.at(4)}); // the others stop answering
        for (int i = 0; i < 5; ++i)
            QVERIFY(m_f->tick());
        QCOMPARE(column(Model::Ssid), "Charlie|Echo");
        QCOMPARE(selected.row() + resets.size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestNetworkTableModel)
#include "tst_networktablemodel.moc"
