#include "ScriptedRunner.h"
#include "conntest/ConnectionTestDialog.h"

#include <QLabel>
#include <QTableWidget>
#include <QTest>

namespace {

const CommandResult answered{true, 0, "rtt min/avg/max/mdev = 150.0/150.0/150.0/0.0 ms\n", {}};
const CommandResult silent{true, 1, "1 packets transmitted, 0 received, 100% packet loss\n", {}};

QString rowText(const QTableWidget *table, int row) {
    QStringList cells;
    for (int c = 0; c < table->columnCount(); ++c) {
        const QTableWidgetItem *item = table->item(row, c);
        const auto *link = qobject_cast<const QLabel *>(table->cellWidget(row, c));
        cells << (link   ? QString("link:") + (link->text().contains("https://www.example.org")
                                                   ? "www.example.org"
                                                   : link->text())
                  : item ? item->text()
                         : QString());
    }
    return cells.join(" | ");
}

} // namespace

class TestConnectionTestDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void showsTheRunAndStopsOnClose() {
        auto *runner = new ScriptedRunner;
        auto test = std::make_unique<ConnectionTest>(
            std::make_unique<PingProbe>(std::unique_ptr<CommandRunner>(runner)),
            [](const QString &, QObject *, std::function<void(const QString &)> done) {
                done("10.0.0.7");
            });
        ConnectionTestDialog dialog(std::move(test), [] {
            return HostNetworkInfo::HostNames{"10.0.0.1", "", "www.example.org", true};
        });
        dialog.show();
        QTableWidget *table = dialog.table();
        QCOMPARE(table->rowCount(), 4);
        QCOMPARE(rowText(table, 0), "DNS Reachable | 10.0.0.1 | Ping: 1 of 5 | Processing");
        for (int i = 0; i < 5; ++i)
            runner->finish(answered);
        QCOMPARE(rowText(table, 2),
                 "DNS Lookup | link:www.example.org | Ping: 1 of 5 | Processing");
        QTRY_COMPARE(
            rowText(table, 0),
            "DNS Reachable | 10.0.0.1 | Ping: 5 of 5, 150 msec latency | Warning: high latency");
        QCOMPARE(rowText(table, 1), "Gateway Reachable | N/A | N/A | Failed :No IP available");
        QCOMPARE(table->item(1, ConnectionTestDialog::ResultColumn)->background().color(),
                 QColor(230, 60, 50));
        runner->finish(silent);

        dialog.reject();
        QCOMPARE(runner->cancels, 1);
        QVERIFY(!dialog.test().isRefreshing());
        QVERIFY(dialog.test().latencyDict().isEmpty());
    }
};

QTEST_MAIN(TestConnectionTestDialog)
#include "tst_connectiontestdialog.moc"
