#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelmarn::service {

// Whether `address`, an address as text (inet_ntop(3)), is a loopback one: 127.0.0.0/8, ::1, or
// 127.0.0.0/8 mapped into IPv6 ("::ffff:127.0.0.1").
bool isLoopbackAddress(std::string_view address);

// The Host header values that name this service. A page elsewhere that points its own name at
// 127.0.0.1 makes the browser send that name as Host; answering only to the names and addresses
// the service listens on keeps such a page from reading lookups (DNS rebinding).
class AcceptedHosts {
  public:
    // For a service listening on `listenHost` (as given to --host: an address or a name) at
    // `port`. A loopback address also accepts "localhost" and the other loopback spellings; a
    // wildcard address (0.0.0.0, ::) accepts any address literal and "localhost". `serverNames`
    // are further names clients reach the service by (a site's own host name, for instance).
    AcceptedHosts(std::string_view listenHost, int port,
                  const std::vector<std::string>& serverNames = {});

    // Whether a request with this Host value (absent when the request had none) is for this
    // service. HTTP/1.0 clients may leave Host out; HTTP/1.1 ones must send it (RFC 9112 3.2).
    // The port, when given, must be the one listened on or a scheme's default (80, 443), which
    // clients of a proxy in front of the service name; a Host without a port names the default.
    bool accepts(std::optional<std::string_view> host, bool http10) const;

  private:
    std::vector<std::string> names_;  // lower case, IPv6 without brackets
    bool anyAddress_ = false;
    int port_;
};

}  // namespace quelmarn::service
