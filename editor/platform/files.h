// File-system services of the editor: sibling names of a performance, copying.
// Files are written through platform/file_set.h.
#pragma once

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

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
    // Every file of the folder named NAME.EXT without regard to case, NAME.EXT
    // itself first when it exists (a case-sensitive file system may hold several).
    std::vector<fs::path> siblingsAnyCase(const std::string& ext) const;
    // NAME.EXT exactly, whether or not it exists.
    fs::path exact(const std::string& ext) const { return folder / (base + "." + ext); }
};

// Copies source to destination (truncating it) in blocks; false on any failure.
bool copyFile(const fs::path& source, const fs::path& destination);

bool fileExists(const fs::path& path);

// ASCII letters compared without regard to case (the robot's file names are ASCII).
bool sameIgnoringCase(std::string_view a, std::string_view b);

}  // namespace rova
