// quelmarn-lookupd: the serial-number lookup and help service that the quelmarn application
// talks to, over plain HTTP on loopback (127.0.0.1:47180 by default).
//
// What the application sends, and what it gets:
//   POST /inapp.php with the body "sn=" followed by the serial's UTF-8 bytes, not form-encoded
//   (the application posts the typed text as it is). The serial is everything after "sn=",
//   blanks, "&", "=" and "%" included, and is matched byte for byte; the Content-Type is not
//   looked at. The answer is a Simplified-Chinese HTML page:
//     200  the registered device: model, model identifier, manufacture date, warranty end date,
//          保修中 / 已过保 as of today's local date, notes;
//     404  the serial is not registered: a page that shows the serial. The status tells misses
//          apart in logs and load tests; the application renders the page whatever the status;
//     400  no "sn=" prefix, an empty serial, or a serial that is not UTF-8;
//     413  a body over 4 KiB.
//   GET /kb/HT1349 (the application adds ?viewlocale=zh_CN; any query is accepted): the help
//   page on finding a machine's serial number on Linux and on using quelmarn.
//   Any other path answers 404, another method on these two paths 405 with Allow. Every answer
//   is a self-contained HTML page (inline style, nothing fetched) and every value on it is
//   escaped.
//
// Inside: four event loops (libmicrohttpd on epoll) for every connection, so a client that
// trickles its bytes holds a socket and not a thread; limits on the body (4 KiB in any framing),
// the header, the time to send a request and the number of connections, each answered at once
// (413, 431, 408, 503); the Host checked against the addresses listened on; one SQLite connection
// in WAL mode behind a mutex with a prepared lookup statement, used by the event loops only
// where SQLite need not wait for another process's lock, and otherwise by two threads of their
// own while the lookup's connection is suspended, so that a database another process holds
// locked stalls no event loop (a lookup answers 503 after a second); one line per request (time,
// client, method, path, status, duration) unless --access-log=off, and every problem, on
// standard error or a --log-file, written by a thread of its own so that a log nobody reads
// holds up no request.
// The service creates its database with a few sample devices when it first starts; `import`
// adds devices from a CSV file, `delete` removes them, `export` writes them all as CSV, and
// `backup` and `restore` copy the database consistently, all while the service may be running.
// SIGINT and SIGTERM stop accepting, answer what was received and exit within five seconds;
// SIGHUP reopens the log file.

#include <cstdlib>
#include <iostream>
#include <string_view>
#include <vector>

#include "service/data_directory.h"
#include "service/import_command.h"
#include "service/options.h"
#include "service/serve_command.h"
#include "service/store_commands.h"

int main(int argc, char** argv) {
    using namespace quelmarn::service;
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    const auto parsed = parseOptions(arguments);
    if (const auto* problem = std::get_if<std::string>(&parsed)) {
        std::cerr << "quelmarn-lookupd: " << *problem << "\n用 --help 查看用法。\n";
        return 2;
    }
    const Options& options = std::get<Options>(parsed);
    if (options.command == Command::kHelp) {
        std::cout << usageText();
        return 0;
    }
    const auto database =
        options.database ? options.database
                         : defaultDatabasePath(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    if (!database) {
        std::cerr
            << "quelmarn-lookupd: 无法确定数据目录：请设置 HOME，或用 --database 指定数据库\n";
        return 1;
    }
    switch (options.command) {
        case Command::kImport:
            return runImport(
                options.file, *database,
                options.skipFaultyLines ? FaultyLines::kSkip : FaultyLines::kRefuseFile, std::cout,
                std::cerr);
        case Command::kBackup:
            return runBackup(options.file, *database, std::cout, std::cerr);
        case Command::kRestore:
            return runRestore(options.file, *database, std::cout, std::cerr);
        case Command::kExport:
            return runExport(options.file, *database, std::cout, std::cerr);
        case Command::kDelete:
            return runDelete(options.serials, *database, std::cout, std::cerr);
        case Command::kServe:
        case Command::kHelp:
            break;
    }
    return runServer(options, *database);
}
