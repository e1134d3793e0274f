#include "service/accepted_hosts.h"

#include <arpa/inet.h>

#include <algorithm>
#include <charconv>

#include "platform/ascii.h"

namespace quelmarn::service {

namespace {

bool isIpv4(const std::string& text) {
    in_addr address{};
    return inet_pton(AF_INET, text.c_str(), &address) == 1;
}

bool isIpv6(const std::string& text) {
    in6_addr address{};
    return inet_pton(AF_INET6, text.c_str(), &address) == 1;
}

struct HostAndPort {
    std::string name;  // lower case, IPv6 without brackets
    std::optional<int> port;
};

// Splits "name", "name:port", "[v6]" or "[v6]:port"; nothing when the value is malformed.
std::optional<HostAndPort> splitHost(std::string_view value) {
    std::string_view name = value;
    std::string_view port;
    if (value.starts_with('[')) {
        const auto close = value.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        name = value.substr(1, close - 1);
        const std::string_view rest = value.substr(close + 1);
        if (!rest.empty() && !rest.starts_with(':'))
            return std::nullopt;
        port = rest.empty() ? rest : rest.substr(1);
        if (!isIpv6(std::string(name)))
            return std::nullopt;
    } else if (const auto colon = value.rfind(':'); colon != std::string_view::npos) {
        name = value.substr(0, colon);
        port = value.substr(colon + 1);
        if (name.find(':') != std::string_view::npos)
            return std::nullopt;  // an IPv6 literal must be bracketed
    }
    if (name.empty())
        return std::nullopt;
    HostAndPort split{platform::asciiLowerCased(name), std::nullopt};
    if (value.size() > name.size() + (value.starts_with('[') ? 2 : 0)) {
        int number = 0;
        const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), number);
        if (error != std::errc{} || end != port.data() + port.size() || number <= 0 ||
            number > 65535)
            return std::nullopt;
        split.port = number;
    }
    return split;
}

}  // namespace

bool isLoopbackAddress(std::string_view address) {
    return address.starts_with("127.") || address == "::1" || address.starts_with("::ffff:127.");
}

AcceptedHosts::AcceptedHosts(std::string_view listenHost, int port,
                             const std::vector<std::string>& serverNames)
    : port_(port) {
    std::string host = platform::asciiLowerCased(listenHost);
    if (host.size() > 1 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    anyAddress_ = host == "0.0.0.0" || host == "::" || host.empty();
    names_.push_back(host);
    if (anyAddress_ || host == "localhost" || isLoopbackAddress(host)) {
        for (const char* loopback : {"localhost", "127.0.0.1", "::1"})
            names_.emplace_back(loopback);
    }
    for (const std::string& name : serverNames)
        names_.push_back(platform::asciiLowerCased(name));
}

bool AcceptedHosts::accepts(std::optional<std::string_view> host, bool http10) const {
    if (!host)
        return http10;
    const auto split = splitHost(*host);
    if (!split)
        return false;
    // A Host without a port names the scheme's default one; behind a proxy or load balancer the
    // port clients reach is that one (80 or 443), not the one the service listens on.
    if (split->port && *split->port != port_ && *split->port != 80 && *split->port != 443)
        return false;
    if (std::find(names_.begin(), names_.end(), split->name) != names_.end())
        return true;
    return anyAddress_ && (isIpv4(split->name) || isIpv6(split->name));
}

}  // namespace quelmarn::service
