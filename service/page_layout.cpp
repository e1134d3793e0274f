#include "service/page_layout.h"

#include "service/html_escape.h"

namespace quelmarn::service {

namespace {

constexpr std::string_view kHead = R"html(<!DOCTYPE html>
<html lang="zh-CN">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<style>
:root { color-scheme: light; }
* { box-sizing: border-box; }
body { margin: 0; padding: 32px 16px; background: #f2f4f7; color: #1f2933;
  font: 15px/1.7 "Noto Sans CJK SC", "WenQuanYi Micro Hei", sans-serif; }
main { max-width: 720px; margin: 0 auto; background: #fff; border-radius: 14px;
  padding: 28px 32px; box-shadow: 0 2px 12px rgba(15, 23, 42, .08); }
h1 { font-size: 22px; margin: 0 0 6px; }
h2 { font-size: 17px; margin: 28px 0 8px; padding-bottom: 4px; border-bottom: 1px solid #e4e7eb; }
p, li { margin: 6px 0; }
.lead { color: #52606d; margin-bottom: 20px; }
code, kbd { font-family: "Noto Sans Mono CJK SC", "DejaVu Sans Mono", monospace; font-size: 14px;
  background: #f0f2f5; border-radius: 4px; padding: 1px 6px; }
.serial { white-space: pre-wrap; word-break: break-all; }
pre { background: #1f2933; color: #e4e7eb; border-radius: 8px; padding: 10px 14px;
  overflow-x: auto; }
pre code { background: none; color: inherit; padding: 0; }
dl { display: grid; grid-template-columns: 8em 1fr; gap: 10px 16px; margin: 20px 0 0; }
dt { color: #616e7c; }
dd { margin: 0; word-break: break-word; }
.badge { display: inline-block; border-radius: 999px; padding: 0 12px; font-size: 14px; }
.covered { background: #e3f9e5; color: #0e5814; }
.expired { background: #ffe3e3; color: #8a041a; }
.muted { color: #5f6b7a; }
.notes { white-space: pre-line; }
a { color: #2563eb; text-decoration: none; }
a:hover { text-decoration: underline; }
.status { color: #5f6b7a; font-size: 14px; margin: 0; }
footer { max-width: 720px; margin: 14px auto 0; color: #5f6b7a; font-size: 13px;
  text-align: center; }
</style>
)html";

constexpr std::string_view kTail = R"html(
</main>
<footer>quelmarn 设备查询服务</footer>
</body>
</html>
)html";

}  // namespace

std::string renderPage(std::string_view title, std::string_view mainHtml) {
    std::string page;
    page.reserve(kHead.size() + title.size() + mainHtml.size() + kTail.size() + 64);
    page += kHead;
    page += "<title>";
    page += escapeHtml(title);
    page += "</title>\n</head>\n<body>\n<main>\n";
    page += mainHtml;
    page += kTail;
    return page;
}

}  // namespace quelmarn::service
