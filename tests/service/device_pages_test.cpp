#include "service/device_pages.h"

#include <gtest/gtest.h>

namespace quelmarn::service {
namespace {

using std::chrono::year;

struct WarrantyCase {
    std::chrono::year_month_day today;
    const char* shown;
    const char* notShown;
};

TEST(DevicePagesTest, WarrantyCoversUpToAndIncludingItsLastDay) {
    const Device device{
        "C1", "台式工作站", "Workstation7,1", year(2020) / 3 / 1, year(2023) / 2 / 28, ""};
    const WarrantyCase cases[] = {
        {year(2021) / 1 / 1, "保修中", "已过保"},
        {year(2023) / 2 / 28, "保修中", "已过保"},
        {year(2023) / 3 / 1, "已过保", "保修中"},
    };
    for (const auto& c : cases) {
        const std::string page = renderDevicePage(device, c.today);
        EXPECT_NE(page.find(c.shown), std::string::npos) << c.shown;
        EXPECT_EQ(page.find(c.notShown), std::string::npos) << c.shown;
    }
}

TEST(DevicePagesTest, UnreadableOwnSerialIsExplained) {
    EXPECT_NE(renderNotRegisteredPage("unknown").find("管理员权限"), std::string::npos);
    EXPECT_EQ(renderNotRegisteredPage("UNKNOWN").find("管理员权限"), std::string::npos);
    EXPECT_NE(renderNotRegisteredPage("UNKNOWN").find("href=\"/kb/HT1349"), std::string::npos);
}

}  // namespace
}  // namespace quelmarn::service
