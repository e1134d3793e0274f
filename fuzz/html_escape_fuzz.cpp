// HTML escaping of any bytes, such as a serial number that a client sent: nothing in the result
// can open or close markup or an attribute, and the escaped text stands for the same bytes.
#include <string>

#include "fuzz/fuzz_input.h"
#include "service/html_escape.h"

namespace {

// The character references the escaper writes, turned back into their characters.
std::string unescaped(std::string_view html) {
    constexpr std::pair<std::string_view, char> kReferences[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&#39;", '\''}};
    std::string text;
    while (!html.empty()) {
        bool matched = false;
        for (const auto& [reference, character] : kReferences) {
            if (html.starts_with(reference)) {
                text += character;
                html.remove_prefix(reference.size());
                matched = true;
                break;
            }
        }
        if (!matched) {
            fuzz::require(html.front() != '&', "every '&' starts a reference");
            text += html.front();
            html.remove_prefix(1);
        }
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::textOf(data, size);
    const std::string html = quelmarn::service::escapeHtml(text);
    fuzz::require(html.find_first_of("<>\"'") == std::string::npos,
                  "no raw markup or quote character");
    fuzz::require(unescaped(html) == text, "the escaped text stands for the same bytes");
    return 0;
}
