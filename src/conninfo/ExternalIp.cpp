#include "ExternalIp.h"

#include "HostNetworkInfo.h"
#include "app/SharedInstanceClass.h"

#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>

ExternalIp::ExternalIp(QNetworkAccessManager *network, QObject *parent)
    : QObject(parent)
    , m_network(network)
    , m_serviceUrl(defaultServiceUrl()) {}

ExternalIp::~ExternalIp() {
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
}

QUrl ExternalIp::defaultServiceUrl() {
    return QUrl(QStringLiteral("https://api.ipify.org/"));
}

QString ExternalIp::addressFromReply(const QByteArray &body) {
    // Hex digits, dots and colons only: no scope ids, no prefix lengths, no
    // markup; the parse below then decides.
    static const QRegularExpression addressCharacters(QStringLiteral("^[0-9A-Fa-f.:]+$"));
    if (body.size() > maxReplyBytes)
        return HostNetworkInfo::notAvailable;
    const QString text = QString::fromLatin1(body).trimmed();
    QHostAddress address;
    if (!addressCharacters.match(text).hasMatch() || !address.setAddress(text) || address.isNull())
        return HostNetworkInfo::notAvailable;
    return address.toString();
}

void ExternalIp::ExternaIPFromAPI() {
    if (m_reply)
        return;
    if (!m_network) {
        finish(HostNetworkInfo::notAvailable);
        return;
    }
    QNetworkRequest request(m_serviceUrl);
    request.setTransferTimeout(requestTimeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    m_reply = m_network->get(request);
    QNetworkReply *reply = m_reply;
    connect(reply, &QNetworkReply::downloadProgress, this, [reply](qint64 received, qint64) {
        if (received > maxReplyBytes)
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        reply->deleteLater();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const bool ok = reply->error() == QNetworkReply::NoError && status == 200;
        finish(ok ? addressFromReply(reply->read(maxReplyBytes + 1))
                  : HostNetworkInfo::notAvailable);
    });
}

void ExternalIp::finish(const QString &address) {
    m_reply.clear();
    m_externalIP = address;
    SharedInstanceClass::sharedInstance().externalIP = address;
    Q_EMIT externalIPChanged(address);
}
