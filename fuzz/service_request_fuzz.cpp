// libFuzzer entry point: a request as the lookup server hands it to answerRequest(). The input
// is read as HTTP text: a request line, header lines up to a blank line, then the body (cut to
// the 4 KiB the server reads). Every answer must be a known status with a page of valid UTF-8.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_input.h"
#include "platform/utf8.h"
#include "service/request_answer.h"

namespace {

using namespace quelmarn::service;

std::string_view takeLine(std::string_view& text) {
    const auto end = text.find("\r\n");
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 2);
    return line;
}

std::string_view takeWord(std::string_view& line) {
    const auto end = line.find(' ');
    const std::string_view word = line.substr(0, end);
    line.remove_prefix(end == std::string_view::npos ? line.size() : end + 1);
    return word;
}

bool isKnownStatus(int status) {
    for (const int known : {200, 400, 404, 405, 413, 421, 431, 500}) {
        if (status == known)
            return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text = fuzz::textOf(data, size);
    std::string_view requestLine = takeLine(text);
    HttpRequest request;
    request.method = takeWord(requestLine);
    request.path = takeWord(requestLine);
    request.version = requestLine;
    for (std::string_view line = takeLine(text); !line.empty(); line = takeLine(text)) {
        const auto colon = line.find(':');
        const std::string_view name = line.substr(0, colon);
        std::string_view value = colon == std::string_view::npos ? "" : line.substr(colon + 1);
        while (value.starts_with(' '))
            value.remove_prefix(1);
        request.headers.emplace_back(name, value);
    }
    request.body = text.substr(0, kMaxBodyBytes);

    static const AcceptedHosts hosts("127.0.0.1", 47180);
    static const Device registered{"QX2K93HT7LMP",
                                   "笔记本电脑",
                                   "Notebook15,1",
                                   std::chrono::year(2023) / 3 / 14,
                                   std::chrono::year(2026) / 3 / 13,
                                   "<notes>"};
    const DeviceFinder find = [](std::string_view serial) -> std::optional<Device> {
        if (serial == registered.serial)
            return registered;
        return std::nullopt;
    };
    const HttpAnswer answer = answerRequest(request, hosts, find);
    fuzz::require(isKnownStatus(answer.status), "the status is one the service answers");
    fuzz::require(platform::decodeUtf8(answer.page).has_value(), "the page is valid UTF-8");
    fuzz::require(!(refusalBeforeBody(request, hosts) && answer.status == 200),
                  "a request refused by its header is not answered 200");
    return 0;
}
