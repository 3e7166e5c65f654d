#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

// The host's public address as an outside echo service sees it. One HTTPS
// GET of a service that answers with the bare address as plain text; the
// answer counts only when it parses as an IP address, anything else (an error
// page, a redirect target, a slow or failed request) gives "N/A".
class ExternalIp : public QObject {
    Q_OBJECT
public:
    // An address is a few dozen bytes; more is no answer of this service.
    static constexpr qint64 maxReplyBytes = 64;
    static constexpr int requestTimeoutMs = 15000;

    // `network` may be null: every fetch then gives "N/A".
    explicit ExternalIp(QNetworkAccessManager *network, QObject *parent = nullptr);
    ~ExternalIp() override;

    static QUrl defaultServiceUrl();
    void setServiceUrl(const QUrl &url) { m_serviceUrl = url; }

    // Starts a fetch (one at a time; a call while one runs is ignored). The
    // result lands in externalIP() and the shared object, and is announced.
    void ExternaIPFromAPI();

    // Empty until the first answer, then the address or "N/A".
    QString externalIP() const { return m_externalIP; }
    bool isFetching() const { return !m_reply.isNull(); }

    // The reply body as an address in its normal text form, or "N/A".
    static QString addressFromReply(const QByteArray &body);

Q_SIGNALS:
    void externalIPChanged(const QString &address);

private:
    void finish(const QString &address);

    QNetworkAccessManager *m_network;
    QUrl m_serviceUrl;
    QPointer<QNetworkReply> m_reply;
    QString m_externalIP;
};
