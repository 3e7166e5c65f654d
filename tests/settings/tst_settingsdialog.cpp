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

class CountingStore : public MemoryPreferenceStore {
public:
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

    // What the boxes show, and what is stored after (defaults written once on a fresh store;
    // a text no box offers shows no item and stays). The interval is stored as bare seconds.
    void shownItems_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("after");
        QTest::newRow("fresh store") << ""
                                     << "wlan0|dBm|Accurate|Radar|On|Fixed|5 Seconds|On"
                                     << "- dBm Accurate Radar On Fixed 5 On";
        QTest::newRow("stored; the adapter shown is the one in use")
            << "adapterValue=wlan9 displayUnitsValue=Percent locatePaceValue=Follow%20signal "
               "pollingIntervalValue=1"
            << "wlan0|Percent|Accurate|Radar|On|Follow signal|1 Second|On"
            << "wlan9 Percent Accurate Radar On Follow signal 1 On";
        QTest::newRow("unknown text") << "displayUnitsValue=percent pollingIntervalValue=7"
                                      << "wlan0|-|Accurate|Radar|On|Fixed|-|On"
                                      << "- percent Accurate Radar On Fixed 7 On";
    }
    void shownItems() {
        QFETCH(QString, before);
        for (const QString &pair : before.split(' ', Qt::SkipEmptyParts))
            m_prefs->setValue(pair.section('=', 0, 0), pair.section('=', 1).replace("%20", " "));
        const int syncs = m_store->syncs;
        const QHash<Box, QString> shown = SettingsForm::shownItems(*m_prefs, "wlan0");
        QStringList texts;
        for (Box b : SettingsForm::boxes())
            texts << (shown.value(b).isNull() ? QStringLiteral("-") : shown[b]);
        QTEST(texts.join('|'), "shown");
        QTEST(stored(*m_prefs), "after");
        QCOMPARE(m_store->syncs, syncs + 1);
    }

    // OK stores every chosen box and announces once, changed or not (a value no box offers is
    // kept); Cancel stores nothing and announces nothing.
    void closing_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("closedBy");
        QTest::addColumn<QString>("after");
        const QString all = "Simulated|Percent|Accurate|Sonar|Off|Follow signal|2 Seconds|Off";
        QTest::newRow("OK, every box changed")
            << all << "ok"
            << "Simulated Percent Accurate Sonar Off Follow signal 2 Off";
        QTest::newRow("OK, nothing changed") << ""
                                             << "ok"
                                             << "wlan0 dBm Accurate Radar On Fixed 7 On";
        QTest::newRow("Cancel") << all << "cancel"
                                << "- dBm Accurate Radar On Fixed 7 On";
    }
    void closing() {
        QFETCH(QString, chosen);
        QFETCH(QString, closedBy);
        m_prefs->writeLaunchDefaults();
        m_prefs->setValue(Preferences::pollingIntervalKey, QStringLiteral("7"));
        SettingsViewController dialog(*m_prefs, {"wlan0", "wlp3s0", "Simulated"}, "wlan0");
        QSignalSpy changed(&dialog, &SettingsViewController::SettingsChanged);
        const int syncs = m_store->syncs;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QStringList items = chosen.split('|', Qt::SkipEmptyParts);
        for (int i = 0; i < items.size(); ++i) {
            QComboBox *box = dialog.comboBox(SettingsForm::boxes().at(i));
            box->setCurrentIndex(box->findText(items.at(i)));
        }
        QTest::mouseClick(dialog.findChild<QPushButton *>(closedBy), Qt::LeftButton);
        QTEST(stored(*m_prefs), "after");
        QCOMPARE(QStringLiteral("%1 %2").arg(changed.count()).arg(m_store->syncs - syncs),
                 closedBy == "ok" ? "1 1" : "0 0");
        QVERIFY(!dialog.isVisible());
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
