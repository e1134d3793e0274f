#pragma once

#include <filesystem>
#include <fstream>
#include <ranges>
#include <string>
#include <string_view>

#include "tests/support/temporary_directory.h"

namespace linux_test {

// A machine root made for one test: an empty directory that gets only the files the test
// writes, removed with everything in it when the tree goes out of scope. Paths are absolute as
// on the machine; their directories are made as needed.
class TempTree {
  public:
    TempTree& file(std::string_view path, std::string_view text) {
        std::filesystem::create_directories(at(path).parent_path());
        std::ofstream(at(path), std::ios::binary) << text;
        return *this;
    }
    // Writes each "path=text" of `entries`, separated by ';', with `under` put before the path;
    // a path without "=text" becomes a directory.
    TempTree& files(std::string_view under, std::string_view entries) {
        for (const auto part : std::views::split(entries, ';')) {
            const std::string_view entry(part.begin(), part.end());
            const auto equals = entry.find('=');
            const std::string path = std::string(under).append(entry.substr(0, equals));
            if (equals == std::string_view::npos) {
                directory(path);
            } else {
                file(path, entry.substr(equals + 1));
            }
        }
        return *this;
    }
    TempTree& directory(std::string_view path) {
        std::filesystem::create_directories(at(path));
        return *this;
    }
    // Makes `path` a symbolic link to `target`, written as given (relative or absolute).
    TempTree& link(std::string_view path, std::string_view target) {
        std::filesystem::create_directories(at(path).parent_path());
        std::filesystem::create_symlink(target, at(path));
        return *this;
    }

    const std::filesystem::path& root() const { return directory_.path(); }
    // Where `path` of the machine is on this system.
    std::filesystem::path at(std::string_view path) const {
        return root() / std::filesystem::path(path).relative_path();
    }

  private:
    testing_support::TemporaryDirectory directory_;
};

}  // namespace linux_test
