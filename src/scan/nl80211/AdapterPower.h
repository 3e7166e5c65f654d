#pragma once

#include <QObject>
#include <QString>

class NetworkManagerLink;
class QSocketNotifier;

namespace nl80211 {

class Worker;

// Where the kernel's switches are seen; tests point them elsewhere.
struct PowerPaths {
    QString sysfsRoot = QStringLiteral("/sys");
    QString rfkillDevice = QStringLiteral("/dev/rfkill");
};

// The power of one Wi-Fi adapter: NetworkManager's Wi-Fi switch while
// NetworkManager tells it, else the kernel's rfkill switch of the interface's
// wiphy, else the interface flags. A cached value kept current from
// NetworkManager's property changes and the rfkill device's events (and
// looked at again whenever recheck() is called), so reading it never waits.
class AdapterPower : public QObject {
    Q_OBJECT
public:
    // The rfkill write runs on `worker`, away from this thread.
    AdapterPower(const QString &interfaceName, NetworkManagerLink &networkManager, Worker &worker,
                 PowerPaths paths = {}, QObject *parent = nullptr);
    ~AdapterPower() override;

    bool powered() const { return m_powered; }
    // Through NetworkManager while it is there (it would switch back what
    // rfkill changed behind it), else through /dev/rfkill.
    void setPowerAsync(bool on);
    // Reads the kernel's side again; a couple of small sysfs files.
    void recheck();

Q_SIGNALS:
    void poweredChanged(bool on);
    void powerSwitchFinished(bool on, bool ok, const QString &error);

private:
    void readRfkillEvents();
    void update();

    QString m_name;
    NetworkManagerLink &m_nm;
    Worker &m_worker;
    PowerPaths m_paths;
    int m_rfkillFd = -1;
    QSocketNotifier *m_rfkillEvents = nullptr;
    bool m_kernelPowered = false;
    bool m_powered = false;
};

} // namespace nl80211
