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

const QStringList adapters{"wlan0", "wlp3s0", "Simulated"};

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

QString joined(const QList<Box> &boxes, const std::function<QString(Box)> &text) {
    QStringList parts;
    for (Box box : boxes)
        parts << text(box);
    return parts.join(QLatin1Char('|'));
}

QString shownTexts(const QHash<Box, QString> &shown) {
    return joined(SettingsForm::boxes(),
                  [&](Box b) { return shown.value(b).isNull() ? QStringLiteral("-") : shown[b]; });
}

} // namespace

class TestSettingsDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();

    void intervalTextMapping();
    void shownItems_data();
    void shownItems();

    void closing_data();
    void closing();

private:
    std::shared_ptr<CountingStore> m_store;
    std::unique_ptr<Preferences> m_prefs;
};

void TestSettingsDialog::init() {
    m_store = std::make_shared<CountingStore>();
    m_prefs = std::make_unique<Preferences>(m_store);
}

// Choosing an item stores the bare number, the timer reads it as seconds and
// reopening the dialog shows the same item. 1 is singular, 2 and 10 are not.
void TestSettingsDialog::intervalTextMapping() {
    QStringList seen;
    for (const QString value : {"1", "2", "10"}) {
        const QString item = SettingsForm::intervalItemText(value);
        SettingsForm::store(*m_prefs, {{Box::PollingInterval, item}});
        seen << QStringLiteral("%1>%2>%3>%4s>%5")
                    .arg(item, SettingsForm::intervalValue(item),
                         m_prefs->value(Preferences::pollingIntervalKey))
                    .arg(m_prefs->pollingIntervalSeconds())
                    .arg(SettingsForm::shownItems(*m_prefs, {}).value(Box::PollingInterval));
    }
    QCOMPARE(seen.join(' '), "1 Second>1>1>1s>1 Second 2 Seconds>2>2>2s>2 Seconds "
                             "10 Seconds>10>10>10s>10 Seconds");
}

void TestSettingsDialog::shownItems_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("after");
    const auto row = [](const char *name, const char *before, const char *shown,
                        const char *after) {
        QTest::newRow(name) << QString(before) << QString(shown) << QString(after);
    };
    row("fresh store: defaults written", "", "wlan0|dBm|Accurate|Radar|On|Fixed|5 Seconds|On",
        "- dBm Accurate Radar On Fixed 5 On");
    row("stored; the adapter shown is the one in use",
        "adapterValue=wlan9 displayUnitsValue=Percent sweepTypeValue=Sonar locateSoundValue=Off "
        "locatePaceValue=Follow%20signal pollingIntervalValue=1 vendorLookupValue=Off",
        "wlan0|Percent|Accurate|Sonar|Off|Follow signal|1 Second|Off",
        "wlan9 Percent Accurate Sonar Off Follow signal 1 Off");
    row("unknown text shows no item and stays", "displayUnitsValue=percent pollingIntervalValue=7",
        "wlan0|-|Accurate|Radar|On|Fixed|-|On", "- percent Accurate Radar On Fixed 7 On");
}

void TestSettingsDialog::shownItems() {
    QFETCH(QString, before);
    QFETCH(QString, shown);
    QFETCH(QString, after);
    for (const QString &pair : before.split(' ', Qt::SkipEmptyParts))
        m_prefs->setValue(pair.section('=', 0, 0), pair.section('=', 1).replace("%20", " "));
    const int syncs = m_store->syncs;
    QCOMPARE(shownTexts(SettingsForm::shownItems(*m_prefs, QStringLiteral("wlan0"))), shown);
    QCOMPARE(stored(*m_prefs), after);
    QCOMPARE(m_store->syncs, syncs + 1);
}

void TestSettingsDialog::closing_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("closedBy");
    QTest::addColumn<QString>("after");
    const QString all = "Simulated|Percent|Accurate|Sonar|Off|Follow signal|2 Seconds|Off";
    const QString kept = "- dBm Accurate Radar On Fixed 7 On";
    QTest::newRow("OK, every box changed")
        << all << "ok"
        << "Simulated Percent Accurate Sonar Off Follow signal 2 Off";
    // A value the box does not offer shows no item, and OK keeps it.
    QTest::newRow("OK, nothing changed") << ""
                                         << "ok"
                                         << "wlan0 dBm Accurate Radar On Fixed 7 On";
    QTest::newRow("Cancel") << all << "cancel" << kept;
    QTest::newRow("Escape") << all << "escape" << kept;
}

// OK stores every chosen box and announces once, changed or not; Cancel and Escape
// store nothing and announce nothing.
void TestSettingsDialog::closing() {
    QFETCH(QString, chosen);
    QFETCH(QString, closedBy);
    QFETCH(QString, after);
    m_prefs->writeLaunchDefaults();
    m_prefs->setValue(Preferences::pollingIntervalKey, QStringLiteral("7"));
    SettingsViewController dialog(*m_prefs, adapters, QStringLiteral("wlan0"));
    QVERIFY(dialog.isModal());
    const auto combo = [&](Box b) { return dialog.comboBox(b); };
    QCOMPARE(
        joined(SettingsForm::boxes(),
               [&](Box b) { return combo(b)->currentIndex() < 0 ? "-" : combo(b)->currentText(); }),
        "wlan0|dBm|Accurate|Radar|On|Fixed|-|On");
    QSignalSpy changed(&dialog, &SettingsViewController::SettingsChanged);
    const int syncs = m_store->syncs;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QStringList items = chosen.split('|', Qt::SkipEmptyParts);
    for (int i = 0; i < items.size(); ++i)
        combo(SettingsForm::boxes().at(i))
            ->setCurrentIndex(combo(SettingsForm::boxes().at(i))->findText(items.at(i)));
    if (closedBy == "escape")
        QTest::keyClick(&dialog, Qt::Key_Escape);
    else
        QTest::mouseClick(dialog.findChild<QPushButton *>(closedBy), Qt::LeftButton);
    QCOMPARE(stored(*m_prefs), after);
    // Announced and written out once on OK.
    QCOMPARE(QStringLiteral("%1 %2").arg(changed.count()).arg(m_store->syncs - syncs),
             closedBy == "ok" ? "1 1" : "0 0");
    QCOMPARE(dialog.result(), closedBy == "ok" ? int(QDialog::Accepted) : int(QDialog::Rejected));
    QVERIFY(!dialog.isVisible());
}

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
