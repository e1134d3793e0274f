#pragma once

// HTTP/1.1 over raw loopback sockets: the service tests send what no well-behaved client
// library would (conflicting lengths, trickled bytes, a half-close).
#include <chrono>
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
    std::string header(std::string_view name) const;
    bool bodyHas(std::string_view text) const { return body.find(text) != std::string::npos; }
};

// The complete responses in `bytes`, in order. Answers to HEAD carry a Content-Length but no
// body: `bodiless` reads none.
std::vector<HttpResponse> parseResponses(std::string_view bytes, bool bodiless = false);

// One TCP connection to 127.0.0.1:`port`, closed when destroyed.
class RawConnection {
  public:
    explicit RawConnection(int port);
    ~RawConnection();
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    // Sends all of `bytes`; false when the peer is gone.
    bool send(std::string_view bytes);
    // Ends the sending direction (shutdown(2) SHUT_WR).
    void finishSending();
    // Everything received until the peer closes (closed() is then true) or `timeout` passes.
    std::string receiveAll(std::chrono::milliseconds timeout = std::chrono::seconds(5));
    bool closed() const { return closed_; }

  private:
    int fd_ = -1;
    bool closed_ = false;
};

// "METHOD path HTTP/1.1" with Host 127.0.0.1:port, Connection: close, a Content-Length when
// there is a body or the method is POST, and `extraHeaders` (each line ending in "\r\n").
std::string requestText(int port, std::string_view method, std::string_view path,
                        std::string_view body = {}, std::string_view extraHeaders = {});

// Sends `request` on a new connection and reads the first response; nothing when none came.
std::optional<HttpResponse> exchange(int port, std::string_view request);

// POST /inapp.php with `body`, as the application sends it.
std::optional<HttpResponse> lookUp(int port, std::string_view body);

}  // namespace testing_support
