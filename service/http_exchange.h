#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quelmarn::service {

// The largest request body the service accepts, whatever its framing (bytes).
inline constexpr std::size_t kMaxBodyBytes = 4096;

// The most header fields one request may carry, and the most bytes they may take (each field
// counted as "name: value" and its line end); more answer 431.
inline constexpr std::size_t kMaxHeaderFields = 64;
inline constexpr std::size_t kMaxHeaderBytes = 8 * 1024;

// A request as the HTTP library has parsed it. Every view points into storage that the caller
// keeps until the answer has been made.
struct HttpRequest {
    std::string_view method;
    std::string_view path;                                               // without the query
    std::string_view version;                                            // "HTTP/1.0" or "HTTP/1.1"
    std::vector<std::pair<std::string_view, std::string_view>> headers;  // in arrival order
    std::string_view body;  // at most kMaxBodyBytes; a longer one is refused before
};

// What to send back: an HTML page unless said otherwise (the library leaves its body out for
// HEAD), with an Allow header for 405.
struct HttpAnswer {
    int status = 200;
    std::string page;
    std::string_view allow;             // empty: no Allow header
    std::string_view contentType = {};  // empty: an HTML page
};

}  // namespace quelmarn::service
