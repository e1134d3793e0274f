#include "platform/appkit/ns_url.h"

#include <gtest/gtest.h>

namespace {

using platform::NSURL;

TEST(NSURLTest, AcceptsAbsoluteURLs) {
    const auto url = NSURL::URLWithString("http://support.example.com/kb/HT1349?viewlocale=zh_CN");
    ASSERT_TRUE(url.has_value());
    EXPECT_EQ(url->absoluteString(), "http://support.example.com/kb/HT1349?viewlocale=zh_CN");
    EXPECT_TRUE(NSURL::URLWithString("mailto:contact@quelmarn.example").has_value());
}

TEST(NSURLTest, RefusesTextWithoutAScheme) {
    EXPECT_FALSE(NSURL::URLWithString("/inapp.php").has_value());
    EXPECT_FALSE(NSURL::URLWithString("support.example.com/kb").has_value());
    EXPECT_FALSE(NSURL::URLWithString("").has_value());
    EXPECT_FALSE(NSURL::URLWithString("1http://x").has_value());
    EXPECT_FALSE(NSURL::URLWithString("ht tp://x").has_value());
}

TEST(NSMutableURLRequestTest, IsAGetWithNoBodyUntilToldOtherwise) {
    auto request = platform::NSMutableURLRequest::initWithURL(*NSURL::URLWithString("http://h/"));
    EXPECT_EQ(request.HTTPMethod(), "GET");
    EXPECT_TRUE(request.HTTPBody().empty());
    request.setHTTPMethod("POST");
    request.setHTTPBody(*platform::dataUsingEncoding("sn=1", platform::NSUTF8StringEncoding));
    EXPECT_EQ(request.HTTPMethod(), "POST");
    EXPECT_EQ(request.HTTPBody().size(), 4u);
}

TEST(DataUsingEncodingTest, GivesTheUtf8BytesUnchanged) {
    const auto bytes = platform::dataUsingEncoding("sn=序 &=", platform::NSUTF8StringEncoding);
    ASSERT_TRUE(bytes.has_value());
    const std::string back(reinterpret_cast<const char*>(bytes->data()), bytes->size());
    EXPECT_EQ(back, "sn=序 &=");
    EXPECT_EQ(platform::dataUsingEncoding("", platform::NSUTF8StringEncoding)->size(), 0u);
}

TEST(DataUsingEncodingTest, KnowsNoOtherEncoding) {
    EXPECT_FALSE(platform::dataUsingEncoding("sn=1", 1).has_value());
}

TEST(NSWorkspaceTest, HandsTheURLToTheInstalledOpener) {
    std::string opened;
    auto previous = platform::installURLOpener([&](const NSURL& url) {
        opened = url.absoluteString();
        return true;
    });
    const auto url = NSURL::URLWithString("http://support.example.com/kb/HT1349?viewlocale=zh_CN");

    EXPECT_TRUE(platform::NSWorkspace::sharedWorkspace().openURL(*url));
    EXPECT_EQ(opened, url->absoluteString());

    platform::installURLOpener([](const NSURL&) { return false; });
    EXPECT_FALSE(platform::NSWorkspace::sharedWorkspace().openURL(*url));
    platform::installURLOpener(previous);
}

}  // namespace
