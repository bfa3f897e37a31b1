#include "file_set.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <system_error>

namespace rova::sound {
namespace fs = std::filesystem;
namespace {

fs::path besideTarget(const fs::path& target, const char* what) {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    return target.parent_path() / ("." + target.filename().string() + what + std::to_string(stamp) + "-" +
                                   std::to_string(counter++));
}

std::string systemText(int code) { return std::generic_category().message(code); }

// Writes the whole file through C stdio, whose failures set errno.
bool writeBytes(const fs::path& path, std::span<const std::uint8_t> bytes, std::string& error) {
    errno = 0;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        error = systemText(errno ? errno : EIO);
        return false;
    }
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    int code = ok ? 0 : errno;
    if (std::fclose(f) != 0 && ok) {
        ok = false;
        code = errno;
    }
    if (!ok) error = systemText(code ? code : EIO);
    return ok;
}

}  // namespace

FileSet::~FileSet() {
    if (!m_done) rollback();
}

bool FileSet::keepAside(const fs::path& target, fs::path& saved, std::string& error) {
    saved = besideTarget(target, ".previous-");
    std::error_code ec;
    fs::create_hard_link(target, saved, ec);
    if (!ec) return true;
    // File systems without hard links: a copy does as well.
    ec.clear();
    if (fs::copy_file(target, saved, ec) && !ec) return true;
    fs::remove(saved, ec);
    error = ec ? ec.message() : systemText(EIO);
    saved.clear();
    return false;
}

bool FileSet::write(const fs::path& target, std::span<const std::uint8_t> bytes, std::string& error) {
    std::error_code ec;
    const auto st = fs::status(target, ec);
    const bool exists = !ec && fs::exists(st);
    if (exists) {
        if (fs::is_directory(st)) {
            error = systemText(EISDIR);
            return false;
        }
        if (!fs::is_regular_file(st)) {
            error = "not a regular file";
            return false;
        }
        if ((st.permissions() & fs::perms::owner_write) == fs::perms::none) {
            error = systemText(EACCES);
            return false;
        }
    }
    const fs::path temp = besideTarget(target, ".new-");
    if (!writeBytes(temp, bytes, error)) {
        fs::remove(temp, ec);
        return false;
    }
    Change change{target, {}, false};
    if (exists) {
        fs::permissions(temp, st.permissions(), ec);
        if (!keepAside(target, change.saved, error)) {
            fs::remove(temp, ec);
            return false;
        }
    }
    fs::rename(temp, target, ec);
    if (ec) {
        error = ec.message();
        fs::remove(temp, ec);
        if (!change.saved.empty()) fs::remove(change.saved, ec);
        return false;
    }
    m_changes.push_back(std::move(change));
    return true;
}

bool FileSet::remove(const fs::path& target, std::string& error) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(target, ec))) return true;
    Change change{target, besideTarget(target, ".previous-"), true};
    fs::rename(target, change.saved, ec);
    if (ec) {
        error = ec.message();
        return false;
    }
    m_changes.push_back(std::move(change));
    return true;
}

void FileSet::commit() {
    std::error_code ec;
    for (const Change& c : m_changes)
        if (!c.saved.empty()) fs::remove(c.saved, ec);
    m_changes.clear();
    m_done = true;
}

void FileSet::rollback() {
    std::error_code ec;
    for (auto it = m_changes.rbegin(); it != m_changes.rend(); ++it) {
        if (!it->saved.empty())
            fs::rename(it->saved, it->target, ec);
        else
            fs::remove(it->target, ec);
    }
    m_changes.clear();
    m_done = true;
}

std::vector<fs::path> FileSet::written() const {
    std::vector<fs::path> files;
    for (const Change& c : m_changes)
        if (!c.removed) files.push_back(c.target);
    return files;
}

}  // namespace rova::sound
