// Reading a track file whole into memory.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace rova {

// Larger files are refused rather than allocated: 256 MiB holds more than nine
// hours of 8000 Hz sound, and the motion and eye LED files are far smaller.
inline constexpr std::uintmax_t kMaxWholeFileBytes = 256u << 20;

// Empties the array, then reads the whole file into it. False, with the array
// left empty, for a missing, unreadable, empty or oversized file.
bool readWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes);

}  // namespace rova
