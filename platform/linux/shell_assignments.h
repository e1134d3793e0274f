#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace platform::linux_backend {

// Variable assignments as os-release(5) and machine-info(5) write them, one "KEY=value" a line.
// Lines that are blank, start with '#' or are not an assignment are skipped. A value may be in
// double quotes (where \", \\, \$ and \` stand for the character), in single quotes (taken
// as written) or bare (a backslash takes the next character as it is); it ends at the first
// unquoted blank. A later assignment of a key replaces an earlier one. A UTF-8 byte-order mark
// before the first line, which some editors write, is not part of its key.
std::map<std::string, std::string, std::less<>> parseShellAssignments(std::string_view text);

}  // namespace platform::linux_backend
