#include "conninfo/ConnectionPanel.h"
#include "settings/Preferences.h"

#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

class TestConnectionPanel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The power button asks once and waits for the outcome; Settings starts
    // the chosen program, or tells the user there is none.
    void requests() {
        Preferences prefs(std::make_shared<MemoryPreferenceStore>());
        ConnectionPanel panel(prefs, [] { return HostFacts{}; });
        QSignalSpy power(&panel, &ConnectionPanel::enableOrDisable);
        QTest::mouseClick(panel.enableButton(), Qt::LeftButton);
        panel.setPowerSwitching(true);
        QTest::mouseClick(panel.enableButton(), Qt::LeftButton);
        QCOMPARE(power.count(), 1);

        QStringList launched;
        std::optional<NetworkSettingsCommand::Command> chosen{
            {"/usr/bin/nm-connection-editor", {}}};
        panel.setSettingsLauncher([&] { return chosen; },
                                  [&](const auto &c) { return launched << c.program, true; });
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
