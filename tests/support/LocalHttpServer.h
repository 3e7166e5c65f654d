#pragma once

#include <QHash>
#include <QNetworkAccessManager>
#include <QStringList>
#include <QTcpServer>
#include <QUrl>

class QTcpSocket;

// Notes every request as it is made, so tests can count what was sent.
class RecordingNetwork : public QNetworkAccessManager {
public:
    QStringList requested; // paths, in the order the requests were made

protected:
    QNetworkReply *createRequest(Operation op, const QNetworkRequest &request,
                                 QIODevice *body) override;
};

// A tiny HTTP/1.1 server on 127.0.0.1: answers GET /<path> with the reply set
// for that path (404 when none), or keeps requests open while held.
class TestHttpServer : public QTcpServer {
public:
    QHash<QString, std::pair<int, QByteArray>> replies;
    QStringList received; // request paths, in arrival order
    bool held = false;

    TestHttpServer();
    QUrl baseUrl() const { return QUrl(QString("http://127.0.0.1:%1/").arg(serverPort())); }
    // Answers every request held so far and stops holding.
    void release();

private:
    QHash<QTcpSocket *, QByteArray> m_buffer;
    QList<std::pair<QTcpSocket *, QString>> m_waiting;
};
