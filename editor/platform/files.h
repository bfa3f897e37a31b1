// File-system services of the editor: sibling names of a performance, safe
// replacement of files, copying.
#pragma once

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>

namespace rova {

namespace fs = std::filesystem;

// The parts of a performance path that its siblings share.
struct PerformancePath {
    fs::path folder;
    std::string base;  // file name up to its last dot

    static PerformancePath split(const fs::path& path);

    // The sibling with this extension ("WAV", "MID", "LED", "MTN", "TMP"):
    // NAME.EXT when it exists, else the one file of the folder whose name
    // matches without regard to case, else NAME.EXT (which does not exist).
    fs::path sibling(const std::string& ext) const;
    // NAME.EXT exactly, whether or not it exists.
    fs::path exact(const std::string& ext) const { return folder / (base + "." + ext); }
};

// Writes a file through `write` into a temporary file beside `target` and puts it
// in the target's place only after a complete write, so a failure never harms
// the file that was there. Fails when the target exists and is read-only.
bool replaceFileSafely(const fs::path& target, const std::function<bool(std::ostream&)>& write);

// Copies source to destination (truncating it) in blocks; false on any failure.
bool copyFile(const fs::path& source, const fs::path& destination);

bool fileExists(const fs::path& path);

// ASCII letters compared without regard to case (the robot's file names are ASCII).
bool sameIgnoringCase(std::string_view a, std::string_view b);

}  // namespace rova
