#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelmarn::service {

// The addresses of the proxies and load balancers in front of the service, which speak for many
// clients each: their connections are not limited per address, and the client they name in
// X-Forwarded-For is taken as the request's.
class TrustedProxies {
  public:
    TrustedProxies() = default;
    // `addresses` as the operator wrote them; each must be a numeric IPv4 or IPv6 address
    // (parse() tells which are not).
    explicit TrustedProxies(const std::vector<std::string>& addresses);

    // `text` as one numeric address in its canonical spelling (inet_ntop(3)), an IPv4 address
    // mapped into IPv6 ("::ffff:192.0.2.7") as the IPv4 one; nothing when it is no address.
    static std::optional<std::string> canonical(std::string_view text);

    // Whether the peer at `address` (inet_ntop(3) text) is one of them.
    bool contains(std::string_view address) const;

    // The client a request came from: `peer` itself, or, when `peer` is a trusted proxy, the
    // nearest address in `forwardedFor` (the X-Forwarded-For values in arrival order, each a
    // comma-separated list that every proxy appends to) that is not a trusted proxy. Entries
    // that are no address end the walk, as the proxy that wrote them cannot be told apart
    // from the client.
    std::string clientOf(std::string_view peer,
                         const std::vector<std::string_view>& forwardedFor) const;

  private:
    std::vector<std::string> addresses_;  // canonical
};

}  // namespace quelmarn::service
