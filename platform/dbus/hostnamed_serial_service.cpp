#include "platform/dbus/hostnamed_serial_service.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QString>

namespace platform {
namespace {

using linux_backend::HardwareSerialAnswer;
using Outcome = HardwareSerialAnswer::Outcome;

// A name for the connection of one request, unique in this process: requests may overlap.
QString newConnectionName() {
    static unsigned requests = 0;
    return QStringLiteral("quelmarn-hostname1-%1").arg(++requests);
}

HardwareSerialAnswer answerOf(const QDBusMessage& reply) {
    if (reply.type() == QDBusMessage::ReplyMessage) {
        const QList<QVariant> arguments = reply.arguments();
        if (arguments.size() == 1 && arguments.front().typeId() == QMetaType::QString) {
            return {Outcome::Answered, arguments.front().toString().toStdString()};
        }
        return {Outcome::Unavailable, {}};
    }
    // polkit's refusal and a refusal to ask reach us as these two (D-Bus's own
    // standard error names); anything else, time-out included, means the service is not there
    // for us now.
    const QString error = reply.errorName();
    if (error == QLatin1String("org.freedesktop.DBus.Error.AccessDenied") ||
        error == QLatin1String("org.freedesktop.DBus.Error.InteractiveAuthorizationRequired")) {
        return {Outcome::Refused, {}};
    }
    return {Outcome::Unavailable, {}};
}

// Hands `answer` to `done` from the event loop, as every answer comes.
void answerLater(linux_backend::HardwareSerialDone done, HardwareSerialAnswer answer) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [done = std::move(done), answer = std::move(answer)] { done(answer); },
        Qt::QueuedConnection);
}

}  // namespace

HostnamedSerialService::HostnamedSerialService() : bound_(kDefaultBound) {}

HostnamedSerialService::HostnamedSerialService(std::string busAddress,
                                               std::chrono::milliseconds bound)
    : busAddress_(std::move(busAddress)), bound_(bound) {}

void HostnamedSerialService::requestHardwareSerial(linux_backend::HardwareSerialDone done) {
    const QString name = newConnectionName();
    QDBusConnection bus =
        busAddress_ ? QDBusConnection::connectToBus(QString::fromStdString(*busAddress_), name)
                    : QDBusConnection::connectToBus(QDBusConnection::SystemBus, name);
    if (!bus.isConnected()) {
        QDBusConnection::disconnectFromBus(name);
        answerLater(std::move(done), {Outcome::Unavailable, {}});
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.hostname1"), QStringLiteral("/org/freedesktop/hostname1"),
        QStringLiteral("org.freedesktop.hostname1"), QStringLiteral("GetHardwareSerial"));
    call.setInteractiveAuthorizationAllowed(true);
    auto* watcher =
        new QDBusPendingCallWatcher(bus.asyncCall(call, static_cast<int>(bound_.count())));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [watcher, name, done = std::move(done)] {
                         const HardwareSerialAnswer answer = answerOf(watcher->reply());
                         watcher->deleteLater();
                         QDBusConnection::disconnectFromBus(name);
                         done(answer);
                     });
}

}  // namespace platform
