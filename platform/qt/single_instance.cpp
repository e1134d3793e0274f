#include "platform/qt/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

namespace platform {
namespace {

// How long a start waits between attempts while the instance it found is still starting up.
constexpr unsigned long kRetryMilliseconds = 20;
// A caller sends one line: "reopen", then a blank and its activation token if it has one.
constexpr std::string_view kReopenRequest = "reopen";
// Tokens are short (a UUID, a startup id with host name and time); anything longer is no
// request of ours.
constexpr std::size_t kLongestRequest = 512;

// A bare name lives in the temporary directory, as the runtime directory may be missing.
QString socketPathFor(const QString& name) {
    return name.contains(QLatin1Char('/')) ? name : QDir::temp().filePath(name);
}

// The address of the socket at `path`, or none when the path is too long for one (unix(7)).
std::optional<sockaddr_un> addressOf(const QString& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray bytes = path.toLocal8Bit();
    if (bytes.isEmpty() || static_cast<std::size_t>(bytes.size()) >= sizeof address.sun_path) {
        return std::nullopt;
    }
    std::memcpy(address.sun_path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return address;
}

}  // namespace

std::optional<std::string> parseReopenRequest(std::string_view request) {
    if (request.size() > kLongestRequest || request.empty() || request.back() != '\n') {
        return std::nullopt;
    }
    request.remove_suffix(1);
    if (request == kReopenRequest) {
        return std::string();
    }
    if (request.substr(0, kReopenRequest.size() + 1) != std::string(kReopenRequest) + " ") {
        return std::nullopt;
    }
    const std::string_view token = request.substr(kReopenRequest.size() + 1);
    // A token is printable ASCII without blanks (xdg-activation and startup-notification ids
    // both are); anything else would end up in the environment or an X property.
    const bool printable =
        std::all_of(token.begin(), token.end(), [](char c) { return c > ' ' && c < 0x7f; });
    if (token.empty() || !printable) {
        return std::nullopt;
    }
    return std::string(token);
}

std::string activationTokenOfThisStart() {
    for (const char* name : {"XDG_ACTIVATION_TOKEN", "DESKTOP_STARTUP_ID"}) {
        const QByteArray value = qgetenv(name);
        if (!value.isEmpty()) {
            return value.toStdString();
        }
    }
    return {};
}

SingleInstance::SingleInstance(QString name, std::string activationToken)
    : socketPath_(socketPathFor(name)), activationToken_(std::move(activationToken)) {}

SingleInstance::~SingleInstance() {
    for (const Caller& caller : callers_) {
        ::close(caller.socket);
    }
    callers_.clear();
    listenNotifier_.reset();
    for (int socket : {listening_, lockFile_}) {
        // Closing the lock file releases the lock (flock(2)); the file stays for the next start.
        if (socket >= 0) {
            ::close(socket);
        }
    }
}

QString SingleInstance::sessionName() {
    const QString name = QStringLiteral("quelmarn-%1").arg(getuid());
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return runtime.isEmpty() ? name : runtime + QLatin1Char('/') + name;
}

SingleInstance::Lock SingleInstance::tryLock() {
    if (lockFile_ < 0) {
        // O_NOFOLLOW: where the directory is shared (no runtime directory), a link planted in
        // place of the lock file must not make this start open someone else's file.
        const QByteArray path = (socketPath_ + QStringLiteral(".lock")).toLocal8Bit();
        lockFile_ = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (lockFile_ < 0) {
            return Lock::kUnavailable;
        }
    }
    // The lock belongs to this open file description: it is held as long as the file is open
    // and a separate open, in this process or another, cannot take it (flock(2)).
    return ::flock(lockFile_, LOCK_EX | LOCK_NB) == 0 ? Lock::kTaken : Lock::kHeld;
}

bool SingleInstance::sendReopenRequest() const {
    std::string request(kReopenRequest);
    if (!activationToken_.empty()) {
        request += " " + activationToken_;
    }
    request += "\n";
    if (!parseReopenRequest(request)) {
        // A token the instance would refuse: still ask it to reopen, without one.
        request = std::string(kReopenRequest) + "\n";
    }
    const auto address = addressOf(socketPath_);
    if (!address) {
        return false;
    }
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket < 0) {
        return false;
    }
    // Connecting to a socket nobody listens on fails at once (ECONNREFUSED, unix(7)); the
    // request is small enough to fit the socket's buffer, so the write does not wait for the
    // instance to read it.
    const bool sent =
        ::connect(socket, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0 &&
        ::send(socket, request.data(), request.size(), MSG_NOSIGNAL) ==
            static_cast<ssize_t>(request.size());
    ::close(socket);
    return sent;
}

SingleInstance::Start SingleInstance::claimOrHandOver(std::chrono::milliseconds patience) {
    const QDeadlineTimer deadline(patience);
    while (true) {
        const Lock lock = tryLock();
        if (lock == Lock::kTaken) {
            first_ = true;
            return Start::kFirst;
        }
        if (sendReopenRequest()) {
            return Start::kHandedOver;
        }
        if (lock == Lock::kUnavailable) {
            first_ = true;
            return Start::kFirst;
        }
        if (deadline.hasExpired()) {
            return Start::kNoAnswer;
        }
        QThread::msleep(kRetryMilliseconds);
    }
}

bool SingleInstance::listen(std::function<void(const std::string&)> onReopen) {
    const auto address = addressOf(socketPath_);
    if (!first_ || listening_ >= 0 || !address) {
        return false;
    }
    onReopen_ = std::move(onReopen);
    // This start holds the lock, so whatever socket is there was left by an instance that ended.
    const QByteArray path = socketPath_.toLocal8Bit();
    ::unlink(path.constData());
    listening_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    // Only this user may connect: the socket's own permissions decide who may (unix(7)).
    if (listening_ < 0 ||
        ::bind(listening_, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0 ||
        ::chmod(path.constData(), 0600) != 0 || ::listen(listening_, SOMAXCONN) != 0) {
        return false;
    }
    listenNotifier_ = std::make_unique<QSocketNotifier>(listening_, QSocketNotifier::Read);
    QObject::connect(listenNotifier_.get(), &QSocketNotifier::activated, listenNotifier_.get(),
                     [this] { acceptCallers(); });
    return true;
}

void SingleInstance::acceptCallers() {
    while (true) {
        const int socket = ::accept4(listening_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (socket < 0) {
            return;
        }
        Caller& caller = callers_.emplace_back();
        caller.socket = socket;
        caller.notifier = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Read);
        QObject::connect(caller.notifier.get(), &QSocketNotifier::activated, caller.notifier.get(),
                         [this, &caller] { readFrom(caller); });
    }
}

void SingleInstance::readFrom(Caller& caller) {
    char buffer[kLongestRequest + 1];
    ssize_t count = 0;
    while ((count = ::read(caller.socket, buffer, sizeof buffer)) > 0) {
        caller.received.append(buffer, static_cast<std::size_t>(count));
    }
    const bool more = count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR);
    if (more && caller.received.size() <= kLongestRequest) {
        return;
    }
    // The caller has said all it will (it closed its end), or too much.
    const std::optional<std::string> token = parseReopenRequest(caller.received);
    caller.notifier.reset();
    ::close(caller.socket);
    callers_.remove_if([&caller](const Caller& each) { return &each == &caller; });
    if (token) {
        onReopen_(*token);
    }
}

}  // namespace platform
