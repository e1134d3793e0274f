// Every text colour of the service's pages against the background it is drawn on reaches the
// 4.5:1 contrast that WCAG 2 asks of body text, so the pages read well for weak eyes too.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <string>

#include "service/page_layout.h"

namespace {

// The colour `property` ("color" or "background") of the rule for `selector` in `css`.
std::string ruleColour(const std::string& css, const std::string& selector,
                       const std::string& property) {
    const std::size_t start = css.find("\n" + selector + " {");
    if (start == std::string::npos) {
        return "rule not found: " + selector;
    }
    const std::string rule = css.substr(start, css.find('}', start) - start);
    std::smatch match;
    const std::regex declaration("[{ ;]" + property + ":\\s*(#[0-9a-f]{3,6})\\b");
    return std::regex_search(rule, match, declaration) ? match[1].str()
                                                       : "no " + property + " in " + selector;
}

double relativeLuminance(std::string hex) {
    hex.erase(0, 1);
    if (hex.size() == 3) {
        hex = {hex[0], hex[0], hex[1], hex[1], hex[2], hex[2]};
    }
    const auto channel = [&hex](int index) {
        const double value = std::stoi(hex.substr(index * 2, 2), nullptr, 16) / 255.0;
        return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(0) + 0.7152 * channel(1) + 0.0722 * channel(2);
}

double contrast(const std::string& foreground, const std::string& background) {
    const double a = relativeLuminance(foreground);
    const double b = relativeLuminance(background);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

struct TextOnBackground {
    const char* text;        // the rule that sets the text colour
    const char* background;  // the rule whose background it is drawn on
};

class PageContrast : public ::testing::TestWithParam<TextOnBackground> {};

TEST_P(PageContrast, ReachesFourAndAHalfToOne) {
    const std::string css = quelmarn::service::renderPage("t", "");
    const std::string foreground = ruleColour(css, GetParam().text, "color");
    const std::string background = ruleColour(css, GetParam().background, "background");
    ASSERT_EQ(foreground[0], '#') << foreground;
    ASSERT_EQ(background[0], '#') << background;
    EXPECT_GE(contrast(foreground, background), 4.5)
        << GetParam().text << " " << foreground << " on " << background;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, PageContrast,
    ::testing::Values(TextOnBackground{"body", "body"}, TextOnBackground{".lead", "main"},
                      TextOnBackground{"dt", "main"}, TextOnBackground{".muted", "main"},
                      TextOnBackground{"a", "main"}, TextOnBackground{".status", "main"},
                      TextOnBackground{"footer", "body"}, TextOnBackground{".covered", ".covered"},
                      TextOnBackground{".expired", ".expired"}, TextOnBackground{"pre", "pre"}));

}  // namespace
