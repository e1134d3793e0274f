#include "service/import_command.h"

#include <fstream>
#include <iterator>
#include <optional>

#include "service/device_import.h"
#include "service/device_store.h"

namespace quelmarn::service {

namespace {

std::optional<std::string> readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (file.bad())
        return std::nullopt;
    return text;
}

}  // namespace

int runImport(const std::string& csvPath, const std::string& databasePath, std::ostream& out,
              std::ostream& err) {
    const auto text = readFile(csvPath);
    if (!text) {
        err << "无法读取文件 " << csvPath << "\n";
        return 1;
    }
    try {
        DeviceStore store(databasePath);
        const ImportReport report = importDevices(store, *text);
        for (const auto& problem : report.problems) {
            err << csvPath << " 第 " << problem.line << " 行：" << problem.message << "\n";
        }
        out << "已导入 " << report.imported << " 台设备到 " << databasePath;
        if (!report.problems.empty())
            out << "，跳过了 " << report.problems.size() << " 行";
        out << "。\n";
        return report.problems.empty() ? 0 : 1;
    } catch (const StoreError& error) {
        err << "数据库 " << databasePath << " 出错：" << error.what() << "\n";
        return 1;
    }
}

}  // namespace quelmarn::service
