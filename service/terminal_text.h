#pragma once

#include <string>
#include <string_view>

namespace quelmarn::service {

// `bytes` (a path, a field of an import file, a serial) made safe to print on the operator's
// terminal, escaped as the request log escapes what clients send: no control character can
// retitle the terminal, move its cursor or forge a line.
std::string printable(std::string_view bytes);

}  // namespace quelmarn::service
