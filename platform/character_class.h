#pragma once

namespace platform {

// The character classes that the record's text derivations split and test by, over Unicode code
// points. For ASCII each class is exact; outside ASCII each says how far it goes.

// Letters, marks and numbers (general categories L, M and N). Outside ASCII this is glibc's
// alphanumeric class of the C.UTF-8 locale, which follows Unicode's letters and digits but leaves
// out the marks that are not alphabetic (U+0301) and the other numbers (U+00B2, U+00BD). So "é"
// counts and "®", "™" and U+FFFD do not. Without that locale nothing outside ASCII counts.
bool isAlphanumeric(char32_t c);

// Punctuation (general category P): among ASCII, !"#%&'()*,-./:;?@[\]_{} but not the symbols
// $+<=>^`|~. FIXME: nothing outside ASCII counts; kernel releases are ASCII in practice.
bool isPunctuation(char32_t c);

}  // namespace platform
