#pragma once

#include <string>
#include <string_view>

namespace quelmarn::service {

// A page for an answer with the HTTP error `status` (400 to 599): a heading that names the
// problem and `explanation` (plain text, escaped here) below it. With no explanation, a general
// one for the status is used.
std::string renderErrorPage(int status, std::string_view explanation = {});

}  // namespace quelmarn::service
