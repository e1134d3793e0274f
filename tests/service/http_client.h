#pragma once

// A small HTTP/1.1 client over raw loopback sockets: the service tests need to send what no
// well-behaved client library would (conflicting lengths, trickled bytes, a half-close).
#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

struct HttpResponse {
    int status = 0;
    std::map<std::string, std::string> headers;  // names in lower case
    std::string body;

    std::string header(const std::string& lowerName) const;
    bool bodyHas(std::string_view text) const { return body.find(text) != std::string::npos; }
};

// The responses in `bytes`, one after the other, as many as are complete. Answers to HEAD carry
// a Content-Length but no body: `bodiless` reads none.
std::vector<HttpResponse> parseResponses(std::string_view bytes, bool bodiless = false);

// One TCP connection to 127.0.0.1:`port`; closed when destroyed.
class RawConnection {
  public:
    explicit RawConnection(int port);
    ~RawConnection();
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    bool connected() const { return fd_ >= 0; }
    // Sends all of `bytes`; false when the peer is gone.
    bool send(std::string_view bytes);
    // Ends the sending direction (shutdown(2) SHUT_WR).
    void finishSending();
    // Everything received until the peer closes or `timeout` passes.
    std::string receiveAll(std::chrono::milliseconds timeout = std::chrono::seconds(5));
    // Whether the peer has closed the connection within `timeout` (reading and dropping data).
    bool closedWithin(std::chrono::milliseconds timeout);

  private:
    int fd_ = -1;
};

// "METHOD path HTTP/1.1" with Host 127.0.0.1:port, Connection: close, a Content-Length when
// there is a body, and `extraHeaders` (each line ending in "\r\n").
std::string requestText(int port, std::string_view method, std::string_view path,
                        std::string_view body = {}, std::string_view extraHeaders = {});

// Sends `request` on a new connection and reads the first response; nothing when none came.
std::optional<HttpResponse> exchange(int port, std::string_view request);

// POST /inapp.php with `body`, as the application sends it.
std::optional<HttpResponse> lookUp(int port, std::string_view body);

}  // namespace testing_support
