#include "platform/webview/url_error.h"

#include <QWebEngineLoadingInfo>
#include <array>

namespace platform {
namespace {

constexpr const char* kDomain = "NSURLErrorDomain";

constexpr const char* kCancelledDescription = "cancelled";

// One error of the NSURLErrorDomain and the engine's errors that it stands for.
struct Translation {
    long urlCode;
    const char* description;
    std::array<int, 4> chromiumCodes;  // net/base/net_error_list.h; 0 (no error) fills the rest
};

constexpr std::array<Translation, 6> kTranslations = {{
    {kNSURLErrorCancelled, kCancelledDescription, {-3}},
    {-1001, "The request timed out.", {-7, -118}},
    {-1003, "A server with the specified hostname could not be found.", {-105, -137}},
    {-1004, "Could not connect to the server.", {-102, -104, -109}},
    {-1005, "The network connection was lost.", {-100, -101, -324, -354}},
    {-1009, "The Internet connection appears to be offline.", {-106}},
}};

constexpr long kNSURLErrorUnknown = -1;

}  // namespace

NSError urlErrorOf(const QWebEngineLoadingInfo& info) {
    if (info.errorDomain() == QWebEngineLoadingInfo::CertificateErrorDomain) {
        return NSError{kDomain, kNSURLErrorServerCertificateUntrusted,
                       "The certificate for this server is invalid."};
    }
    for (const Translation& translation : kTranslations) {
        for (const int chromiumCode : translation.chromiumCodes) {
            if (chromiumCode != 0 && chromiumCode == info.errorCode()) {
                return NSError{kDomain, translation.urlCode, translation.description};
            }
        }
    }
    return NSError{kDomain, kNSURLErrorUnknown, info.errorString().toStdString()};
}

NSError cancelledError() {
    return NSError{kDomain, kNSURLErrorCancelled, kCancelledDescription};
}

}  // namespace platform
