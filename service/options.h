#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace quelmarn::service {

enum class Command {
    kServe,    // answer lookups over HTTP
    kImport,   // register the devices of a CSV file, then exit
    kBackup,   // copy the database to a file, then exit
    kRestore,  // replace the devices by those of a backup, then exit
    kExport,   // write every device to a CSV file, then exit
    kDelete,   // unregister devices, then exit
    kHelp,     // print the usage, then exit
};

// The application's lookup address is 127.0.0.1:47180.
constexpr int kDefaultPort = 47180;

struct Options {
    Command command = Command::kServe;
    std::string host = "127.0.0.1";        // loopback unless asked otherwise
    int port = kDefaultPort;               // 0 asks for any free port
    std::optional<std::string> database;   // absent: the file in the user's data directory
    std::string file;                      // kImport, kBackup, kRestore and kExport
    std::vector<std::string> serials;      // kDelete only
    std::vector<std::string> serverNames;  // further names clients reach the service by
    bool skipFaultyLines = false;          // kImport only: save the good lines of a faulty file
    // kServe only: proxies and load balancers in front of the service (numeric addresses).
    std::vector<std::string> trustedProxies;
    // kServe only: a line per request, or problems only.
    bool accessLog = true;
    // kServe only: where the log goes, reopened on SIGHUP; absent: standard error.
    std::optional<std::string> logFile;
    // kServe only: serve HTTPS with this certificate chain and private key (PEM files).
    std::optional<std::string> tlsCertificate;
    std::optional<std::string> tlsKey;
};

// Reads the arguments that follow the program name:
//   [--host ADDR] [--port N] [--server-name NAME]... [--database PATH|URI]
//     [--trusted-proxy ADDR]... [--access-log on|off] [--log-file PATH]
//     [--tls-certificate FILE --tls-key FILE]
//   import FILE.csv|- [--database PATH] [--skip-faulty-lines]
//   backup FILE | restore FILE | export FILE.csv|- [--database PATH]
//   delete SERIAL... [--database PATH]
//   --help
// Options may also be written --name=value; after "--" every argument is a file or a serial,
// whatever it begins with. Returns the options, or a message (Chinese, one
// line) naming what is wrong.
std::variant<Options, std::string> parseOptions(std::span<const std::string_view> arguments);

// The text that --help prints.
std::string_view usageText();

}  // namespace quelmarn::service
