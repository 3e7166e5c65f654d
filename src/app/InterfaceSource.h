#pragma once

#include "scan/AdapterList.h"
#include "scan/source/SourceOption.h"

#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>

class WirelessInterface;

// The Wi-Fi interface the window scans: opened from --source at start-up and
// reopened when the user picks another adapter in the settings. The adapters
// on offer are the machine's Wi-Fi interfaces, as last listed, and the simulated one.
class InterfaceSource : public QObject {
    Q_OBJECT
public:
    // The simulated radio's name in the adapter list.
    static inline const QString simulatedAdapter = QStringLiteral("Simulated");

    using Opener = std::function<std::unique_ptr<WirelessInterface>(
        const SourceOption &, QString *error, bool *usageError, QString *note)>;
    // Opens without waiting, answering later on this thread; see openSourceLater.
    using Switcher = std::function<void(const SourceOption &, QObject *context, SourceOpened)>;

    // By default opens at start-up with openSource(), switches with openSourceLater() and lists
    // the nl80211 interfaces.
    explicit InterfaceSource(Opener opener = {}, Switcher switcher = {},
                             std::unique_ptr<AdapterList> adapterList = {},
                             QObject *parent = nullptr);
    ~InterfaceSource() override;

    // Opens the start-up source, and lists the adapters in the background. False
    // with *error (and *usageError for a bad argument or file) when it cannot be used.
    bool open(const SourceOption &source, QString *error, bool *usageError);

    WirelessInterface *current() const { return m_current.get(); }
    bool isSimulated() const;
    // "Simulated" or the interface's name: the adapter box's item for it.
    QString adapterInUse() const;
    // The adapter box's items: the one in use, the machine's as last listed, "Simulated".
    QStringList adapters() const;
    // Lists the machine's adapters again without waiting; adaptersChanged() tells a change.
    void refreshAdapters();
    // Why auto fell back to the demo scenario; empty otherwise.
    QString note() const { return m_note; }
    QString windowTitle() const;

    // Reopens when the choice names another adapter, without waiting: interfaceChanged()
    // once it is open, or adapterRefused() keeping the current interface. A later choice
    // replaces one still opening.
    void applyAdapterChoice(const QString &choice);

Q_SIGNALS:
    void interfaceChanged();
    void adapterRefused(const QString &reason);
    void adaptersChanged();

private:
    SourceOption optionFor(const QString &adapter) const;

    Opener m_opener;
    Switcher m_switcher;
    quint64 m_choice = 0; // the choice whose opening is awaited
    std::unique_ptr<AdapterList> m_adapterList;
    std::unique_ptr<WirelessInterface> m_current;
    // The interface replaced last: a caller still holding it stays safe
    // until the next change.
    std::unique_ptr<WirelessInterface> m_retired;
    QString m_scenarioPath; // what "Simulated" plays
    QString m_note;
};
