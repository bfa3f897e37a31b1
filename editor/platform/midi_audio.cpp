#include "platform/midi_audio.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <filesystem>
#include <map>

namespace rova {
namespace {

constexpr std::int64_t kMaxMs = std::numeric_limits<std::int64_t>::max();

std::uint32_t be(Bytes b, std::size_t at, int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i) v = (v << 8) | b[at + static_cast<std::size_t>(i)];
    return v;
}

// A variable-length quantity of at most four bytes; false past the end.
bool readVarLen(Bytes b, std::size_t& pos, std::size_t end, std::uint32_t& out) {
    out = 0;
    for (int i = 0; i < 4; ++i) {
        if (pos >= end) return false;
        const std::uint8_t c = b[pos++];
        out = (out << 7) | (c & 0x7f);
        if (!(c & 0x80)) return true;
    }
    return false;
}

// Walks one track's events: its end tick, and its tempo changes into tempos.
bool walkTrack(Bytes b, std::size_t pos, std::size_t end, std::uint64_t& endTick,
               std::multimap<std::uint64_t, std::uint32_t>& tempos) {
    std::uint64_t tick = 0;
    std::uint8_t status = 0;
    while (pos < end) {
        std::uint32_t delta;
        if (!readVarLen(b, pos, end, delta)) return false;
        tick += delta;
        if (pos >= end) return false;
        std::uint8_t first = b[pos];
        if (first & 0x80) {
            status = first;
            ++pos;
        } else if (status == 0 || status >= 0xf0) {
            return false;  // running status without a status to repeat
        }
        if (status == 0xff) {
            if (pos >= end) return false;
            const std::uint8_t type = b[pos++];
            std::uint32_t length;
            if (!readVarLen(b, pos, end, length) || length > end - pos) return false;
            if (type == 0x51 && length == 3) tempos.emplace(tick, be(b, pos, 3));
            pos += length;
            if (type == 0x2f) break;
            status = 0;
        } else if (status == 0xf0 || status == 0xf7) {
            std::uint32_t length;
            if (!readVarLen(b, pos, end, length) || length > end - pos) return false;
            pos += length;
            status = 0;
        } else {
            const int data = (status & 0xf0) == 0xc0 || (status & 0xf0) == 0xd0 ? 1 : 2;
            if (static_cast<std::size_t>(data) > end - pos) return false;
            pos += static_cast<std::size_t>(data);
        }
    }
    endTick = std::max(endTick, tick);
    return true;
}

}  // namespace

std::optional<std::int64_t> midiDurationMs(Bytes b) {
    if (b.size() < 14 || be(b, 0, 4) != 0x4d546864 /* MThd */) return std::nullopt;
    const std::uint32_t headerLength = be(b, 4, 4);
    if (headerLength < 6 || headerLength > b.size() - 8) return std::nullopt;
    const std::uint32_t tracks = be(b, 10, 2);
    const std::uint32_t division = be(b, 12, 2);
    if (division == 0) return std::nullopt;

    std::uint64_t endTick = 0;
    std::multimap<std::uint64_t, std::uint32_t> tempos;
    std::size_t pos = 8 + headerLength;
    std::uint32_t found = 0;
    while (found < tracks && b.size() - pos >= 8) {
        const std::uint32_t id = be(b, pos, 4);
        const std::uint32_t length = be(b, pos + 4, 4);
        pos += 8;
        // A track that claims more than is there is read as far as it goes.
        const std::size_t end = pos + std::min<std::size_t>(length, b.size() - pos);
        if (id == 0x4d54726b /* MTrk */) {
            if (!walkTrack(b, pos, end, endTick, tempos)) return std::nullopt;
            ++found;
        }
        pos = end;
    }
    if (found == 0) return std::nullopt;

    if (division & 0x8000) {
        // SMPTE: frames per second times ticks per frame, tempo plays no part.
        const int fps = -static_cast<std::int8_t>(division >> 8);
        const int perFrame = static_cast<int>(division & 0xff);
        if (fps <= 0 || perFrame == 0) return std::nullopt;
        const auto ticksPerSecond = static_cast<std::uint64_t>(fps) * static_cast<std::uint64_t>(perFrame);
        const std::uint64_t seconds = endTick / ticksPerSecond;
        if (seconds > static_cast<std::uint64_t>(kMaxMs / 1000)) return kMaxMs;
        return static_cast<std::int64_t>(seconds * 1000 + endTick % ticksPerSecond * 1000 / ticksPerSecond);
    }
    // Quarter notes: sum each stretch of ticks at the tempo in force.
    long double us = 0;
    std::uint64_t at = 0;
    std::uint32_t tempo = 500000;
    for (const auto& [tick, t] : tempos) {
        if (tick >= endTick) break;
        us += static_cast<long double>(tick - at) * tempo / division;
        at = tick;
        tempo = t;
    }
    us += static_cast<long double>(endTick - at) * tempo / division;
    // Millions of the longest pauses at the slowest tempo pass what milliseconds can count.
    const long double ms = us / 1000;
    return ms >= static_cast<long double>(kMaxMs) ? kMaxMs : static_cast<std::int64_t>(ms);
}

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
