#pragma once

#include <functional>
#include <optional>
#include <string_view>

#include "service/accepted_hosts.h"
#include "service/device.h"
#include "service/http_exchange.h"

namespace quelmarn::service {

// Finds the device registered under exactly these bytes, or nothing; may throw, which the
// server answers with 500.
using DeviceFinder = std::function<std::optional<Device>(std::string_view serial)>;

// The whole answer to one request, from what the HTTP library parsed, without any I/O:
//   framing first: two Content-Length values, a Content-Length beside Transfer-Encoding, or a
//   transfer coding other than chunked answer 400 (RFC 9112 6.3 treats these as a smuggling
//   risk); more than kMaxHeaderFields fields or
//   kMaxHeaderBytes answer 431; a Host that is not ours 421, a missing
//   one on HTTP/1.1 400;
//   then the routes: POST /inapp.php (200 device page, 404 not registered, 400 bad body),
//   GET or HEAD /kb/HT1349 (200 help page); 405 with Allow for other methods there, 404 for
//   other paths.
// Range headers are ignored: every page is generated and answered whole.
HttpAnswer answerRequest(const HttpRequest& request, const AcceptedHosts& hosts,
                         const DeviceFinder& findDevice);

// The answer of the route `request` asks for, its header having passed refusalBeforeBody(): all
// of answerRequest() but the header checks, which the server makes once, before the body.
HttpAnswer answerRoute(const HttpRequest& request, const DeviceFinder& findDevice);

// The serial a lookup that passed refusalBeforeBody() asks for, when answerRoute() would look it
// up in the database; nothing for every other request, which needs no database.
std::optional<std::string_view> serialToLookUp(const HttpRequest& request);

// The status for a request refused by its header alone, or nothing when its body may be read.
// answerRequest() applies the same checks; the server calls this one before reading the body.
std::optional<int> refusalBeforeBody(const HttpRequest& request, const AcceptedHosts& hosts);

}  // namespace quelmarn::service
