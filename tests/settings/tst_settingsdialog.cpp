#include "settings/PreferenceStore.h"
#include "settings/Preferences.h"
#include "settings/SettingsViewController.h"

#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

struct CountingStore : MemoryPreferenceStore {
    void sync() override { ++syncs; }
    int syncs = 0;
};

// The stored values in the boxes' order; an absent one reads "-".
QString stored(const Preferences &prefs) {
    QStringList parts;
    for (const QString &key :
         {Preferences::adapterKey, Preferences::displayUnitsKey, Preferences::rssiMethodKey,
          Preferences::sweepTypeKey, Preferences::locateSoundKey, Preferences::locatePaceKey,
          Preferences::pollingIntervalKey, Preferences::vendorLookupKey})
        parts << (prefs.has(key) ? prefs.value(key) : "-");
    return parts.join(' ');
}

} // namespace

class TestSettingsDialog : public QObject {
    Q_OBJECT

    std::shared_ptr<CountingStore> m_store;
    std::unique_ptr<Preferences> m_prefs;

private Q_SLOTS:
    void init() {
        m_store = std::make_shared<CountingStore>();
        m_prefs = std::make_unique<Preferences>(m_store);
    }

    // OK stores every chosen box and announces once; Cancel stores nothing and announces
    // nothing. Either closes the dialog. A stored text no box offers shows no item and stays.
    void closing() {
        QStringList got;
        for (const char *closedBy : {"ok", "cancel"}) {
            init();
            m_prefs->writeLaunchDefaults();
            m_prefs->setValue(Preferences::displayUnitsKey, QStringLiteral("percent"));
            SettingsViewController dialog(*m_prefs, {"wlan0", "Simulated"}, "wlan0");
            dialog.setAdapters({"wlp3s0", "wlan0", "Simulated"}); // a listing answered later
            QSignalSpy changed(&dialog, &SettingsViewController::SettingsChanged);
            const int syncs = m_store->syncs;
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            const int unitShown = dialog.comboBox(SettingsForm::Box::DisplayUnit)->currentIndex();
            QCOMPARE(dialog.comboBox(SettingsForm::Box::Adapter)->currentText(), "wlan0");
            const QStringList items =
                QString("Simulated|Percent|Accurate|Sonar|Off|Follow signal|2 Seconds|Off")
                    .split('|');
            for (int i = 0; i < items.size(); ++i) {
                QComboBox *box = dialog.comboBox(SettingsForm::boxes().at(i));
                box->setCurrentIndex(box->findText(items.at(i)));
            }
            QTest::mouseClick(dialog.findChild<QPushButton *>(closedBy), Qt::LeftButton);
            got << QStringLiteral("%1: %2 %3/%4/%5/%6")
                       .arg(closedBy, stored(*m_prefs))
                       .arg(unitShown)
                       .arg(changed.count())
                       .arg(m_store->syncs - syncs)
                       .arg(dialog.isVisible());
        }
        QCOMPARE(got.join(" | "), "ok: Simulated Percent Accurate Sonar Off Follow signal 2 Off "
                                  "-1/1/1/0 | cancel: - percent Accurate Radar On Fixed 5 On "
                                  "-1/0/0/0");
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
