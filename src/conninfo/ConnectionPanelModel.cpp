#include "ConnectionPanelModel.h"

#include "HostNetworkInfo.h"
#include "scan/ALUtilities.h"
#include "settings/Preferences.h"

ConnectionPanelModel::ConnectionPanelModel(const Preferences &prefs, FactsReader readFacts)
    : m_prefs(prefs)
    , m_readFacts(std::move(readFacts)) {
    reset();
}

QString ConnectionPanelModel::signalText(qint64 dbm, const Preferences &prefs) {
    const qint64 value = ALUtilities::getSignalstrengthForNetwork(dbm, prefs);
    return prefs.isPercent() ? QStringLiteral("%1%").arg(value)
                             : QStringLiteral("%1 dBm").arg(value);
}

void ConnectionPanelModel::reset() {
    m_texts.fill(HostNetworkInfo::notAvailable);
    m_showsNetwork = false;
    m_showsAddresses = false;
}

void ConnectionPanelModel::connectedToNetwork(const NetworkModelPtr &joined) {
    if (!joined) {
        reset();
        return;
    }
    // Another network's name is a new connection: its addresses differ too.
    if (m_showsNetwork && joined->ssid != m_joinedSsid)
        reset();
    if (!m_showsAddresses || addressMissing())
        setAddresses();
    setWirelessData(*joined);
}

void ConnectionPanelModel::setWirelessData(const NetworkModel &joined) {
    if (!m_showsNetwork) {
        m_joinedSsid = joined.ssid;
        m_texts[Ssid] = joined.ssid.isEmpty() ? HostNetworkInfo::notAvailable : joined.ssid;
        m_showsNetwork = true;
    }
    m_rssi = joined.rssi;
    m_texts[Bssid] = joined.bssid.isEmpty() ? HostNetworkInfo::notAvailable : joined.bssid;
    m_texts[Signal] = signalText(m_rssi, m_prefs);
    m_texts[Channel] = QString::number(joined.channel);
    m_texts[Mode] = joined.networkMode;
}

bool ConnectionPanelModel::addressMissing() const {
    for (Field f : {Mac, Ip, Dns, Gateway}) {
        if (m_texts[f] == HostNetworkInfo::notAvailable)
            return true;
    }
    return false;
}

// Found values stay as read at joining; only missing ones are read again.
void ConnectionPanelModel::setAddresses() {
    const HostFacts facts = m_readFacts ? m_readFacts() : HostFacts{};
    const std::pair<Field, QString> read[] = {{Mac, facts.macAddress},
                                              {Ip, facts.ipAddress},
                                              {Dns, facts.dnsServer},
                                              {Gateway, facts.gateway}};
    for (const auto &[field, value] : read) {
        if (m_texts[field] == HostNetworkInfo::notAvailable && !value.isEmpty())
            m_texts[field] = value;
    }
    if (!m_externalIP.isEmpty())
        m_texts[ExternalIp] = m_externalIP;
    m_showsAddresses = true;
}

void ConnectionPanelModel::setExternalIP(const QString &address) {
    m_externalIP = address;
    if (m_showsAddresses)
        m_texts[ExternalIp] = address.isEmpty() ? HostNetworkInfo::notAvailable : address;
}

void ConnectionPanelModel::refreshSignal() {
    if (m_showsNetwork)
        m_texts[Signal] = signalText(m_rssi, m_prefs);
}
