#pragma once

#include <string>

namespace quelmarn::service {

// A new file beside `target` that takes its place only once it is complete, so that a backup or
// an export that fails midway leaves what was at `target` untouched and no half-written file.
// Made with the permissions the umask allows, like any file the operator's command writes.
class ReplacementFile {
  public:
    // Throws std::system_error when the folder cannot be written.
    explicit ReplacementFile(const std::string& target);
    // Removes the file unless it was committed.
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Where to write the content.
    const std::string& path() const { return path_; }

    // Flushes the content to disk and moves it to the target. Throws std::system_error.
    void commit();

  private:
    std::string target_;
    std::string path_;
    bool committed_ = false;
};

}  // namespace quelmarn::service
