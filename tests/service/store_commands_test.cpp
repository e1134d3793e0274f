// Managing the device database while a service serves from it: backups, restores (by the
// command and by a copy over the file), deletions, exports and imports, as an operator runs
// them.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

#include "service/import_command.h"
#include "service/sample_devices.h"
#include "service/store_commands.h"
#include "tests/service/database_files.h"
#include "tests/service/http_client.h"
#include "tests/service/running_server.h"

namespace quelmarn::service {
namespace {

using namespace std::chrono_literals;
using std::chrono::year;
using testing_support::fileBytes;
using testing_support::lookUp;
using testing_support::OtherConnection;
using testing_support::RunningServer;
using testing_support::statusOf;

const std::string kSample = "QX2K93HT7LMP";

struct CommandOutput {
    int status;
    std::string out;
    std::string err;
};

template <typename Command, typename... Arguments>
CommandOutput run(Command command, const Arguments&... arguments) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = command(arguments..., out, err);
    return {status, out.str(), err.str()};
}

class StoreCommandsTest : public ::testing::Test {
  protected:
    RunningServer server_;
    const std::filesystem::path folder_ = server_.directory.path();
    const std::string live_ = server_.databasePath;

    std::string path(const char* name) const { return (folder_ / name).string(); }
    int lookupStatus(const std::string& serial) const {
        return statusOf(lookUp(server_.port, "sn=" + serial));
    }
};

// A plain copy of the file while the service runs misses what the write-ahead log holds; the
// backup holds it, and is a consistent view while another process keeps writing.
TEST_F(StoreCommandsTest, BackupWhileServingAndWritingIsCompleteConsistentAndOneFile) {
    // A reader whose view began before the insert below keeps it in the write-ahead log, where
    // no checkpoint may copy it into the file until the reader ends.
    OtherConnection reader(live_);
    reader.value("BEGIN; SELECT count(*) FROM devices");
    OtherConnection writer(live_);
    writer.value("PRAGMA wal_autocheckpoint = 0");
    writer.value("INSERT INTO devices VALUES ('INLOG1', 'm', 'i', '2020-01-01', '2021-01-01', '')");
    std::atomic<bool> writing = true;
    std::thread pairs([&] {
        OtherConnection adder(live_);
        adder.value("PRAGMA wal_autocheckpoint = 0");
        for (int i = 0; writing; ++i) {
            const std::string values = "'m', 'i', '2020-01-01', '2021-01-01', ''";
            adder.value("BEGIN; INSERT INTO devices VALUES ('P" + std::to_string(i) + "a', " +
                        values + "); INSERT INTO devices VALUES ('P" + std::to_string(i) + "b', " +
                        values + "); COMMIT");
        }
    });
    std::this_thread::sleep_for(50ms);
    const auto backup = run(runBackup, path("backup.db"), live_);
    writing = false;
    pairs.join();
    ASSERT_EQ(backup.status, 0) << backup.err;
    EXPECT_NE(backup.out.find("backup.db"), std::string::npos) << backup.out;
    OtherConnection copy(path("backup.db"));
    EXPECT_EQ(copy.value("SELECT count(*) FROM devices WHERE serial = 'INLOG1'"), "1");
    EXPECT_EQ(std::stoi(copy.value("SELECT count(*) FROM devices WHERE serial LIKE 'P%'")) % 2, 0)
        << "a transaction cut in two";
    EXPECT_EQ(copy.value("PRAGMA journal_mode"), "delete");
    EXPECT_EQ(copy.value("PRAGMA application_id"), std::to_string(DeviceStore::kApplicationId));
    EXPECT_FALSE(std::filesystem::exists(path("backup.db-wal")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 4)
        << "the database, its log and index, the backup: nothing left half-written";
}

// The command restores through SQLite, so the service answers from the backup at once.
TEST_F(StoreCommandsTest, RestoreWhileServingIsAnsweredFromAtTheNextLookup) {
    ASSERT_EQ(run(runBackup, path("backup.db"), live_).status, 0);
    ASSERT_EQ(run(runDelete, std::vector<std::string>{kSample}, live_).status, 0);
    server_.store.saveAll(
        std::vector{Device{"AFTER", "m", "i", year(2020) / 1 / 1, year(2021) / 1 / 1, ""}});
    EXPECT_EQ(lookupStatus(kSample), 404);
    const auto restore = run(runRestore, path("backup.db"), live_);
    ASSERT_EQ(restore.status, 0) << restore.err;
    EXPECT_NE(restore.out.find("恢复 " + std::to_string(sampleDevices().size()) + " 台设备"),
              std::string::npos)
        << restore.out;
    EXPECT_EQ(lookupStatus(kSample), 200);
    EXPECT_EQ(lookupStatus("AFTER"), 404);  // what came after the backup is gone
}

// Neither command copies a database onto itself, nor takes what is no database of ours.
TEST_F(StoreCommandsTest, BackupOrRestoreOverItselfOrFromNoDatabaseOfOursChangesNothing) {
    const std::string before = fileBytes(live_);
    EXPECT_EQ(run(runBackup, live_, live_).status, 1);
    EXPECT_EQ(run(runRestore, live_, live_).status, 1);
    EXPECT_EQ(fileBytes(live_), before);
    const auto missing = run(runBackup, path("b.db"), path("missing.db"));
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("不存在"), std::string::npos) << missing.err;
    EXPECT_FALSE(std::filesystem::exists(path("missing.db")));
    EXPECT_FALSE(std::filesystem::exists(path("b.db")));
    std::ofstream(path("text.db")) << "not a database at all, but long enough to look at\n";
    OtherConnection(path("foreign.db")).value("CREATE TABLE notes (body TEXT)");
    OtherConnection(path("empty.db")).value("PRAGMA user_version");
    for (const char* name : {"text.db", "foreign.db", "empty.db", "missing.db"}) {
        SCOPED_TRACE(name);
        const auto restore = run(runRestore, path(name), live_);
        EXPECT_EQ(restore.status, 1);
        EXPECT_NE(restore.err.find("数据库没有改动"), std::string::npos) << restore.err;
        EXPECT_EQ(lookupStatus(kSample), 200);
    }
}

// An operator who copies a backup over the live file (same inode) gets it served, and the
// store's log, which belonged to the old content, is not copied over it when the store closes.
TEST_F(StoreCommandsTest, BackupCopiedOverTheLiveFileIsServedAndKeptAfterTheStoreCloses) {
    const std::string live = path("copied-over.db");
    std::optional<DeviceStore> serving(std::in_place, live, WhenMissing::kCreateWithSamples);
    ASSERT_EQ(run(runBackup, path("backup.db"), live).status, 0);
    ASSERT_EQ(run(runDelete, std::vector<std::string>{kSample}, live).status, 0);
    std::this_thread::sleep_for(1100ms);  // the file is looked at again once a second
    EXPECT_EQ(serving->find(kSample), std::nullopt);
    std::filesystem::copy_file(path("backup.db"), live,
                               std::filesystem::copy_options::overwrite_existing);
    std::this_thread::sleep_for(1100ms);
    EXPECT_TRUE(serving->find(kSample));
    serving.reset();
    EXPECT_EQ(OtherConnection(live).value("SELECT count(*) FROM devices WHERE serial = '" +
                                          kSample + "'"),
              "1");
}

TEST_F(StoreCommandsTest, DeleteRemovesTheRegisteredAndNamesTheUnknown) {
    const auto deleted =
        run(runDelete, std::vector<std::string>{kSample, "NOSUCH\x1B]0;title\x07"}, live_);
    EXPECT_EQ(deleted.status, 1);
    EXPECT_NE(deleted.out.find("已删除 1 台设备"), std::string::npos) << deleted.out;
    EXPECT_NE(deleted.err.find("NOSUCH\\x1B]0;title\\x07"), std::string::npos) << deleted.err;
    EXPECT_EQ(lookupStatus(kSample), 404);
    const auto twice =
        run(runDelete, std::vector<std::string>{"R9GE5UK1S7VH", "R9GE5UK1S7VH"}, live_);
    EXPECT_EQ(twice.status, 0) << twice.err;
    EXPECT_NE(twice.out.find("已删除 1 台设备"), std::string::npos) << twice.out;
}

// Export then import gives back the same devices and, exported again, the same bytes.
TEST_F(StoreCommandsTest, ExportThenImportIsTheIdentityForAwkwardValues) {
    const std::vector<Device> awkward{
        {"A,1", "型号 \"引号\", 逗号", "X,1", year(2020) / 2 / 29, year(2024) / 12 / 31,
         "两行\n第二行\r\n第三行"},
        {"\"Q", " 前后空格 ", "", year(1999) / 1 / 1, year(2000) / 1 / 1, "\x1B]0;\x07\t\r"},
        {"ÄÖ-序列-🙂",
         "\xEF\xBB\xBF"
         "bom",
         "i", year(2026) / 12 / 8, year(2027) / 1 / 1, ""},
    };
    server_.store.saveAll(awkward);
    ASSERT_EQ(run(runExport, path("all.csv"), live_).status, 0);
    const auto imported = run(runImport, path("all.csv"), path("new.db"), FaultyLines::kRefuseFile);
    ASSERT_EQ(imported.status, 0) << imported.err;
    DeviceStore copy(path("new.db"), WhenMissing::kRefuse);
    for (const Device& device : awkward)
        EXPECT_EQ(copy.find(device.serial), device) << device.serial;
    for (const Device& device : sampleDevices())
        EXPECT_EQ(copy.find(device.serial), device) << device.serial;
    ASSERT_EQ(run(runExport, path("again.csv"), path("new.db")).status, 0);
    EXPECT_EQ(fileBytes(path("again.csv")), fileBytes(path("all.csv")));
    const auto toOut = run(runExport, std::string("-"), live_);
    EXPECT_EQ(toOut.out, fileBytes(path("all.csv")));
    EXPECT_NE(toOut.err.find("标准输出"), std::string::npos) << toOut.err;
}

// Samples belong to a fresh service's first start, not to a database made by a command.
TEST_F(StoreCommandsTest, ImportIntoANewDatabaseHoldsOnlyWhatWasGiven) {
    std::ofstream(path("one.csv")) << "serial,model,model_identifier,manufactured_on,"
                                      "warranty_ends_on\nONLY1,m,i,2020-01-01,2021-01-01\n";
    ASSERT_EQ(run(runImport, path("one.csv"), path("imported.db"), FaultyLines::kRefuseFile).status,
              0);
    EXPECT_EQ(
        OtherConnection(path("imported.db")).value("SELECT group_concat(serial) FROM devices"),
        "ONLY1");
}

// Every faulty line is named, one line per message, its bytes shown escaped (a serial can hold
// any: one that would retitle the operator's terminal among them); the file is refused whole
// unless faulty lines are to be skipped.
TEST_F(StoreCommandsTest, ImportNamesEveryFaultyLineEscapedAndSavesNothingUnlessSkipping) {
    std::ofstream(path("in.csv"), std::ios::binary)
        << "serial,model,model_identifier,manufactured_on,warranty_ends_on\n"
           "A1,m,i,2020-01-01,2023-01-01\n"
           "EVIL\x1B]0;owned\x07,m,i,2020-01-01,someday\x1B[2J\n"
           "A1,m,i,2020-01-01,2023-01-01\n"
           "\xFF\xFE,m,i,2020-01-01,2021-01-01\n"
           "\"A3,m,i,2020-01-01,2023-01-01\n";
    const auto refused = run(runImport, path("in.csv"), live_, FaultyLines::kRefuseFile);
    EXPECT_NE(refused.out.find("已导入 0 台设备"), std::string::npos) << refused.out;
    EXPECT_EQ(lookupStatus("A1"), 404);
    const auto skipped = run(runImport, path("in.csv"), live_, FaultyLines::kSkip);
    EXPECT_NE(skipped.out.find("已导入 1 台设备"), std::string::npos) << skipped.out;
    EXPECT_EQ(server_.store.find("A1")->notes, "");  // the notes column is optional
    for (const auto& imported : {refused, skipped}) {
        EXPECT_EQ(imported.status, 1);
        for (const char* shown : {"第 3 行", "第 4 行", "第 5 行", "第 6 行", "someday\\x1B[2J"})
            EXPECT_NE(imported.err.find(shown), std::string::npos) << imported.err;
        for (const std::string& text : {imported.err, imported.out}) {
            EXPECT_EQ(text.find_first_of(std::string("\x1B\x07\xFF", 3)), std::string::npos)
                << text;
            EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), text == imported.err ? 4 : 1);
        }
    }
    const std::pair<std::string, const char*> unreadable[] = {{path("missing.csv"), "无法读取文件"},
                                                              {folder_.string(), "不是普通文件"}};
    for (const auto& [file, why] : unreadable) {
        const auto imported = run(runImport, file, live_, FaultyLines::kSkip);
        EXPECT_EQ(imported.status, 1);
        EXPECT_NE(imported.err.find(why), std::string::npos) << imported.err;
    }
}

// As the manual page's command for the system service runs it: the operator's shell opens the
// file, which the reader still goes back in after a quote never closed.
TEST_F(StoreCommandsTest, ImportReadsAFileRedirectedToStandardInputButNoPipe) {
    std::ofstream(path("in.csv")) << "serial,model,model_identifier,manufactured_on,"
                                     "warranty_ends_on\n\"UNCLOSED,m\nSTDIN1,m,i,2020-01-01,"
                                     "2021-01-01\n";
    const std::string import =
        std::string(QUELMARN_LOOKUPD) + " import - --skip-faulty-lines --database '" + live_ + "'";
    const std::string output = " >'" + path("out") + "' 2>'" + path("err") + "'";
    EXPECT_EQ(WEXITSTATUS(std::system((import + " <'" + path("in.csv") + "'" + output).c_str())),
              1);
    EXPECT_NE(fileBytes(path("err")).find("第 2 行：引号没有闭合"), std::string::npos)
        << fileBytes(path("err"));
    EXPECT_EQ(lookupStatus("STDIN1"), 200);
    EXPECT_EQ(
        WEXITSTATUS(std::system(("cat '" + path("in.csv") + "' | " + import + output).c_str())), 1);
    EXPECT_NE(fileBytes(path("err")).find("标准输入不是普通文件"), std::string::npos)
        << fileBytes(path("err"));
}

}  // namespace
}  // namespace quelmarn::service
