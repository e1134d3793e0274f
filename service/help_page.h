#pragma once

#include <string_view>

namespace quelmarn::service {

// The help page that the application's help command opens: where to find a machine's serial
// number on Linux, and how to use quelmarn. Built once; the view stays valid for the process.
std::string_view helpPage();

}  // namespace quelmarn::service
