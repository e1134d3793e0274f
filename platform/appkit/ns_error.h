#pragma once

#include <string>

namespace platform {

// NSURLErrorServerCertificateUntrusted: the server's certificate is not one the client trusts.
inline constexpr long kNSURLErrorServerCertificateUntrusted = -1202;

// Why an operation failed, such as a web view's load.
struct NSError {
    std::string domain;  // e.g. "NSURLErrorDomain"
    long code = 0;
    std::string localizedDescription;

    // "Error Domain=<domain> Code=<code> \"<description>\"", as logs show an error.
    std::string description() const;
};

}  // namespace platform
