#include "service/html_escape.h"

#include <gtest/gtest.h>

namespace quelmarn::service {
namespace {

TEST(HtmlEscapeTest, EscapesMarkupCharactersOnly) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"", ""},
        {"C02JX0XXDRVC", "C02JX0XXDRVC"},
        {"<script>alert('x')</script>", "&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;"},
        {"a & b", "a &amp; b"},
        {"&amp;", "&amp;amp;"},
        {"say \"hi\"", "say &quot;hi&quot;"},
        {"保修中 = 1", "保修中 = 1"},
    };
    for (const auto& [text, escaped] : cases)
        EXPECT_EQ(escapeHtml(text), escaped) << text;
}

}  // namespace
}  // namespace quelmarn::service
