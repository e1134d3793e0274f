#pragma once

#include "platform/appkit/ns_error.h"

class QWebEngineLoadingInfo;

namespace platform {

// NSURLErrorCancelled: the load was stopped before it ended.
inline constexpr long kNSURLErrorCancelled = -999;

// The error of a failed load, in the NSURLErrorDomain codes that delegates know (e.g. -1004 for
// a refused connection); an error with no counterpart is NSURLErrorUnknown (-1) with the
// engine's own description.
NSError urlErrorOf(const QWebEngineLoadingInfo& info);

// The error of a load that was abandoned before it ended.
NSError cancelledError();

}  // namespace platform
