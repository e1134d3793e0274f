#include "tests/linux/temp_tree.h"

#include <fstream>
#include <ranges>
#include <string>

namespace linux_test {

std::filesystem::path TempTree::at(std::string_view path) const {
    return root() / std::filesystem::path(path).relative_path();
}

TempTree& TempTree::file(std::string_view path, std::string_view text) {
    const auto where = at(path);
    std::filesystem::create_directories(where.parent_path());
    std::ofstream(where, std::ios::binary) << text;
    return *this;
}

TempTree& TempTree::files(std::string_view under, std::string_view entries) {
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

TempTree& TempTree::directory(std::string_view path) {
    std::filesystem::create_directories(at(path));
    return *this;
}

TempTree& TempTree::link(std::string_view path, std::string_view target) {
    const auto where = at(path);
    std::filesystem::create_directories(where.parent_path());
    std::filesystem::create_symlink(target, where);
    return *this;
}

}  // namespace linux_test
