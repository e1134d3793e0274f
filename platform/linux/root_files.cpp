#include "platform/linux/root_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace platform::linux_backend {
namespace {

bool isTrailingFiller(char c) {
    return c == '\n' || c == '\0' || c == ' ' || c == '\t' || c == '\r';
}

}  // namespace

RootFiles::RootFiles(const std::filesystem::path& root) : prefix_(root.lexically_normal()) {
    while (!prefix_.empty() && prefix_.back() == '/') {
        prefix_.pop_back();
    }
}

std::string RootFiles::below(std::string_view path) const {
    std::string full;
    full.reserve(prefix_.size() + path.size());
    full.append(prefix_).append(path);
    return full;
}

std::optional<std::string> RootFiles::read(std::string_view path) const {
    const int fd = ::open(below(path).c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return std::nullopt;
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
            ::close(fd);
            return std::nullopt;
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
    return text;
}

std::vector<std::string> RootFiles::list(std::string_view directory) const {
    std::vector<std::string> names;
    // getdents64(2) straight on the descriptor, as sensor queries list a few directories each
    // time: opendir(3) would add an fstat, and readdir(3) a last call that finds nothing. The
    // kernel fills the buffer until the next entry does not fit (fs/readdir.c), so a call that
    // leaves room for the longest entry has given the rest of the directory.
    const int fd = ::open(below(directory).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return names;
    }
    alignas(dirent64) std::array<char, 8192> buffer;
    for (;;) {
        const ssize_t got = ::getdents64(fd, buffer.data(), buffer.size());
        if (got <= 0) {
            break;
        }
        for (ssize_t offset = 0; offset < got;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer.data() + offset);
            const std::string_view name = entry->d_name;
            if (name != "." && name != "..") {
                names.emplace_back(name);
            }
            offset += entry->d_reclen;
        }
        if (buffer.size() - static_cast<std::size_t>(got) >= sizeof(dirent64)) {
            break;
        }
    }
    ::close(fd);
    return names;
}

bool RootFiles::exists(std::string_view path) const {
    return ::access(below(path).c_str(), F_OK) == 0;
}

std::optional<std::string> RootFiles::linkTarget(std::string_view path) const {
    std::array<char, PATH_MAX> target;
    const ssize_t length = ::readlink(below(path).c_str(), target.data(), target.size());
    if (length < 0 || static_cast<std::size_t>(length) == target.size()) {
        return std::nullopt;
    }
    return std::string(target.data(), static_cast<std::size_t>(length));
}

}  // namespace platform::linux_backend
