#include "platform/file_set.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <mutex>
#include <random>
#include <sstream>
#include <system_error>

namespace rova {
namespace fs = std::filesystem;
namespace {

// A temporary name is "." + "~" + letters and digits: hidden, and never the
// name of a performance file. Short, so that it fits beside a target whose own
// name is close to the file system's limit.
constexpr std::size_t kMinTemporaryName = 4;
constexpr std::size_t kMaxTemporaryName = 12;
// Fresh names are tried until one is free; with 36^2 names at the least this
// many collisions in a row mean something else is wrong.
constexpr int kNameAttempts = 200;

std::string systemText(int code) { return std::generic_category().message(code); }

std::string freshName(std::size_t length) {
    static std::mutex mutex;
    static std::mt19937_64 random{std::random_device{}()};
    static constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    const std::lock_guard lock(mutex);
    std::string name = ".~";
    while (name.size() < length) name += kChars[random() % (sizeof kChars - 1)];
    return name;
}

std::size_t temporaryLength(const fs::path& target) {
    return std::clamp(target.filename().string().size(), kMinTemporaryName, kMaxTemporaryName);
}

fs::path folderOf(const fs::path& target) {
    return target.parent_path().empty() ? fs::path(".") : target.parent_path();
}

// Flushes a folder's entries, so that a rename in it survives a power cut.
void syncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

bool writeAll(int fd, std::span<const std::uint8_t> bytes, int& code) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            code = errno;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool writeBytesTo(const fs::path& path, std::span<const std::uint8_t> bytes, std::string& error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    int code = fd < 0 ? errno : 0;
    bool ok = fd >= 0 && writeAll(fd, bytes, code);
    if (fd >= 0 && ::close(fd) != 0 && ok) {
        ok = false;
        code = errno;
    }
    if (!ok) error = systemText(code ? code : EIO);
    return ok;
}

// Flushes a written file's content to the disk before it may take a target's name.
bool flushFile(const fs::path& path, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const bool ok = fd >= 0 && ::fsync(fd) == 0;
    if (!ok) error = systemText(errno ? errno : EIO);
    if (fd >= 0) ::close(fd);
    return ok;
}

// Keeps the file at target under a fresh name beside it: a hard link where the
// file system has them, else a copy.
fs::path keepAside(const fs::path& target, std::string& error) {
    const fs::path folder = folderOf(target);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const fs::path saved = folder / freshName(temporaryLength(target));
        if (::link(target.c_str(), saved.c_str()) == 0) return saved;
        if (errno == EEXIST) continue;
        break;
    }
    const fs::path copy = createTemporaryFile(folder, temporaryLength(target), error);
    if (copy.empty()) return {};
    std::error_code ec;
    if (fs::copy_file(target, copy, fs::copy_options::overwrite_existing, ec) && !ec) return copy;
    error = ec ? ec.message() : systemText(EIO);
    fs::remove(copy, ec);
    return {};
}

}  // namespace

fs::path createTemporaryFile(const fs::path& folder, std::size_t nameLength, std::string& error) {
    nameLength = std::clamp(nameLength, kMinTemporaryName, kMaxTemporaryName);
    const fs::path dir = folder.empty() ? fs::path(".") : folder;
    int code = EEXIST;
    for (int attempt = 0; attempt < kNameAttempts && code == EEXIST; ++attempt) {
        const fs::path path = dir / freshName(nameLength);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return folder.empty() ? path.filename() : path;
        }
        code = errno;
    }
    error = systemText(code);
    return {};
}

FileSet::~FileSet() {
    if (!m_committed) discard();
}

void FileSet::discard() {
    std::error_code ec;
    for (const Change& c : m_changes)
        if (!c.temp.empty()) fs::remove(c.temp, ec);
    m_changes.clear();
}

bool FileSet::writeByPath(const fs::path& target, const PathWriter& fill, std::string& error) {
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
    if (m_fault && m_fault(target, error)) return false;
    const fs::path temp = createTemporaryFile(folderOf(target), temporaryLength(target), error);
    if (temp.empty()) return false;
    if (!fill(temp, error) || !flushFile(temp, error)) {
        if (error.empty()) error = systemText(EIO);
        fs::remove(temp, ec);
        return false;
    }
    m_changes.push_back({target, temp, {}, exists ? st.permissions() : fs::perms::unknown, exists});
    return true;
}

bool FileSet::write(const fs::path& target, std::span<const std::uint8_t> bytes, std::string& error) {
    return writeByPath(
        target, [bytes](const fs::path& temp, std::string& why) { return writeBytesTo(temp, bytes, why); }, error);
}

bool FileSet::write(const fs::path& target, const StreamWriter& writer, std::string& error) {
    std::ostringstream out(std::ios::binary);
    if (!writer(out) || !out) {
        error = systemText(EIO);
        return false;
    }
    const std::string s = std::move(out).str();
    return write(target, std::span(reinterpret_cast<const std::uint8_t*>(s.data()), s.size()), error);
}

bool FileSet::remove(const fs::path& target, std::string& error) {
    (void)error;
    std::error_code ec;
    if (fs::exists(fs::symlink_status(target, ec))) m_changes.push_back({target, {}, {}, fs::perms::unknown, true});
    return true;
}

bool FileSet::commit(std::string& error, fs::path* failed) {
    std::error_code ec;
    for (auto it = m_changes.begin(); it != m_changes.end(); ++it) {
        Change& c = *it;
        if (failed) *failed = c.target;
        if (c.existed) {
            if (!c.temp.empty() && c.perms != fs::perms::unknown) fs::permissions(c.temp, c.perms, ec);
            c.saved = keepAside(c.target, error);
            if (c.saved.empty()) {
                undo(std::make_reverse_iterator(it));
                return false;
            }
        }
        if (!c.temp.empty())
            fs::rename(c.temp, c.target, ec);
        else
            fs::remove(c.target, ec);
        if (ec) {
            error = ec.message();
            if (!c.saved.empty()) fs::remove(c.saved, ec);
            c.saved.clear();
            undo(std::make_reverse_iterator(it));
            return false;
        }
        c.temp.clear();
        c.done = true;
    }
    std::vector<fs::path> folders;
    for (const Change& c : m_changes) {
        if (std::find(folders.begin(), folders.end(), folderOf(c.target)) == folders.end())
            folders.push_back(folderOf(c.target));
        if (!c.saved.empty()) fs::remove(c.saved, ec);
    }
    for (const fs::path& folder : folders) syncFolder(folder);
    m_changes.clear();
    m_committed = true;
    return true;
}

// Puts back every target changed before `from` (a reverse iterator, so the
// last change goes back first) and throws the remaining temporaries away.
void FileSet::undo(std::vector<Change>::reverse_iterator from) {
    std::error_code ec;
    for (auto it = from; it != m_changes.rend(); ++it) {
        if (!it->done) continue;
        if (!it->saved.empty())
            fs::rename(it->saved, it->target, ec);
        else
            fs::remove(it->target, ec);
        it->done = false;
        it->saved.clear();
        syncFolder(folderOf(it->target));
    }
    discard();
    m_committed = true;
}

std::vector<fs::path> FileSet::written() const {
    std::vector<fs::path> files;
    for (const Change& c : m_changes)
        if (!c.temp.empty()) files.push_back(c.target);
    return files;
}

void letOversizedWritesFail() { std::signal(SIGXFSZ, SIG_IGN); }

std::string writeFileAtomically(const fs::path& target, std::span<const std::uint8_t> bytes) {
    FileSet set;
    std::string error;
    if (!set.write(target, bytes, error) || !set.commit(error)) return error.empty() ? systemText(EIO) : error;
    return {};
}

std::string writeFileAtomically(const fs::path& target, const StreamWriter& writer) {
    FileSet set;
    std::string error;
    if (!set.write(target, writer, error) || !set.commit(error)) return error.empty() ? systemText(EIO) : error;
    return {};
}

}  // namespace rova
