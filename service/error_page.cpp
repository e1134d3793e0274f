#include "service/error_page.h"

#include <array>

#include "service/html_escape.h"
#include "service/page_layout.h"

namespace quelmarn::service {

namespace {

struct StatusText {
    int status;
    std::string_view heading;
    std::string_view explanation;
};

constexpr std::array kStatusTexts{
    StatusText{400, "请求无效", "服务无法理解这个请求。"},
    StatusText{404, "找不到该页面", "您访问的地址在本服务中不存在。"},
    StatusText{405, "不支持该请求方法", "这个地址不接受此种请求方法。"},
    StatusText{408, "请求超时", "请求没有在限定的时间内完整送达。"},
    StatusText{413, "请求内容过长", "请求内容超过了 4 KiB 的上限。"},
    StatusText{414, "地址过长", "请求的地址太长，服务无法处理。"},
    StatusText{421, "主机名不符", "请求的主机名不是本服务监听的地址。"},
    StatusText{431, "请求头过大", "请求头的数量或长度超过了上限。"},
    StatusText{500, "服务内部错误", "处理请求时出现问题，请稍后重试。"},
    StatusText{503, "服务繁忙", "当前连接过多，请稍后重试。"},
};

constexpr StatusText kOtherStatus{0, "请求无法处理", "服务无法处理这个请求。"};

const StatusText& textFor(int status) {
    for (const auto& text : kStatusTexts) {
        if (text.status == status)
            return text;
    }
    return kOtherStatus;
}

}  // namespace

std::string renderErrorPage(int status, std::string_view explanation) {
    const StatusText& text = textFor(status);
    std::string html = "<p class=\"status\">错误 " + std::to_string(status) + "</p>\n<h1>";
    html += text.heading;
    html += "</h1>\n<p>";
    html += escapeHtml(explanation.empty() ? text.explanation : explanation);
    html += "</p>";
    return renderPage(text.heading, html);
}

}  // namespace quelmarn::service
