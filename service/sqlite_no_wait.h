#pragma once

namespace quelmarn::service {

// SQLite waits inside its calls, sleeping and trying again, for a lock that another process
// holds. A thread that must never wait (an event loop) can ask it not to: within a NoWaitScope
// every such sleep returns at once, so that a call that would wait fails instead, quickly
// (SQLITE_BUSY or SQLITE_PROTOCOL), and can be handed to a thread that may wait. This holds for
// connections opened with the VFS named noWaitVfsName(); other threads are not affected.
class NoWaitScope {
  public:
    NoWaitScope();
    ~NoWaitScope();
    NoWaitScope(const NoWaitScope&) = delete;
    NoWaitScope& operator=(const NoWaitScope&) = delete;
};

// The name of the system's default VFS with that sleep, registered on the first call;
// thread-safe.
const char* noWaitVfsName();

}  // namespace quelmarn::service
