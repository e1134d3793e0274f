#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "service/device.h"

namespace quelmarn::service {

// Thrown for any failure of the database: it could not be opened, is not ours, or a statement
// failed. what() says what was being done and the database's reason.
class StoreError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Thrown when the database server cannot be reached just now: the service answers 503 and asks
// again at a later request, so that it serves again as soon as the server is back.
class StoreUnavailable : public StoreError {
  public:
    using StoreError::StoreError;
};

// What opening a database that is not there yet does.
enum class WhenMissing {
    kCreateWithSamples,  // make it with a handful of sample devices: a fresh service's first start
    kCreateEmpty,        // make it with no device in it
    kRefuse,             // throw StoreError: there is nothing to read
};

// Changes made inside DeviceRegistry::write().
class DeviceWriter {
  public:
    // Registers `device`, replacing one registered under its serial.
    virtual void save(const Device& device) = 0;
    // Unregisters the device with this serial; false when there was none.
    virtual bool remove(std::string_view serial) = 0;

  protected:
    ~DeviceWriter() = default;
};

// The registered devices, wherever they are kept; safe to use from several threads at once.
class DeviceRegistry {
  public:
    using Writer = DeviceWriter;

    virtual ~DeviceRegistry() = default;

    // The device registered under exactly these bytes, or nothing. Throws StoreError, or
    // StoreUnavailable while the database cannot be reached.
    virtual std::optional<Device> find(std::string_view serial) = 0;

    // Runs `work` in one write transaction, which is committed when `work` returns true and
    // rolled back when it returns false or throws: either every change is saved or none.
    virtual void write(const std::function<bool(Writer&)>& work) = 0;

    // Calls `visit` with every registered device in the order of their serials' bytes, from one
    // consistent view, holding only one device in memory at a time.
    virtual void forEach(const std::function<void(const Device&)>& visit) = 0;

    // Throws StoreError (StoreUnavailable when it cannot be reached) unless the database answers
    // a query now: what a load balancer's health probe asks.
    virtual void checkReachable() = 0;

    // Whether the devices are in a file on this machine, which answers within microseconds
    // unless another process holds a lock on it; a database server is asked over the network.
    virtual bool local() const = 0;

    // How many lookups the store answers at once.
    virtual std::size_t parallelLookups() const = 0;

    // Registers every device, each replacing one already registered under its serial, in a single
    // transaction: either all are saved or, on a thrown StoreError, none.
    void saveAll(std::span<const Device> devices);
};

// Whether `database` names a PostgreSQL server ("postgresql://" or "postgres://" URI) rather
// than an SQLite file.
bool isPostgresUri(std::string_view database);

// Opens the SQLite file or the PostgreSQL database that `database` names (see isPostgresUri()),
// with the constructors' rules and exceptions.
std::unique_ptr<DeviceRegistry> openDeviceRegistry(const std::string& database,
                                                   WhenMissing whenMissing);

}  // namespace quelmarn::service
