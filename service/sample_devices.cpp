#include "service/sample_devices.h"

#include <array>

namespace quelmarn::service {

namespace {

std::chrono::year_month_day on(int year, unsigned month, unsigned day) {
    return {std::chrono::year(year), std::chrono::month(month), std::chrono::day(day)};
}

}  // namespace

std::span<const Device> sampleDevices() {
    static const std::array devices{
        Device{"QX2K93HT7LMP", "笔记本电脑 15 英寸", "Notebook15,1", on(2023, 3, 14),
               on(2027, 3, 13), "2024 年更换过屏幕，电池健康度 91%。"},
        Device{"W8N4R0DFJ2QC", "笔记本电脑 13 英寸", "Notebook13,2", on(2019, 9, 2), on(2022, 9, 1),
               "键盘有一个键帽磨损，可付费维修。"},
        Device{"D5TP1YVK8M3Z", "一体机 24 英寸", "AllInOne24,1", on(2024, 5, 20), on(2029, 5, 19),
               "已购买延长保修服务。"},
        Device{"H7CM2XQ9B4RE", "迷你主机", "Mini9,1", on(2021, 11, 8), on(2024, 11, 7),
               "放在三楼会议室，用于投屏。"},
        Device{"L3FZ8W6N0TJA", "台式工作站", "Workstation7,1", on(2025, 8, 30), on(2028, 8, 29),
               "研发部的编译服务器，配备 64 GB 内存。"},
        Device{"R9GE5UK1S7VH", "笔记本电脑 14 英寸", "Notebook14,3", on(2026, 1, 10),
               on(2027, 1, 9), ""},
    };
    return devices;
}

}  // namespace quelmarn::service
