#pragma once

#include <cstddef>

namespace quelmarn::service {

// Decodes the percent escapes ("%41" is "A") of the zero-terminated `text` in place, for the
// HTTP library to apply to a request's path and query. "%00" stays as it is: a decoded zero
// byte would end the path early for every reader that takes it as a C string, so that
// "/inapp.php%00.txt" would be taken for "/inapp.php". A "%" not followed by two hexadecimal
// digits also stays. Returns the decoded length.
std::size_t unescapeUrlKeepingNul(char* text);

}  // namespace quelmarn::service
