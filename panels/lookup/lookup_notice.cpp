#include "panels/lookup/lookup_notice.h"

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
