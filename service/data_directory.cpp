#include "service/data_directory.h"

#include <string_view>

namespace quelmarn::service {

namespace {

bool isAbsolute(const char* path) {
    return path != nullptr && path[0] == '/';
}

}  // namespace

std::optional<std::string> defaultDatabasePath(const char* xdgDataHome, const char* home) {
    constexpr std::string_view kRelativePath = "/quelmarn/devices.sqlite3";
    if (isAbsolute(xdgDataHome))
        return std::string(xdgDataHome) + std::string(kRelativePath);
    if (isAbsolute(home))
        return std::string(home) + "/.local/share" + std::string(kRelativePath);
    return std::nullopt;
}

}  // namespace quelmarn::service
