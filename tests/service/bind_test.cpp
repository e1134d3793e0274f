#include <gtest/gtest.h>

#include "tests/service/running_server.h"

namespace quelmarn::service::testing {
namespace {

TEST(BindTest, SecondServerOnATakenPortFailsToBind) {
    RunningServer first;
    testing_support::TemporaryDirectory directory;
    DeviceStore store((directory.path() / "devices.sqlite3").string());
    LookupServer second(store, [](std::string_view) {});
    EXPECT_FALSE(second.bind("127.0.0.1", first.port()));
}

TEST(BindTest, UnusableAddressFailsToBind) {
    testing_support::TemporaryDirectory directory;
    DeviceStore store((directory.path() / "devices.sqlite3").string());
    LookupServer server(store, [](std::string_view) {});
    EXPECT_FALSE(server.bind("not an address", 0));
}

}  // namespace
}  // namespace quelmarn::service::testing
