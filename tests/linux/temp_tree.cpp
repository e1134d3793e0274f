#include "tests/linux/temp_tree.h"

#include <fstream>

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
