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
    // puts them (y flipped), at any widget size. The shown radar gets each
    // plot, which replaces the last, also while stopped; the ring runs only
    // while polling; the Radar layout's expanded radar takes over and gives back.
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

        view->show();
        QStringList seen;
        const auto state = [&] {
            seen << QString("%1%2 %3")
                        .arg(view->plot().size())
                        .arg(radar.normalAnimation().running() ? "r" : "")
                        .arg(radar.expandedView() ? radar.expandedView()->plot().size() : -1);
        };
        radar.plotWifiPositionInRadar(networks(2));
        state();
        radar.setPolling(true);
        state();
        view->hide();
        radar.radarButtonAction(networks(12));
        radar.expandedView()->show();
        radar.settingsChanged(networks(2));
        state();
        radar.leaveExpandedRadar();
        radar.expandedView()->hide();
        view->show();
        radar.plotWifiPositionInRadar(networks(4));
        state();
        QCOMPARE(seen.join(" | "), "2 -1 | 2r -1 | 2 2 | 4r 2");
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
