#include <string_view>
#include <vector>

#include "platform/ascii.h"
#include "platform/character_class.h"
#include "platform/unicode_text.h"
#include "sysinfo/var_system_info.h"

namespace sysinfo {
namespace {

bool isSeparator(char32_t c) {
    return !platform::isAlphanumeric(c);
}

// "(R)" and "(TM)" leave the tokens "R" and "TM" behind, in any case. Lower-casing in ASCII is
// enough here: no character outside ASCII lower-cases to "r", "t" or "m".
bool isMarkToken(std::string_view token) {
    return platform::equalsIgnoringAsciiCase(token, "r") ||
           platform::equalsIgnoringAsciiCase(token, "tm");
}

std::string joined(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) {
        if (!text.empty()) {
            text += ' ';
        }
        text += word;
    }
    return text;
}

}  // namespace

std::optional<std::string> VarSystemInfo::_parseBrandName(const std::optional<std::string>& brand) {
    if (!brand) {
        return std::nullopt;
    }
    std::vector<std::string> words;
    for (const std::string& token : platform::componentsSeparatedBy(*brand, isSeparator)) {
        // The clock and the rest of the marketing text follow "CPU"; only capitals make the word.
        if (token == "CPU") {
            break;
        }
        // Model numbers ("3615QM", "2") begin with a digit; "i7" keeps its place.
        if (token.empty() || isMarkToken(token) ||
            platform::isAsciiDigit(platform::firstCharacter(token))) {
            continue;
        }
        words.push_back(token);
    }
    return joined(words);
}

std::string VarSystemInfo::_modelNameFromID(const std::optional<std::string>& /*modelID*/) {
    return "";
}

}  // namespace sysinfo
