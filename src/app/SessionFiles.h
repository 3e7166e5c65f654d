#pragma once

#include "scan/NetworkModel.h"

#include <QObject>
#include <functional>
#include <memory>

class HistoryExport;
class InterfaceSource;
class Preferences;
class QWidget;
class ScanCycle;
class SessionHistory;
class SessionRecorder;

// What the window saves to files: the network list as shown, the signal
// history of the session and a recording of every tick that replays as a
// scenario. Each asks where to write through the save chooser.
class SessionFiles : public QObject {
    Q_OBJECT
public:
    // Asks for a file to write; an empty answer cancels. Tests replace the
    // save dialog with it.
    using SavePathChooser = std::function<QString(QWidget *parent)>;
    using RowsShown = std::function<NetworkList()>;

    SessionFiles(ScanCycle &cycle, const Preferences &prefs, InterfaceSource &source,
                 RowsShown rowsShown, QWidget *window);
    ~SessionFiles() override;

    void setSavePathChooser(SavePathChooser chooser) { m_chooseSavePath = std::move(chooser); }
    bool isRecording() const;
    SessionRecorder &recorder() const { return *m_recorder; }
    HistoryExport &historyExport() const { return *m_historyExport; }

public Q_SLOTS:
    void exportNetwork();
    // Writes the history on a worker; while one export runs, another is refused.
    void exportHistory();
    // Starts a recording into a file the user chooses, or ends the one running.
    void toggleRecording();
    // Histories of another unit or adapter are not mixed with the new ones.
    void settingsChanged();

Q_SIGNALS:
    void recordingChanged(bool recording);

private:
    QString askSavePath(const QString &title, const QString &filter, const QString &suffix);

    ScanCycle &m_cycle;
    const Preferences &m_prefs;
    InterfaceSource &m_source;
    RowsShown m_rowsShown;
    QWidget *m_window;
    SavePathChooser m_chooseSavePath;
    std::unique_ptr<SessionHistory> m_history;
    HistoryExport *m_historyExport;
    std::unique_ptr<SessionRecorder> m_recorder;
};
