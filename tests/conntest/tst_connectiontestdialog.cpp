#include "ScriptedRunner.h"
#include "conntest/ConnectionTestDialog.h"

#include <QTableWidget>
#include <QTest>

// The dialog shows the rows as they run and stops the whole run when closed.
class TestConnectionTestDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void showsTheRunAndStopsOnClose() {
        auto *runner = new ScriptedRunner;
        auto test = std::make_unique<ConnectionTest>(
            std::make_unique<PingProbe>(std::unique_ptr<CommandRunner>(runner)),
            [](const QString &, QObject *, auto done) { done("10.0.0.7"); });
        ConnectionTestDialog dialog(std::move(test), [] {
            return HostNetworkInfo::HostNames{"10.0.0.1", "", "www.example.org", true};
        });
        dialog.show();
        const auto row = [table = dialog.table()](int r) {
            QStringList cells;
            for (int c = 0; c < table->columnCount(); ++c)
                cells << table->item(r, c)->text();
            return cells.join(" | ");
        };
        for (int i = 0; i < 5; ++i)
            runner->finish({true, 0, "rtt min/avg/max/mdev = 150.0/150.0/150.0/0.0 ms\n", {}});
        QTRY_COMPARE(row(0), "DNS Reachable | 10.0.0.1 | Ping: 5 of 5, 150 msec latency | "
                             "Warning: high latency");
        QCOMPARE(row(1), "Gateway Reachable | N/A | N/A | Failed :No IP available");
        dialog.reject();
        QCOMPARE(runner->cancels, 1);
        QVERIFY(!dialog.test().isRefreshing() && dialog.test().latencyDict().isEmpty());
    }
};

QTEST_MAIN(TestConnectionTestDialog)
#include "tst_connectiontestdialog.moc"
