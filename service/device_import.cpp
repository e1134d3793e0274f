#include "service/device_import.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <string>
#include <variant>

#include "platform/utf8.h"
#include "service/calendar_date.h"

namespace quelmarn::service {

namespace {

enum Column { kSerial, kModel, kModelIdentifier, kManufacturedOn, kWarrantyEndsOn, kNotes };

constexpr std::array<std::string_view, 6> kColumnNames{
    "serial", "model", "model_identifier", "manufactured_on", "warranty_ends_on", "notes"};

// Where each column stands in a record; notes may be missing.
using ColumnPositions = std::array<std::optional<std::size_t>, kColumnNames.size()>;

std::string quoted(std::string_view text) {
    return "“" + std::string(text) + "”";
}

std::variant<ColumnPositions, std::string> readHeader(const std::vector<std::string>& names) {
    ColumnPositions positions;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto known = std::find(kColumnNames.begin(), kColumnNames.end(), names[i]);
        if (known == kColumnNames.end())
            return "未知的列名 " + quoted(names[i]);
        auto& position = positions[static_cast<std::size_t>(known - kColumnNames.begin())];
        if (position)
            return "列名 " + quoted(names[i]) + " 重复";
        position = i;
    }
    for (std::size_t column = kSerial; column < kNotes; ++column) {
        if (!positions[column])
            return "缺少列 " + quoted(kColumnNames[column]);
    }
    return positions;
}

std::variant<std::chrono::year_month_day, std::string> readDate(std::string_view text,
                                                                std::string_view column) {
    if (const auto date = parseIsoDate(text))
        return *date;
    return std::string(column) + " 的值 " + quoted(text) + " 不是 YYYY-MM-DD 格式的有效日期";
}

std::variant<Device, std::string> readDevice(const CsvRecord& record,
                                             const ColumnPositions& positions) {
    const std::size_t expected = static_cast<std::size_t>(std::count_if(
        positions.begin(), positions.end(), [](const auto& p) { return p.has_value(); }));
    if (record.fields.size() != expected) {
        return "应有 " + std::to_string(expected) + " 个字段，实际有 " +
               std::to_string(record.fields.size()) + " 个";
    }
    for (const auto& field : record.fields) {
        if (!platform::decodeUtf8(field))
            return std::string("含有无效的 UTF-8 字节");
    }
    const auto field = [&](Column column) -> std::string {
        return positions[column] ? record.fields[*positions[column]] : std::string();
    };
    if (field(kSerial).empty())
        return std::string("序列号为空");
    const auto manufactured = readDate(field(kManufacturedOn), kColumnNames[kManufacturedOn]);
    if (const auto* problem = std::get_if<std::string>(&manufactured))
        return *problem;
    const auto warrantyEnds = readDate(field(kWarrantyEndsOn), kColumnNames[kWarrantyEndsOn]);
    if (const auto* problem = std::get_if<std::string>(&warrantyEnds))
        return *problem;
    return Device{field(kSerial),
                  field(kModel),
                  field(kModelIdentifier),
                  std::get<std::chrono::year_month_day>(manufactured),
                  std::get<std::chrono::year_month_day>(warrantyEnds),
                  field(kNotes)};
}

}  // namespace

ImportReport importDevices(DeviceStore& store, std::string_view text, FaultyLines faultyLines) {
    CsvDocument document = parseCsv(text);
    ImportReport report{0, std::move(document.problems)};
    const bool headerUnreadable = !report.problems.empty() && !document.records.empty() &&
                                  report.problems.front().line < document.records.front().line;
    if (document.records.empty() || headerUnreadable) {
        // Without the header no field can be placed, so nothing below it is read.
        if (report.problems.empty())
            report.problems.push_back({1, "文件中没有标题行"});
        return report;
    }
    const CsvRecord& header = document.records.front();
    const auto positions = readHeader(header.fields);
    if (const auto* problem = std::get_if<std::string>(&positions)) {
        report.problems.push_back({header.line, "标题行：" + *problem});
        return report;
    }
    std::vector<Device> devices;
    std::map<std::string, std::size_t> lineOfSerial;
    for (auto record = document.records.begin() + 1; record != document.records.end(); ++record) {
        auto device = readDevice(*record, std::get<ColumnPositions>(positions));
        if (auto* problem = std::get_if<std::string>(&device)) {
            report.problems.push_back({record->line, std::move(*problem)});
            continue;
        }
        const std::string& serial = std::get<Device>(device).serial;
        const auto [first, isNew] = lineOfSerial.emplace(serial, record->line);
        if (!isNew) {
            report.problems.push_back({record->line, "序列号 " + quoted(serial) + " 与第 " +
                                                         std::to_string(first->second) +
                                                         " 行重复"});
            continue;
        }
        devices.push_back(std::move(std::get<Device>(device)));
    }
    std::sort(report.problems.begin(), report.problems.end(),
              [](const CsvProblem& a, const CsvProblem& b) { return a.line < b.line; });
    if (!report.problems.empty() && faultyLines == FaultyLines::kRefuseFile)
        return report;
    store.saveAll(devices);
    // One device per distinct serial: what was saved.
    report.imported = devices.size();
    return report;
}

}  // namespace quelmarn::service
