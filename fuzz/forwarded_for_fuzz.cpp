// libFuzzer entry point: what a client behind a trusted proxy writes into X-Forwarded-For, and
// the path escapes of any request. The client taken from the header is the proxy itself or an
// address in its canonical spelling, never the client's bytes as they came; a decoded path is
// no longer than the escaped one and holds no zero byte.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "service/client_address.h"
#include "service/url_unescape.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(fuzz::textOf(data, size));
    static const quelmarn::service::TrustedProxies proxies({"192.0.2.1", "2001:db8::1"});
    const std::string client = proxies.clientOf("192.0.2.1", {text, text});
    fuzz::require(
        client == "192.0.2.1" || quelmarn::service::TrustedProxies::canonical(client) == client,
        "the client is the proxy or a canonical address");

    std::string path = text.substr(0, text.find('\0'));
    const std::size_t escaped = path.size();
    const std::size_t decoded = quelmarn::service::unescapeUrlKeepingNul(path.data());
    fuzz::require(decoded <= escaped && path[decoded] == '\0', "the decoded path is terminated");
    fuzz::require(std::strlen(path.c_str()) == decoded, "no zero byte inside the decoded path");
    return 0;
}
