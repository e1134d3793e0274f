#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Text walked by Unicode character. Texts are UTF-8; a byte that does not begin a well-formed
// sequence stands for U+FFFD, which no character class of character_class.h contains.

// A class of characters, such as isAlphanumeric.
using CharacterClass = bool (*)(char32_t);

// The parts of `text` between the characters for which `isSeparator` holds, in order and with
// their bytes unchanged. Every separator ends a part, so there is always one part more than
// there are separators, empty parts included: "a--b" gives "a", "", "b"; "" gives "".
std::vector<std::string> componentsSeparatedBy(std::string_view text, CharacterClass isSeparator);

// The first character of `text`; U+0000 for the empty text.
char32_t firstCharacter(std::string_view text);

}  // namespace platform
