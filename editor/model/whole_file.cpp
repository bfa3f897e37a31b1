#include "whole_file.h"

#include <fstream>

namespace rova {

bool readWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    std::error_code ec;
    // Directories and devices open as streams on some systems; only plain files are track files.
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return false;
    const std::streamoff end = in.tellg();
    if (end <= 0 || static_cast<std::uintmax_t>(end) > kMaxWholeFileBytes) return false;
    in.seekg(0);
    if (!in) return false;
    bytes.resize(static_cast<std::size_t>(end));
    if (!in.read(reinterpret_cast<char*>(bytes.data()), end) || in.gcount() != end) {
        bytes.clear();
        return false;
    }
    return true;
}

}  // namespace rova
