#include "service/device_pages.h"

#include "service/calendar_date.h"
#include "service/html_escape.h"
#include "service/page_layout.h"

namespace quelmarn::service {

namespace {

// Serials keep their blanks on show: a serial typed with a stray blank is another serial.
std::string serialHtml(std::string_view serial) {
    return "<code class=\"serial\">" + escapeHtml(serial) + "</code>";
}

std::string row(std::string_view label, std::string_view valueHtml) {
    std::string html = "<dt>";
    html += label;
    html += "</dt><dd>";
    html += valueHtml;
    html += "</dd>\n";
    return html;
}

std::string warrantyBadge(bool covered) {
    return covered ? "<span class=\"badge covered\">保修中</span>"
                   : "<span class=\"badge expired\">已过保</span>";
}

}  // namespace

bool isUnderWarranty(const Device& device, std::chrono::year_month_day today) {
    return std::chrono::sys_days(today) <= std::chrono::sys_days(device.warrantyEndsOn);
}

std::string renderDevicePage(const Device& device, std::chrono::year_month_day today) {
    std::string html = "<p class=\"status\">查询结果</p>\n<h1>";
    html += escapeHtml(device.model);
    html += "</h1>\n<p class=\"lead\">序列号 ";
    html += serialHtml(device.serial);
    html += "</p>\n<dl>\n";
    html += row("型号", escapeHtml(device.model));
    html += row("型号标识", "<code>" + escapeHtml(device.modelIdentifier) + "</code>");
    html += row("生产日期", formatChineseDate(device.manufacturedOn));
    html += row("保修截止日期", formatChineseDate(device.warrantyEndsOn));
    html += row("保修状态", warrantyBadge(isUnderWarranty(device, today)));
    html += row("备注", device.notes.empty() ? "<span class=\"muted\">无</span>"
                                             : escapeHtml(device.notes));
    html += "</dl>";
    return renderPage("设备信息 - " + device.model, html);
}

std::string renderNotRegisteredPage(std::string_view serial) {
    std::string html = "<p class=\"status\">查询结果</p>\n<h1>未找到该序列号</h1>\n<p>序列号 ";
    html += serialHtml(serial);
    html +=
        " 没有登记在本服务中。</p>\n"
        "<p>请核对序列号是否输入正确：查询时区分大小写，空格也会原样发送。"
        "若序列号无误，请联系管理员登记这台设备。</p>";
    return renderPage("未找到该序列号", html);
}

}  // namespace quelmarn::service
