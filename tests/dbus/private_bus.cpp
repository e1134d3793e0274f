#include "tests/dbus/private_bus.h"

#include <fstream>

namespace dbus_test {
namespace {

// Long enough for a loaded machine to start a small process.
constexpr int kStartMilliseconds = 10'000;

QString pathText(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

// Reads the process's first line of output.
std::string firstLine(QProcess& process) {
    while (!process.canReadLine()) {
        if (!process.waitForReadyRead(kStartMilliseconds)) {
            return {};
        }
    }
    return process.readLine().trimmed().toStdString();
}

void stop(QProcess& process) {
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
    }
}

}  // namespace

PrivateBus::PrivateBus() {
    // Run as root, the daemon warns that it may not raise its file limit: not the test's concern.
    daemon_.setStandardErrorFile(QProcess::nullDevice());
    daemon_.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--nofork"), QStringLiteral("--print-address"),
                   QStringLiteral("--config-file=" QUELMARN_PRIVATE_BUS_CONFIG),
                   QStringLiteral("--address=unix:path=") + pathText(directory_.path() / "bus")});
    address_ = firstLine(daemon_);
}

PrivateBus::~PrivateBus() {
    stop(daemon_);
}

ScriptedHostnamed::ScriptedHostnamed(const PrivateBus& bus, const std::string& script,
                                     const std::string& serial) {
    service_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    service_.start(QStringLiteral(QUELMARN_SCRIPTED_HOSTNAMED),
                   {QString::fromStdString(bus.address()), pathText(directory_.path() / "calls"),
                    QString::fromStdString(script), QString::fromStdString(serial)});
    ready_ = firstLine(service_) == "ready";
}

ScriptedHostnamed::~ScriptedHostnamed() {
    stop(service_);
}

std::vector<std::string> ScriptedHostnamed::calls() const {
    std::vector<std::string> lines;
    std::ifstream log(directory_.path() / "calls");
    for (std::string line; std::getline(log, line);) {
        lines.push_back(line);
    }
    return lines;
}

}  // namespace dbus_test
