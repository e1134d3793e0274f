#include "tests/service/http_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>

namespace testing_support {

namespace {

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// One response from the start of `bytes`, and how many bytes it took; nothing if incomplete.
std::optional<std::pair<HttpResponse, std::size_t>> parseOne(std::string_view bytes,
                                                             bool bodiless) {
    const auto headerEnd = bytes.find("\r\n\r\n");
    if (headerEnd == std::string_view::npos || !bytes.starts_with("HTTP/1."))
        return std::nullopt;
    HttpResponse response;
    const std::string_view statusText = bytes.substr(9, 3);
    std::from_chars(statusText.data(), statusText.data() + 3, response.status);
    std::string_view lines = bytes.substr(0, headerEnd);
    lines.remove_prefix(std::min(lines.size(), lines.find("\r\n") + 2));
    while (!lines.empty()) {
        const auto end = std::min(lines.find("\r\n"), lines.size());
        const std::string_view line = lines.substr(0, end);
        const auto colon = line.find(':');
        if (colon != std::string_view::npos) {
            std::string_view value = line.substr(colon + 1);
            value.remove_prefix(std::min(value.find_first_not_of(' '), value.size()));
            response.headers[lowerCase(std::string(line.substr(0, colon)))] = std::string(value);
        }
        lines.remove_prefix(std::min(lines.size(), end + 2));
    }
    std::size_t length = 0;
    const std::string lengthText = response.header("content-length");
    if (!bodiless)
        std::from_chars(lengthText.data(), lengthText.data() + lengthText.size(), length);
    const std::size_t bodyStart = headerEnd + 4;
    if (bytes.size() < bodyStart + length)
        return std::nullopt;
    response.body = std::string(bytes.substr(bodyStart, length));
    return std::pair{std::move(response), bodyStart + length};
}

}  // namespace

std::string HttpResponse::header(const std::string& lowerName) const {
    const auto found = headers.find(lowerName);
    return found == headers.end() ? std::string() : found->second;
}

std::vector<HttpResponse> parseResponses(std::string_view bytes, bool bodiless) {
    std::vector<HttpResponse> responses;
    while (auto one = parseOne(bytes, bodiless)) {
        responses.push_back(std::move(one->first));
        bytes.remove_prefix(one->second);
    }
    return responses;
}

RawConnection::RawConnection(int port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

RawConnection::~RawConnection() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool RawConnection::send(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

void RawConnection::finishSending() {
    ::shutdown(fd_, SHUT_WR);
}

std::string RawConnection::receiveAll(std::chrono::milliseconds timeout) {
    std::string received;
    const auto until = std::chrono::steady_clock::now() + timeout;
    char buffer[65536];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            until - std::chrono::steady_clock::now());
        pollfd ready{fd_, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) <= 0)
            return received;
        const ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
        if (got <= 0)
            return received;
        received.append(buffer, static_cast<std::size_t>(got));
    }
}

bool RawConnection::closedWithin(std::chrono::milliseconds timeout) {
    const auto until = std::chrono::steady_clock::now() + timeout;
    char buffer[65536];
    while (std::chrono::steady_clock::now() < until) {
        pollfd ready{fd_, POLLIN, 0};
        if (::poll(&ready, 1, 50) <= 0)
            continue;
        if (::recv(fd_, buffer, sizeof buffer, 0) <= 0)
            return true;
    }
    return false;
}

std::string requestText(int port, std::string_view method, std::string_view path,
                        std::string_view body, std::string_view extraHeaders) {
    std::string text = std::string(method) + " " + std::string(path) +
                       " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                       "\r\nConnection: close\r\n";
    if (!body.empty() || method == "POST")
        text += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    text += extraHeaders;
    text += "\r\n";
    text += body;
    return text;
}

std::optional<HttpResponse> exchange(int port, std::string_view request) {
    RawConnection connection(port);
    if (!connection.send(request))
        return std::nullopt;
    auto responses = parseResponses(connection.receiveAll(), request.starts_with("HEAD "));
    if (responses.empty())
        return std::nullopt;
    return std::move(responses.front());
}

std::optional<HttpResponse> lookUp(int port, std::string_view body) {
    return exchange(port, requestText(port, "POST", "/inapp.php", body));
}

}  // namespace testing_support
