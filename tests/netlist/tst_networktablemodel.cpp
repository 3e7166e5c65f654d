#include "TableFixture.h"
#include "netlist/NetworkTableModel.h"
#include "netlist/RowDiff.h"
#include "netlist/RowMenu.h"
#include "netlist/SignalScale.h"
#include "netlist/SortDescriptors.h"

#include <QAbstractItemModelTester>
#include <QLoggingCategory>
#include <QPoint>
#include <QTest>

using Model = NetworkTableModel;

namespace {

// Records from words "ssid/rssi/channel/frequency", "-" an absent text;
// BSSIDs number them in input order (…:01, …:02), so ties can be told apart.
NetworkList records(const QString &words) {
    NetworkList list;
    for (const QString &word : words.split(' ', Qt::SkipEmptyParts)) {
        const QStringList f = word.split('/');
        auto text = [&](int i, const QString &fallback) {
            return f.value(i, fallback) == "-" ? QString() : f.value(i, fallback);
        };
        list << std::make_shared<NetworkModel>(makeNetwork(
            text(0, {}), QString("aa:bb:cc:dd:ee:%1").arg(list.size() + 1, 2, 10, QChar('0')),
            f.value(1, "-50").toInt(), f.value(2, "6").toInt()));
        list.last()->frequency = text(3, list.last()->frequency);
    }
    return list;
}

QString numbers(const NetworkList &list) {
    QStringList parts;
    for (const NetworkModelPtr &r : list)
        parts << (r ? QString::number(r->bssid.right(2).toInt()) : "-");
    return parts.join(' ');
}

} // namespace

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
    bool check(int row, Qt::CheckState state) {
        return m_model->setData(m_model->index(row, Model::Check), state, Qt::CheckStateRole);
    }
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

    // Tick after tick, each handed out once, in order: the table's one reload
    // (totals, legend, the joined row plotted and announced), the panel, the
    // records aged out, the radar. The adapter off empties the table.
    void oneReloadPerTick() {
        TickDispatcher &ticks = m_f->ticks;
        connect(&ticks, &TickDispatcher::joinedNetworkTick, this,
                [this](const NetworkModelPtr &r) { m_log << "panel " + (r ? r->ssid : "none"); });
        connect(&ticks, &TickDispatcher::tableTick, this, [this](const ScanTick &t) {
            if (!t.agedOut.isEmpty())
                m_log << "aged " + QString::number(t.agedOut.size());
        });
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
            {{},
             -1,
             true,
             shown + "totals '0' '0', joined none, aged 3, panel none, radar 3, " + clear},
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

    // Check boxes plot and unplot; the joined network is checked again at each
    // reload, but not while another (the yellow candidate) is located, when the
    // graph plots it alone and the boxes are not editable.
    void checkBoxesPlot() {
        QVERIFY(load(TableFixture::networks({"Alpha:-60", "Bravo:-40", "Charlie:-70"}), 0));
        QVERIFY(check(2, Qt::Checked) && check(0, Qt::Unchecked));
        QCOMPARE(checks(), "off|off|on");
        m_model->reload();
        QCOMPARE(checks(), "on|off|on");
        QCOMPARE(m_log.join(", "), "totals '3' '3', labels, plot 01, joined Alpha, plot 03, "
                                   "labels, plot 01, joined Alpha");

        for (const char *ssid : {"Alpha", "Charlie"})
            m_f->plotting.setPlotted(m_f->recordOf(ssid), false);
        m_f->startLocating("Bravo");
        m_f->plotting.plotJoinedNetwork(m_f->locate.locateModel);
        m_model->reload();
        QCOMPARE(checks() + " " + column(Model::Ssid, Model::HighlightRole),
                 "on|off|on orange|yellow|clear");
        QVERIFY(!check(1, Qt::Checked) && !m_f->plotting.isPlotted(TableFixture::bssidOf(1)));
        QVERIFY(!m_model->flags(m_model->index(1, Model::Check)).testFlag(Qt::ItemIsUserCheckable));
        m_f->locate.locateArray.clear();
        m_model->reload();
        QCOMPARE(checks(), "on|on|off");
    }

    // Nothing is reported while nothing changes; a selected row stays on its
    // network while the list reorders, grows and shrinks; nothing is reset.
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

    // Header clicks give the first key's direction ("^"/"v") and the order of
    // the records they sort, by input position.
    void sorting() {
        const char *names = "bravo Alpha charlie alpha", *ties = "b/-70 a/-60 b/-50 a/-80";
        const char *cases[][4] = {
            {"ssid ignores case, ties keep order", names, "ssid", "^ 2 4 1 3"},
            {"third click restores", names, "ssid ssid ssid", "^ 2 4 1 3"},
            {"hidden ssid first", "beta - alpha", "ssid", "^ 2 3 1"},
            {"check sorts by rssi, rssi reverses it", "a/-9 b/-10 c/-100", "check rssi", "v 1 2 3"},
            {"frequency compares texts", "a/-50/6/5180 b/-50/6/-1 c/-50/6/2412 d/-50/6/960",
             "frequency", "^ 2 3 1 4"},
            {"reversed tie-breaker stays reversed", ties, "rssi rssi ssid", "^ 2 4 3 1"},
            {"a tie-breaker clicked again comes first, ascending", ties, "rssi rssi ssid rssi",
             "^ 4 1 2 3"},
        };
        for (const auto &[name, words, clicks, want] : cases) {
            SortDescriptors sort;
            for (const QString &column : QString(clicks).split(' ', Qt::SkipEmptyParts))
                sort.headerClicked(column);
            NetworkList list = records(words);
            sort.sorter()(list);
            const QString got = (sort.firstAscending() ? "^ " : "v ") + numbers(list);
            QCOMPARE(name + (": " + got), name + (": " + QString(want)));
        }
    }

    // Fill/level (0 green to 2 red) either side of each limit, then in percent.
    void signalScale() {
        QStringList got;
        for (const int dBm : {-30, -69, -70, -80, -110})
            got << QString::number(SignalScale::dBm().fillOf(dBm), 'f', 2) + "/" +
                       QString::number(int(SignalScale::dBm().levelOf(dBm)));
        for (const int percent : {61, 60, 40})
            got << QString::number(int(SignalScale::percent().levelOf(percent)));
        QCOMPARE(got.join(' '), "1.00/0 0.62/0 0.60/1 0.40/2 0.00/2 0 1 2");
    }

    // The item comes from the candidate as it stood before the click; a click
    // outside the cells keeps the item and the candidate.
    void rowMenu() {
        const NetworkList shown = records("A B C");
        LocateState locate;
        QStringList seen;
        for (const QPoint at : {QPoint(1, 0), {2, 0}, {1, 0}, {-1, 2}, {3, 0}}) {
            const auto item = RowMenu::menuNeedsUpdate(locate, shown, at.x(), at.y());
            seen << (item ? item->title : "(unchanged)") + " @" + numbers({locate.locateModel});
            locate.locateArray = {shown.at(1)}; // locating from the second click on
        }
        QCOMPARE(seen.join(", "),
                 "Locate @2, Exit Locate @3, Locate @2, (unchanged) @2, (unchanged) @2");
    }

    // Letters are keys. Removals, appends, then moves applied to `before` give
    // `after`; repeated keys ask for a reset.
    void rowDiff() {
        const char *cases[][3] = {{"abcde", "ac", ""},
                                  {"ab", "abcd", ""},
                                  {"abcd", "ead", "moved"},
                                  {"ab", "aa", "reset"},
                                  {"aab", "ab", "reset"}};
        static const char records[5] = {}; // one address per letter
        for (const auto &[before, after, want] : cases) {
            QList<RowDiff::Key> keys[2];
            for (int i : {0, 1})
                for (const char *c = i ? after : before; *c; ++c)
                    keys[i] << &records[*c - 'a'];
            const RowDiff diff(keys[0], keys[1]);
            QString rows = before;
            for (const RowDiff::Range &r : diff.removals())
                rows.remove(r.first, r.last - r.first + 1);
            for (int i : diff.appended())
                rows += after[i];
            QString moved = rows;
            for (int i = 0; i < diff.targets().size() && diff.moved(); ++i)
                moved[diff.targets().at(i)] = rows[i];
            const QString got = !diff.followsKeys() ? "reset" : diff.moved() ? "moved" : "";
            QCOMPARE(QString(before) + ">" + after + ": " + got + " " +
                         (got == "reset" ? after : moved),
                     QString(before) + ">" + after + ": " + want + " " + after);
        }
    }
};

QTEST_GUILESS_MAIN(TestNetworkTableModel)
#include "tst_networktablemodel.moc"
