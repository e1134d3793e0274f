#pragma once

#include <filesystem>
#include <string_view>

#include "tests/support/temporary_directory.h"

namespace linux_test {

// A machine root made for one test: an empty directory that gets only the files the test
// writes, removed with everything in it when the tree goes out of scope.
class TempTree {
  public:
    // Writes `text` to `path` (absolute as on the machine), making its directories.
    TempTree& file(std::string_view path, std::string_view text);
    // Writes each "path=text" of `entries`, separated by ';', with `under` put before the path;
    // a path without "=text" becomes a directory.
    TempTree& files(std::string_view under, std::string_view entries);
    // Makes the directory `path` with its parents.
    TempTree& directory(std::string_view path);
    // Makes `path` a symbolic link to `target`, written as given (relative or absolute).
    TempTree& link(std::string_view path, std::string_view target);

    const std::filesystem::path& root() const { return directory_.path(); }
    // Where `path` of the machine is on this system.
    std::filesystem::path at(std::string_view path) const;

  private:
    testing_support::TemporaryDirectory directory_;
};

}  // namespace linux_test
