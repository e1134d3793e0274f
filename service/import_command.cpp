#include "service/import_command.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "service/device_store.h"

namespace quelmarn::service {

namespace {

struct FileText {
    std::string text;
    std::string problem;  // empty when the file was read
};

// The file's bytes, or why they cannot be had. A directory, a FIFO or a device is refused
// before it is opened: reading one fails midway or never ends.
FileText readFile(const std::string& path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error)
        return {{}, error.message()};
    if (!std::filesystem::is_regular_file(status))
        return {{}, "不是普通文件"};
    std::ifstream file(path, std::ios::binary);
    std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (!file.is_open() || file.bad())
        return {{}, "读取失败"};
    return {std::move(text), {}};
}

}  // namespace

int runImport(const std::string& csvPath, const std::string& databasePath, FaultyLines faultyLines,
              std::ostream& out, std::ostream& err) {
    const FileText file = readFile(csvPath);
    if (!file.problem.empty()) {
        err << "无法读取文件 " << csvPath << "：" << file.problem << "\n";
        return 1;
    }
    try {
        DeviceStore store(databasePath);
        const ImportReport report = importDevices(store, file.text, faultyLines);
        for (const auto& problem : report.problems) {
            err << csvPath << " 第 " << problem.line << " 行：" << problem.message << "\n";
        }
        out << "已导入 " << report.imported << " 台设备到 " << databasePath;
        if (!report.problems.empty() && faultyLines == FaultyLines::kSkip)
            out << "，跳过了 " << report.problems.size() << " 行有误的内容";
        if (!report.problems.empty() && faultyLines == FaultyLines::kRefuseFile)
            out << "：文件中有 " << report.problems.size()
                << " 处错误，没有导入任何设备（用 --skip-faulty-lines 只导入正确的行）";
        out << "。\n";
        return report.problems.empty() ? 0 : 1;
    } catch (const StoreError& error) {
        err << "数据库 " << databasePath << " 出错：" << error.what() << "\n";
        return 1;
    }
}

}  // namespace quelmarn::service
