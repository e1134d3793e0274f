#include "service/options.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <vector>

#include "service/client_address.h"

namespace quelmarn::service {

namespace {

std::optional<int> parsePort(std::string_view text) {
    int port = -1;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, port);
    if (ec != std::errc{} || ptr != end || port < 0 || port > 65535)
        return std::nullopt;
    return port;
}

constexpr std::array<std::pair<std::string_view, Command>, 5> kCommands{{
    {"import", Command::kImport},
    {"backup", Command::kBackup},
    {"restore", Command::kRestore},
    {"export", Command::kExport},
    {"delete", Command::kDelete},
}};

class ArgumentReader {
  public:
    explicit ArgumentReader(std::span<const std::string_view> arguments) : arguments_(arguments) {}

    std::variant<Options, std::string> read() {
        Options options;
        std::vector<std::string_view> positionals;
        bool optionsEnded = false;
        while (next_ < arguments_.size()) {
            const std::string_view argument = arguments_[next_++];
            if (argument == "--" && !optionsEnded) {
                optionsEnded = true;
                continue;
            }
            if (optionsEnded) {
                positionals.push_back(argument);
                continue;
            }
            if (argument == "--help" || argument == "-h") {
                options.command = Command::kHelp;
                return options;
            }
            if (argument == "--skip-faulty-lines") {
                options.skipFaultyLines = true;
            } else if (!argument.starts_with("-") || argument == "-") {
                positionals.push_back(argument);
            } else if (auto problem = readOption(argument, options)) {
                return *problem;
            }
        }
        if (positionals.empty() && options.skipFaultyLines)
            return std::string("--skip-faulty-lines 只用于 import");
        if (options.tlsCertificate.has_value() != options.tlsKey.has_value())
            return std::string("--tls-certificate 和 --tls-key 须一起使用");
        if (positionals.empty())
            return options;
        const std::string_view command = positionals[0];
        const auto found = std::find_if(kCommands.begin(), kCommands.end(),
                                        [&](const auto& known) { return known.first == command; });
        if (found == kCommands.end())
            return "未知的子命令 “" + std::string(command) + "”";
        options.command = found->second;
        if (options.command == Command::kDelete && positionals.size() < 2)
            return std::string("delete 需要至少一个序列号");
        if (options.command != Command::kDelete && positionals.size() != 2)
            return std::string(command) + " 需要且只需要一个文件";
        if (options.skipFaultyLines && options.command != Command::kImport)
            return std::string("--skip-faulty-lines 只用于 import");
        if (hostOrPortGiven_)
            return std::string(command) + " 不接受 --host、--port 或 --server-name";
        if (serveOptionGiven_)
            return std::string(command) +
                   " 不接受 --trusted-proxy、--access-log、--log-file、--tls-certificate 或 "
                   "--tls-key";
        if (options.command == Command::kDelete)
            options.serials.assign(positionals.begin() + 1, positionals.end());
        else
            options.file = std::string(positionals[1]);
        return options;
    }

  private:
    // Applies one option, taking its value from "--name=value" or from the next argument.
    std::optional<std::string> readOption(std::string_view argument, Options& options) {
        const auto equals = argument.find('=');
        const std::string_view name = argument.substr(0, equals);
        const bool serveOption = name == "--trusted-proxy" || name == "--access-log" ||
                                 name == "--log-file" || name == "--tls-certificate" ||
                                 name == "--tls-key";
        if (name != "--host" && name != "--port" && name != "--server-name" &&
            name != "--database" && !serveOption) {
            return "未知的选项 “" + std::string(name) + "”";
        }
        const auto value =
            equals == std::string_view::npos ? takeValue() : argument.substr(equals + 1);
        if (!value)
            return "选项 " + std::string(name) + " 缺少取值";
        if (serveOption) {
            serveOptionGiven_ = true;
            return readServeOption(name, *value, options);
        }
        if (name == "--database") {
            options.database = std::string(*value);
            return std::nullopt;
        }
        hostOrPortGiven_ = true;
        if (name == "--server-name") {
            options.serverNames.emplace_back(*value);
            return std::nullopt;
        }
        if (name == "--host") {
            options.host = std::string(*value);
            return std::nullopt;
        }
        const auto port = parsePort(*value);
        if (!port)
            return "端口 “" + std::string(*value) + "” 无效，应为 0 到 65535 的整数";
        options.port = *port;
        return std::nullopt;
    }

    // The options that only serving takes, besides where it listens.
    static std::optional<std::string> readServeOption(std::string_view name, std::string_view value,
                                                      Options& options) {
        if (name == "--trusted-proxy") {
            if (!TrustedProxies::canonical(value))
                return "代理地址 “" + std::string(value) + "” 无效，应为 IPv4 或 IPv6 地址";
            options.trustedProxies.emplace_back(value);
        } else if (name == "--tls-certificate" || name == "--tls-key") {
            (name == "--tls-key" ? options.tlsKey : options.tlsCertificate) = std::string(value);
        } else if (name == "--access-log") {
            if (value != "on" && value != "off")
                return "--access-log 的取值应为 on 或 off";
            options.accessLog = value == "on";
        } else if (value.empty()) {
            return std::string("--log-file 需要一个文件名");
        } else {
            options.logFile = std::string(value);
        }
        return std::nullopt;
    }

    std::optional<std::string_view> takeValue() {
        if (next_ >= arguments_.size())
            return std::nullopt;
        return arguments_[next_++];
    }

    std::span<const std::string_view> arguments_;
    std::size_t next_ = 0;
    bool hostOrPortGiven_ = false;
    bool serveOptionGiven_ = false;
};

}  // namespace

std::variant<Options, std::string> parseOptions(std::span<const std::string_view> arguments) {
    return ArgumentReader(arguments).read();
}

std::string_view usageText() {
    return R"(用法：
  quelmarn-lookupd [--host 地址] [--port 端口] [--server-name 名称]... [--database 文件|URI]
                   [--trusted-proxy 地址]... [--access-log on|off] [--log-file 文件]
                   [--tls-certificate 证书.pem --tls-key 私钥.pem]
      启动序列号查询服务，直到收到 SIGINT 或 SIGTERM；收到 SIGHUP 时重新打开日志文件、
      重新读取证书和私钥。
  quelmarn-lookupd import 文件.csv|- [--database 文件] [--skip-faulty-lines]
      从 CSV 文件（- 表示从标准输入重定向的文件）导入设备，序列号相同的设备
      会被替换。文件中只要有一行有误（包括同一序列号出现两次），就不导入任何
      设备，并列出每一处错误；加上 --skip-faulty-lines 则只导入正确的行。
  quelmarn-lookupd backup 文件 [--database 文件]
      用 SQLite 的在线备份把数据库完整地复制到文件，服务运行时也可以用。
      （服务运行时直接复制数据库文件会漏掉预写日志中的内容。）
  quelmarn-lookupd restore 文件 [--database 文件]
      用备份中的设备替换数据库中的全部设备；正在运行的服务在下一次查询时
      即用恢复后的数据回答。
  quelmarn-lookupd export 文件.csv|- [--database 文件]
      把全部设备导出为 import 读取的 CSV 格式（- 表示写到标准输出）。
  quelmarn-lookupd delete 序列号... [--database 文件]
      删除这些序列号的设备；以 - 开头的序列号写在 -- 之后。
  quelmarn-lookupd --help
      显示本说明。

选项：
  --host 地址       监听的地址，默认 127.0.0.1（只接受本机连接）
  --port 端口       监听的端口，默认 47180；0 表示任选一个空闲端口
  --server-name 名称
                    客户端访问本服务时使用的主机名（可重复）；请求的 Host 须为监听地址
                    或这些名称之一
  --trusted-proxy 地址
                    前置代理或负载均衡器的 IP 地址（可重复）：来自它的连接不受单个地址的
                    连接数上限约束，日志记下它在 X-Forwarded-For 中给出的客户端地址
  --access-log on|off
                    是否为每个请求记一行日志，默认 on；错误总会记录
  --log-file 文件   把日志追加到这个文件而不是标准错误；收到 SIGHUP 时重新打开（便于轮转）
  --database 文件   设备数据库（只接受本服务的数据库，或一个空文件），默认 $XDG_DATA_HOME/quelmarn/devices.sqlite3，
                    未设置 XDG_DATA_HOME 时为 ~/.local/share/quelmarn/devices.sqlite3；
                    服务首次启动时自动创建，并写入几台示例设备；
                    import 和 restore 创建的新数据库中没有示例设备；
                    也可以是 PostgreSQL 的连接 URI（postgresql://用户@主机/数据库），多个服务
                    可共用一个数据库；密码不能写在 URI 中，请放在 PGPASSFILE 指向的密码文件里
  --tls-certificate 证书.pem
  --tls-key 私钥.pem
                    用 HTTPS（TLS 1.2 及以上）提供服务：证书链和私钥，PEM 格式
  健康检查：GET /healthz（数据库可用时 200，否则 503）；运行数据：GET /metrics
  （Prometheus 文本格式）

CSV 文件第一行为列名（顺序不限）：serial, model, model_identifier,
manufactured_on, warranty_ends_on（日期格式 YYYY-MM-DD），以及可选的 notes。
字段可以用双引号括起，其中的双引号写作 ""。

退出码：0 成功；1 数据库、端口或文件出错，导入的文件中有错误，或要删除的
序列号不存在；2 参数有误。
)";
}

}  // namespace quelmarn::service
