#include "service/request_answer.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "platform/ascii.h"
#include "service/calendar_date.h"
#include "service/device_pages.h"
#include "service/error_page.h"
#include "service/help_page.h"
#include "service/lookup_body.h"

namespace quelmarn::service {

namespace {

struct Route {
    std::string_view path;
    std::string_view method;  // the one method the path answers; HEAD goes with GET
    std::string_view allow;   // for 405's Allow header
};

constexpr Route kLookupRoute{"/inapp.php", "POST", "POST"};
constexpr Route kHelpRoute{"/kb/HT1349", "GET", "GET, HEAD"};
constexpr std::array kRoutes{kLookupRoute, kHelpRoute};

std::vector<std::string_view> valuesOf(const HttpRequest& request, std::string_view name) {
    std::vector<std::string_view> values;
    for (const auto& [field, value] : request.headers) {
        if (platform::equalsIgnoringAsciiCase(field, name))
            values.push_back(value);
    }
    return values;
}

// RFC 9112 6.3: differing Content-Length values, or one beside Transfer-Encoding, leave the
// message's end in doubt; only "chunked" is a coding the service decodes.
bool framingInDoubt(const HttpRequest& request) {
    const auto lengths = valuesOf(request, "Content-Length");
    const auto codings = valuesOf(request, "Transfer-Encoding");
    if (!lengths.empty() && !codings.empty())
        return true;
    if (std::adjacent_find(lengths.begin(), lengths.end(), std::not_equal_to<>()) != lengths.end())
        return true;
    return std::any_of(codings.begin(), codings.end(),
                       [](std::string_view coding) {
                           return !platform::equalsIgnoringAsciiCase(coding, "chunked");
                       }) ||
           codings.size() > 1;
}

// RFC 9110 5.1 and 5.6.2: a field name is a token; RFC 9112 5.2 and 2.2: a field line folded
// onto the next, or a CR that does not end a line, must be refused. The library hands a folded
// line on as part of the field's name and a bare CR inside the value.
bool malformedField(std::string_view name, std::string_view value) {
    constexpr std::string_view kTokenPunctuation = "!#$%&'*+-.^_`|~";
    const bool nameIsToken = !name.empty() && std::all_of(name.begin(), name.end(), [&](char c) {
        return platform::isAsciiLetter(static_cast<unsigned char>(c)) ||
               platform::isAsciiDigit(static_cast<unsigned char>(c)) ||
               kTokenPunctuation.find(c) != std::string_view::npos;
    });
    return !nameIsToken ||
           value.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

HttpAnswer errorAnswer(int status, std::string_view explanation = {}) {
    return HttpAnswer{status, renderErrorPage(status, explanation), {}};
}

std::string_view explain(LookupBodyError error) {
    switch (error) {
        case LookupBodyError::kMissingPrefix:
            return "请求内容应当以 “sn=” 开头，后面紧跟序列号。";
        case LookupBodyError::kEmptySerial:
            return "序列号为空，请输入序列号后再查询。";
        case LookupBodyError::kInvalidUtf8:
            return "序列号不是有效的 UTF-8 文本。";
    }
    return {};
}

HttpAnswer answerLookup(std::string_view body, const DeviceFinder& findDevice) {
    // The body is read raw whatever the Content-Type says: "sn=" and the serial's bytes.
    const auto parsed = parseLookupBody(body);
    if (const auto* error = std::get_if<LookupBodyError>(&parsed))
        return errorAnswer(400, explain(*error));
    const std::string_view serial = std::get<std::string_view>(parsed);
    if (const auto device = findDevice(serial))
        return HttpAnswer{200, renderDevicePage(*device, localToday()), {}};
    return HttpAnswer{404, renderNotRegisteredPage(serial), {}};
}

}  // namespace

std::optional<int> refusalBeforeBody(const HttpRequest& request, const AcceptedHosts& hosts) {
    if (framingInDoubt(request) ||
        std::any_of(request.headers.begin(), request.headers.end(),
                    [](const auto& field) { return malformedField(field.first, field.second); }))
        return 400;
    if (const auto lengths = valuesOf(request, "Content-Length"); !lengths.empty()) {
        const std::string_view length = lengths.front();
        if (length.empty() || length.find_first_not_of("0123456789") != std::string_view::npos)
            return 400;
        std::size_t bytes = 0;
        const auto [end, error] =
            std::from_chars(length.data(), length.data() + length.size(), bytes);
        if (error != std::errc{} || bytes > kMaxBodyBytes)
            return 413;  // digits only, so the one error left is a value out of range
    }
    std::size_t headerBytes = 0;
    for (const auto& [name, value] : request.headers)
        headerBytes += name.size() + value.size() + 4;
    if (request.headers.size() > kMaxHeaderFields || headerBytes > kMaxHeaderBytes)
        return 431;
    const auto hostValues = valuesOf(request, "Host");
    if (hostValues.size() > 1)
        return 400;
    const auto host =
        hostValues.empty() ? std::nullopt : std::optional<std::string_view>(hostValues.front());
    if (!hosts.accepts(host, request.version == "HTTP/1.0"))
        return host ? 421 : 400;
    return std::nullopt;
}

HttpAnswer answerRequest(const HttpRequest& request, const AcceptedHosts& hosts,
                         const DeviceFinder& findDevice) {
    if (const auto refusal = refusalBeforeBody(request, hosts))
        return errorAnswer(*refusal);
    return answerRoute(request, findDevice);
}

std::optional<std::string_view> serialToLookUp(const HttpRequest& request) {
    if (request.path != kLookupRoute.path || request.method != kLookupRoute.method ||
        request.body.size() > kMaxBodyBytes)
        return std::nullopt;
    const auto parsed = parseLookupBody(request.body);
    if (const auto* serial = std::get_if<std::string_view>(&parsed))
        return *serial;
    return std::nullopt;
}

HttpAnswer answerRoute(const HttpRequest& request, const DeviceFinder& findDevice) {
    if (request.body.size() > kMaxBodyBytes)
        return errorAnswer(413);
    const auto route = std::find_if(kRoutes.begin(), kRoutes.end(),
                                    [&](const Route& r) { return r.path == request.path; });
    if (route == kRoutes.end())
        return errorAnswer(404);
    const bool head = request.method == "HEAD" && route->method == "GET";
    if (request.method != route->method && !head) {
        HttpAnswer answer =
            errorAnswer(405, "这个地址只接受 " + std::string(route->allow) + " 请求。");
        answer.allow = route->allow;
        return answer;
    }
    if (route->path == kHelpRoute.path)
        return HttpAnswer{200, std::string(helpPage()), {}};
    return answerLookup(request.body, findDevice);
}

}  // namespace quelmarn::service
