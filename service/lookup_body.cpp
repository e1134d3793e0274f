#include "service/lookup_body.h"

#include "platform/utf8.h"

namespace quelmarn::service {

std::variant<std::string_view, LookupBodyError> parseLookupBody(std::string_view body) {
    constexpr std::string_view kPrefix = "sn=";
    if (!body.starts_with(kPrefix))
        return LookupBodyError::kMissingPrefix;
    const std::string_view serial = body.substr(kPrefix.size());
    if (serial.empty())
        return LookupBodyError::kEmptySerial;
    if (!platform::decodeUtf8(serial))
        return LookupBodyError::kInvalidUtf8;
    return serial;
}

}  // namespace quelmarn::service
