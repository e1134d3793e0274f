#include "panels/lookup/lookup_notice.h"

#include <string_view>

#include "platform/format.h"

namespace {

// What the user can do in every case: type the serial number, which is printed on the machine.
constexpr const char* kTypeItIn = "请在工具栏的搜索框中输入序列号，然后按回车键查询。";
constexpr const char* kWhereItIsPrinted =
    "序列号印在机身底部或背面的标签上，也可以在包装盒或购买凭证上找到。";

const char* whatHappened(LookupNotice notice) {
    switch (notice) {
        case LookupNotice::NothingTyped:
            return "搜索框是空的，没有可查询的序列号。";
        case LookupNotice::NoSerialRead:
            return "未能读取本机的序列号：本机的固件没有提供机器信息。";
        case LookupNotice::SerialNotPermitted:
            return "未能读取本机的序列号：没有读取权限（需要管理员授权，授权被拒绝或未完成）。";
        case LookupNotice::SerialNotRecorded:
            return "未能读取本机的序列号：固件中没有序列号记录。";
    }
    return "";
}

}  // namespace

std::vector<std::string> lookupNoticeLines(LookupNotice notice) {
    return {whatHappened(notice), kTypeItIn, kWhereItIsPrinted};
}

std::vector<std::string> waitingForAuthorizationLines() {
    return {"正在读取本机序列号，等待系统授权……", "如果弹出了授权窗口，请输入管理员密码。"};
}

bool isThisMachine(const std::string& serviceHost) {
    std::string_view host = serviceHost;
    if (host.starts_with('[')) {
        host = host.substr(1, host.find(']') - 1);
    } else if (host.find(':') == host.rfind(':')) {  // one colon or none: a port may follow
        host = host.substr(0, host.find(':'));
    }
    return host == "localhost" || host == "::1" || host.starts_with("127.");
}

std::vector<std::string> serviceUnreachableLines(const std::string& serviceAddress) {
    using platform::arg;
    std::vector<std::string> lines = {
        platform::stringWithFormat("无法连接查询服务器 %@/", {arg(serviceAddress)})};
    const auto scheme = serviceAddress.find("://");
    if (isThisMachine(scheme == std::string::npos ? serviceAddress
                                                  : serviceAddress.substr(scheme + 3))) {
        lines.emplace_back("查询服务 quelmarn-lookupd 应在本机运行，但没有应答。");
        lines.emplace_back(
            "请在终端中运行 sudo systemctl start quelmarn-lookupd 启动它，然后重新查询。");
    } else {
        lines.emplace_back(
            "请检查本机的网络连接；网络正常时，请联系管理员确认查询服务器正在运行。");
        lines.emplace_back("然后重新查询。");
    }
    return lines;
}

std::vector<std::string> untrustedCertificateLines(const std::string& serviceAddress) {
    using platform::arg;
    return {platform::stringWithFormat("查询服务器 %@/ 的证书不受本机信任，序列号没有发送。",
                                       {arg(serviceAddress)}),
            "请联系网络管理员，在本机安装为该服务器签发证书的机构的根证书，然后重新查询。"};
}
