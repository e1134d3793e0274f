// A lookup request's body as a client sends it.
#include "fuzz/fuzz_input.h"
#include "platform/utf8.h"
#include "service/lookup_body.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view body = fuzz::textOf(data, size);
    const auto parsed = quelmarn::service::parseLookupBody(body);
    if (const auto* serial = std::get_if<std::string_view>(&parsed)) {
        fuzz::require(body.starts_with("sn=") && *serial == body.substr(3) &&
                          serial->data() == body.data() + 3,
                      "the serial is the body after \"sn=\", viewed in place");
        fuzz::require(!serial->empty() && platform::decodeUtf8(*serial).has_value(),
                      "a serial is never empty and always UTF-8");
    } else {
        fuzz::require(!body.starts_with("sn=") || body.size() == 3 ||
                          !platform::decodeUtf8(body.substr(3)).has_value(),
                      "a body is refused only for its prefix, an empty serial or bad UTF-8");
    }
    return 0;
}
