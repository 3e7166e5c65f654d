#pragma once

#include "shell/LayoutModes.h"

#include <QObject>
#include <memory>
#include <optional>

class InterfaceSource;
class PreferenceStore;
class QNetworkAccessManager;
class QSystemTrayIcon;
class ViewController;

// Brings the program up: writes the launch defaults, puts the tray icon in
// place and opens the main window. Closing the window quits.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    AppDelegate(std::shared_ptr<PreferenceStore> store, InterfaceSource &source,
                QObject *parent = nullptr);
    ~AppDelegate() override;

    // Opens the window, in the given layout when there is one.
    void applicationDidFinishLaunching(std::optional<LayoutMode> layout = std::nullopt);

    ViewController *viewController() const { return m_controller.get(); }
    QSystemTrayIcon *statusItem() const { return m_statusItem; }

private:
    void createStatusItem();

    std::shared_ptr<PreferenceStore> m_store;
    InterfaceSource &m_source;
    QNetworkAccessManager *m_network = nullptr;
    QSystemTrayIcon *m_statusItem = nullptr;
    std::unique_ptr<ViewController> m_controller;
};
