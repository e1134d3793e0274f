#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "service/device_registry.h"

struct pg_conn;

namespace quelmarn::service {

// The registered devices, kept in a PostgreSQL database that any number of services, on any
// machines, serve from at once; a write (an import) is one transaction that every one of them
// sees when it commits. Each process keeps a small pool of connections, each with its statements
// prepared. While the server cannot be reached, every call throws StoreUnavailable and the next
// one tries again (at most once a second), so that the service answers again as soon as the
// server is back.
class PostgresDeviceStore final : public DeviceRegistry {
  public:
    // The most connections one process holds; a call that finds them all busy waits for one.
    static constexpr std::size_t kPoolSize = 8;

    // Connects to the database `uri` names (a libpq connection URI with no password in it: the
    // password comes from a password file, PGPASSFILE, or the environment, PGPASSWORD, never
    // from a command line that every user can read). Creates the schema when the database is
    // empty (with no samples: a site's database holds what its operators import) unless
    // `whenMissing` is kRefuse; several services starting together create it once. Throws
    // StoreError when the URI holds a password, the database belongs to something else (it is
    // then left untouched), was set up by a newer version, or cannot be reached.
    PostgresDeviceStore(const std::string& uri, WhenMissing whenMissing);
    ~PostgresDeviceStore() override;
    PostgresDeviceStore(const PostgresDeviceStore&) = delete;
    PostgresDeviceStore& operator=(const PostgresDeviceStore&) = delete;

    std::optional<Device> find(std::string_view serial) override;
    void write(const std::function<bool(Writer&)>& work) override;
    void forEach(const std::function<void(const Device&)>& visit) override;
    void checkReachable() override;
    bool local() const override { return false; }
    std::size_t parallelLookups() const override { return kPoolSize; }

  private:
    class Lease;
    class TransactionWriter;

    // A connection from the pool, or a new one when none is idle and the pool is not full;
    // waits while all are busy. Throws StoreUnavailable when the server cannot be reached.
    Lease lease();
    // Gives a connection back to the pool; a broken one is closed instead.
    void giveBack(pg_conn* connection);
    // Creates the schema or checks that it is ours, under a lock that other services share.
    void setUpSchema(pg_conn* connection, WhenMissing whenMissing);

    std::string uri_;
    std::mutex mutex_;  // guards what follows
    std::condition_variable connectionReturned_;
    std::vector<pg_conn*> idle_;
    std::size_t open_ = 0;  // idle ones and those lent out
    std::chrono::steady_clock::time_point nextConnectAttempt_;
    std::string unreachable_;  // why the last attempt to connect failed
};

}  // namespace quelmarn::service
