#include "files.h"

#include <algorithm>
#include <cctype>
#include <fstream>

namespace rova {
bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}


PerformancePath PerformancePath::split(const fs::path& path) {
    PerformancePath p;
    p.folder = path.parent_path();
    const std::string name = path.filename().string();
    const auto dot = name.rfind('.');
    p.base = dot == std::string::npos ? name : name.substr(0, dot);
    return p;
}

fs::path PerformancePath::sibling(const std::string& ext) const {
    const fs::path wanted = exact(ext);
    std::error_code ec;
    if (fs::exists(wanted, ec)) return wanted;
    const std::string name = wanted.filename().string();
    fs::path found;
    int matches = 0;
    const fs::path dir = folder.empty() ? fs::path(".") : folder;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (sameIgnoringCase(it->path().filename().string(), name)) {
            found = folder / it->path().filename();
            ++matches;
        }
    }
    // Two names that differ only in case leave no way to choose: use the capital one.
    return matches == 1 ? found : wanted;
}

std::vector<fs::path> PerformancePath::siblingsAnyCase(const std::string& ext) const {
    const fs::path wanted = exact(ext);
    const std::string name = wanted.filename().string();
    std::vector<fs::path> found;
    std::error_code ec;
    if (fs::exists(fs::symlink_status(wanted, ec))) found.push_back(wanted);
    const fs::path dir = folder.empty() ? fs::path(".") : folder;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string entry = it->path().filename().string();
        if (entry != name && sameIgnoringCase(entry, name)) found.push_back(folder / it->path().filename());
    }
    return found;
}

bool copyFile(const fs::path& source, const fs::path& destination) {
    std::ifstream in(source, std::ios::binary);
    if (!in.is_open()) return false;
    std::ofstream out(destination, std::ios::binary | std::ios::trunc);
    if (!out.is_open()) return false;
    char block[256];
    for (;;) {
        in.read(block, sizeof block);
        const std::streamsize got = in.gcount();
        if (got == 0) break;
        out.write(block, got);
        if (!out) return false;
    }
    out.close();
    return !in.bad() && !out.fail();
}

bool fileExists(const fs::path& path) {
    std::error_code ec;
    return fs::exists(path, ec);
}

}  // namespace rova
