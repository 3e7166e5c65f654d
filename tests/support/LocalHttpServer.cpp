#include "LocalHttpServer.h"

#include <QNetworkRequest>
#include <QTcpSocket>

QNetworkReply *RecordingNetwork::createRequest(Operation op, const QNetworkRequest &request,
                                               QIODevice *body) {
    requested << request.url().path();
    return QNetworkAccessManager::createRequest(op, request, body);
}

TestHttpServer::TestHttpServer() {
    listen(QHostAddress::LocalHost);
    connect(this, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = nextPendingConnection()) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                m_buffer[socket] += socket->readAll();
                if (!m_buffer[socket].contains("\r\n\r\n"))
                    return;
                received << QString::fromLatin1(m_buffer.take(socket).split(' ').value(1));
                m_waiting << std::pair{socket, received.last()};
                if (!held)
                    release();
            });
        }
    });
}

void TestHttpServer::release() {
    held = false;
    for (const auto &[socket, path] : std::exchange(m_waiting, {})) {
        const auto [status, body] = replies.value(path, {404, "Not Found"});
        socket->write("HTTP/1.1 " + QByteArray::number(status) +
                      " Status\r\nConnection: close\r\nContent-Length: " +
                      QByteArray::number(body.size()) + "\r\n\r\n" + body);
        socket->disconnectFromHost();
    }
}
