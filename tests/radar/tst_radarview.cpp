#include "app/SharedInstanceClass.h"
#include "radar/LocateSoundEffect.h"
#include "radar/LocateState.h"
#include "radar/RadarController.h"
#include "radar/RadarView.h"
#include "settings/Preferences.h"
#include "support/FakeInterface.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QTest>

namespace {

NetworkList networks(int n) {
    NetworkList list;
    for (int i = 0; i < n; ++i)
        list << std::make_shared<NetworkModel>(makeNetwork(
            "net", QString("aa:bb:cc:dd:ee:%1").arg(i, 2, 10, QChar('0')), -55 - 3 * i));
    return list;
}

} // namespace

class TestRadarView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The joined network's orange dot and the white ones appear where placement
    // puts them (y flipped), at any widget size.
    void drawnPlacedAndReplaced() {
        Preferences prefs(std::make_shared<MemoryPreferenceStore>());
        prefs.writeLaunchDefaults();
        prefs.setValue(Preferences::sweepTypeKey, Preferences::sonar);
        SharedInstanceClass::sharedInstance().maxValue = 90;
        LocateState locate;
        RadarController radar(prefs, SharedInstanceClass::sharedInstance(),
                              {[] { return QString("aa:bb:cc:dd:ee:00"); }, &locate, {}});
        RadarView *view = radar.normalView();
        radar.radarView(networks(3));
        for (const int side : {200, 400}) {
            view->resize(side, side);
            const QImage image = view->grab().toImage();
            QStringList colours;
            for (const RadarMark &mark : view->plot())
                colours
                    << QColor(image.pixel((mark.dot.center() * (side / 200.0)).toPoint())).name();
            QCOMPARE(colours.join(' '), "#ffffff #ffffff #ff8000");
        }

        // Each plot replaces the last, also while stopped; the ring runs only
        // while polling.
        view->show();
        QStringList seen;
        for (const int n : {2, 4}) {
            radar.plotWifiPositionInRadar(networks(n));
            seen << QString("%1%2")
                        .arg(view->plot().size())
                        .arg(radar.normalAnimation().running() ? "r" : "");
            radar.setPolling(true);
        }
        QCOMPARE(seen.join(' '), "2 4r");
    }

    // Without an audio device (as under test) loading answers false at once.
    void silentWithoutAudio() {
        LocateSoundEffect missing(QUrl::fromLocalFile("/nonexistent/locate.wav"));
        QVERIFY(!missing.load());
        LocateSoundEffect bundled;
        QCOMPARE(bundled.load(), !QMediaDevices::audioOutputs().isEmpty());
    }
};

QTEST_MAIN(TestRadarView)
#include "tst_radarview.moc"
