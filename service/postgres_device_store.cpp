#include "service/postgres_device_store.h"

#include <libpq-fe.h>

#include <algorithm>
#include <array>
#include <exception>
#include <memory>

#include "service/calendar_date.h"

namespace quelmarn::service {

namespace {

constexpr int kSchemaVersion = 1;

// The key of the advisory lock under which a starting service looks at the schema and creates
// it: the application id of the SQLite files ("QLMN").
constexpr const char* kSchemaLock = "SELECT pg_advisory_xact_lock(1363954254)";

// What a database holds once this service has set it up; anything else in it is not ours.
constexpr std::array<std::string_view, 2> kOurTables{"devices", "quelmarn_schema"};

constexpr const char* kCreateSchema = R"sql(
CREATE TABLE quelmarn_schema (version integer NOT NULL);
INSERT INTO quelmarn_schema (version) VALUES (1);
CREATE TABLE devices (
    serial           text PRIMARY KEY CHECK (serial <> ''),
    model            text NOT NULL,
    model_identifier text NOT NULL,
    manufactured_on  date NOT NULL,
    warranty_ends_on date NOT NULL,
    notes            text NOT NULL DEFAULT ''
);
)sql";

// Dates leave the server as YYYY-MM-DD whatever its DateStyle; serials are ordered by their
// bytes, as in an SQLite file, whatever the database's collation.
constexpr const char* kColumns =
    "SELECT serial, model, model_identifier, to_char(manufactured_on, 'YYYY-MM-DD'), "
    "to_char(warranty_ends_on, 'YYYY-MM-DD'), notes FROM devices ";

// Prepared on every connection of the pool.
struct Prepared {
    const char* name;
    std::string query;
    int parameters;
};
const std::array<Prepared, 3> kPrepared{{
    {"find", std::string(kColumns) + "WHERE serial = $1", 1},
    {"save",
     "INSERT INTO devices (serial, model, model_identifier, manufactured_on, warranty_ends_on, "
     "notes) VALUES ($1, $2, $3, $4, $5, $6) ON CONFLICT (serial) DO UPDATE SET "
     "model = excluded.model, model_identifier = excluded.model_identifier, "
     "manufactured_on = excluded.manufactured_on, warranty_ends_on = excluded.warranty_ends_on, "
     "notes = excluded.notes",
     6},
    {"remove", "DELETE FROM devices WHERE serial = $1", 1},
}};

// How long a connection attempt may take before the server counts as unreachable, and how long
// after a failed one the next is made: requests in between are answered at once.
constexpr const char* kConnectTimeoutSeconds = "3";
constexpr auto kRetryInterval = std::chrono::seconds(1);
constexpr auto kPoolWait = std::chrono::seconds(10);

struct ResultClearer {
    void operator()(PGresult* result) const { PQclear(result); }
};
using Result = std::unique_ptr<PGresult, ResultClearer>;

struct ConnectionFinisher {
    void operator()(PGconn* connection) const { PQfinish(connection); }
};
using OwnedConnection = std::unique_ptr<PGconn, ConnectionFinisher>;

// libpq's message for the last failure on `connection`, on one line.
std::string reasonOf(PGconn* connection) {
    std::string reason = PQerrorMessage(connection);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == ' '))
        reason.pop_back();
    std::replace(reason.begin(), reason.end(), '\n', ' ');
    return reason;
}

// Throws for a failed `result`: StoreUnavailable when the connection itself broke (the server
// went away), StoreError otherwise.
void checkResult(PGconn* connection, const Result& result, ExecStatusType expected,
                 const std::string& doing) {
    if (result && PQresultStatus(result.get()) == expected)
        return;
    if (PQstatus(connection) == CONNECTION_BAD)
        throw StoreUnavailable(doing + "：与数据库服务器的连接断开了（" + reasonOf(connection) +
                               "）");
    const char* message = result ? PQresultErrorMessage(result.get()) : "";
    std::string reason = *message != '\0' ? message : reasonOf(connection);
    while (!reason.empty() && reason.back() == '\n')
        reason.pop_back();
    throw StoreError(doing + "：" + reason);
}

Result execute(PGconn* connection, const char* command, const std::string& doing,
               ExecStatusType expected = PGRES_COMMAND_OK) {
    Result result(PQexec(connection, command));
    checkResult(connection, result, expected, doing);
    return result;
}

// A text parameter; PostgreSQL's text holds no zero byte, which would end it early.
const char* textParameter(std::string_view value, const std::string& what) {
    if (value.find('\0') != std::string_view::npos)
        throw StoreError(what + " 含有零字节，无法保存到 PostgreSQL");
    return value.data();
}

Result executePrepared(PGconn* connection, const char* name, std::span<const std::string> values,
                       ExecStatusType expected, const std::string& doing) {
    std::array<const char*, 6> texts{};
    for (std::size_t i = 0; i < values.size(); ++i)
        texts[i] = textParameter(values[i], "“" + values[0] + "” 的字段");
    Result result(PQexecPrepared(connection, name, static_cast<int>(values.size()), texts.data(),
                                 nullptr, nullptr, 0));
    checkResult(connection, result, expected, doing);
    return result;
}

std::string textAt(const PGresult* result, int row, int column) {
    return std::string(PQgetvalue(result, row, column),
                       static_cast<std::size_t>(PQgetlength(result, row, column)));
}

std::chrono::year_month_day dateAt(const PGresult* result, int row, int column) {
    const auto date = parseIsoDate(textAt(result, row, column));
    if (!date)
        throw StoreError("数据库中的日期无效");
    return *date;
}

Device deviceAt(const PGresult* result, int row) {
    return Device{textAt(result, row, 0), textAt(result, row, 1), textAt(result, row, 2),
                  dateAt(result, row, 3), dateAt(result, row, 4), textAt(result, row, 5)};
}

// A new connection with the statements prepared; throws StoreUnavailable when the server cannot
// be reached, StoreError when it refuses.
OwnedConnection connect(const std::string& uri) {
    // Earlier keywords are defaults that the URI may override. A server that vanishes from the
    // network without closing its connections (a partition, a powered-off machine) is noticed
    // within seconds rather than at TCP's own time-out, some fifteen minutes: keepalive probes
    // while idle, and tcp_user_timeout for data that is never acknowledged.
    const std::array<const char*, 8> keywords{
        "connect_timeout",  "application_name", "keepalives_idle", "keepalives_interval",
        "keepalives_count", "tcp_user_timeout", "dbname",          nullptr};
    const std::array<const char*, 8> values{
        kConnectTimeoutSeconds, "quelmarn-lookupd", "10", "5", "3", "10000", uri.c_str(), nullptr};
    OwnedConnection connection(PQconnectdbParams(keywords.data(), values.data(), 1));
    if (!connection)
        throw StoreUnavailable("无法连接数据库服务器：内存不足");
    if (PQstatus(connection.get()) != CONNECTION_OK)
        throw StoreUnavailable("无法连接数据库服务器：" + reasonOf(connection.get()));
    if (PQsetClientEncoding(connection.get(), "UTF8") != 0)
        throw StoreError("数据库服务器不接受 UTF-8 编码：" + reasonOf(connection.get()));
    return connection;
}

void prepareStatements(PGconn* connection) {
    for (const Prepared& statement : kPrepared) {
        Result result(PQprepare(connection, statement.name, statement.query.c_str(),
                                statement.parameters, nullptr));
        checkResult(connection, result, PGRES_COMMAND_OK, "无法准备查询");
    }
}

// Refuses a URI that carries a password: a command line is readable by every user.
void refusePasswordInUri(const std::string& uri) {
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(uri.c_str(), &error);
    if (options == nullptr) {
        const std::string reason = error ? error : "无法解析";
        PQfreemem(error);
        throw StoreError("数据库地址无效：" + reason);
    }
    bool password = false;
    for (const PQconninfoOption* option = options; option->keyword != nullptr; ++option)
        password = password || (std::string_view(option->keyword) == "password" &&
                                option->val != nullptr && *option->val != '\0');
    PQconninfoFree(options);
    if (password)
        throw StoreError(
            "数据库地址中不能含有密码（命令行对所有用户可见）：请把密码放进密码文件"
            "（PGPASSFILE）或环境变量 PGPASSWORD");
}

}  // namespace

// A pooled connection lent to one call, given back when the call ends.
class PostgresDeviceStore::Lease {
  public:
    Lease(PostgresDeviceStore& store, PGconn* connection)
        : store_(store), connection_(connection) {}
    Lease(Lease&& other) noexcept : store_(other.store_), connection_(other.connection_) {
        other.connection_ = nullptr;
    }
    Lease& operator=(Lease&&) = delete;
    ~Lease() {
        if (connection_ != nullptr)
            store_.giveBack(connection_);
    }
    PGconn* get() const { return connection_; }

  private:
    PostgresDeviceStore& store_;
    PGconn* connection_;
};

class PostgresDeviceStore::TransactionWriter final : public DeviceWriter {
  public:
    explicit TransactionWriter(PGconn* connection) : connection_(connection) {}

    void save(const Device& device) override {
        const std::array<std::string, 6> values{device.serial,
                                                device.model,
                                                device.modelIdentifier,
                                                formatIsoDate(device.manufacturedOn),
                                                formatIsoDate(device.warrantyEndsOn),
                                                device.notes};
        executePrepared(connection_, "save", values, PGRES_COMMAND_OK,
                        "无法保存设备 " + device.serial);
    }

    bool remove(std::string_view serial) override {
        const std::array<std::string, 1> values{std::string(serial)};
        const Result result =
            executePrepared(connection_, "remove", values, PGRES_COMMAND_OK, "无法删除设备");
        return std::string_view(PQcmdTuples(result.get())) != "0";
    }

  private:
    PGconn* connection_;
};

PostgresDeviceStore::PostgresDeviceStore(const std::string& uri, WhenMissing whenMissing)
    : uri_(uri) {
    refusePasswordInUri(uri);
    OwnedConnection first = connect(uri_);
    setUpSchema(first.get(), whenMissing);
    prepareStatements(first.get());
    idle_.push_back(first.release());
    open_ = 1;
}

PostgresDeviceStore::~PostgresDeviceStore() {
    for (PGconn* connection : idle_)
        PQfinish(connection);
}

void PostgresDeviceStore::setUpSchema(PGconn* connection, WhenMissing whenMissing) {
    const std::string doing = "无法检查数据库结构";
    execute(connection, "BEGIN", doing);
    try {
        execute(connection, kSchemaLock, doing, PGRES_TUPLES_OK);
        const Result tables = execute(connection,
                                      "SELECT table_name FROM information_schema.tables WHERE "
                                      "table_schema = current_schema() ORDER BY table_name",
                                      doing, PGRES_TUPLES_OK);
        std::vector<std::string> names;
        for (int row = 0; row < PQntuples(tables.get()); ++row)
            names.push_back(textAt(tables.get(), row, 0));
        if (names.empty() && whenMissing == WhenMissing::kRefuse)
            throw StoreError("数据库中还没有本服务的设备表");
        if (names.empty()) {
            execute(connection, kCreateSchema, "无法创建数据库结构");
        } else if (!std::ranges::equal(names, kOurTables)) {
            std::string listed;
            for (const auto& name : names)
                listed += (listed.empty() ? "" : "、") + name;
            throw StoreError("数据库中有不属于本服务的内容（" + listed + "），没有做任何改动");
        } else {
            const Result version = execute(connection, "SELECT max(version) FROM quelmarn_schema",
                                           doing, PGRES_TUPLES_OK);
            if (std::atoi(PQgetvalue(version.get(), 0, 0)) != kSchemaVersion)
                throw StoreError("数据库由较新版本的服务创建，无法使用");
        }
        execute(connection, "COMMIT", "无法创建数据库结构");
    } catch (...) {
        Result(PQexec(connection, "ROLLBACK"));
        throw;
    }
}

PostgresDeviceStore::Lease PostgresDeviceStore::lease() {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (!idle_.empty()) {
            PGconn* connection = idle_.back();
            idle_.pop_back();
            return Lease(*this, connection);
        }
        if (open_ < kPoolSize)
            break;
        if (!connectionReturned_.wait_for(lock, kPoolWait, [this] { return !idle_.empty(); }))
            throw StoreUnavailable("数据库连接全部被占用");
    }
    if (std::chrono::steady_clock::now() < nextConnectAttempt_)
        throw StoreUnavailable(unreachable_);
    ++open_;  // taken now, so that no other call opens more than the pool holds
    lock.unlock();
    try {
        OwnedConnection connection = connect(uri_);
        prepareStatements(connection.get());
        return Lease(*this, connection.release());
    } catch (const StoreError& error) {
        lock.lock();
        --open_;
        nextConnectAttempt_ = std::chrono::steady_clock::now() + kRetryInterval;
        unreachable_ = error.what();
        connectionReturned_.notify_one();
        throw;
    }
}

void PostgresDeviceStore::giveBack(PGconn* connection) {
    const bool broken =
        PQstatus(connection) != CONNECTION_OK || PQtransactionStatus(connection) != PQTRANS_IDLE;
    if (broken)
        PQfinish(connection);
    {
        const std::lock_guard lock(mutex_);
        if (broken)
            --open_;
        else
            idle_.push_back(connection);
    }
    connectionReturned_.notify_one();
}

std::optional<Device> PostgresDeviceStore::find(std::string_view serial) {
    // No text in the database holds a zero byte.
    if (serial.find('\0') != std::string_view::npos)
        return std::nullopt;
    const std::array<std::string, 1> values{std::string(serial)};
    // A pooled connection may have been cut while it was idle (the server restarted): the
    // lookup is tried once more on a new one, which the broken one's return makes room for.
    for (int attempt = 1;; ++attempt) {
        const Lease connection = lease();
        try {
            const Result result =
                executePrepared(connection.get(), "find", values, PGRES_TUPLES_OK, "查询设备失败");
            if (PQntuples(result.get()) == 0)
                return std::nullopt;
            return deviceAt(result.get(), 0);
        } catch (const StoreUnavailable&) {
            if (attempt == 2)
                throw;
        }
    }
}

void PostgresDeviceStore::write(const std::function<bool(Writer&)>& work) {
    const Lease connection = lease();
    execute(connection.get(), "BEGIN", "无法开始事务");
    TransactionWriter writer(connection.get());
    bool keep = false;
    try {
        keep = work(writer);
    } catch (...) {
        Result(PQexec(connection.get(), "ROLLBACK"));
        throw;
    }
    execute(connection.get(), keep ? "COMMIT" : "ROLLBACK", keep ? "无法提交事务" : "无法回滚事务");
}

void PostgresDeviceStore::forEach(const std::function<void(const Device&)>& visit) {
    const Lease connection = lease();
    const std::string query = std::string(kColumns) + "ORDER BY serial COLLATE \"C\"";
    // Row by row, so that a large table is never held in memory whole.
    if (PQsendQuery(connection.get(), query.c_str()) == 0 ||
        PQsetSingleRowMode(connection.get()) == 0)
        checkResult(connection.get(), Result(), PGRES_TUPLES_OK, "无法读取设备");
    std::exception_ptr failure;
    for (Result row(PQgetResult(connection.get())); row; row.reset(PQgetResult(connection.get()))) {
        // Every result is read to the end, even after a failure, to leave the connection idle.
        if (failure || PQresultStatus(row.get()) == PGRES_TUPLES_OK)
            continue;
        try {
            checkResult(connection.get(), row, PGRES_SINGLE_TUPLE, "无法读取设备");
            visit(deviceAt(row.get(), 0));
        } catch (...) {
            failure = std::current_exception();
        }
    }
    if (failure)
        std::rethrow_exception(failure);
}

void PostgresDeviceStore::checkReachable() {
    for (int attempt = 1;; ++attempt) {
        const Lease connection = lease();
        try {
            execute(connection.get(), "SELECT 1 FROM quelmarn_schema", "无法读取数据库",
                    PGRES_TUPLES_OK);
            return;
        } catch (const StoreUnavailable&) {
            if (attempt == 2)
                throw;
        }
    }
}

}  // namespace quelmarn::service
