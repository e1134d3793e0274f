#include "tests/qt/loopback_http_server.h"

#include <QTcpSocket>
#include <algorithm>
#include <iterator>

namespace {

// The request in `buffer` once it is whole: head, then as many body bytes as it announced.
std::optional<LoopbackHttpServer::Request> parseWhole(const QByteArray& buffer) {
    const qsizetype headEnd = buffer.indexOf("\r\n\r\n");
    if (headEnd < 0) {
        return std::nullopt;
    }
    const QList<QByteArray> lines = buffer.left(headEnd).split('\n');
    const QList<QByteArray> requestLine = lines.front().trimmed().split(' ');
    LoopbackHttpServer::Request request;
    request.method = requestLine.value(0);
    request.path = requestLine.value(1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0) {
            request.headers[lines[i].left(colon).trimmed().toLower()] =
                lines[i].mid(colon + 1).trimmed();
        }
    }
    const qsizetype length = request.headers.value("content-length", "0").toLongLong();
    if (buffer.size() < headEnd + 4 + length) {
        return std::nullopt;
    }
    request.body = buffer.mid(headEnd + 4, length);
    return request;
}

}  // namespace

LoopbackHttpServer::LoopbackHttpServer() {
    server_.listen(QHostAddress::LocalHost);
    QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            serve(socket);
        }
    });
}

QByteArray LoopbackHttpServer::url(const char* path) const {
    return "http://127.0.0.1:" + QByteArray::number(server_.serverPort()) + path;
}

std::vector<LoopbackHttpServer::Request> LoopbackHttpServer::requestsFor(
    const QByteArray& path) const {
    std::vector<Request> found;
    std::copy_if(requests_.begin(), requests_.end(), std::back_inserter(found),
                 [&](const Request& request) { return request.path == path; });
    return found;
}

quint16 LoopbackHttpServer::closedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

void LoopbackHttpServer::serve(QTcpSocket* socket) {
    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
        // Keep the bytes until the request is whole.
        QByteArray buffer = socket->property("buffer").toByteArray() + socket->readAll();
        socket->setProperty("buffer", buffer);
        const auto request = parseWhole(buffer);
        if (!request) {
            return;
        }
        requests_.push_back(*request);
        const int status = statuses_.value(request->path, 200);
        const QByteArray page = "<html><body><p>" + QByteArray::number(status) + " " +
                                request->method + "</p></body></html>";
        // A page cut short promises more than it sends.
        const qsizetype promised =
            cutShort_.contains(request->path) ? page.size() * 10 : page.size();
        socket->write("HTTP/1.1 " + QByteArray::number(status) + " Status\r\n" +
                      "Content-Type: text/html; charset=utf-8\r\n" + "Content-Length: " +
                      QByteArray::number(promised) + "\r\n" + "Connection: close\r\n\r\n" + page);
        socket->disconnectFromHost();
    });
}
