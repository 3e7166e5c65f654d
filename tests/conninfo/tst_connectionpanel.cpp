#include "conninfo/ConnectionPanel.h"
#include "settings/Preferences.h"

#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

class TestConnectionPanel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void showsTheModelAndItsButtons();
    void settingsButton();
};

// The labels show the model's texts; the buttons carry their titles and
// requests; locate mode shows the exit button.
void TestConnectionPanel::showsTheModelAndItsButtons() {
    Preferences prefs(std::make_shared<MemoryPreferenceStore>());
    ConnectionPanel panel(prefs, [] { return HostFacts{"02:00:00:00:00:01", "10.1.2.3", "", ""}; });
    ScanResult r;
    r.ssid = "Home";
    r.bssid = "04:d4:c4:5a:10:20";
    r.rssiValue = -55;
    panel.connectedToNetwork(std::make_shared<NetworkModel>(r));
    panel.setExternalIP("198.51.100.7");
    QStringList shown;
    for (int f = 0; f < ConnectionPanelModel::fieldCount; ++f)
        shown << panel.fieldText(ConnectionPanelModel::Field(f));
    QCOMPARE(shown, panel.model().texts());
    QCOMPARE(panel.fieldText(ConnectionPanelModel::Ip), "10.1.2.3");
    QCOMPARE(panel.fieldText(ConnectionPanelModel::ExternalIp), "198.51.100.7");

    QSignalSpy power(&panel, &ConnectionPanel::enableOrDisable);
    QSignalSpy exit(&panel, &ConnectionPanel::exitLocate);
    panel.showPowered(true);
    QCOMPARE(panel.enableButton()->text(), "Disable");
    QTest::mouseClick(panel.enableButton(), Qt::LeftButton);
    panel.setPowerSwitching(true);
    QTest::mouseClick(panel.enableButton(), Qt::LeftButton); // ignored while switching
    QCOMPARE(power.count(), 1);
    panel.showPowered(false);
    panel.reset();
    QCOMPARE(panel.enableButton()->text(), "Enable");
    QCOMPARE(panel.fieldText(ConnectionPanelModel::Ssid), "N/A");

    QVERIFY(panel.exitLocateButton()->isHidden());
    panel.setLocating(true);
    QVERIFY(!panel.exitLocateButton()->isHidden());
    QTest::mouseClick(panel.exitLocateButton(), Qt::LeftButton);
    QCOMPARE(exit.count(), 1);
}

// The chosen program is started as given; with none (or a failed start) the
// user is told, without a modal wait.
void TestConnectionPanel::settingsButton() {
    Preferences prefs(std::make_shared<MemoryPreferenceStore>());
    ConnectionPanel panel(prefs, {});
    std::optional<NetworkSettingsCommand::Command> chosen =
        NetworkSettingsCommand::Command{"/usr/bin/nm-connection-editor", {}};
    QStringList launched;
    bool startWorks = true;
    panel.setSettingsLauncher([&] { return chosen; },
                              [&](const NetworkSettingsCommand::Command &c) {
                                  launched << c.program;
                                  return startWorks;
                              });
    auto messages = [&] {
        QStringList out;
        for (auto *box : panel.findChildren<QMessageBox *>())
            out << box->text().left(40);
        return out.join(" | ");
    };
    QTest::mouseClick(panel.connectButton(), Qt::LeftButton);
    QCOMPARE(messages(), "");
    startWorks = false;
    QTest::mouseClick(panel.connectButton(), Qt::LeftButton);
    chosen.reset();
    QTest::mouseClick(panel.connectButton(), Qt::LeftButton);
    QCOMPARE(launched.size(), 2);
    QCOMPARE(messages(), "/usr/bin/nm-connection-editor could not  | "
                         "No network settings application was foun");
}

QTEST_MAIN(TestConnectionPanel)
#include "tst_connectionpanel.moc"
