#pragma once

#include <QLocalServer>
#include <QString>
#include <functional>

namespace platform {

// Keeps one running application per user session. A start first tries to hand over to a running
// instance; if none answers, it becomes the one that later starts hand over to.
class SingleInstance {
  public:
    // `name` is the local socket's name (or path) that the instances meet at.
    explicit SingleInstance(QString name);

    // Asks the running instance to reopen. Returns true when one took the request; false when
    // none runs (or none answered within a second).
    bool handOver();

    // Listens for later starts and runs `onReopen` on the main thread for each. A socket left
    // by an instance that crashed is removed first. Returns false when it cannot listen.
    bool listen(std::function<void()> onReopen);

    // The name for this user's session: in its runtime directory when there is one.
    static QString sessionName();

  private:
    QString name_;
    QLocalServer server_;
    std::function<void()> onReopen_;
};

}  // namespace platform
