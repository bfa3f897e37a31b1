#include "video/sound_track.h"

#include <algorithm>

#include "model/channels.h"
#include "platform/midi_audio.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace rova::video {

namespace {

constexpr std::int64_t kFramesPerMs = kAudioRate / 1000;

// The WAVE's samples from startMs on, up to durationMs of them, resampled.
std::string resampleWave(const VideoInput& input, std::int64_t startMs, std::int64_t durationMs,
                         std::vector<float>& out) {
    const auto size = static_cast<std::int64_t>(input.soundSize);
    const std::int64_t from = std::min(size, startMs * kSampleRate / 1000);
    const std::int64_t count = std::min(size - from, durationMs * kSampleRate / 1000);
    if (count <= 0) return "";
    AVChannelLayout mono, stereo;
    av_channel_layout_default(&mono, 1);
    av_channel_layout_default(&stereo, kAudioChannels);
    SwrContext* swr = nullptr;
    if (swr_alloc_set_opts2(&swr, &stereo, AV_SAMPLE_FMT_FLT, kAudioRate, &mono, AV_SAMPLE_FMT_U8, kSampleRate, 0,
                            nullptr) < 0 ||
        swr_init(swr) < 0) {
        swr_free(&swr);
        return "The sound could not be resampled.";
    }
    const std::int64_t capacity = swr_get_out_samples(swr, static_cast<int>(count)) + 256;
    std::vector<float> buffer(static_cast<std::size_t>(capacity * kAudioChannels));
    const std::uint8_t* in = input.soundData + from;
    auto* outPtr = reinterpret_cast<std::uint8_t*>(buffer.data());
    int got = swr_convert(swr, &outPtr, static_cast<int>(capacity), &in, static_cast<int>(count));
    int total = got > 0 ? got : 0;
    if (got >= 0) {
        // The samples still in the filter's memory.
        auto* rest = reinterpret_cast<std::uint8_t*>(buffer.data() + static_cast<std::size_t>(total) * kAudioChannels);
        const int more = swr_convert(swr, &rest, static_cast<int>(capacity - total), nullptr, 0);
        if (more > 0) total += more;
    }
    swr_free(&swr);
    if (got < 0) return "The sound could not be resampled.";
    const std::size_t n = std::min(out.size(), static_cast<std::size_t>(total) * kAudioChannels);
    std::copy_n(buffer.begin(), n, out.begin());
    return "";
}

std::string renderMusic(const VideoInput& input, std::int64_t startMs, std::int64_t durationMs,
                        const std::string& soundFont, std::vector<float>& out) {
    const std::string font = soundFont.empty() ? findSoundFont() : soundFont;
    if (font.empty()) return "No General MIDI SoundFont is installed to play the MIDI sound with.";
    std::vector<std::uint8_t> pcm;
    const Bytes file(input.soundData, input.soundSize);
    if (!renderMidi(file, font, kAudioRate, startMs + durationMs, pcm))
        return "The MIDI sound could not be rendered with " + font + ".";
    // 16-bit little-endian stereo frames; the span starts startMs in.
    const std::size_t first = static_cast<std::size_t>(startMs * kFramesPerMs) * kAudioChannels * 2;
    for (std::size_t i = 0; i < out.size() && first + 2 * i + 1 < pcm.size(); ++i) {
        const auto sample = static_cast<std::int16_t>(pcm[first + 2 * i] | (pcm[first + 2 * i + 1] << 8));
        out[i] = static_cast<float>(sample) / 32768.0f;
    }
    return "";
}

}  // namespace

std::string buildSoundTrack(const VideoInput& input, std::int64_t startMs, std::int64_t durationMs,
                            const std::string& soundFont, std::vector<float>& out) {
    out.assign(static_cast<std::size_t>(durationMs * kFramesPerMs * kAudioChannels), 0.0f);
    if (!input.soundData || input.soundSize == 0) return "";
    switch (input.sound) {
    case SoundKind::Wave: return resampleWave(input, startMs, durationMs, out);
    case SoundKind::Midi: return renderMusic(input, startMs, durationMs, soundFont, out);
    case SoundKind::None: break;
    }
    return "";
}

}  // namespace rova::video
