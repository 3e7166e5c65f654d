#pragma once

#include "scan/source/SourceOption.h"

#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>

class WirelessInterface;

// The Wi-Fi interface the window scans: opened from --source at start-up and
// reopened when the user picks another adapter in the settings. The adapters
// on offer are the machine's Wi-Fi interfaces and the simulated one.
class InterfaceSource : public QObject {
    Q_OBJECT
public:
    // The simulated radio's name in the adapter list.
    static inline const QString simulatedAdapter = QStringLiteral("Simulated");

    using Opener = std::function<std::unique_ptr<WirelessInterface>(
        const SourceOption &, QString *error, bool *usageError, QString *note)>;
    using Lister = std::function<QStringList()>;

    // By default opens with openSource() and lists the nl80211 interfaces.
    explicit InterfaceSource(Opener opener = {}, Lister lister = {}, QObject *parent = nullptr);
    ~InterfaceSource() override;

    // Opens the start-up source. False with *error (and *usageError for a
    // bad argument or file) when it cannot be used.
    bool open(const SourceOption &source, QString *error, bool *usageError);

    WirelessInterface *current() const { return m_current.get(); }
    bool isSimulated() const;
    // "Simulated" or the interface's name: the adapter box's item for it.
    QString adapterInUse() const;
    QStringList adapters() const;
    // Why auto fell back to the demo scenario; empty otherwise.
    QString note() const { return m_note; }
    QString windowTitle() const;

    // Reopens when the choice names another adapter. A refusal keeps the
    // current interface and is announced; true when the interface changed.
    bool applyAdapterChoice(const QString &choice);

    static QStringList nl80211InterfaceNames();

Q_SIGNALS:
    void interfaceChanged();
    void adapterRefused(const QString &reason);

private:
    SourceOption optionFor(const QString &adapter) const;

    Opener m_opener;
    Lister m_lister;
    std::unique_ptr<WirelessInterface> m_current;
    // The interface replaced last: a caller still holding it stays safe
    // until the next change.
    std::unique_ptr<WirelessInterface> m_retired;
    QString m_scenarioPath; // what "Simulated" plays
    QString m_note;
};
