#include "ConnectionPanel.h"

#include "PowerButtonLook.h"
#include "shell/Theme.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

using Field = ConnectionPanelModel::Field;

const char *const captions[ConnectionPanelModel::fieldCount] = {
    "SSID",        "BSSID",      "Signal",     "Channel", "Mode",
    "MAC Address", "IP Address", "DNS Server", "Gateway", "External IP"};
const char *const fieldNames[ConnectionPanelModel::fieldCount] = {
    "ssidValueTextField",    "bssidValueTextField", "signalValueField", "channelValueField",
    "modelValueField",       "macValueTextField",   "ipValueTextField", "dnsValueTextField",
    "gatewayValueTextField", "externalIPValueField"};

const QString orange = Theme::css(Theme::orange);

} // namespace

ConnectionPanel::ConnectionPanel(const Preferences &prefs,
                                 ConnectionPanelModel::FactsReader readFacts, QWidget *parent)
    : QWidget(parent)
    , m_model(prefs, std::move(readFacts))
    , m_chooseSettings(&NetworkSettingsCommand::forThisSession)
    , m_launch([](const NetworkSettingsCommand::Command &command) {
        return QProcess::startDetached(command.program, command.arguments);
    }) {
    setObjectName(QStringLiteral("connectionView"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(12, 6, 12, 6);
    column->setSpacing(4);

    auto *groups = new QHBoxLayout;
    groups->setSpacing(10);
    groups->addWidget(buildGroup(QStringLiteral("wirelessView"), QStringLiteral("Wi-Fi Network"),
                                 Field::Ssid, Field::Mode),
                      1);
    groups->addWidget(buildGroup(QStringLiteral("addressView"), QStringLiteral("Addresses"),
                                 Field::Mac, Field::ExternalIp),
                      1);
    column->addLayout(groups, 1);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    m_adapterNameLabel = new QLabel(this);
    m_adapterNameLabel->setObjectName(QStringLiteral("adapterNameLabel"));
    m_adapterNameLabel->setFont(QFont(QStringLiteral("Arial"), 10));
    m_adapterNameLabel->setStyleSheet(
        QStringLiteral("color: %1;").arg(Theme::css(Theme::noteGrey)));
    buttons->addWidget(m_adapterNameLabel, 1);

    m_exitLocateButton = new QPushButton(QStringLiteral("Exit Locate"), this);
    m_exitLocateButton->setObjectName(QStringLiteral("exitLocateButton"));
    styleButton(m_exitLocateButton, orange);
    m_exitLocateButton->hide();
    connect(m_exitLocateButton, &QPushButton::clicked, this, &ConnectionPanel::exitLocate);
    buttons->addWidget(m_exitLocateButton);

    m_connectButton = new QPushButton(QStringLiteral("Settings"), this);
    m_connectButton->setObjectName(QStringLiteral("connectButton"));
    m_connectButton->setToolTip(QStringLiteral("Open the network settings"));
    styleButton(m_connectButton, orange);
    connect(m_connectButton, &QPushButton::clicked, this, &ConnectionPanel::connectOrDisconnect);
    buttons->addWidget(m_connectButton);

    m_enableButton = new QPushButton(this);
    m_enableButton->setObjectName(QStringLiteral("enableButton"));
    m_enableButton->setMinimumWidth(90);
    connect(m_enableButton, &QPushButton::clicked, this, &ConnectionPanel::enableOrDisable);
    buttons->addWidget(m_enableButton);
    column->addLayout(buttons);

    showPowered(false);
    showFields();
}

QFrame *ConnectionPanel::buildGroup(const QString &objectName, const QString &heading, Field first,
                                    Field last) {
    auto *group = new QFrame(this);
    group->setObjectName(objectName);
    group->setStyleSheet(QStringLiteral("#%1 { border: 1px solid rgba(51, 51, 51, 128);"
                                        " border-radius: 10px; background: white; }")
                             .arg(objectName));
    auto *grid = new QGridLayout(group);
    grid->setContentsMargins(12, 4, 12, 4);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(3);

    auto *head = new QLabel(heading, group);
    head->setObjectName(objectName == QLatin1String("wirelessView")
                            ? QStringLiteral("wirelesshead")
                            : QStringLiteral("addressHead"));
    QFont headFont(QStringLiteral("Arial"), 11);
    headFont.setBold(true);
    head->setFont(headFont);
    head->setStyleSheet(
        QStringLiteral("color: %1; background: white;").arg(Theme::css(Theme::windowBlue)));
    grid->addWidget(head, 0, 0, 1, 2);

    for (int f = first; f <= last; ++f) {
        const int row = f - first + 1;
        auto *caption = new QLabel(QString::fromLatin1(captions[f]), group);
        caption->setFont(QFont(QStringLiteral("Arial"), 10));
        caption->setStyleSheet(QStringLiteral("color: %1;").arg(Theme::css(Theme::noteGrey)));
        grid->addWidget(caption, row, 0);
        auto *value = new QLabel(group);
        value->setObjectName(QString::fromLatin1(fieldNames[f]));
        value->setFont(QFont(QStringLiteral("Arial"), 11));
        value->setStyleSheet(QStringLiteral("color: %1;").arg(Theme::css(Theme::bodyText)));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setMinimumWidth(60);
        grid->addWidget(value, row, 1);
        m_values[f] = value;
    }
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(last - first + 2, 1);
    return group;
}

void ConnectionPanel::styleButton(QPushButton *button, const QString &background) {
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(
        QStringLiteral("QPushButton { background-color: %1; color: white;"
                       " border: none; border-radius: 2px; padding: 5px 14px; }"
                       "QPushButton:hover { background-color: %2; }"
                       "QPushButton:disabled { background-color: %3; }")
            .arg(background, Theme::css(Theme::hoverBlue), Theme::css(Theme::fieldBorder)));
}

void ConnectionPanel::showFields() {
    for (int f = 0; f < ConnectionPanelModel::fieldCount; ++f) {
        const QString text = m_model.text(Field(f));
        m_values[f]->setText(text);
        m_values[f]->setToolTip(text); // long SSIDs and IPv6 addresses may be cut
    }
}

QString ConnectionPanel::fieldText(Field field) const {
    return m_values[field]->text();
}

void ConnectionPanel::connectedToNetwork(const NetworkModelPtr &joined) {
    m_model.connectedToNetwork(joined);
    showFields();
}

void ConnectionPanel::setExternalIP(const QString &address) {
    m_model.setExternalIP(address);
    showFields();
}

void ConnectionPanel::refreshSignal() {
    m_model.refreshSignal();
    showFields();
}

void ConnectionPanel::reset() {
    m_model.reset();
    showFields();
}

void ConnectionPanel::setAdapterName(const QString &name) {
    m_adapterNameLabel->setText(name.isEmpty() ? QString()
                                               : QStringLiteral("Wi-Fi adapter: %1").arg(name));
}

void ConnectionPanel::showPowered(bool powered) {
    const PowerButtonLook look = PowerButtonLook::forPowered(powered);
    m_enableButton->setText(look.title);
    styleButton(m_enableButton, Theme::css(look.background));
}

void ConnectionPanel::setPowerSwitching(bool switching) {
    m_enableButton->setEnabled(!switching);
}

void ConnectionPanel::setLocating(bool locating) {
    m_exitLocateButton->setVisible(locating);
}

void ConnectionPanel::setSettingsLauncher(SettingsChooser choose, Launcher launch) {
    m_chooseSettings = std::move(choose);
    m_launch = std::move(launch);
}

// Starts the settings program directly, without a shell, and does not wait
// for it. When none exists the user is told what to install.
void ConnectionPanel::connectOrDisconnect() {
    const auto command = m_chooseSettings();
    if (command && m_launch(*command))
        return;
    auto *box =
        new QMessageBox(QMessageBox::Information, QStringLiteral("Network Settings"),
                        command ? QStringLiteral("%1 could not be started.").arg(command->program)
                                : NetworkSettingsCommand::missingMessage(),
                        QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("settingsMissingMessage"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
