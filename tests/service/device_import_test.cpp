#include "service/device_import.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "service/import_command.h"
#include "tests/support/temporary_directory.h"

namespace quelmarn::service {
namespace {

using std::chrono::year;

class DeviceImportTest : public ::testing::Test {
  protected:
    testing_support::TemporaryDirectory directory_;
    DeviceStore store_{(directory_.path() / "devices.sqlite3").string()};
};

std::vector<std::size_t> problemLines(const ImportReport& report) {
    std::vector<std::size_t> lines;
    for (const auto& problem : report.problems)
        lines.push_back(problem.line);
    return lines;
}

TEST_F(DeviceImportTest, ImportsGoodLinesInAnyColumnOrderAndReportsBadOnes) {
    const auto report =
        importDevices(store_,
                      "notes,warranty_ends_on,manufactured_on,model_identifier,"
                      "model,serial\n"
                      "\"带 \"\"引号\"\"，和逗号\",2030-01-31,2025-02-01,\"Notebook13,2\","
                      "笔记本电脑 13 英寸,AB 12&=%\n"
                      ",2030-02-30,2025-02-01,X1,型号,BADDATE\n"
                      ",2030-01-01,2025-02-01,X1,型号\n"
                      ",2030-01-01,2025-02-01,X1,型号,\n"
                      ",2030-01-01,2025-02-01,X1,\xFF,BADUTF8\n"
                      ",2030-01-01,2025-02-01,X1,型号,QX2K93HT7LMP\n");
    EXPECT_EQ(report.imported, 2u);
    EXPECT_EQ(problemLines(report), (std::vector<std::size_t>{3, 4, 5, 6}));
    const auto imported = store_.find("AB 12&=%");
    ASSERT_TRUE(imported);
    EXPECT_EQ(imported->notes, "带 \"引号\"，和逗号");
    EXPECT_EQ(imported->warrantyEndsOn, year(2030) / 1 / 31);
    EXPECT_EQ(store_.find("QX2K93HT7LMP")->model, "型号");
    EXPECT_EQ(store_.find("BADDATE"), std::nullopt);
}

TEST_F(DeviceImportTest, NotesColumnIsOptional) {
    const auto report = importDevices(store_,
                                      "serial,model,model_identifier,manufactured_on,"
                                      "warranty_ends_on\nNEW1,一体机,\"AllInOne24,1\",2024-01-01,"
                                      "2026-01-01\n");
    EXPECT_EQ(report.imported, 1u);
    EXPECT_TRUE(report.problems.empty());
    EXPECT_EQ(store_.find("NEW1")->notes, "");
}

TEST_F(DeviceImportTest, FaultyHeaderImportsNothing) {
    const std::string_view body = "\nX,a,b,2020-01-01,2021-01-01\n";
    for (const std::string header :
         {"serial,model,model_identifier,manufactured_on",
          "serial,model,model_identifier,"
          "manufactured_on,warranty_ends_on,colour",
          "serial,serial,model,model_identifier,manufactured_on,warranty_ends_on", "\"serial"}) {
        const auto report = importDevices(store_, header + std::string(body));
        EXPECT_EQ(report.imported, 0u) << header;
        EXPECT_EQ(problemLines(report).front(), 1u) << header;
    }
    EXPECT_EQ(store_.find("X"), std::nullopt);
    EXPECT_EQ(importDevices(store_, "").problems.size(), 1u);
}

TEST_F(DeviceImportTest, CommandReportsCountAndLinesLeftOut) {
    const auto csv = directory_.path() / "devices.csv";
    std::ofstream(csv) << "serial,model,model_identifier,manufactured_on,warranty_ends_on\n"
                          "A1,迷你主机,Mini9,2020-01-01,2023-01-01\n"
                          "A2,迷你主机,Mini9,2020-01-01,someday\n";
    const std::string database = (directory_.path() / "devices.sqlite3").string();
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runImport(csv.string(), database, out, err), 1);
    EXPECT_NE(out.str().find("已导入 1 台设备"), std::string::npos) << out.str();
    EXPECT_NE(err.str().find("第 3 行"), std::string::npos) << err.str();
    EXPECT_EQ(runImport((directory_.path() / "missing.csv").string(), database, out, err), 1);
}

}  // namespace
}  // namespace quelmarn::service
