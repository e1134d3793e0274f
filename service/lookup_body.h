#pragma once

#include <string_view>
#include <variant>

namespace quelmarn::service {

enum class LookupBodyError {
    kMissingPrefix,  // the body does not start with "sn="
    kEmptySerial,    // nothing follows "sn="
    kInvalidUtf8,    // the serial is not well-formed UTF-8
};

// The serial number in a lookup request's body. The application posts "sn=" followed by the
// serial's UTF-8 bytes as they were typed, without form encoding, so everything after the first
// three bytes is the serial: blanks, "&", "=", "%" and "+" included. The result views `body`.
std::variant<std::string_view, LookupBodyError> parseLookupBody(std::string_view body);

}  // namespace quelmarn::service
