#include "platform/qt/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QThread>

namespace platform {
namespace {

constexpr int kAnswerMilliseconds = 1000;
// How long a start waits between attempts while the instance it found is still starting up.
constexpr unsigned long kRetryMilliseconds = 20;
constexpr char kReopenRequest[] = "reopen\n";

// A bare name lives where QLocalServer puts it: in the temporary directory.
QString lockPathFor(const QString& name) {
    const QString path = name.contains(QLatin1Char('/')) ? name : QDir::temp().filePath(name);
    return path + QStringLiteral(".lock");
}

}  // namespace

SingleInstance::SingleInstance(QString name) : name_(std::move(name)) {}

SingleInstance::~SingleInstance() {
    if (lockFile_ >= 0) {
        // Closing the file releases the lock (flock(2)); the file itself stays for the next start.
        ::close(lockFile_);
    }
}

QString SingleInstance::sessionName() {
    const QString name = QStringLiteral("quelmarn-%1").arg(getuid());
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return runtime.isEmpty() ? name : runtime + QLatin1Char('/') + name;
}

bool SingleInstance::tryLock() {
    if (lockFile_ < 0) {
        // O_NOFOLLOW: where the directory is shared (no runtime directory), a link planted in
        // place of the lock file must not make this start open someone else's file.
        lockFile_ = ::open(lockPathFor(name_).toLocal8Bit().constData(),
                           O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (lockFile_ < 0) {
            return false;
        }
    }
    // The lock belongs to this open file description: it is held as long as the file is open
    // and a separate open, in this process or another, cannot take it (flock(2)).
    return ::flock(lockFile_, LOCK_EX | LOCK_NB) == 0;
}

bool SingleInstance::sendReopenRequest() {
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

SingleInstance::Start SingleInstance::claimOrHandOver(std::chrono::milliseconds patience) {
    const QDeadlineTimer deadline(patience);
    while (true) {
        if (tryLock()) {
            first_ = true;
            return Start::kFirst;
        }
        if (sendReopenRequest()) {
            return Start::kHandedOver;
        }
        if (deadline.hasExpired()) {
            return Start::kNoAnswer;
        }
        QThread::msleep(kRetryMilliseconds);
    }
}

bool SingleInstance::listen(std::function<void()> onReopen) {
    if (!first_) {
        return false;
    }
    onReopen_ = std::move(onReopen);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    // This start holds the lock, so whatever socket is there was left by an instance that ended.
    QLocalServer::removeServer(name_);
    if (!server_.listen(name_)) {
        return false;
    }
    QObject::connect(&server_, &QLocalServer::newConnection, &server_, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            const auto readRequests = [this, socket] {
                while (socket->canReadLine()) {
                    if (socket->readLine() == kReopenRequest) {
                        onReopen_();
                    }
                }
            };
            QObject::connect(socket, &QLocalSocket::readyRead, socket, readRequests);
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            // A start that wrote and left at once may have its request in the buffer already.
            readRequests();
        }
    });
    return true;
}

}  // namespace platform
