#include "files.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <fstream>

namespace rova {
bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

namespace {

fs::path temporaryBeside(const fs::path& target) {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    return target.parent_path() /
           ("." + target.filename().string() + ".saving-" + std::to_string(stamp) + "-" +
            std::to_string(counter++));
}

}  // namespace

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

bool replaceFileSafely(const fs::path& target, const std::function<bool(std::ostream&)>& write) {
    std::error_code ec;
    const auto st = fs::status(target, ec);
    if (!ec && fs::exists(st)) {
        if (!fs::is_regular_file(st)) return false;
        if ((st.permissions() & fs::perms::owner_write) == fs::perms::none) return false;
    }
    const fs::path temp = temporaryBeside(target);
    bool ok;
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        ok = out.is_open() && write(out);
        if (out.is_open()) {
            out.close();
            ok = ok && !out.fail();
        }
    }
    if (ok) {
        if (!ec && fs::exists(st)) fs::permissions(temp, st.permissions(), ec);
        fs::rename(temp, target, ec);
        ok = !ec;
    }
    if (!ok) fs::remove(temp, ec);
    return ok;
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
