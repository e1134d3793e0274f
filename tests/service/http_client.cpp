#include "tests/service/http_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

namespace testing_support {

std::string HttpResponse::header(std::string_view name) const {
    const std::string_view fields(head);
    for (auto at = fields.find("\r\n"); at + 2 < fields.size(); at = fields.find("\r\n", at + 2)) {
        const std::string_view line = fields.substr(at + 2, fields.find("\r\n", at + 2) - at - 2);
        if (line.size() > name.size() && line[name.size()] == ':' &&
            strncasecmp(line.data(), name.data(), name.size()) == 0) {
            const std::string_view value = line.substr(name.size() + 1);
            return std::string(value.substr(std::min(value.find_first_not_of(' '), value.size())));
        }
    }
    return {};
}

std::vector<HttpResponse> parseResponses(std::string_view bytes, bool bodiless) {
    std::vector<HttpResponse> responses;
    for (auto headEnd = bytes.find("\r\n\r\n");
         headEnd != std::string_view::npos && bytes.starts_with("HTTP/1.");
         headEnd = bytes.find("\r\n\r\n")) {
        HttpResponse response{std::atoi(std::string(bytes.substr(9, 3)).c_str()),
                              std::string(bytes.substr(0, headEnd + 2)),
                              {}};
        const std::size_t length =
            bodiless ? 0 : std::strtoul(response.header("Content-Length").c_str(), nullptr, 10);
        if (bytes.size() < headEnd + 4 + length)
            break;
        response.body = bytes.substr(headEnd + 4, length);
        responses.push_back(std::move(response));
        bytes.remove_prefix(headEnd + 4 + length);
    }
    return responses;
}

RawConnection::RawConnection(int port) : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
}

RawConnection::~RawConnection() {
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
        if (got <= 0) {
            closed_ = true;
            return received;
        }
        received.append(buffer, static_cast<std::size_t>(got));
    }
}

std::string requestText(int port, std::string_view method, std::string_view path,
                        std::string_view body, std::string_view extraHeaders) {
    std::string text = std::string(method) + " " + std::string(path) +
                       " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                       "\r\nConnection: close\r\n";
    if (!body.empty() || method == "POST")
        text += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    return text + std::string(extraHeaders) + "\r\n" + std::string(body);
}

std::optional<HttpResponse> exchange(int port, std::string_view request) {
    RawConnection connection(port);
    connection.send(request);
    auto responses = parseResponses(connection.receiveAll(), request.starts_with("HEAD "));
    if (responses.empty())
        return std::nullopt;
    return std::move(responses.front());
}

std::optional<HttpResponse> lookUp(int port, std::string_view body) {
    return exchange(port, requestText(port, "POST", "/inapp.php", body));
}

}  // namespace testing_support
