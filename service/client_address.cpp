#include "service/client_address.h"

#include <arpa/inet.h>

#include <algorithm>

#include "platform/ascii.h"

namespace quelmarn::service {

namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && platform::isAsciiSpace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && platform::isAsciiSpace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

}  // namespace

TrustedProxies::TrustedProxies(const std::vector<std::string>& addresses) {
    for (const auto& address : addresses) {
        if (auto text = canonical(address))
            addresses_.push_back(std::move(*text));
    }
}

std::optional<std::string> TrustedProxies::canonical(std::string_view text) {
    const std::string address(text);
    char spelled[INET6_ADDRSTRLEN] = "";
    in_addr v4{};
    if (inet_pton(AF_INET, address.c_str(), &v4) == 1)
        return inet_ntop(AF_INET, &v4, spelled, sizeof spelled);
    in6_addr v6{};
    if (inet_pton(AF_INET6, address.c_str(), &v6) != 1)
        return std::nullopt;
    if (IN6_IS_ADDR_V4MAPPED(&v6)) {
        std::copy_n(v6.s6_addr + 12, 4, reinterpret_cast<unsigned char*>(&v4.s_addr));
        return inet_ntop(AF_INET, &v4, spelled, sizeof spelled);
    }
    return inet_ntop(AF_INET6, &v6, spelled, sizeof spelled);
}

bool TrustedProxies::contains(std::string_view address) const {
    if (addresses_.empty())
        return false;
    const auto spelled = canonical(address);
    return spelled && std::find(addresses_.begin(), addresses_.end(), *spelled) != addresses_.end();
}

std::string TrustedProxies::clientOf(std::string_view peer,
                                     const std::vector<std::string_view>& forwardedFor) const {
    std::string client(peer);
    if (!contains(client))
        return client;
    // From the last entry, the one the proxy next to the service wrote, back to the client.
    for (auto value = forwardedFor.rbegin(); value != forwardedFor.rend(); ++value) {
        std::string_view list = *value;
        while (!list.empty()) {
            const auto comma = list.rfind(',');
            const std::string_view entry =
                trimmed(comma == std::string_view::npos ? list : list.substr(comma + 1));
            list = comma == std::string_view::npos ? std::string_view() : list.substr(0, comma);
            const auto address = canonical(entry);
            if (!address)
                return client;
            client = *address;
            if (!contains(client))
                return client;
        }
    }
    return client;
}

}  // namespace quelmarn::service
