#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// An absolute URL.
class NSURL {
  public:
    // The URL `text` names, or std::nullopt when it is not an absolute URL with a scheme.
    static std::optional<NSURL> URLWithString(const std::string& text);

    const std::string& absoluteString() const { return text_; }

  private:
    explicit NSURL(std::string text) : text_(std::move(text)) {}
    std::string text_;
};

// A request to load a URL. `initWithURL` gives a GET with no body and no header fields of its
// own; the loader adds what it always adds.
class NSMutableURLRequest {
  public:
    static NSMutableURLRequest initWithURL(const NSURL& url) { return NSMutableURLRequest(url); }

    const NSURL& URL() const { return url_; }
    const std::string& HTTPMethod() const { return method_; }
    void setHTTPMethod(const std::string& method) { method_ = method; }
    const std::vector<std::byte>& HTTPBody() const { return body_; }
    void setHTTPBody(std::vector<std::byte> body) { body_ = std::move(body); }

  private:
    explicit NSMutableURLRequest(NSURL url) : url_(std::move(url)) {}
    NSURL url_;
    std::string method_ = "GET";
    std::vector<std::byte> body_;
};
using NSURLRequest = NSMutableURLRequest;

inline constexpr unsigned long NSUTF8StringEncoding = 4;

// The bytes of `text` in `encoding`. Texts are held as UTF-8, so for NSUTF8StringEncoding these
// are its bytes unchanged; any other encoding gives std::nullopt.
std::optional<std::vector<std::byte>> dataUsingEncoding(const std::string& text,
                                                        unsigned long encoding);

}  // namespace platform
