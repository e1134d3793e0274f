#include "service/url_unescape.h"

namespace quelmarn::service {

namespace {

// The value of the hexadecimal digit `c`, or -1.
int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

std::size_t unescapeUrlKeepingNul(char* text) {
    char* out = text;
    for (const char* in = text; *in != '\0'; ++out) {
        const int high = in[0] == '%' ? hexValue(in[1]) : -1;
        const int low = high >= 0 ? hexValue(in[2]) : -1;
        if (low >= 0 && (high | low) != 0) {
            *out = static_cast<char>(high * 16 + low);
            in += 3;
        } else {
            *out = *in++;
        }
    }
    *out = '\0';
    return static_cast<std::size_t>(out - text);
}

}  // namespace quelmarn::service
