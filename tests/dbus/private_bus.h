#pragma once

#include <QProcess>
#include <string>
#include <vector>

#include "tests/support/temporary_directory.h"

namespace dbus_test {

// A dbus-daemon of the test's own (private_bus.conf) on a socket in a fresh directory, stopped
// when the object goes. It stands in for the system bus; the machine's own buses are never used.
class PrivateBus {
  public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // The bus's D-Bus address ("unix:path=..."); empty when the daemon did not start.
    const std::string& address() const { return address_; }

  private:
    testing_support::TemporaryDirectory directory_;
    QProcess daemon_;
    std::string address_;
};

// The scripted org.freedesktop.hostname1 (scripted_hostnamed.cpp) on `bus`, running `script`
// until the object goes.
class ScriptedHostnamed {
  public:
    ScriptedHostnamed(const PrivateBus& bus, const std::string& script,
                      const std::string& serial = {});
    ~ScriptedHostnamed();
    ScriptedHostnamed(const ScriptedHostnamed&) = delete;
    ScriptedHostnamed& operator=(const ScriptedHostnamed&) = delete;

    // Whether it owns its name and takes calls.
    bool isReady() const { return ready_; }
    // One line per GetHardwareSerial call so far: "GetHardwareSerial interactive=<0|1>".
    std::vector<std::string> calls() const;

  private:
    testing_support::TemporaryDirectory directory_;
    QProcess service_;
    bool ready_ = false;
};

}  // namespace dbus_test
