#pragma once

#include <optional>

#include "service/device_registry.h"
#include "service/http_exchange.h"
#include "service/service_figures.h"

namespace quelmarn::service {

inline constexpr std::string_view kHealthPath = "/healthz";

// Whether `request` is the health probe, which asks the store (GET or HEAD /healthz).
inline bool isHealthProbe(const HttpRequest& request) {
    return request.path == kHealthPath && (request.method == "GET" || request.method == "HEAD");
}

// The answer to a request for one of the paths an operator's tools ask for, or nothing for
// every other path:
//   GET or HEAD /healthz: 200 "ok" when the store answers a query now, 503 with the reason when
//   it does not, so that a load balancer sends lookups to the other services meanwhile;
//   GET or HEAD /metrics: the service's figures in the Prometheus text format;
//   405 with Allow for another method on these paths.
std::optional<HttpAnswer> answerOperatorRoute(const HttpRequest& request, DeviceRegistry& store,
                                              const ServiceFigures& figures);

}  // namespace quelmarn::service
