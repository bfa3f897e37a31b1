// The one way the editor writes files. Each file of a set first goes whole to a
// temporary file beside its target and is flushed to disk; only when every one
// is written does commit() rename them into place, one after another, keeping
// each replaced file aside until all have moved (the folder is flushed after).
// So a full disk, or a crash while writing, leaves every old file as it was,
// and a power cut leaves the old file or the new one, never an empty one.
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
// Fills the file at a path (for a writer with a file layer of its own, such as
// a video encoder, whose output is too large to hold in memory); false, with
// the reason in error, when it cannot.
using PathWriter = std::function<bool(const std::filesystem::path& file, std::string& error)>;

class FileSet {
public:
    explicit FileSet(WriteFault fault = {}) : m_fault(std::move(fault)) {}
    FileSet(const FileSet&) = delete;
    FileSet& operator=(const FileSet&) = delete;
    // Throws the temporaries away unless committed; no target has changed then.
    ~FileSet();

    // Writes the bytes that are to go to target. False with error set (the
    // system's reason) when it cannot. A read-only target is refused.
    bool write(const std::filesystem::path& target, std::span<const std::uint8_t> bytes, std::string& error);
    // The same with content that a writer makes (in memory first, so it may seek).
    bool write(const std::filesystem::path& target, const StreamWriter& writer, std::string& error);
    // The same with a file that a writer fills by its path.
    bool writeByPath(const std::filesystem::path& target, const PathWriter& fill, std::string& error);
    // Target is to go (when it exists).
    bool remove(const std::filesystem::path& target, std::string& error);

    // Puts every written file in its target's place and removes what is to go,
    // in the order given. False with error set (and failed, when given, naming
    // the target) when a step fails; every target is then put back as it was.
    bool commit(std::string& error, std::filesystem::path* failed = nullptr);

    // The files written, in order.
    std::vector<std::filesystem::path> written() const;

private:
    struct Change {
        std::filesystem::path target;
        std::filesystem::path temp;   // the new content; empty for a removal
        std::filesystem::path saved;  // the previous file once kept aside
        std::filesystem::perms perms = std::filesystem::perms::unknown;  // the target's, kept
        bool existed = false;
        bool done = false;
    };
    void undo(std::vector<Change>::reverse_iterator from);
    void discard();

    WriteFault m_fault;
    std::vector<Change> m_changes;
    bool m_committed = false;
};

// A write past the process's file size limit would end the program (SIGXFSZ)
// in the middle of a save; after this it fails like a full disk instead, and
// the save reports it. The programs call it first thing.
void letOversizedWritesFail();

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
