#pragma once

#include <optional>
#include <string>

namespace quelmarn::service {

// Where the device database lives when no --database is given, by the XDG base directory rules:
// $XDG_DATA_HOME/quelmarn/devices.sqlite3 when XDG_DATA_HOME is an absolute path (a relative
// one is to be ignored), else $HOME/.local/share/quelmarn/
// devices.sqlite3. The arguments are the variables' values, null when unset. Nothing when
// neither gives an absolute directory.
std::optional<std::string> defaultDatabasePath(const char* xdgDataHome, const char* home);

}  // namespace quelmarn::service
