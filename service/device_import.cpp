#include "service/device_import.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <variant>

#include "platform/utf8.h"
#include "service/calendar_date.h"
#include "service/sqlite_handles.h"

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

// The serials met so far with their lines, in a private temporary database on disk, so that a
// file of millions of devices is checked for repeats in bounded memory.
class SerialsSeen {
  public:
    SerialsSeen()
        : connection_(openTable()),
          add_(prepare(connection_.get(), "INSERT OR IGNORE INTO seen VALUES (?1, ?2)")),
          lineOf_(prepare(connection_.get(), "SELECT line FROM seen WHERE serial = ?1")) {}

    // Notes `serial` as met on `line`; the line it was first met on when it was met before.
    std::optional<std::size_t> add(const std::string& serial, std::size_t line) {
        const StatementUse add(add_.get());
        bindText(add.get(), 1, serial);
        sqlite3_bind_int64(add.get(), 2, static_cast<sqlite3_int64>(line));
        check(connection_.get(), sqlite3_step(add.get()), "无法检查重复的序列号");
        if (sqlite3_changes(connection_.get()) > 0)
            return std::nullopt;
        const StatementUse lineOf(lineOf_.get());
        bindText(lineOf.get(), 1, serial);
        if (sqlite3_step(lineOf.get()) != SQLITE_ROW)
            check(connection_.get(), sqlite3_errcode(connection_.get()), "无法检查重复的序列号");
        return static_cast<std::size_t>(sqlite3_column_int64(lineOf.get(), 0));
    }

  private:
    static Connection openTable() {
        Connection connection = openConnection("");
        execute(connection.get(),
                "CREATE TABLE seen (serial TEXT PRIMARY KEY, line INTEGER) WITHOUT ROWID");
        return connection;
    }

    Connection connection_;
    Statement add_;
    Statement lineOf_;
};

}  // namespace

ImportReport importDevices(DeviceRegistry& store, std::istream& csv, FaultyLines faultyLines,
                           const std::function<void(const CsvProblem&)>& report) {
    ImportReport result;
    const auto fault = [&](CsvProblem problem) {
        ++result.problems;
        report(problem);
    };
    CsvReader reader(csv);
    auto header = reader.next();
    if (!header) {
        fault({1, "文件中没有标题行"});
        return result;
    }
    if (auto* problem = std::get_if<CsvProblem>(&*header)) {
        // Without the header no field can be placed, so nothing below it is read.
        fault(std::move(*problem));
        return result;
    }
    const CsvRecord& names = std::get<CsvRecord>(*header);
    const auto positions = readHeader(names.fields);
    if (const auto* problem = std::get_if<std::string>(&positions)) {
        fault({names.line, "标题行：" + *problem});
        return result;
    }
    SerialsSeen seen;
    std::size_t saved = 0;
    const auto saving = [&] {
        return !reader.failed() && (result.problems == 0 || faultyLines == FaultyLines::kSkip);
    };
    store.write([&](DeviceRegistry::Writer& writer) {
        while (auto item = reader.next()) {
            if (auto* problem = std::get_if<CsvProblem>(&*item)) {
                fault(std::move(*problem));
                continue;
            }
            const CsvRecord& record = std::get<CsvRecord>(*item);
            auto device = readDevice(record, std::get<ColumnPositions>(positions));
            if (auto* problem = std::get_if<std::string>(&device)) {
                fault({record.line, std::move(*problem)});
                continue;
            }
            const std::string& serial = std::get<Device>(device).serial;
            if (const auto first = seen.add(serial, record.line)) {
                fault({record.line,
                       "序列号 " + quoted(serial) + " 与第 " + std::to_string(*first) + " 行重复"});
                continue;
            }
            // Once a file is to be refused, its lines are only checked, to list every fault.
            if (saving()) {
                writer.save(std::get<Device>(device));
                ++saved;
            }
        }
        return saving();
    });
    result.readFailed = reader.failed();
    if (saving())
        result.imported = saved;  // one device per distinct serial: what was saved
    return result;
}

}  // namespace quelmarn::service
