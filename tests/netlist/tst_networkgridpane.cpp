#include "TableFixture.h"
#include "netlist/NetworkGridPane.h"
#include "netlist/NetworkTableModel.h"

#include <QHeaderView>
#include <QLoggingCategory>
#include <QTableView>
#include <QTest>

using Model = NetworkTableModel;

class TestNetworkGridPane : public QObject {
    Q_OBJECT

    std::unique_ptr<TableFixture> m_f;
    std::unique_ptr<NetworkGridPane> m_pane;
    QTableView *m_table = nullptr;

    void show(const QList<ScanResult> &heard, int joined) {
        m_f->hear(heard, joined);
        QVERIFY(m_f->tick());
        m_pane->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pane.get()));
    }
    QModelIndex cell(int row, int column) const { return m_table->model()->index(row, column); }
    QString ssids() const {
        QStringList cells;
        for (int row = 0; row < m_table->model()->rowCount(); ++row)
            cells << cell(row, Model::Ssid).data().toString();
        return cells.join('|');
    }
    void pressHeader(int logical) {
        QHeaderView *header = m_table->horizontalHeader();
        const QPoint at(header->sectionViewportPosition(logical) + header->sectionSize(logical) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }

private Q_SLOTS:
    void initTestCase() { QLoggingCategory::setFilterRules("airlume.*.info=false"); }
    void cleanup() { m_pane.reset(), m_f.reset(); }
    void init() {
        m_f = std::make_unique<TableFixture>();
        TableFixture *f = m_f.get();
        m_pane = std::make_unique<NetworkGridPane>(
            NetworkGridPane::Context{&f->cycle, &f->prefs, &f->vendors, &f->plotting, &f->locate});
        f->feed(m_pane.get());
        m_table = m_pane->tableView();
        m_pane->resize(1400, 400);
    }

    // A web vendor shows at once. A header click sorts the rows shown at once,
    // even while the cycle's list is emptied for a merge; the joined row stays
    // first and the order holds across ticks. The cycle may outlive the pane.
    void headerClickSortsKeepingJoinedFirst() {
        show(TableFixture::networks({"delta:-40", "Bravo:-50", "charlie:-80", "Alpha:-60"}), 2);
        QCOMPARE(ssids(), "charlie|delta|Bravo|Alpha");
        Q_EMIT m_f->vendors.vendorCached(TableFixture::bssidOf(2), "Web"); // shows at once
        QCOMPARE(cell(2, Model::Vendor).data().toString(), "Web");
        QSignalSpy tickDone(&m_f->ticks, &TickDispatcher::graphTick);
        m_f->cycle.pollingStarts();
        Q_EMIT m_table->horizontalHeader()->sectionClicked(Model::Ssid);
        QVERIFY(tickDone.isEmpty());
        QCOMPARE(ssids(), "charlie|Alpha|Bravo|delta");
        QTRY_COMPARE(tickDone.size(), 1);
        pressHeader(Model::Ssid);
        QCOMPARE(ssids(), "charlie|delta|Bravo|Alpha");
        pressHeader(Model::Check); // sorts by signal, weakest first
        QVERIFY(m_f->tick());
        QCOMPARE(ssids(), "charlie|Alpha|Bravo|delta");
        m_pane.reset();
        QVERIFY(m_f->tick());
        QCOMPARE(m_f->cycle.scanedResults().at(1)->ssid, "delta");
    }

    // A header click leaves a current cell that must not draw a focus frame.
    void noFocusFrameAfterHeaderClick() {
        show(TableFixture::networks({"Alpha:-45", "Bravo:-75"}), 0);
        m_table->setFocus();
        pressHeader(Model::Bssid);
        QVERIFY(m_table->hasFocus() && m_table->currentIndex().isValid());
        const QImage afterClick = m_table->viewport()->grab().toImage();
        m_table->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        QVERIFY(afterClick == m_table->viewport()->grab().toImage());
    }
};

QTEST_MAIN(TestNetworkGridPane)
#include "tst_networkgridpane.moc"
