// os-release(5) and machine-info(5) texts: their assignments and the distribution named in them.
#include <algorithm>
#include <string>

#include "fuzz/fuzz_input.h"
#include "platform/ascii.h"
#include "platform/linux/operating_system.h"
#include "platform/linux/shell_assignments.h"

namespace {

// `value` in double quotes, with the characters that are special there escaped.
std::string doubleQuoted(std::string_view value) {
    std::string quoted = "\"";
    for (const char c : value) {
        if (c == '"' || c == '\\' || c == '$' || c == '`') {
            quoted += '\\';
        }
        quoted += c;
    }
    return quoted + '"';
}

bool isNameCharacter(char c) {
    return platform::isAsciiLetter(c) || platform::isAsciiDigit(c) || c == '_';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::textOf(data, size);
    for (const auto& [key, value] : platform::linux_backend::parseShellAssignments(text)) {
        fuzz::require(!key.empty() && std::ranges::all_of(key, isNameCharacter),
                      "keys are variable names");
        fuzz::require(value.find('\n') == std::string::npos, "a value ends with its line");
        // Any value, written back in double quotes, reads as itself.
        const auto again =
            platform::linux_backend::parseShellAssignments(key + "=" + doubleQuoted(value));
        fuzz::require(again.size() == 1 && again.begin()->second == value,
                      "a quoted value reads back the same");
    }
    platform::linux_backend::distributionFromOsRelease(text);
    return 0;
}
