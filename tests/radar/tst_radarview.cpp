// The radar widgets as drawn: dots where placement puts them, the active
// radar gets the plot, each plot replaces the last, the sweep follows
// polling; the locate sound stays silent without an audio device.
#include "app/SharedInstanceClass.h"
#include "radar/LocateSoundEffect.h"
#include "radar/LocateState.h"
#include "radar/RadarController.h"
#include "radar/RadarView.h"
#include "settings/Preferences.h"
#include "support/FakeInterface.h"

#include <QApplication>
#include <QAudioDevice>
#include <QFile>
#include <QImage>
#include <QMediaDevices>
#include <QTest>

namespace {

NetworkList networks(int n) {
    NetworkList list;
    for (int i = 0; i < n; ++i)
        list << std::make_shared<NetworkModel>(
            makeNetwork(QString("net%1").arg(i),
                        QString("aa:bb:cc:dd:ee:%1").arg(i, 2, 10, QChar('0')), -55 - 3 * i));
    return list;
}

} // namespace

class TestRadarView : public QObject {
    Q_OBJECT

private:
    std::shared_ptr<MemoryPreferenceStore> m_store;
    std::unique_ptr<Preferences> m_prefs;
    LocateState m_locate;
    QString m_joined;
private Q_SLOTS:
    void init() {
        m_store = std::make_shared<MemoryPreferenceStore>();
        m_prefs = std::make_unique<Preferences>(m_store);
        m_prefs->writeLaunchDefaults();
        m_locate = {};
        m_joined.clear();
        SharedInstanceClass::sharedInstance().maxValue = 90;
        SharedInstanceClass::sharedInstance().num = 10;
    }

    // The joined network's orange dot and the white ones appear on screen where
    // placement puts them (y flipped), at any widget size.
    void drawnWherePlaced() {
        const NetworkList list = networks(3);
        m_joined = list.first()->bssid;
        RadarController radar(*m_prefs, SharedInstanceClass::sharedInstance(),
                              {[this] { return m_joined; }, &m_locate, {}});
        RadarView *view = radar.normalView();
        radar.radarView(list);
        for (const int side : {200, 400}) {
            view->resize(side, side);
            const QImage image = view->grab().toImage();
            QStringList colours;
            for (const RadarMark &mark : view->plot()) {
                const QPointF centre = mark.dot.center() * (side / 200.0);
                colours << QColor(image.pixel(centre.toPoint())).name();
            }
            QCOMPARE(colours.join(' '), "#ffffff #ffffff #ff8000");
        }
        QCOMPARE(SharedInstanceClass::sharedInstance().maxValue, 90);
    }

    void activeRadarAndReplacement() {
        m_prefs->setValue(Preferences::sweepTypeKey, Preferences::sonar);
        RadarController radar(*m_prefs, SharedInstanceClass::sharedInstance(),
                              {[this] { return m_joined; }, &m_locate, {}});
        radar.radarView(networks(6));
        radar.normalView()->show();
        QStringList seen;
        const auto state = [&](const char *step) {
            seen << QString("%1: normal %2%3, expanded %4%5")
                        .arg(step)
                        .arg(radar.normalView()->plot().size())
                        .arg(radar.normalAnimation().running() ? " ring" : "")
                        .arg(radar.expandedView() ? radar.expandedView()->plot().size() : -1)
                        .arg(radar.expandedAnimation().running() ? " ring" : "");
        };
        state("built, polling stopped");
        radar.plotWifiPositionInRadar(networks(3)); // stopped: still replaces
        state("plotted while stopped");
        radar.setPolling(true);
        state("polling");
        // The Radar layout shows the expanded radar in place of the pane.
        radar.normalView()->hide();
        radar.radarButtonAction(networks(12));
        radar.expandedView()->show();
        radar.plotWifiPositionInRadar(networks(20));
        state("expanded");
        radar.settingsChanged(networks(2));
        state("settings while expanded");
        radar.leaveExpandedRadar();
        radar.expandedView()->hide();
        radar.normalView()->show();
        radar.plotWifiPositionInRadar(networks(4));
        state("left");
        QCOMPARE(
            seen.join(" | "),
            "built, polling stopped: normal 5, expanded -1 | "
            "plotted while stopped: normal 2, expanded -1 | polling: normal 2 ring, expanded -1 | "
            "expanded: normal 2, expanded 19 ring | "
            "settings while expanded: normal 2, expanded 1 ring | "
            "left: normal 3 ring, expanded 1");
    }

    // The bundled sound is a mono 16-bit PCM WAV. Without an audio device (as
    // under test) loading answers false at once; with one, the sound loads.
    void silentWithoutAudio() {
        QFile wav(":/sounds/locate.wav");
        QVERIFY(wav.open(QIODevice::ReadOnly));
        const QByteArray bytes = wav.readAll();
        QCOMPARE(bytes.mid(0, 4) + bytes.mid(8, 8) + bytes.mid(36, 4), "RIFFWAVEfmt data");
        QCOMPARE(bytes.mid(20, 4) + bytes.mid(34, 2),
                 QByteArray("\1\0\1\0\x10\0", 6)); // PCM mono 16
        LocateSoundEffect missing(QUrl::fromLocalFile("/nonexistent/locate.wav"));
        QVERIFY(!missing.load());
        missing.play();
        LocateSoundEffect bundled;
        QCOMPARE(bundled.load(), !QMediaDevices::audioOutputs().isEmpty());
        bundled.play();
    }
};

QTEST_MAIN(TestRadarView)
#include "tst_radarview.moc"
