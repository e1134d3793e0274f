// A stand-in for systemd-hostnamed on a test's own bus: it owns org.freedesktop.hostname1 and
// answers GetHardwareSerial() as the chosen script says, writing one line per call to a log so
// that tests can count the calls and see whether each allowed interactive authorization.
//
// Usage: scripted_hostnamed BUS_ADDRESS CALL_LOG SCRIPT [SERIAL]
//   answer SERIAL         SERIAL, when the call allows interactive authorization; otherwise
//                         "interactive authorization required", as polkit's auth_admin_keep does
//   interactive-required  always "interactive authorization required" (no agent to ask)
//   deny                  always "access denied" (the administrator's password was refused)
//   late SERIAL           SERIAL, 5 s after the call, as when the user types a password; prints
//                         "answered" when it has sent the answer
//   silent                never answers
// Prints "ready" once the name is owned; runs until it is killed.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QFile>
#include <QTimer>
#include <cstdio>

namespace {

// How long the "late" script takes to answer.
constexpr int kLateAnswer = 5000;  // milliseconds

class ScriptedHostname final : public QDBusVirtualObject {
  public:
    ScriptedHostname(QString callLog, QString script, QString serial)
        : callLog_(std::move(callLog)), script_(std::move(script)), serial_(std::move(serial)) {}

    QString introspect(const QString& /*path*/) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.member() != QLatin1String("GetHardwareSerial")) {
            return false;
        }
        logCall(message);
        if (script_ == QLatin1String("silent")) {
            return true;
        }
        const bool mayAsk = message.isInteractiveAuthorizationAllowed();
        if (script_ == QLatin1String("late")) {
            QTimer::singleShot(kLateAnswer, [reply = message.createReply(serial_), connection] {
                QDBusConnection(connection).send(reply);
                std::puts("answered");
                std::fflush(stdout);
            });
            return true;
        }
        if (script_ == QLatin1String("answer") && mayAsk) {
            connection.send(message.createReply(serial_));
        } else if (script_ == QLatin1String("deny")) {
            connection.send(
                message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"),
                                         QStringLiteral("Access denied")));
        } else {
            connection.send(message.createErrorReply(
                QStringLiteral("org.freedesktop.DBus.Error.InteractiveAuthorizationRequired"),
                QStringLiteral("Interactive authentication required.")));
        }
        return true;
    }

  private:
    // Written and closed before any reply, so a caller that has its answer finds the line.
    void logCall(const QDBusMessage& message) const {
        QFile log(callLog_);
        if (log.open(QIODevice::Append | QIODevice::Text)) {
            log.write(message.isInteractiveAuthorizationAllowed()
                          ? "GetHardwareSerial interactive=1\n"
                          : "GetHardwareSerial interactive=0\n");
        }
    }

    QString callLog_;
    QString script_;
    QString serial_;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 4) {
        std::fputs("usage: scripted_hostnamed BUS_ADDRESS CALL_LOG SCRIPT [SERIAL]\n", stderr);
        return 2;
    }
    QDBusConnection bus = QDBusConnection::connectToBus(arguments[1], QStringLiteral("bus"));
    ScriptedHostname hostname(arguments[2], arguments[3],
                              arguments.size() > 4 ? arguments[4] : QString());
    if (!bus.registerVirtualObject(QStringLiteral("/org/freedesktop/hostname1"), &hostname) ||
        !bus.registerService(QStringLiteral("org.freedesktop.hostname1"))) {
        std::fprintf(stderr, "scripted_hostnamed: %s\n", qPrintable(bus.lastError().message()));
        return 1;
    }
    std::puts("ready");
    std::fflush(stdout);
    return QCoreApplication::exec();
}
