#include "platform/midi_audio.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <filesystem>

namespace rova {
namespace {

constexpr std::int64_t kMaxMs = std::numeric_limits<std::int64_t>::max();

}  // namespace

std::string findSoundFont() {
    if (const char* chosen = std::getenv("ROVA_SOUNDFONT")) return chosen;
    static const char* const candidates[] = {
        "/usr/share/sounds/sf2/default-GM.sf2",    "/usr/share/sounds/sf2/TimGM6mb.sf2",
        "/usr/share/sounds/sf2/FluidR3_GM.sf2",    "/usr/share/soundfonts/default.sf2",
        "/usr/share/soundfonts/FluidR3_GM.sf2",    "/usr/local/share/sounds/sf2/default-GM.sf2",
    };
    std::error_code ec;
    for (const char* path : candidates)
        if (std::filesystem::is_regular_file(path, ec)) return path;
    return {};
}

bool renderMidi(Bytes file, const std::string& soundFont, int sampleRate, std::int64_t durationMs,
                std::vector<std::uint8_t>& pcm) {
    pcm.clear();
    if (sampleRate <= 0 || durationMs < 0 || durationMs > kMaxMs / sampleRate) return false;
    // The synthesizer's loader complains loudly about files of other kinds.
    {
        char head[12] = {};
        std::ifstream in(soundFont, std::ios::binary);
        if (!in.read(head, sizeof head) || std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "sfbk", 4) != 0)
            return false;
    }
    // The synthesizer talks only through our result codes.
    fluid_set_log_function(FLUID_PANIC, nullptr, nullptr);
    fluid_set_log_function(FLUID_ERR, nullptr, nullptr);
    fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
    fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
    fluid_set_log_function(FLUID_DBG, nullptr, nullptr);

    fluid_settings_t* settings = new_fluid_settings();
    if (!settings) return false;
    fluid_settings_setnum(settings, "synth.sample-rate", sampleRate);
    fluid_settings_setnum(settings, "synth.gain", 1.0);
    // Rendered offline: the player must count time in samples written, not wall time.
    fluid_settings_setstr(settings, "player.timing-source", "sample");
    fluid_settings_setint(settings, "synth.lock-memory", 0);
    bool ok = false;
    fluid_synth_t* synth = new_fluid_synth(settings);
    fluid_player_t* player = nullptr;
    if (synth && fluid_synth_sfload(synth, soundFont.c_str(), 1) != FLUID_FAILED) {
        player = new_fluid_player(synth);
        if (player && fluid_player_add_mem(player, file.data(), file.size()) == FLUID_OK &&
            fluid_player_play(player) == FLUID_OK) {
            const std::int64_t frames = durationMs * sampleRate / 1000;
            pcm.resize(static_cast<std::size_t>(frames) * 4);
            constexpr int kBlock = 1024;
            std::vector<std::int16_t> block(kBlock * 2);
            std::int64_t done = 0;
            while (done < frames) {
                const int n = static_cast<int>(std::min<std::int64_t>(kBlock, frames - done));
                if (fluid_synth_write_s16(synth, n, block.data(), 0, 2, block.data(), 1, 2) != FLUID_OK) break;
                for (int i = 0; i < n * 2; ++i) {
                    const auto v = static_cast<std::uint16_t>(block[static_cast<std::size_t>(i)]);
                    const std::size_t at = static_cast<std::size_t>(done * 2 + i) * 2;
                    pcm[at] = static_cast<std::uint8_t>(v & 0xff);
                    pcm[at + 1] = static_cast<std::uint8_t>(v >> 8);
                }
                done += n;
            }
            ok = done == frames;
            fluid_player_stop(player);
        }
    }
    if (player) delete_fluid_player(player);
    if (synth) delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    if (!ok) pcm.clear();
    return ok;
}

}  // namespace rova
