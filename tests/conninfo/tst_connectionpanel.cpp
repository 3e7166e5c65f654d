#include "conninfo/ConnectionPanel.h"
#include "settings/Preferences.h"

#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

class TestConnectionPanel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The labels show the model's texts; the power button asks once and waits
    // for the outcome; Settings starts the chosen program, or tells the user.
    void showsTheModelAndRequests() {
        Preferences prefs(std::make_shared<MemoryPreferenceStore>());
        ConnectionPanel panel(prefs, [] {
            return HostFacts{"02:00:00:00:00:01", "10.1.2.3", "", ""};
        });
        ScanResult r;
        r.ssid = "Home";
        r.bssid = "04:d4:c4:5a:10:20";
        panel.connectedToNetwork(std::make_shared<NetworkModel>(r));
        panel.setExternalIP("198.51.100.7");
        QStringList shown;
        for (int f = 0; f < ConnectionPanelModel::fieldCount; ++f)
            shown << panel.fieldText(ConnectionPanelModel::Field(f));
        QCOMPARE(shown, panel.model().texts());
        QCOMPARE(shown.at(ConnectionPanelModel::ExternalIp), "198.51.100.7");

        QSignalSpy power(&panel, &ConnectionPanel::enableOrDisable);
        QTest::mouseClick(panel.enableButton(), Qt::LeftButton);
        panel.setPowerSwitching(true);
        QTest::mouseClick(panel.enableButton(), Qt::LeftButton);
        QCOMPARE(power.count(), 1);

        QStringList launched;
        std::optional<NetworkSettingsCommand::Command> chosen =
            NetworkSettingsCommand::Command{"/usr/bin/nm-connection-editor", {}};
        panel.setSettingsLauncher([&] { return chosen; },
                                  [&](const NetworkSettingsCommand::Command &c) {
                                      launched << c.program;
                                      return true;
                                  });
        QTest::mouseClick(panel.connectButton(), Qt::LeftButton);
        chosen.reset();
        QTest::mouseClick(panel.connectButton(), Qt::LeftButton);
        QCOMPARE(launched, QStringList{"/usr/bin/nm-connection-editor"});
        auto *message = panel.findChild<QMessageBox *>();
        QVERIFY(message && message->text() == NetworkSettingsCommand::missingMessage());
    }
};

QTEST_MAIN(TestConnectionPanel)
#include "tst_connectionpanel.moc"
