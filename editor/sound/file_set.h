// Writes several files as one change: each goes to a temporary file beside its
// target and is renamed into place; until commit() every replaced file is kept
// (hard-linked or copied aside), so a failure at any file puts every target
// back as it was.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace rova::sound {

class FileSet {
public:
    FileSet() = default;
    FileSet(const FileSet&) = delete;
    FileSet& operator=(const FileSet&) = delete;
    // Rolls back unless committed.
    ~FileSet();

    // Puts the bytes at target. False with error set (the system's reason)
    // when it cannot; target is then as it was.
    bool write(const std::filesystem::path& target, std::span<const std::uint8_t> bytes, std::string& error);
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
    bool keepAside(const std::filesystem::path& target, std::filesystem::path& saved, std::string& error);

    std::vector<Change> m_changes;
    bool m_done = false;
};

}  // namespace rova::sound
