#include "AppDelegate.h"

#include "ViewController.h"
#include "settings/Preferences.h"

#include <QGuiApplication>
#include <QIcon>
#include <QNetworkAccessManager>
#include <QSystemTrayIcon>

AppDelegate::AppDelegate(std::shared_ptr<PreferenceStore> store, InterfaceSource &source,
                         QObject *parent)
    : QObject(parent)
    , m_store(std::move(store))
    , m_source(source)
    , m_network(new QNetworkAccessManager(this)) {}

AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching(std::optional<LayoutMode> layout) {
    // Choices last one run: five of them are reset at every launch.
    Preferences(m_store).writeLaunchDefaults();
    createStatusItem();
    QGuiApplication::setQuitOnLastWindowClosed(true);
    m_controller = std::make_unique<ViewController>(m_store, m_source, m_network);
    m_controller->viewDidLoad();
    if (layout)
        m_controller->layouts().apply(*layout);
    m_controller->show();
}

// An empty tray item is invisible on Linux desktops, so it carries the icon.
void AppDelegate::createStatusItem() {
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;
    m_statusItem = new QSystemTrayIcon(QIcon(QStringLiteral(":/icons/airlume.svg")), this);
    m_statusItem->setToolTip(QStringLiteral("Airlume"));
    m_statusItem->show();
}
