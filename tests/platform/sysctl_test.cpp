#include "platform/sysctl.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "tests/support/scripted_machine.h"

namespace {

using testing_support::InstalledMachine;
using testing_support::ScriptedMachine;

class SysctlTest : public ::testing::Test {
  protected:
    std::shared_ptr<ScriptedMachine> machine = std::make_shared<ScriptedMachine>();
    InstalledMachine installed{machine};
};

TEST_F(SysctlTest, SizeFirstThenAtMostTheOfferedBytes) {
    machine->setSysctlText("hw.model", "MacBookPro10,1");
    std::size_t size = 0;
    ASSERT_EQ(platform::sysctlbyname("hw.model", nullptr, &size, nullptr, 0), 0);
    EXPECT_EQ(size, 15u);  // the terminating NUL counts
    std::array<char, 8> buffer{};
    size = 4;
    ASSERT_EQ(platform::sysctlbyname("hw.model", buffer.data(), &size, nullptr, 0), 0);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(std::string(buffer.data()), "MacB");
}

TEST_F(SysctlTest, UnknownNamesAndUnusableArgumentsFail) {
    machine->setSysctlText("kern.ostype", "Linux");
    std::size_t size = 0;
    const int dummy = 1;
    EXPECT_EQ(platform::sysctlbyname("hw.nothing", nullptr, &size, nullptr, 0), -1);
    EXPECT_EQ(platform::sysctlbyname(nullptr, nullptr, &size, nullptr, 0), -1);
    EXPECT_EQ(platform::sysctlbyname("kern.ostype", nullptr, nullptr, nullptr, 0), -1);
    EXPECT_EQ(platform::sysctlbyname("kern.ostype", nullptr, &size, &dummy, sizeof dummy), -1);
}

}  // namespace
