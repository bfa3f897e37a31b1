// The one way the editor writes files. Each file goes to a temporary file beside
// its target, is flushed to disk, and is renamed into place (the folder is
// flushed after), so a power cut leaves the old file or the new one, never an
// empty one. Until commit() every replaced or removed file is kept aside, so a
// failure at any file of a set puts every target back as it was.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace rova {

// Lets a test make the write of a chosen target fail as a full disk would:
// returns true, with the reason in error, to fail it.
using WriteFault = std::function<bool(const std::filesystem::path& target, std::string& error)>;

// Fills a stream with a file's content; false when it cannot.
using StreamWriter = std::function<bool(std::ostream& out)>;

class FileSet {
public:
    explicit FileSet(WriteFault fault = {}) : m_fault(std::move(fault)) {}
    FileSet(const FileSet&) = delete;
    FileSet& operator=(const FileSet&) = delete;
    // Rolls back unless committed.
    ~FileSet();

    // Puts the bytes at target. False with error set (the system's reason)
    // when it cannot; target is then as it was. A read-only target is refused.
    bool write(const std::filesystem::path& target, std::span<const std::uint8_t> bytes, std::string& error);
    // The same with content that a writer makes (in memory first, so it may seek).
    bool write(const std::filesystem::path& target, const StreamWriter& writer, std::string& error);
    // Removes target (kept aside until commit). False with error set when it cannot.
    bool remove(const std::filesystem::path& target, std::string& error);

    // Keeps every change and drops what was kept aside.
    void commit();
    // Undoes every change, last first.
    void rollback();

    // The files written so far, in order.
    std::vector<std::filesystem::path> written() const;

private:
    struct Change {
        std::filesystem::path target;
        std::filesystem::path saved;  // the previous file, empty when there was none
        bool removed = false;
    };

    WriteFault m_fault;
    std::vector<Change> m_changes;
    bool m_done = false;
};

// One file written as a one-entry set. Empty on success, else the system's reason.
std::string writeFileAtomically(const std::filesystem::path& target, std::span<const std::uint8_t> bytes);
std::string writeFileAtomically(const std::filesystem::path& target, const StreamWriter& writer);

// Creates an empty file of a fresh hidden name in folder, never longer than
// `nameLength` characters (at least 4) so that it fits wherever a file of that
// name does, and never the name of a file already there. Empty path, with the
// system's reason in error, when it cannot.
std::filesystem::path createTemporaryFile(const std::filesystem::path& folder, std::size_t nameLength,
                                          std::string& error);

}  // namespace rova
