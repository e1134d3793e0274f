// The device database, the CSV import into it and the device pages.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "service/device_import.h"
#include "service/device_pages.h"
#include "service/device_store.h"
#include "service/sample_devices.h"
#include "tests/service/database_files.h"
#include "tests/support/temporary_directory.h"

namespace quelmarn::service {
namespace {

using std::chrono::year;
using testing_support::fileBytes;

class DevicesTest : public ::testing::Test {
  protected:
    testing_support::TemporaryDirectory directory_;
    std::string databasePath_ = (directory_.path() / "devices.sqlite3").string();
    DeviceStore store_{databasePath_, WhenMissing::kCreateWithSamples};
};

struct Imported {
    std::size_t imported;
    std::vector<CsvProblem> problems;
};

Imported importText(DeviceStore& store, const std::string& text, FaultyLines faultyLines) {
    std::istringstream csv(text);
    std::vector<CsvProblem> problems;
    const auto report = importDevices(
        store, csv, faultyLines, [&](const CsvProblem& problem) { problems.push_back(problem); });
    EXPECT_EQ(report.problems, problems.size());
    return {report.imported, problems};
}

std::vector<std::size_t> problemLines(const Imported& report) {
    std::vector<std::size_t> lines;
    for (const auto& problem : report.problems)
        lines.push_back(problem.line);
    return lines;
}

// Runs `sql` on the database at `path`, as another program would; the first value it yields.
std::string execute(const std::filesystem::path& path, const char* sql) {
    return testing_support::OtherConnection(path).value(sql);
}

const std::string kOwnId = std::to_string(DeviceStore::kApplicationId);

TEST_F(DevicesTest, NewDatabaseInMissingDirectoriesHoldsTheSamplesAndKeepsWhatIsSavedAndStamped) {
    const std::string path = (directory_.path() / "a" / "b" / "devices.sqlite3").string();
    Device replaced{"QX2K93HT7LMP",     "迷你主机",         "Mini9,1",
                    year(2020) / 1 / 2, year(2023) / 1 / 1, "已更换电源"};
    {
        DeviceStore store(path, WhenMissing::kCreateWithSamples);
        ASSERT_GE(sampleDevices().size(), 5u);
        for (const Device& sample : sampleDevices())
            EXPECT_EQ(store.find(sample.serial), sample);
        store.saveAll(std::vector{replaced});
    }
    execute(path, "PRAGMA application_id = 0");  // as a file from before the stamp
    EXPECT_EQ(DeviceStore(path, WhenMissing::kRefuse).find("QX2K93HT7LMP"), replaced);
    EXPECT_EQ(execute(path, "PRAGMA application_id"), kOwnId);  // stamped on opening
}

TEST_F(DevicesTest, AnotherProgramsDatabaseIsRefusedAndLeftAsItWas) {
    const std::pair<const char*, const char*> cases[] = {
        {nullptr, "file is not a database"},  // a text file
        {"PRAGMA application_id = 42;", "application_id 0x0000002A"},
        {"CREATE TABLE notes (body TEXT);", "notes"},
        {"CREATE TABLE devices (id INTEGER);", "devices 表的列不同"},
        {"PRAGMA application_id = 1363955022; CREATE TABLE devices (id INTEGER);",
         "devices 表的列不同"},
    };
    int index = 0;
    for (const auto& [sql, reason] : cases) {
        SCOPED_TRACE(index);
        const auto path = directory_.path() / ("other" + std::to_string(index++) + ".db");
        if (sql)
            execute(path, sql);
        else
            std::ofstream(path) << "this is a text file, not a database, and long enough to tell\n";
        const std::string before = fileBytes(path);
        try {
            DeviceStore store(path.string(), WhenMissing::kRefuse);
            ADD_FAILURE() << "opened";
        } catch (const StoreError& error) {
            EXPECT_NE(std::string(error.what()).find(reason), std::string::npos) << error.what();
        }
        EXPECT_EQ(fileBytes(path), before);
        EXPECT_FALSE(std::filesystem::exists(path.string() + "-wal"));
    }
}

TEST_F(DevicesTest, ImportSavesGoodLinesInAnyColumnOrderAndReportsBadOnes) {
    const auto report = importText(store_,
                                   "notes,warranty_ends_on,manufactured_on,model_identifier,"
                                   "model,serial\n"
                                   "\"带 \"\"引号\"\"，和逗号\",2030-01-31,2025-02-01,"
                                   "\"Notebook13,2\",笔记本电脑 13 英寸,AB 12&=%\n"
                                   ",2030-02-30,2025-02-01,X1,型号,BADDATE\n"
                                   ",2030-01-01,2025-02-01,X1,型号\n"
                                   ",2030-01-01,2025-02-01,X1,型号,\n"
                                   ",2030-01-01,2025-02-01,X1,\xFF,BADUTF8\n"
                                   ",2030-01-01,2025-02-01,X1,型号,QX2K93HT7LMP\n"
                                   ",2031-01-01,2025-02-01,X2,再次,QX2K93HT7LMP\n",
                                   FaultyLines::kSkip);
    EXPECT_EQ(report.imported, 2u);
    EXPECT_EQ(problemLines(report), (std::vector<std::size_t>{3, 4, 5, 6, 8}));
    EXPECT_NE(report.problems.back().message.find("第 7 行重复"), std::string::npos);
    EXPECT_EQ(store_.find("AB 12&=%"),
              (Device{"AB 12&=%", "笔记本电脑 13 英寸", "Notebook13,2", year(2025) / 2 / 1,
                      year(2030) / 1 / 31, "带 \"引号\"，和逗号"}));
    EXPECT_EQ(store_.find("QX2K93HT7LMP")->model, "型号");  // replaced the sample
    EXPECT_EQ(store_.find("BADDATE"), std::nullopt);
}

TEST_F(DevicesTest, ImportWithAFaultyHeaderSavesNothing) {
    for (const std::string header :
         {"serial,model,model_identifier,manufactured_on",
          "serial,model,model_identifier,manufactured_on,warranty_ends_on,colour",
          "serial,serial,model,model_identifier,manufactured_on,warranty_ends_on", "\"serial"}) {
        const auto report =
            importText(store_, header + "\nX,a,b,2020-01-01,2021-01-01\n", FaultyLines::kSkip);
        EXPECT_EQ(report.imported, 0u) << header;
        EXPECT_EQ(problemLines(report), std::vector<std::size_t>{1}) << header;
    }
    EXPECT_EQ(store_.find("X"), std::nullopt);
    EXPECT_EQ(problemLines(importText(store_, "", FaultyLines::kSkip)),
              std::vector<std::size_t>{1});
}

TEST(DevicePagesTest, WarrantyCoversUpToItsLastDayAndAnUnreadableSerialIsExplained) {
    const Device device{"C1", "台式工作站", "W7,1", year(2020) / 3 / 1, year(2023) / 2 / 28, ""};
    const std::tuple<std::chrono::year_month_day, const char*, const char*> cases[] = {
        {year(2023) / 2 / 28, "保修中", "已过保"}, {year(2023) / 3 / 1, "已过保", "保修中"}};
    for (const auto& [today, shown, notShown] : cases) {
        const std::string page = renderDevicePage(device, today);
        EXPECT_NE(page.find(shown), std::string::npos) << shown;
        EXPECT_EQ(page.find(notShown), std::string::npos) << shown;
    }
    EXPECT_NE(renderNotRegisteredPage("unknown").find("管理员权限"), std::string::npos);
    EXPECT_EQ(renderNotRegisteredPage("UNKNOWN").find("管理员权限"), std::string::npos);
    EXPECT_NE(renderNotRegisteredPage("UNKNOWN").find("href=\"/kb/HT1349"), std::string::npos);
}

}  // namespace
}  // namespace quelmarn::service
