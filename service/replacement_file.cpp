#include "service/replacement_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace quelmarn::service {

namespace {

[[noreturn]] void fail(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}

}  // namespace

ReplacementFile::ReplacementFile(const std::string& target) : target_(target) {
    std::string name = target + ".XXXXXX";
    const int descriptor = ::mkstemp(name.data());
    if (descriptor < 0)
        fail(target);
    path_ = name;
    // mkstemp(3) makes the file 0600; a backup or an export is as readable as the umask says.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(descriptor, 0666 & ~mask);
    ::close(descriptor);
}

ReplacementFile::~ReplacementFile() {
    if (!committed_)
        ::unlink(path_.c_str());
}

void ReplacementFile::commit() {
    const int descriptor = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0 || ::fsync(descriptor) != 0) {
        if (descriptor >= 0)
            ::close(descriptor);
        fail(path_);
    }
    ::close(descriptor);
    if (::rename(path_.c_str(), target_.c_str()) != 0)
        fail(target_);
    committed_ = true;
}

}  // namespace quelmarn::service
