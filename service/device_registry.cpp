#include "service/device_registry.h"

#include "service/device_store.h"
#include "service/postgres_device_store.h"

namespace quelmarn::service {

void DeviceRegistry::saveAll(std::span<const Device> devices) {
    write([&](Writer& writer) {
        for (const Device& device : devices)
            writer.save(device);
        return true;
    });
}

bool isPostgresUri(std::string_view database) {
    return database.starts_with("postgresql://") || database.starts_with("postgres://");
}

std::unique_ptr<DeviceRegistry> openDeviceRegistry(const std::string& database,
                                                   WhenMissing whenMissing) {
    if (isPostgresUri(database))
        return std::make_unique<PostgresDeviceStore>(database, whenMissing);
    return std::make_unique<DeviceStore>(database, whenMissing);
}

}  // namespace quelmarn::service
