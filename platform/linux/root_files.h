#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::linux_backend {

// The files of one machine, below its root directory: the running system at "/", or a tree
// captured from another machine. Every path handed in is absolute as that machine would write
// it ("/proc/cpuinfo") and is looked up below the root; nothing here reads the live system
// unless the root is "/". Symbolic links are followed, so a captured tree may keep the
// relative links of /sys/class; below a captured root every link, absolute ones included, is
// resolved as if the root were "/" (openat2(2) RESOLVE_IN_ROOT, Linux 5.6), so a tree never
// reads the system it is read on. Copies share the root's open directory.
class RootFiles {
  public:
    explicit RootFiles(const std::filesystem::path& root);

    // True when the root is this system's own "/", where asking the running kernel directly
    // gives the same answer as reading the files.
    bool isLiveSystem() const { return prefix_.empty(); }

    // The file's contents, with its trailing newlines, NULs and blanks removed (sysfs values end
    // in a newline, device-tree strings in a NUL). std::nullopt when the file is missing or cannot
    // be read: root-only DMI files (EACCES) and sensors that have no value now (EIO, ENODATA,
    // EAGAIN) are absent like a missing file.
    std::optional<std::string> read(std::string_view path) const;

    // The names in a directory, without "." and "..", in no particular order. Empty when the
    // directory is missing or unreadable.
    std::vector<std::string> list(std::string_view directory) const;

    // Whether anything (file, directory or the target of a link) is at `path`.
    bool exists(std::string_view path) const;

    // The text of a symbolic link as stored in it; std::nullopt when `path` is not a link.
    std::optional<std::string> linkTarget(std::string_view path) const;

  private:
    // A descriptor for `path` opened with `flags`, or -1; the caller closes it.
    int open(std::string_view path, int flags) const;

    std::string prefix_;                        // the root without its trailing '/'; empty for "/"
    std::shared_ptr<const int> rootDirectory_;  // an O_PATH descriptor; null for "/"
};

}  // namespace platform::linux_backend
