#include <algorithm>
#include <cstddef>
#include <initializer_list>
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

bool isAnyOf(std::string_view token, std::initializer_list<std::string_view> words) {
    return std::ranges::any_of(words, [token](std::string_view word) {
        return platform::equalsIgnoringAsciiCase(token, word);
    });
}

// "(R)" and "(TM)" leave the tokens "R" and "TM" behind, in any case. Lower-casing in ASCII is
// enough here: no character outside ASCII lower-cases to "r", "t" or "m".
bool isMarkToken(std::string_view token) {
    return isAnyOf(token, {"r", "tm"});
}

// Integrated graphics follow the processor's own name: "w/ Radeon 780M Graphics", "with Radeon
// Graphics", or on older parts "Radeon R7, 12 Compute Cores 4C+8G" straight after the model.
bool beginsGraphicsText(std::string_view token) {
    return isAnyOf(token, {"w", "with", "Radeon"});
}

bool beginsWithDigit(std::string_view token) {
    return platform::isAsciiDigit(platform::firstCharacter(token));
}

bool isNumber(std::string_view token) {
    return !token.empty() &&
           std::ranges::all_of(token, [](char c) { return platform::isAsciiDigit(c); });
}

// A generation ordinal such as "13th" or "2nd", as in "13th Gen Intel(R) Core(TM) i7-1370P".
bool isOrdinal(std::string_view token) {
    const auto digits =
        std::ranges::find_if_not(token, [](char c) { return platform::isAsciiDigit(c); });
    return digits != token.begin() &&
           isAnyOf(std::string_view(digits, token.end()), {"st", "nd", "rd", "th"});
}

// The count of a core count such as "12-Core", "Eight-Core" or "Dual Core".
bool isCoreCount(std::string_view token) {
    return isNumber(token) || isAnyOf(token, {"Dual", "Triple", "Quad", "Hexa", "Six", "Octa",
                                              "Eight", "Ten", "Twelve", "Sixteen"});
}

bool isCoreWord(std::string_view token) {
    return isAnyOf(token, {"Core", "Cores"});
}

// The words a short name may take: those before "CPU" (only capitals make that word) and before
// any integrated-graphics text, without the empty tokens and the marks.
std::vector<std::string> candidateWords(const std::string& brand) {
    std::vector<std::string> words;
    for (std::string& token : platform::componentsSeparatedBy(brand, isSeparator)) {
        if (token == "CPU" || beginsGraphicsText(token)) {
            break;
        }
        if (!token.empty() && !isMarkToken(token)) {
            words.push_back(std::move(token));
        }
    }
    return words;
}

// Whether the word at `i` is part of what says how the part is made rather than what it is:
// a model number ("3615QM", the "2" of "Core(TM)2"), the "Gen" of a generation ordinal, or a
// core count with the "Processor" that ends it ("12-Core Processor", "Eight-Core Processor").
bool isDropped(const std::vector<std::string>& words, std::size_t i) {
    // The word `back` places before this one, or after it for -1; "" past either end.
    const auto near = [&words, i](std::ptrdiff_t back) {
        const auto at = static_cast<std::ptrdiff_t>(i) - back;
        return at >= 0 && at < static_cast<std::ptrdiff_t>(words.size())
                   ? std::string_view(words[static_cast<std::size_t>(at)])
                   : std::string_view();
    };
    const std::string_view word = words[i];
    const bool isModelNumber = beginsWithDigit(word);
    const bool countsCores = isCoreCount(word) && isCoreWord(near(-1));
    const bool isCountedCore = isCoreWord(word) && isCoreCount(near(1));
    const bool endsCoreCount = platform::equalsIgnoringAsciiCase(word, "Processor") &&
                               isCoreWord(near(1)) && isCoreCount(near(2));
    const bool namesGeneration =
        platform::equalsIgnoringAsciiCase(word, "Gen") && isOrdinal(near(1));
    return isModelNumber || countsCores || isCountedCore || endsCoreCount || namesGeneration;
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
    const std::vector<std::string> candidates = candidateWords(*brand);
    std::vector<std::string> words;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        if (!isDropped(candidates, i)) {
            words.push_back(candidates[i]);
        }
    }
    return joined(words);
}

std::string VarSystemInfo::_modelNameFromID(const std::optional<std::string>& /*modelID*/) {
    return "";
}

}  // namespace sysinfo
