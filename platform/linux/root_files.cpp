#include "platform/linux/root_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>

#include "platform/ascii.h"

namespace platform::linux_backend {
namespace {

bool isTrailingFiller(char c) {
    return c == '\0' || isBlankOrLineEnd(c);
}

FileAbsence absenceOf(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
        case EISDIR:
        case ELOOP:  // a link that leads nowhere
            return FileAbsence::Missing;
        case EACCES:
        case EPERM:
            return FileAbsence::Denied;
        default:
            return FileAbsence::Unreadable;
    }
}

void closeDescriptor(const int* fd) {
    if (*fd >= 0) {
        ::close(*fd);
    }
    delete fd;
}

}  // namespace

RootFiles::RootFiles(const std::filesystem::path& root)
    : prefix_(root.lexically_normal()), moment_(std::make_shared<Moment>()) {
    while (!prefix_.empty() && prefix_.back() == '/') {
        prefix_.pop_back();
    }
    if (!prefix_.empty()) {
        rootDirectory_ = std::shared_ptr<const int>(
            new int(::open(prefix_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)), closeDescriptor);
    }
}

int RootFiles::open(std::string_view path, int flags) const {
    flags |= O_CLOEXEC;
    if (isLiveSystem()) {
        return ::open(std::string(path).c_str(), flags);
    }
    while (path.starts_with('/')) {
        path.remove_prefix(1);
    }
    const std::string relative = path.empty() ? std::string(".") : std::string(path);
    // RESOLVE_IN_ROOT treats the root directory as "/" for every component and link, ".."
    // included (Documentation/userspace-api and openat2(2)); glibc 2.36 has no wrapper.
    open_how how{};
    how.flags = static_cast<std::uint64_t>(flags);
    how.resolve = RESOLVE_IN_ROOT | RESOLVE_NO_MAGICLINKS;
    return static_cast<int>(
        ::syscall(SYS_openat2, *rootDirectory_, relative.c_str(), &how, sizeof how));
}

void RootFiles::beginMoment() {
    moment_->open = true;
}

void RootFiles::endMoment() {
    *moment_ = Moment{};
}

template <typename Answer, typename Read>
Answer RootFiles::once(std::map<std::string, Answer, std::less<>>& known, std::string_view path,
                       Read readNow) const {
    if (!moment_->open) {
        return readNow();
    }
    if (const auto found = known.find(path); found != known.end()) {
        return found->second;
    }
    return known.emplace(path, readNow()).first->second;
}

FileContents RootFiles::contents(std::string_view path) const {
    return once(moment_->contents, path, [&] { return readContents(path); });
}

std::vector<std::string> RootFiles::list(std::string_view directory) const {
    return once(moment_->lists, directory, [&] { return readList(directory); });
}

bool RootFiles::exists(std::string_view path) const {
    return once(moment_->existing, path, [&] { return readExists(path); });
}

std::optional<std::string> RootFiles::linkTarget(std::string_view path) const {
    return once(moment_->links, path, [&] { return readLinkTarget(path); });
}

FileContents RootFiles::readContents(std::string_view path) const {
    const int fd = open(path, O_RDONLY | O_NOCTTY);
    if (fd < 0) {
        return {std::nullopt, absenceOf(errno)};
    }
    // sysfs reports a size of 4096 and procfs 0 whatever they hold, so stat cannot tell how much
    // to read. A sysfs attribute, a /proc/sys value (fs/proc/proc_sysctl.c) and a regular file
    // come whole in one read, so a short read is the end. Only the rest of /proc is made by
    // seq_file, which may stop short at a record boundary (fs/seq_file.c); there the end is the
    // read that returns nothing.
    const bool mayStopShort = path.starts_with("/proc/") && !path.starts_with("/proc/sys/");
    std::string text;
    std::array<char, 4096> chunk;
    for (;;) {
        const ssize_t got = ::read(fd, chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            return {std::nullopt, absenceOf(error)};
        }
        text.append(chunk.data(), static_cast<std::size_t>(got));
        if (got == 0 || (!mayStopShort && static_cast<std::size_t>(got) < chunk.size())) {
            break;
        }
    }
    ::close(fd);
    while (!text.empty() && isTrailingFiller(text.back())) {
        text.pop_back();
    }
    return {std::move(text)};
}

std::vector<std::string> RootFiles::readList(std::string_view directory) const {
    std::vector<std::string> names;
    // Opened here rather than by opendir(3), so that a captured root resolves it inside itself.
    const int fd = open(directory, O_RDONLY | O_DIRECTORY);
    if (fd < 0) {
        return names;
    }
    DIR* const stream = ::fdopendir(fd);  // owns fd from here on
    if (stream == nullptr) {
        ::close(fd);
        return names;
    }
    while (const dirent* entry = ::readdir(stream)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") {
            names.emplace_back(name);
        }
    }
    ::closedir(stream);
    return names;
}

bool RootFiles::readExists(std::string_view path) const {
    if (isLiveSystem()) {
        return ::access(std::string(path).c_str(), F_OK) == 0;  // one call, no descriptor
    }
    const int fd = open(path, O_PATH);
    if (fd >= 0) {
        ::close(fd);
    }
    return fd >= 0;
}

std::optional<std::string> RootFiles::readLinkTarget(std::string_view path) const {
    std::array<char, PATH_MAX> target;
    ssize_t length = -1;
    if (isLiveSystem()) {
        length = ::readlink(std::string(path).c_str(), target.data(), target.size());
    } else {
        // The link itself is read, so only its directory is resolved inside the root.
        const std::size_t slash = path.rfind('/');
        const std::string name(path.substr(slash == std::string_view::npos ? 0 : slash + 1));
        const int directory =
            open(slash == std::string_view::npos ? "." : path.substr(0, slash + 1),
                 O_PATH | O_DIRECTORY);
        if (directory < 0) {
            return std::nullopt;
        }
        length = ::readlinkat(directory, name.c_str(), target.data(), target.size());
        ::close(directory);
    }
    if (length < 0 || static_cast<std::size_t>(length) == target.size()) {
        return std::nullopt;
    }
    return std::string(target.data(), static_cast<std::size_t>(length));
}

}  // namespace platform::linux_backend
