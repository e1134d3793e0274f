#pragma once

#include <QSocketNotifier>
#include <QString>
#include <chrono>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The activation token a later start hands over from the request line it sent ("reopen", or
// "reopen" and a blank and the token, then a line break): empty for none; none at all when the
// line is no such request or the token is not printable ASCII without blanks.
std::optional<std::string> parseReopenRequest(std::string_view request);

// The token the desktop gave this start to activate a window with: XDG_ACTIVATION_TOKEN (Wayland's
// xdg-activation), else DESKTOP_STARTUP_ID (X11 startup notification); empty when neither is set.
std::string activationTokenOfThisStart();

// Keeps one running application per user session. The instance is whoever holds an exclusive
// flock(2) on a lock file beside the meeting socket: the kernel drops the lock when its holder
// ends, crashed or not, so a free lock means any socket left there is dead and may be removed,
// and a held lock means the socket belongs to a live instance and is never touched.
class SingleInstance {
  public:
    // `name` is the path of the Unix socket the instances meet at (or a bare name, then in the
    // temporary directory); the lock file is that path with ".lock" added. `activationToken` is
    // what this start hands over if another instance runs: read it before the toolkit starts,
    // which takes DESKTOP_STARTUP_ID out of the environment for its own first window.
    explicit SingleInstance(QString name,
                            std::string activationToken = activationTokenOfThisStart());
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    enum class Start {
        kFirst,       // this is now the session's instance; call listen()
        kHandedOver,  // the running instance took the reopen request; this start should end
        kNoAnswer,    // an instance holds the lock but did not take the request in time
    };

    // Becomes the session's instance, or asks the one that is to reopen. An instance that is
    // still starting up holds the lock before it listens, so the request is retried until
    // `patience` has passed; if the holder ends meanwhile, this start becomes the instance.
    // Where the lock file cannot be opened, nothing can be told for sure: one request is sent,
    // and if no instance takes it this start runs, rather than no instance at all.
    Start claimOrHandOver(std::chrono::milliseconds patience = std::chrono::seconds(5));

    // Listens for later starts and runs `onReopen` on the main thread for each, with the
    // activation token that start was given (empty when none). Only after claimOrHandOver()
    // gave kFirst; a dead instance's socket is removed first. Returns false when it cannot
    // listen.
    bool listen(std::function<void(const std::string& activationToken)> onReopen);

    // The name for this user's session: in its runtime directory when there is one.
    static QString sessionName();

  private:
    // A later start that connected, and what it has sent so far.
    struct Caller {
        int socket = -1;
        std::string received;
        std::unique_ptr<QSocketNotifier> notifier;
    };

    // Whether this start took the lock, another holds it, or the lock file cannot be opened at
    // all (a read-only folder, or a file there that this user may not open).
    enum class Lock { kTaken, kHeld, kUnavailable };
    Lock tryLock();
    bool sendReopenRequest() const;
    void acceptCallers();
    void readFrom(Caller& caller);

    QString socketPath_;
    std::string activationToken_;
    int lockFile_ = -1;
    bool first_ = false;
    int listening_ = -1;
    std::unique_ptr<QSocketNotifier> listenNotifier_;
    std::list<Caller> callers_;
    std::function<void(const std::string&)> onReopen_;
};

}  // namespace platform
