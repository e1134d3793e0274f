#pragma once

#include <QByteArray>
#include <QMap>
#include <QSet>
#include <QTcpServer>
#include <vector>

// A one-page HTTP server on 127.0.0.1 for the web engine's tests. It answers every request with
// the status and page set for its path (200 and a small page by default) and writes down what
// came in.
class LoopbackHttpServer {
  public:
    struct Request {
        QByteArray method;
        QByteArray path;
        QMap<QByteArray, QByteArray> headers;  // names in lower case
        QByteArray body;
    };

    LoopbackHttpServer();

    // "http://127.0.0.1:<port><path>".
    QByteArray url(const char* path) const;
    // Answers `path` with `status`.
    void answer(const QByteArray& path, int status) { statuses_[path] = status; }
    // Answers `path` with the beginning of a page and then hangs up, short of the length it said.
    void cutShort(const QByteArray& path) { cutShort_.insert(path); }

    // The requests that came for `path`, in their order. (The engine also asks for icons.)
    std::vector<Request> requestsFor(const QByteArray& path) const;

    // A port that nothing listens on: connections to it are refused.
    static quint16 closedPort();

  private:
    void serve(QTcpSocket* socket);

    QTcpServer server_;
    QMap<QByteArray, int> statuses_;
    QSet<QByteArray> cutShort_;
    std::vector<Request> requests_;
};
