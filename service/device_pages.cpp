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
    html += row("备注", device.notes.empty()
                            ? "<span class=\"muted\">无</span>"
                            : "<span class=\"notes\">" + escapeHtml(device.notes) + "</span>");
    html += "</dl>";
    return renderPage("设备信息 - " + device.model, html);
}

std::string renderNotRegisteredPage(std::string_view serial) {
    std::string html = "<p class=\"status\">查询结果</p>\n<h1>未找到该序列号</h1>\n<p>序列号 ";
    html += serialHtml(serial);
    html += " 没有登记在本服务中。</p>\n";
    // What the application posts when it cannot read the machine's own serial number.
    if (serial == "unknown") {
        html +=
            "<p>quelmarn 没能读取这台电脑的序列号：读取它需要管理员权限，"
            "有些电脑的固件中也没有写入序列号。</p>\n";
    }
    html +=
        "<p>请核对序列号是否输入正确：查询时区分大小写，空格也会原样发送。"
        "若序列号无误，请联系管理员登记这台设备。</p>\n"
        "<p><a href=\"/kb/HT1349?viewlocale=zh_CN\">如何找到电脑的序列号？</a></p>";
    return renderPage("未找到该序列号", html);
}

}  // namespace quelmarn::service
