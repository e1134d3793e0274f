#include "platform/qt/single_instance.h"

#include <unistd.h>

#include <QLocalSocket>

namespace platform {
namespace {

constexpr int kAnswerMilliseconds = 1000;
constexpr char kReopenRequest[] = "reopen\n";

}  // namespace

SingleInstance::SingleInstance(QString name) : name_(std::move(name)) {}

QString SingleInstance::sessionName() {
    const QString name = QStringLiteral("quelmarn-%1").arg(getuid());
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return runtime.isEmpty() ? name : runtime + QLatin1Char('/') + name;
}

bool SingleInstance::handOver() {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(kAnswerMilliseconds)) {
        return false;
    }
    socket.write(kReopenRequest);
    const bool sent = socket.waitForBytesWritten(kAnswerMilliseconds);
    socket.disconnectFromServer();
    return sent;
}

bool SingleInstance::listen(std::function<void()> onReopen) {
    onReopen_ = std::move(onReopen);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_.listen(name_)) {
        // handOver found no one there: what is left is the socket of an instance that died.
        QLocalServer::removeServer(name_);
        if (!server_.listen(name_)) {
            return false;
        }
    }
    QObject::connect(&server_, &QLocalServer::newConnection, &server_, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
                while (socket->canReadLine()) {
                    if (socket->readLine() == kReopenRequest) {
                        onReopen_();
                    }
                }
            });
        }
    });
    return true;
}

}  // namespace platform
