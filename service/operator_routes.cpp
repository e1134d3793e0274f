#include "service/operator_routes.h"

#include <string>

namespace quelmarn::service {

namespace {

constexpr std::string_view kPlainText = "text/plain; charset=utf-8";
constexpr std::string_view kPrometheusText = "text/plain; version=0.0.4; charset=utf-8";

HttpAnswer health(DeviceRegistry& store) {
    try {
        store.checkReachable();
        return HttpAnswer{200, "ok\n", {}, kPlainText};
    } catch (const StoreError& error) {
        return HttpAnswer{503, std::string("unavailable: ") + error.what() + "\n", {}, kPlainText};
    }
}

}  // namespace

std::optional<HttpAnswer> answerOperatorRoute(const HttpRequest& request, DeviceRegistry& store,
                                              const ServiceFigures& figures) {
    if (request.path != kHealthPath && request.path != "/metrics")
        return std::nullopt;
    if (request.method != "GET" && request.method != "HEAD")
        return HttpAnswer{405, "GET, HEAD\n", "GET, HEAD", kPlainText};
    if (request.path == kHealthPath)
        return health(store);
    return HttpAnswer{200, figures.exposition(), {}, kPrometheusText};
}

}  // namespace quelmarn::service
