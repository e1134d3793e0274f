#include "service/import_command.h"

#include <filesystem>
#include <fstream>
#include <iostream>

#include "service/device_registry.h"
#include "service/terminal_text.h"

namespace quelmarn::service {

namespace {

// Standard input, named "-": an import run as the service's own user (systemd-run(1)) can then
// read a file that only the operator may open, opened by the operator's shell.
constexpr std::string_view kStandardInput = "-";

// Why the file at `path` cannot be read as an import file, or the empty text. A directory, a
// FIFO or a device is refused before it is opened: reading one fails midway or never ends, and
// the reader must be able to go back in it. Standard input is looked at through /dev/stdin.
std::string unreadable(const std::string& path) {
    std::error_code error;
    const auto status =
        std::filesystem::status(path == kStandardInput ? "/dev/stdin" : path, error);
    if (error)
        return error.message();
    if (!std::filesystem::is_regular_file(status))
        return path == kStandardInput ? "标准输入不是普通文件（请用 < 文件 重定向）"
                                      : "不是普通文件";
    return {};
}

}  // namespace

int runImport(const std::string& csvPath, const std::string& databasePath, FaultyLines faultyLines,
              std::ostream& out, std::ostream& err) {
    const std::string shownCsv = printable(csvPath);
    const std::string shownDatabase = printable(databasePath);
    std::string problem = unreadable(csvPath);
    std::ifstream file;
    if (problem.empty() && csvPath != kStandardInput) {
        file.open(csvPath, std::ios::binary);
        if (!file.is_open())
            problem = "无法打开";
    }
    std::istream& csv = csvPath == kStandardInput ? std::cin : file;
    if (!problem.empty()) {
        err << "无法读取文件 " << shownCsv << "：" << problem << "\n";
        return 1;
    }
    try {
        const auto store = openDeviceRegistry(databasePath, WhenMissing::kCreateEmpty);
        const ImportReport report =
            importDevices(*store, csv, faultyLines, [&](const CsvProblem& problem) {
                err << shownCsv << " 第 " << problem.line << " 行：" << printable(problem.message)
                    << "\n";
            });
        if (report.readFailed) {
            err << "无法读取文件 " << shownCsv << "：读取失败，没有导入任何设备\n";
            return 1;
        }
        out << "已导入 " << report.imported << " 台设备到 " << shownDatabase;
        if (report.problems > 0 && faultyLines == FaultyLines::kSkip)
            out << "，跳过了 " << report.problems << " 行有误的内容";
        if (report.problems > 0 && faultyLines == FaultyLines::kRefuseFile)
            out << "：文件中有 " << report.problems
                << " 处错误，没有导入任何设备（用 --skip-faulty-lines 只导入正确的行）";
        out << "。\n";
        return report.problems == 0 ? 0 : 1;
    } catch (const StoreError& error) {
        err << "数据库 " << shownDatabase << " 出错：" << printable(error.what()) << "\n";
        return 1;
    }
}

}  // namespace quelmarn::service
