#include "platform/linux/shell_assignments.h"

#include <algorithm>

#include "platform/ascii.h"

#include "platform/linux/text_fields.h"

namespace platform::linux_backend {
namespace {

bool isVariableName(std::string_view name) {
    return !name.empty() && std::ranges::all_of(name, [](char c) {
        return isAsciiLetter(c) || isAsciiDigit(c) || c == '_';
    });
}

bool isEscapableInDoubleQuotes(char c) {
    return c == '"' || c == '\\' || c == '$' || c == '`';
}

std::string unquoted(std::string_view value) {
    std::string text;
    char quote = '\0';
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        const bool hasNext = i + 1 < value.size();
        if (quote == '\'') {
            if (c == '\'') {
                quote = '\0';
            } else {
                text += c;
            }
        } else if (quote == '"') {
            if (c == '"') {
                quote = '\0';
            } else if (c == '\\' && hasNext && isEscapableInDoubleQuotes(value[i + 1])) {
                text += value[++i];
            } else {
                text += c;
            }
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '\\' && hasNext) {
            text += value[++i];
        } else if (c == ' ' || c == '\t') {
            break;
        } else {
            text += c;
        }
    }
    return text;
}

}  // namespace

std::map<std::string, std::string, std::less<>> parseShellAssignments(std::string_view text) {
    std::map<std::string, std::string, std::less<>> values;
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text.starts_with(kByteOrderMark)) {
        text.remove_prefix(kByteOrderMark.size());
    }
    while (!text.empty()) {
        const std::string_view line = trimmed(takeField(text, '\n'));
        const std::size_t equals = line.find('=');
        if (line.starts_with('#') || equals == std::string_view::npos ||
            !isVariableName(line.substr(0, equals))) {
            continue;
        }
        values.insert_or_assign(std::string(line.substr(0, equals)),
                                unquoted(line.substr(equals + 1)));
    }
    return values;
}

}  // namespace platform::linux_backend
