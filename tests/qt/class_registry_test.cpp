#include "platform/qt/class_registry.h"

#include <gtest/gtest.h>

#include "platform/appkit/ns_application.h"

namespace {

class Registered : public platform::NSObject {};

TEST(ClassRegistryTest, MakesANewObjectOfARegisteredClassEachTime) {
    EXPECT_TRUE(
        platform::registerClass("Registered", [] { return std::make_shared<Registered>(); }));
    const auto first = platform::makeObjectOfClass("Registered");
    const auto second = platform::makeObjectOfClass("Registered");

    EXPECT_NE(std::dynamic_pointer_cast<Registered>(first), nullptr);
    EXPECT_NE(first, second);
}

TEST(ClassRegistryTest, AnUnknownClassMakesNothing) {
    EXPECT_EQ(platform::makeObjectOfClass("NeverRegistered"), nullptr);
}

TEST(NSObjectTest, AnswersNoKeyAndNoAction) {
    platform::NSObject object;
    EXPECT_FALSE(object.setValueForKey("window", nullptr));
    EXPECT_FALSE(object.performAction("showDeviceInfo:", nullptr));
}

}  // namespace
