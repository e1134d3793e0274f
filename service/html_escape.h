#pragma once

#include <string>
#include <string_view>

namespace quelmarn::service {

// `text` made safe to place in HTML element content and in quoted attribute values: & < > " '
// become character references; every other byte is copied unchanged.
std::string escapeHtml(std::string_view text);

}  // namespace quelmarn::service
