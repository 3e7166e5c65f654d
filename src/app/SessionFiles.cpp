#include "SessionFiles.h"

#include "InterfaceSource.h"
#include "NetworkExport.h"
#include "netlist/HistoryExport.h"
#include "netlist/SessionHistory.h"
#include "scan/ScanCycle.h"
#include "scan/WirelessInterface.h"
#include "scan/sim/SessionRecorder.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

namespace {

// A message over the window that does not hold up the caller.
void tell(QWidget *window, QMessageBox::Icon icon, const QString &title, const QString &text) {
    auto *box = new QMessageBox(icon, title, text, QMessageBox::Ok, window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

} // namespace

SessionFiles::SessionFiles(ScanCycle &cycle, const Preferences &prefs, InterfaceSource &source,
                           RowsShown rowsShown, QWidget *window)
    : QObject(window)
    , m_cycle(cycle)
    , m_prefs(prefs)
    , m_source(source)
    , m_rowsShown(std::move(rowsShown))
    , m_window(window)
    , m_history(std::make_unique<SessionHistory>())
    , m_historyExport(new HistoryExport(this))
    , m_recorder(std::make_unique<SessionRecorder>()) {
    // Every merge once; the cleared list the views also see is no tick.
    connect(&m_cycle, &ScanCycle::tickFinished, m_recorder.get(), &SessionRecorder::recordTick);
    connect(&m_cycle, &ScanCycle::tickFinished, this,
            [this](const ScanTick &tick) { m_history->addTick(tick); });
    connect(m_recorder.get(), &SessionRecorder::recordingChanged, this,
            &SessionFiles::recordingChanged);
    connect(m_historyExport, &HistoryExport::finished, this,
            [this](const QString &, const QString &error) {
                if (!error.isEmpty())
                    tell(m_window, QMessageBox::Critical, QStringLiteral("Export History"), error);
            });
    connect(m_recorder.get(), &SessionRecorder::recordingFailed, this, [this](const QString &e) {
        QMessageBox::warning(m_window, QStringLiteral("Record"), e);
    });
}

SessionFiles::~SessionFiles() = default;

bool SessionFiles::isRecording() const {
    return m_recorder->isRecording();
}

QString SessionFiles::askSavePath(const QString &title, const QString &filter,
                                  const QString &suffix) {
    if (m_chooseSavePath)
        return m_chooseSavePath(m_window);
    QFileDialog dialog(m_window, title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

void SessionFiles::exportNetwork() {
    const QString chosen = askSavePath(QStringLiteral("Export Network"),
                                       QStringLiteral("CSV files (*.csv)"), QStringLiteral("csv"));
    if (chosen.isEmpty())
        return;
    QString error;
    if (!NetworkExport::writeNetworkList(NetworkExport::withCsvSuffix(chosen), m_rowsShown(),
                                         m_cycle.connectedNetwork(), m_prefs, &error))
        QMessageBox::critical(m_window, QStringLiteral("Export Network"), error);
}

void SessionFiles::exportHistory() {
    if (m_historyExport->isRunning()) {
        tell(m_window, QMessageBox::Information, QStringLiteral("Export History"),
             QStringLiteral("The history is still being written to \"%1\". Export it again when "
                            "that is done.")
                 .arg(QDir::toNativeSeparators(m_historyExport->path())));
        return;
    }
    const QString chosen = askSavePath(QStringLiteral("Export History"),
                                       QStringLiteral("CSV files (*.csv)"), QStringLiteral("csv"));
    if (chosen.isEmpty())
        return;
    // Only the snapshot is taken here; the text is made and written on a worker.
    m_historyExport->start(m_history->snapshot(m_prefs), NetworkExport::withCsvSuffix(chosen));
}

void SessionFiles::toggleRecording() {
    if (m_recorder->isRecording()) {
        m_recorder->stop();
        return;
    }
    const QString chosen =
        askSavePath(QStringLiteral("Record"), QStringLiteral("Airlume recordings (*.jsonl)"),
                    QStringLiteral("jsonl"));
    if (chosen.isEmpty())
        return;
    const WirelessInterface *iface = m_source.current();
    m_recorder->start(chosen, iface ? iface->interfaceName() : QString());
}

void SessionFiles::settingsChanged() {
    m_history->clear();
}
