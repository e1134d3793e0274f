#include "platform/appkit/ns_url.h"

#include <QUrl>
#include <algorithm>

#include "platform/ascii.h"

namespace platform {
namespace {

// RFC 3986, 3.1: scheme = ALPHA *( ALPHA / DIGIT / "+" / "-" / "." ), ended by ":".
bool startsWithScheme(const std::string& text) {
    const auto colon = text.find(':');
    if (colon == std::string::npos || colon == 0 || !isAsciiLetter(text[0])) {
        return false;
    }
    return std::all_of(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(colon), [](char c) {
        return isAsciiLetter(c) || isAsciiDigit(c) || c == '+' || c == '-' || c == '.';
    });
}

}  // namespace

std::optional<NSURL> NSURL::URLWithString(const std::string& text) {
    if (!startsWithScheme(text) ||
        !QUrl(QString::fromStdString(text), QUrl::StrictMode).isValid()) {
        return std::nullopt;
    }
    return NSURL(text);
}

std::optional<std::vector<std::byte>> dataUsingEncoding(const std::string& text,
                                                        unsigned long encoding) {
    if (encoding != NSUTF8StringEncoding) {
        return std::nullopt;
    }
    std::vector<std::byte> bytes(text.size());
    std::transform(text.begin(), text.end(), bytes.begin(),
                   [](char c) { return static_cast<std::byte>(c); });
    return bytes;
}

}  // namespace platform
