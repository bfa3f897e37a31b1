// The SoundFont tests render MIDI with, named rather than found: which one the
// machine's default points at varies (another General MIDI package takes the
// default name over), and results such as detected tempos vary with it.
#pragma once

#include <filesystem>
#include <string>

namespace rova::test {

// Installed by scripts/packages.txt (timgm6mb-soundfont).
inline constexpr const char* kTestSoundFontPath = "/usr/share/sounds/sf2/TimGM6mb.sf2";

// The test SoundFont's path, "" when it is not installed (the test then skips).
inline std::string testSoundFont() {
    std::error_code ec;
    return std::filesystem::is_regular_file(kTestSoundFontPath, ec) ? kTestSoundFontPath : std::string();
}

}  // namespace rova::test
