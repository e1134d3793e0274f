#include "service/help_page.h"

#include <string>

#include "service/page_layout.h"

namespace quelmarn::service {

namespace {

// Each paragraph stays on one line: browsers show a line break between Chinese characters as a
// blank.
constexpr std::string_view kContent = R"html(<p class="status">帮助</p>
<h1>查找序列号并使用 quelmarn</h1>
<p class="lead">序列号是电脑出厂时写入的唯一编号，通常由 10 到 12 位字母和数字组成，查询保修和登记信息都要用到它。</p>

<h2>在 Linux 中查看本机的序列号</h2>
<p>在终端中运行下面的命令，输入管理员密码后即可看到序列号：</p>
<pre><code>sudo cat /sys/class/dmi/id/product_serial</code></pre>
<p>这个文件只有管理员可以读取，所以需要 <code>sudo</code>。如果输出为空，可以依次尝试
<code>/sys/class/dmi/id/chassis_serial</code> 和 <code>/sys/class/dmi/id/board_serial</code>，或者运行 <code>sudo dmidecode -s system-serial-number</code>。</p>
<p>如果显示的是 “To Be Filled By O.E.M.”、“Default string”、“0123456789” 之类的文字，说明厂商没有在固件中写入序列号；虚拟机里通常也没有真实的序列号。这时请用下面的其他方法。</p>

<h2>其他查看方法</h2>
<ul>
<li><strong>机身标签</strong>：笔记本电脑一般在底部、电池仓内或屏幕转轴附近；台式机和一体机一般在机箱背面或侧面、底座下方。标签上 “S/N” 或 “序列号” 后面的就是序列号。</li>
<li><strong>固件设置</strong>：开机时按 <kbd>F2</kbd>、<kbd>Del</kbd> 或 <kbd>F10</kbd>（因机型而异）进入固件设置界面，在 “信息” 或 “主页” 页面可以看到序列号。</li>
<li><strong>包装盒和购机凭证</strong>：包装盒上的条形码标签和发票上通常也印有序列号。</li>
</ul>

<h2>使用 quelmarn</h2>
<ul>
<li><strong>设备信息面板</strong>：启动 quelmarn 时显示，列出处理器、内存、操作系统、型号标识、屏幕分辨率、处理器温度和风扇转速。点击工具栏上的设备信息按钮可以随时重新读取。</li>
<li><strong>查询任意序列号</strong>：在工具栏中的搜索框中输入序列号，然后按 <kbd>Enter</kbd>（回车键），quelmarn 会向查询服务发送该序列号并在窗口中显示结果，包括型号、生产日期、保修截止日期和是否仍在保修期内。序列号会原样发送，请注意不要多输入空格；搜索框为空时不会查询。</li>
<li><strong>查询本机</strong>：使用工具栏上的查询本机序列号命令，quelmarn 会读取这台电脑自己的序列号并查询。如果无法读取（例如没有管理员权限或固件中没有序列号），会以 “unknown” 查询，这时请按上面的方法找到序列号后在搜索框中输入。</li>
<li><strong>关于面板</strong>：点击工具栏上的关于按钮，可以看到 quelmarn 的版本号和联系方式。</li>
<li><strong>帮助</strong>：帮助命令会在默认浏览器中打开本页面。</li>
</ul>
<p>如果查询时提示连接服务器出错，请确认查询服务正在运行，然后稍后重试。</p>)html";

}  // namespace

std::string_view helpPage() {
    static const std::string page = renderPage("帮助 - 查找序列号并使用 quelmarn", kContent);
    return page;
}

}  // namespace quelmarn::service
