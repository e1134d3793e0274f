#pragma once

// HTTP/1.1 over raw loopback sockets: the service tests send what no well-behaved client
// library would (conflicting lengths, trickled bytes, a half-close).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

struct HttpResponse {
    int status = 0;
    std::string head;  // the status line and the header fields, each ending in "\r\n"
    std::string body;

    // The value of the header field `name` (in any case); "" when there is none.
    std::string header(const std::string& name) const {
        const char* field = strcasestr(head.c_str(), ("\r\n" + name + ":").c_str());
        if (field == nullptr)
            return {};
        const std::string_view rest(field + name.size() + 3);
        const auto start = std::min(rest.find_first_not_of(' '), rest.size());
        return std::string(rest.substr(start, rest.find("\r\n") - start));
    }
    bool bodyHas(std::string_view text) const { return body.find(text) != std::string::npos; }
};

// The complete responses in `bytes`, in order. Answers to HEAD carry a Content-Length but no
// body: `bodiless` reads none.
inline std::vector<HttpResponse> parseResponses(std::string_view bytes, bool bodiless = false) {
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

// One TCP connection to 127.0.0.1:`port`, closed when destroyed.
class RawConnection {
  public:
    explicit RawConnection(int port) : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
    ~RawConnection() { ::close(fd_); }
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    // Sends all of `bytes`; false when the peer is gone.
    bool send(std::string_view bytes) {
        for (ssize_t sent = 0; !bytes.empty();
             bytes.remove_prefix(static_cast<std::size_t>(sent))) {
            if ((sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL)) <= 0)
                return false;
        }
        return true;
    }
    // Ends the sending direction (shutdown(2) SHUT_WR).
    void finishSending() { ::shutdown(fd_, SHUT_WR); }

    // Everything received until the peer closes (closed() is then true) or `timeout` passes.
    std::string receiveAll(std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        std::string received;
        char buffer[65536];
        for (const auto until = std::chrono::steady_clock::now() + timeout;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                until - std::chrono::steady_clock::now());
            pollfd ready{fd_, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) <= 0)
                return received;
            const ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
            if ((closed_ = got <= 0))
                return received;
            received.append(buffer, static_cast<std::size_t>(got));
        }
    }
    bool closed() const { return closed_; }

  private:
    int fd_;
    bool closed_ = false;
};

// "METHOD path HTTP/1.1" with Host 127.0.0.1:port, Connection: close, a Content-Length when
// there is a body or the method is POST, and `extraHeaders` (each line ending in "\r\n").
inline std::string requestText(int port, std::string_view method, std::string_view path,
                               std::string_view body = {}, std::string_view extraHeaders = {}) {
    std::string text = std::string(method) + " " + std::string(path) +
                       " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                       "\r\nConnection: close\r\n";
    if (!body.empty() || method == "POST")
        text += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    return text + std::string(extraHeaders) + "\r\n" + std::string(body);
}

// Sends `request` on a new connection and reads the first response; nothing when none came.
inline std::optional<HttpResponse> exchange(int port, std::string_view request) {
    RawConnection connection(port);
    connection.send(request);
    auto responses = parseResponses(connection.receiveAll(), request.starts_with("HEAD "));
    return responses.empty() ? std::nullopt : std::optional(std::move(responses.front()));
}

// The status of `response`; 0 when there was none.
inline int statusOf(const std::optional<HttpResponse>& response) {
    return response ? response->status : 0;
}

// POST /inapp.php with `body`, as the application sends it.
inline std::optional<HttpResponse> lookUp(int port, std::string_view body) {
    return testing_support::exchange(port, requestText(port, "POST", "/inapp.php", body));
}

}  // namespace testing_support
