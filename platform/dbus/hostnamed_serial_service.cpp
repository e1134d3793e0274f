#include "platform/dbus/hostnamed_serial_service.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>

namespace platform {
namespace {

using linux_backend::HardwareSerialAnswer;
using Outcome = HardwareSerialAnswer::Outcome;

// The connection's name in this process; one request at a time uses it.
const QString kConnectionName = QStringLiteral("quelmarn-hostname1");

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

HardwareSerialAnswer askHostnamed(QDBusConnection bus, std::chrono::milliseconds bound) {
    if (!bus.isConnected()) {
        return {Outcome::Unavailable, {}};
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.hostname1"), QStringLiteral("/org/freedesktop/hostname1"),
        QStringLiteral("org.freedesktop.hostname1"), QStringLiteral("GetHardwareSerial"));
    call.setInteractiveAuthorizationAllowed(true);
    return answerOf(bus.call(call, QDBus::Block, static_cast<int>(bound.count())));
}

}  // namespace

HostnamedSerialService::HostnamedSerialService() : bound_(kDefaultBound) {}

HostnamedSerialService::HostnamedSerialService(std::string busAddress,
                                               std::chrono::milliseconds bound)
    : busAddress_(std::move(busAddress)), bound_(bound) {}

HardwareSerialAnswer HostnamedSerialService::hardwareSerial() {
    const HardwareSerialAnswer answer = askHostnamed(
        busAddress_
            ? QDBusConnection::connectToBus(QString::fromStdString(*busAddress_), kConnectionName)
            : QDBusConnection::connectToBus(QDBusConnection::SystemBus, kConnectionName),
        bound_);
    QDBusConnection::disconnectFromBus(kConnectionName);
    return answer;
}

}  // namespace platform
