#include "service/sqlite_no_wait.h"

#include <sqlite3.h>

namespace quelmarn::service {

namespace {

thread_local bool tRefusesToWait = false;

sqlite3_vfs* baseVfs() {
    static sqlite3_vfs* const base = sqlite3_vfs_find(nullptr);
    return base;
}

// SQLite's busy handler and its write-ahead log's lock retries both sleep through this.
int sleepUnlessRefused(sqlite3_vfs*, int microseconds) {
    if (tRefusesToWait)
        return 0;
    return baseVfs()->xSleep(baseVfs(), microseconds);
}

}  // namespace

NoWaitScope::NoWaitScope() {
    tRefusesToWait = true;
}

NoWaitScope::~NoWaitScope() {
    tRefusesToWait = false;
}

const char* noWaitVfsName() {
    static sqlite3_vfs vfs = [] {
        sqlite3_vfs copy = *baseVfs();  // the same files and methods, one sleep apart
        copy.pNext = nullptr;
        copy.zName = "quelmarn-no-wait";
        copy.xSleep = sleepUnlessRefused;
        return copy;
    }();
    static const int registered = sqlite3_vfs_register(&vfs, 0);
    return registered == SQLITE_OK ? vfs.zName : nullptr;
}

}  // namespace quelmarn::service
