#pragma once

#include <string>
#include <vector>

// Why the lookup panel has no serial number to post, which it then tells the user.
enum class LookupNotice {
    NothingTyped,        // Enter was pressed with an empty search box
    NoSerialRead,        // the machine gave no serial number at all
    SerialNotPermitted,  // the serial number exists but this user may not read it
    SerialNotRecorded,   // the firmware holds no serial number
};

// The notice's lines, in Simplified Chinese: what happened first, then what the user can do.
std::vector<std::string> lookupNoticeLines(LookupNotice notice);

// What the panel says while the machine's own serial number waits for a system service, which
// may first ask the user for an administrator's password.
std::vector<std::string> waitingForAuthorizationLines();

// What the panel says once the lookup service at `serviceAddress` ("scheme://host[:port]") could
// not be reached: the address that failed, then what to do, which for a service on this machine
// is starting it.
std::vector<std::string> serviceUnreachableLines(const std::string& serviceAddress);

// What the panel says when the certificate of the service at `serviceAddress` is not trusted:
// nothing was sent, and only an administrator can mend it.
std::vector<std::string> untrustedCertificateLines(const std::string& serviceAddress);

// Whether `serviceHost` ("host:port", "[v6]:port" or a bare host) names this machine itself.
bool isThisMachine(const std::string& serviceHost);
