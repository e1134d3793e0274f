#include "platform/webview/url_error.h"

#include <QWebEngineLoadingInfo>
#include <array>

namespace platform {
namespace {

constexpr const char* kDomain = "NSURLErrorDomain";

struct Translation {
    int chromiumCode;  // net/base/net_error_list.h
    long urlCode;
    const char* description;
};

constexpr std::array<Translation, 13> kTranslations = {{
    {-3, kNSURLErrorCancelled, "cancelled"},
    {-7, -1001, "The request timed out."},
    {-118, -1001, "The request timed out."},
    {-105, -1003, "A server with the specified hostname could not be found."},
    {-137, -1003, "A server with the specified hostname could not be found."},
    {-102, -1004, "Could not connect to the server."},
    {-104, -1004, "Could not connect to the server."},
    {-109, -1004, "Could not connect to the server."},
    {-100, -1005, "The network connection was lost."},
    {-101, -1005, "The network connection was lost."},
    {-324, -1005, "The network connection was lost."},
    {-354, -1005, "The network connection was lost."},
    {-106, -1009, "The Internet connection appears to be offline."},
}};

constexpr long kNSURLErrorUnknown = -1;
constexpr long kNSURLErrorServerCertificateUntrusted = -1202;

}  // namespace

NSError urlErrorOf(const QWebEngineLoadingInfo& info) {
    if (info.errorDomain() == QWebEngineLoadingInfo::CertificateErrorDomain) {
        return NSError{kDomain, kNSURLErrorServerCertificateUntrusted,
                       "The certificate for this server is invalid."};
    }
    for (const Translation& translation : kTranslations) {
        if (translation.chromiumCode == info.errorCode()) {
            return NSError{kDomain, translation.urlCode, translation.description};
        }
    }
    return NSError{kDomain, kNSURLErrorUnknown, info.errorString().toStdString()};
}

NSError cancelledError() {
    return NSError{kDomain, kNSURLErrorCancelled, "cancelled"};
}

}  // namespace platform
