#include "TableFixture.h"
#include "netlist/NetworkCellDelegate.h"
#include "netlist/NetworkGridPane.h"
#include "netlist/NetworkTableModel.h"
#include "netlist/SignalBarDelegate.h"
#include "netlist/SignalScale.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLoggingCategory>
#include <QMenu>
#include <QMouseEvent>
#include <QTableView>
#include <QTest>
#include <QToolTip>

using Model = NetworkTableModel;

class TestNetworkGridPane : public QObject {
    Q_OBJECT

private:
    void show(std::initializer_list<QString> words, int joined = -1) {
        show(m_f->networks(words), joined);
    }
    void show(const QList<ScanResult> &heard, int joined = -1) {
        m_f->hear(heard, joined);
        QVERIFY(m_f->tick());
        m_pane->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pane.get()));
    }
    QModelIndex cell(int row, int column) const { return m_table->model()->index(row, column); }
    QPoint sectionAt(int logical, int dx = 0) const {
        return {m_header->sectionViewportPosition(logical) + m_header->sectionSize(logical) / 2 +
                    dx,
                m_header->height() / 2};
    }
    void pressHeader(int logical) {
        QTest::mouseClick(m_header->viewport(), Qt::LeftButton, {}, sectionAt(logical));
    }
    void rightClick(const QPoint &pos) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, pos,
                                m_table->viewport()->mapToGlobal(pos));
        QApplication::sendEvent(m_table->viewport(), &event);
    }

    std::unique_ptr<TableFixture> m_f;
    std::unique_ptr<NetworkGridPane> m_pane;
    QTableView *m_table = nullptr;
    QHeaderView *m_header = nullptr;

private Q_SLOTS:
    void initTestCase() { QLoggingCategory::setFilterRules("airlume.*.info=false"); }
    void cleanup() { m_pane.reset(), m_f.reset(); }
    void init() {
        cleanup();
        m_f = std::make_unique<TableFixture>();
        TableFixture *f = m_f.get();
        m_pane = std::make_unique<NetworkGridPane>(
            NetworkGridPane::Context{&f->cycle, &f->prefs, &f->vendors, &f->plotting, &f->locate});
        f->feed(m_pane.get());
        m_table = m_pane->tableView();
        m_header = m_table->horizontalHeader();
        m_pane->resize(1400, 400);
    }

    QString column(int column) const {
        QStringList cells;
        for (int row = 0; row < m_table->model()->rowCount(); ++row)
            cells << cell(row, column).data().toString();
        return cells.join('|');
    }

    QColor pixel(const QModelIndex &index, int x) const {
        const QRect rect = m_table->visualRect(index);
        const QImage image = m_table->viewport()->grab().toImage();
        const QPoint at(x < 0 ? rect.right() + 1 + x : rect.left() + x, rect.center().y());
        return image.pixelColor(at * image.devicePixelRatio());
    }

    // Every drag, from one visual place to another, starts after a press on the
    // padlock's header, which freezes moves only until another header is pressed.
    // The first column stays first.
    void columnDrags() {
        const QString unchanged = "check securityLock ssid bssid vendor";
        const std::tuple<int, int, QString> cases[] = {
            {2, 4, "check securityLock bssid vendor ssid"},
            {3, 0, unchanged},
            {0, 3, unchanged},
            {1, 4, unchanged}};
        for (const auto &[from, to, order] : cases) {
            init();
            show({"Alpha:-40"});
            pressHeader(Model::SecurityLock);
            QVERIFY(!m_header->sectionsMovable());
            const QPoint start = sectionAt(from);
            const int target = m_header->logicalIndex(to);
            const QPoint end =
                sectionAt(target, (to < from ? -1 : 1) * (m_header->sectionSize(target) / 2 - 2));
            auto mouse = [&](QEvent::Type type, const QPoint &pos, Qt::MouseButtons buttons) {
                QMouseEvent event(type, pos, m_header->viewport()->mapToGlobal(pos),
                                  type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                                  buttons, Qt::NoModifier);
                QApplication::sendEvent(m_header->viewport(), &event);
            };
            mouse(QEvent::MouseButtonPress, start, Qt::LeftButton);
            for (int step = 1; step <= 10; ++step)
                mouse(QEvent::MouseMove, start + (end - start) * step / 10, Qt::LeftButton);
            mouse(QEvent::MouseButtonRelease, end, Qt::NoButton);
            QStringList ids = {QString("%1 to %2:").arg(from).arg(to)};
            for (int visual = 0; visual < 5; ++visual)
                ids << Model::columnIds().at(m_header->logicalIndex(visual));
            QCOMPARE(ids.join(' '), QString("%1 to %2: %3").arg(from).arg(to).arg(order));
            QCOMPARE(m_header->sectionsMovable(), from != 1);
        }
    }

    void headerClickSortsKeepingJoinedFirst() {
        show({"delta:-40", "Bravo:-50", "charlie:-80", "Alpha:-60"}, 2);
        QCOMPARE(column(Model::Ssid), "charlie|delta|Bravo|Alpha");
        QSignalSpy tickDone(&m_f->ticks, &TickDispatcher::graphTick);
        m_f->cycle.pollingStarts(); // the cycle's display list is emptied until the merge
        Q_EMIT m_header->sectionClicked(Model::Ssid); // the rows shown are sorted all the same
        QVERIFY(tickDone.isEmpty());
        QCOMPARE(column(Model::Ssid), "charlie|Alpha|Bravo|delta");
        QTRY_COMPARE(tickDone.size(), 1);
        QCOMPARE(column(Model::Ssid), "charlie|Alpha|Bravo|delta");
        QCOMPARE(m_header->sortIndicatorSection(), int(Model::Ssid));
        QCOMPARE(m_header->sortIndicatorOrder(), Qt::AscendingOrder);
        pressHeader(Model::Ssid);
        QCOMPARE(column(Model::Ssid), "charlie|delta|Bravo|Alpha");
        QCOMPARE(m_header->sortIndicatorOrder(), Qt::DescendingOrder);
        pressHeader(Model::Check); // sorts by signal, weakest first
        QVERIFY(m_f->tick());      // and the order holds across ticks
        QCOMPARE(column(Model::Ssid), "charlie|Alpha|Bravo|delta");
        // The cycle may outlive the pane: it must not call into a sorter that is gone.
        m_pane.reset();
        QVERIFY(m_f->tick());
        QCOMPARE(m_f->cycle.scanedResults().at(1)->ssid, "delta");
    }

    // The item offered and signalled, and the candidate after the right-click on
    // row 2. While Charlie is located it is kept in row 1, so row 2 is Bravo.
    void rowMenu() {
        const char *cases[][3] = {{"", "Locate locate", "Charlie"},
                                  {"Charlie", "Exit Locate exit", "Bravo"}};
        for (const auto &[located, want, candidate] : cases) {
            init();
            m_f->hear({"Alpha:-40", "Bravo:-50", "Charlie:-60"});
            QVERIFY(m_f->tick());
            if (*located)
                m_f->startLocating(located);
            show({"Alpha:-40", "Bravo:-50", "Charlie:-60"});
            QStringList log;
            connect(m_pane.get(), &NetworkGridPane::locateRequested, this,
                    [&] { log << "locate"; });
            connect(m_pane.get(), &NetworkGridPane::exitLocateRequested, this,
                    [&] { log << "exit"; });
            rightClick(m_table->visualRect(cell(2, Model::Bssid)).center());
            auto *menu = m_pane->findChild<QMenu *>("rowMenu");
            QVERIFY(menu && menu->isVisible() && menu->actions().size() == 1);
            QCOMPARE(m_f->locate.locateModel->ssid, candidate);
            menu->actions().first()->trigger();
            QCOMPARE(menu->actions().first()->text() + " " + log.join(' '), want);
        }
    }

    // One tick, one announcement, the totals under the table; a web vendor shows
    // at once.
    void signalsReachThePane() {
        QStringList log;
        connect(m_pane.get(), &NetworkGridPane::connectedToNetwork, this,
                [&](const NetworkModelPtr &r) { log << "joined " + (r ? r->ssid : "none"); });
        show({"Alpha:-40", "Bravo:-50", "Alpha:-60"}, 1);
        auto text = [this](const char *name) { return m_pane->findChild<QLabel *>(name)->text(); };
        log << text("totalSSIDLabel") + '|' + text("totalBSSIDLabel");
        Q_EMIT m_f->vendors.vendorCached(TableFixture::bssidOf(2), "Web Vendor");
        QCOMPARE(log.join(", ") + ", " + column(Model::Vendor),
                 "joined Bravo, Total SSID's : 2|Total BSSID's : 3, Web Vendor|Unknown|Unknown");
    }

    void drawing() {
        QList<ScanResult> heard = TableFixture::networks({"Alpha:-45", "Bravo:-75", "Charlie:-60"});
        heard << makeNetwork("Delta", TableFixture::bssidOf(4), 0);
        m_f->hear(heard, 0);
        QVERIFY(m_f->tick());
        m_f->startLocating("Charlie");
        show(heard, 0);
        QCOMPARE(column(Model::Ssid), "Alpha|Charlie|Delta|Bravo"); // no signal sorts as 0

        // The joined row (Alpha) and the located one (Charlie) stand out from the
        // others and from each other.
        const QColor plain = pixel(cell(3, Model::Ssid), -3);
        const QColor joined = pixel(cell(0, Model::Ssid), -3),
                     located = pixel(cell(1, Model::Ssid), -3);
        QVERIFY(joined != plain && located != plain && joined != located);
        // The bar, right of the value, in its level's colour; no signal, no bar.
        QCOMPARE(pixel(cell(0, Model::Rssi), 37),
                 SignalBarDelegate::levelColour(int(SignalScale::Level::Normal)));
        QCOMPARE(pixel(cell(2, Model::Rssi), 37), plain);
    }

    // A header click leaves the focused table with a current cell, which must not
    // draw a frame of its own: the table looks the same without it. A cut-off
    // cell shows its whole text on hover, one that fits shows none.
    void noFocusFrameAndWholeTextTooltips() {
        show({"Alpha:-40", "A rather long network name:-50"}, 0);
        m_table->setFocus();
        pressHeader(Model::Bssid);
        QVERIFY(m_table->hasFocus() && m_table->currentIndex().isValid());
        const QImage afterClick = m_table->viewport()->grab().toImage();
        m_table->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        QVERIFY(afterClick == m_table->viewport()->grab().toImage());

        const auto tooltipAt = [&](const QModelIndex &index) {
            const QPoint at = m_table->visualRect(index).center();
            QHelpEvent event(QEvent::ToolTip, at, m_table->viewport()->mapToGlobal(at));
            QApplication::sendEvent(m_table->viewport(), &event);
            return QToolTip::isVisible() ? QToolTip::text() : QStringLiteral("(none)");
        };
        m_table->setColumnWidth(Model::Ssid, 60);
        const QString fits = tooltipAt(cell(0, Model::Ssid)); // before any tooltip is up
        QCOMPARE(fits + '|' + tooltipAt(cell(1, Model::Ssid)), "(none)|A rather long network name");
    }
};

QTEST_MAIN(TestNetworkGridPane)
#include "tst_networkgridpane.moc"
