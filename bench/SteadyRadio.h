#pragma once

#include "scan/WirelessInterface.h"

#include <QList>

// A radio that hears the same n networks at every scan, joined to the first.
// `churnPercent` of them (spread evenly) change their signal at every scan,
// which reorders the display list; the others stay put.
class SteadyRadio : public WirelessInterface {
public:
    SteadyRadio(int n, int churnPercent)
        : m_churnPercent(churnPercent) {
        static const char *const ouis[] = {"00:50:f2", "00:00:0c", "3c:5a:b4", "f0:9f:c2"};
        for (int i = 0; i < n; ++i) {
            ScanResult r;
            r.ssid = QStringLiteral("Net-%1").arg(i % (n / 3 + 1)); // meshes share names
            r.bssid = QStringLiteral("%1:%2:%3:%4")
                          .arg(QLatin1String(ouis[i % 4]))
                          .arg((i >> 16) & 0xff, 2, 16, QLatin1Char('0'))
                          .arg((i >> 8) & 0xff, 2, 16, QLatin1Char('0'))
                          .arg(i & 0xff, 2, 16, QLatin1Char('0'));
            r.rssiValue = signalOf(i, 0);
            r.channelNumber = 1 + i % 11;
            r.channelBand = Band::Ghz2_4;
            r.channelWidth = ChannelWidth::Mhz20;
            r.phyModes.set(PhyMode::N);
            r.securityModes.set(Security::WPA2Personal);
            m_results.append(r);
        }
    }
    Kind kind() const override { return Kind::Simulated; }
    QString interfaceName() const override { return QStringLiteral("bench0"); }
    bool powered() const override { return true; }
    void setPowerAsync(bool) override {}
    QString ssid() const override { return m_results.first().ssid; }
    QString bssid() const override { return m_results.first().bssid; }
    WlanChannel wlanChannel() const override { return m_results.first().wlanChannel(); }
    int rssiValue() const override { return m_results.first().rssiValue; }
    int security() const override { return Security::WPA2Personal; }
    int activePHYMode() const override { return PhyMode::N; }

protected:
    // Answered through the event loop, as every interface answers.
    void startScan(Answer answer) override {
        ++m_scans;
        for (qsizetype i = 0; i < m_results.size(); ++i) {
            if (i % 100 < m_churnPercent)
                m_results[i].rssiValue = signalOf(i, m_scans);
        }
        startRead(std::move(answer));
    }
    void startRead(Answer answer) override {
        ScanOutcome outcome;
        outcome.networks = m_results;
        QMetaObject::invokeMethod(
            this, [answer, outcome] { answer(outcome); }, Qt::QueuedConnection);
    }

private:
    static int signalOf(qsizetype i, int scan) {
        return -30 - static_cast<int>((i * 7 + scan) % 60);
    }

    QList<ScanResult> m_results;
    int m_churnPercent = 0;
    int m_scans = 0;
};
