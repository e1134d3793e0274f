#include "platform/qt/application_environment.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QtGlobal>
#include <cerrno>
#include <string>

namespace platform {
namespace {

void setUnlessSet(const char* name, const QByteArray& value) {
    if (!qEnvironmentVariableIsSet(name)) {
        qputenv(name, value);
    }
}

// A directory only this user may enter, made if need be; empty when it cannot be had.
std::string privateRuntimeDirectory() {
    const uid_t user = getuid();
    const std::string path = "/tmp/quelmarn-runtime-" + std::to_string(user);
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        return {};
    }
    struct stat status {};
    // Someone else's directory of that name is no private one.
    if (lstat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != user ||
        chmod(path.c_str(), 0700) != 0) {
        return {};
    }
    return path;
}

}  // namespace

void prepareToolkitEnvironment() {
    if (geteuid() == 0) {
        setUnlessSet("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    if (!qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")) {
        if (const std::string directory = privateRuntimeDirectory(); !directory.empty()) {
            qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(directory));
        }
    }
    QByteArray rules = qgetenv("QT_LOGGING_RULES");
    rules += (rules.isEmpty() ? "" : ";") + QByteArray("qt.webenginecontext.info=false");
    qputenv("QT_LOGGING_RULES", rules);
    setUnlessSet("QT_QUICK_BACKEND", "software");
}

}  // namespace platform
