#include "settings/PreferenceStore.h"
#include "settings/Preferences.h"
#include "settings/SettingsViewController.h"

#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <memory>

using SettingsForm::Box;

namespace {

const QStringList adapters{QStringLiteral("wlan0"), QStringLiteral("wlp3s0"),
                           QStringLiteral("Simulated")};

QString storeContents(const Preferences &prefs) {
    QStringList parts;
    for (Box box : SettingsForm::boxes()) {
        const QString key = SettingsForm::key(box);
        parts << key + QLatin1Char('=') + (prefs.has(key) ? prefs.value(key) : QStringLiteral("-"));
    }
    return parts.join(QLatin1Char(' '));
}

QString boxTexts(const SettingsViewController &dialog) {
    QStringList parts;
    for (Box box : SettingsForm::boxes()) {
        const QComboBox *combo = dialog.comboBox(box);
        parts << (combo->currentIndex() < 0 ? QStringLiteral("-") : combo->currentText());
    }
    return parts.join(QLatin1Char('|'));
}

void choose(SettingsViewController &dialog, Box box, const QString &item) {
    QComboBox *combo = dialog.comboBox(box);
    const int index = combo->findText(item);
    QVERIFY2(index >= 0, qPrintable(item));
    combo->setCurrentIndex(index);
}

} // namespace

class TestSettingsDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();

    void opensWithStoredValues();
    void okStoresChoicesAndAnnouncesOnce();
    void okWithoutChangeStillAnnounces();
    void okLeavesUnchosenBoxAlone();
    void cancelWritesNothing_data();
    void cancelWritesNothing();
    void colours();

private:
    std::shared_ptr<MemoryPreferenceStore> m_store;
    std::unique_ptr<Preferences> m_prefs;
};

void TestSettingsDialog::init() {
    m_store = std::make_shared<MemoryPreferenceStore>();
    m_prefs = std::make_unique<Preferences>(m_store);
    m_prefs->writeLaunchDefaults();
}

void TestSettingsDialog::opensWithStoredValues() {
    m_prefs->setValue(Preferences::displayUnitsKey, Preferences::percent);
    m_prefs->setValue(Preferences::pollingIntervalKey, QStringLiteral("1"));
    SettingsViewController dialog(*m_prefs, adapters, QStringLiteral("wlp3s0"));
    QCOMPARE(boxTexts(dialog), "wlp3s0|Percent|Accurate|Radar|On|1 Second|On");
    QCOMPARE(dialog.comboBox(Box::Adapter)->count(), 3);
    QVERIFY(dialog.isModal());
}

void TestSettingsDialog::okStoresChoicesAndAnnouncesOnce() {
    SettingsViewController dialog(*m_prefs, adapters, QStringLiteral("wlan0"));
    QSignalSpy changed(&dialog, &SettingsViewController::SettingsChanged);
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.show();
    choose(dialog, Box::Adapter, QStringLiteral("Simulated"));
    choose(dialog, Box::DisplayUnit, QStringLiteral("Percent"));
    choose(dialog, Box::Sweep, QStringLiteral("Sonar"));
    choose(dialog, Box::LocateSound, QStringLiteral("Off"));
    choose(dialog, Box::PollingInterval, QStringLiteral("2 Seconds"));
    choose(dialog, Box::VendorLookup, QStringLiteral("Off"));
    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("ok")), Qt::LeftButton);

    QCOMPARE(storeContents(*m_prefs),
             "adapterValue=Simulated displayUnitsValue=Percent rssiMethodValue=Accurate "
             "sweepTypeValue=Sonar locateSoundValue=Off pollingIntervalValue=2 "
             "vendorLookupValue=Off");
    QCOMPARE(changed.count(), 1);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
}

void TestSettingsDialog::okWithoutChangeStillAnnounces() {
    SettingsViewController dialog(*m_prefs, adapters, QStringLiteral("wlan0"));
    QSignalSpy changed(&dialog, &SettingsViewController::SettingsChanged);
    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("ok")), Qt::LeftButton);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(storeContents(*m_prefs),
             "adapterValue=wlan0 displayUnitsValue=dBm rssiMethodValue=Accurate "
             "sweepTypeValue=Radar locateSoundValue=On pollingIntervalValue=5 "
             "vendorLookupValue=On");
}

// A value the box does not offer shows no item, and OK keeps it.
void TestSettingsDialog::okLeavesUnchosenBoxAlone() {
    m_prefs->setValue(Preferences::pollingIntervalKey, QStringLiteral("7"));
    SettingsViewController dialog(*m_prefs, adapters, QStringLiteral("wlan0"));
    QCOMPARE(dialog.comboBox(Box::PollingInterval)->currentIndex(), -1);
    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("ok")), Qt::LeftButton);
    QCOMPARE(m_prefs->value(Preferences::pollingIntervalKey), "7");
}

void TestSettingsDialog::cancelWritesNothing_data() {
    QTest::addColumn<bool>("byEscape");
    QTest::newRow("Cancel button") << false;
    QTest::newRow("Escape key") << true;
}

void TestSettingsDialog::cancelWritesNothing() {
    QFETCH(bool, byEscape);
    SettingsViewController dialog(*m_prefs, adapters, QStringLiteral("wlan0"));
    const QString before = storeContents(*m_prefs);
    QSignalSpy changed(&dialog, &SettingsViewController::SettingsChanged);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    choose(dialog, Box::DisplayUnit, QStringLiteral("Percent"));
    choose(dialog, Box::PollingInterval, QStringLiteral("60 Seconds"));
    if (byEscape)
        QTest::keyClick(&dialog, Qt::Key_Escape);
    else
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("cancel")),
                          Qt::LeftButton);
    QCOMPARE(storeContents(*m_prefs), before);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(!dialog.isVisible());
}

// Dark blue around a white, rounded inner panel.
void TestSettingsDialog::colours() {
    SettingsViewController dialog(*m_prefs, adapters, QStringLiteral("wlan0"));
    dialog.resize(480, 420);
    const QImage image = dialog.grab().toImage();
    QCOMPARE(image.pixelColor(3, 3), QColor(5, 38, 74));
    const QWidget *panel = dialog.findChild<QWidget *>(QStringLiteral("BackgroundView"));
    QVERIFY(panel);
    const QPoint inside = panel->geometry().topLeft() + QPoint(panel->width() / 2, 4);
    QCOMPARE(image.pixelColor(inside), QColor(Qt::white));
    // The corner is rounded: the panel's very corner still shows the dark blue.
    QCOMPARE(image.pixelColor(panel->geometry().topLeft()), QColor(5, 38, 74));
}

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
