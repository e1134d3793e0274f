#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::linux_backend {

// Why a file gave no contents.
enum class FileAbsence {
    Missing,     // nothing at the path (ENOENT, ENOTDIR, a link loop), or it is a directory
    Denied,      // there, but not for this user: root-only DMI files (EACCES, EPERM)
    Unreadable,  // there, but it has no value now: a sensor asleep or unplugged (EIO, ENODATA,
                 // EAGAIN), or any other failure of the read
};

// A file's text, or why there is none.
struct FileContents {
    std::optional<std::string> text;
    FileAbsence absence = FileAbsence::Missing;  // only when there is no text
};

// The files of one machine, below its root directory: the running system at "/", or a tree
// captured from another machine. Every path handed in is absolute as that machine would write
// it ("/proc/cpuinfo") and is looked up below the root; nothing here reads the live system
// unless the root is "/". Symbolic links are followed, so a captured tree may keep the
// relative links of /sys/class; below a captured root every link, absolute ones included, is
// resolved as if the root were "/" (openat2(2) RESOLVE_IN_ROOT, Linux 5.6), so a tree never
// reads the system it is read on. Copies share the root's open directory and its moment.
//
// A moment (beginMoment to endMoment) is one reading of the machine: within it each file, list,
// link and existence is read from the system once, when first asked for, and every later ask,
// through this object or any copy, gets that answer. Outside a moment every call reads afresh.
// Like the rest of the backend, it is asked from one thread only.
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
    std::optional<std::string> read(std::string_view path) const { return contents(path).text; }
    // The same, with the reason when there is no text.
    FileContents contents(std::string_view path) const;

    // The names in a directory, without "." and "..", in no particular order. Empty when the
    // directory is missing or unreadable.
    std::vector<std::string> list(std::string_view directory) const;

    // Whether anything (file, directory or the target of a link) is at `path`.
    bool exists(std::string_view path) const;

    // The text of a symbolic link as stored in it; std::nullopt when `path` is not a link.
    std::optional<std::string> linkTarget(std::string_view path) const;

    // Starts a moment, or ends it and lets go of what it read. Moments do not nest.
    void beginMoment();
    void endMoment();

  private:
    // What one moment has read, by path.
    struct Moment {
        bool open = false;
        std::map<std::string, FileContents, std::less<>> contents;
        std::map<std::string, std::vector<std::string>, std::less<>> lists;
        std::map<std::string, bool, std::less<>> existing;
        std::map<std::string, std::optional<std::string>, std::less<>> links;
    };

    // Within a moment, the answer `known` holds for `path`, read with `readNow` the first time;
    // outside one, readNow's answer.
    template <typename Answer, typename Read>
    Answer once(std::map<std::string, Answer, std::less<>>& known, std::string_view path,
                Read readNow) const;

    FileContents readContents(std::string_view path) const;
    std::vector<std::string> readList(std::string_view directory) const;
    bool readExists(std::string_view path) const;
    std::optional<std::string> readLinkTarget(std::string_view path) const;

    // A descriptor for `path` opened with `flags`, or -1; the caller closes it.
    int open(std::string_view path, int flags) const;

    std::string prefix_;                        // the root without its trailing '/'; empty for "/"
    std::shared_ptr<const int> rootDirectory_;  // an O_PATH descriptor; null for "/"
    std::shared_ptr<Moment> moment_;            // shared by every copy
};

}  // namespace platform::linux_backend
