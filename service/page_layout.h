#pragma once

#include <string>
#include <string_view>

namespace quelmarn::service {

// A whole HTML5 document in Simplified Chinese, UTF-8, with the service's own inline style and
// no outside resource, so that it renders the same inside the application with no network.
// `title` is plain text and is escaped here; `mainHtml` is markup, placed as the page's content,
// and its author must have escaped every value in it.
std::string renderPage(std::string_view title, std::string_view mainHtml);

}  // namespace quelmarn::service
