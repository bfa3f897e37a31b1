#include <sndfile.h>
#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <memory>

#include "platform/file_set.h"
#include "model/audio_file.h"
#include "model/channels.h"
#include "sound_import.h"

namespace rova::sound {
namespace {

constexpr int kMaxChannels = 1024;
constexpr int kMaxSourceRate = 1 << 20;
constexpr std::size_t kBlockValues = 1 << 16;  // decoded floats per block, all channels

struct SndfileCloser {
    void operator()(SNDFILE* f) const { sf_close(f); }
};
struct SoxrCloser {
    void operator()(soxr* s) const { soxr_delete(s); }
};

Result failure(std::string message) { return Result{Status::Failed, std::move(message)}; }

std::string pathText(const fs::path& p) { return p.string(); }

Result cannotRead(const fs::path& source, std::string_view reason) {
    return failure(formatMessage(kCannotReadSoundMessage, {pathText(source), reason}));
}

Result tooLong(const fs::path& source, std::int64_t maxSamples) {
    return failure(formatMessage(kTooLongSoundMessage, {pathText(source), std::to_string(maxSamples / kSampleRate)}));
}

// Streams mono float samples from the source rate to 8000 Hz.
class Resampler {
public:
    bool open(double rate, std::string& error) {
        m_ratio = kSampleRate / rate;
        if (rate == kSampleRate) return true;
        const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
        const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
        const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
        soxr_error_t err = nullptr;
        m_soxr.reset(soxr_create(rate, kSampleRate, 1, &err, &io, &quality, &runtime));
        if (err || !m_soxr) {
            error = err ? err : "cannot convert the sample rate.";
            return false;
        }
        return true;
    }

    // Appends the output for n more input samples (none to flush the end).
    bool push(const float* in, std::size_t n, std::vector<float>& out, std::string& error) {
        if (!m_soxr) {
            out.insert(out.end(), in, in + n);
            return true;
        }
        std::size_t offset = 0;
        for (;;) {
            const std::size_t left = n - offset;
            const std::size_t room = static_cast<std::size_t>(static_cast<double>(left) * m_ratio) + 256;
            const std::size_t before = out.size();
            out.resize(before + room);
            std::size_t used = 0, made = 0;
            const soxr_error_t err =
                soxr_process(m_soxr.get(), in ? in + offset : nullptr, left, &used, out.data() + before, room, &made);
            out.resize(before + made);
            if (err) {
                error = err;
                return false;
            }
            offset += used;
            // Flushing ends when nothing more comes; feeding when all input is taken and room was left.
            if (!in ? made == 0 : (offset >= n && made < room)) return true;
        }
    }

private:
    std::unique_ptr<soxr, SoxrCloser> m_soxr;
    double m_ratio = 1;
};

std::uint8_t quantise(float v, double gain) {
    double x = static_cast<double>(v) * gain;
    if (!std::isfinite(x)) x = 0;
    x = std::clamp(x, -1.0, 1.0);
    return static_cast<std::uint8_t>(128 + std::lround(x * 127));
}

void putLe(std::vector<std::uint8_t>& b, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void putText(std::vector<std::uint8_t>& b, const char* text) { b.insert(b.end(), text, text + std::strlen(text)); }

}  // namespace

std::string formatMessage(std::string_view pattern, std::initializer_list<std::string_view> args) {
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            const auto n = static_cast<std::size_t>(pattern[i + 1] - '1');
            if (n < args.size()) {
                out += *(args.begin() + n);
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

Result convertToSamples(const fs::path& source, const ConvertOptions& options, const Progress& progress,
                        std::vector<std::uint8_t>& samples) {
    samples.clear();
    SF_INFO info{};
    std::unique_ptr<SNDFILE, SndfileCloser> file(sf_open(source.c_str(), SFM_READ, &info));
    if (!file) {
        std::string_view reason = sf_strerror(nullptr);
        // libsndfile says this also of a plain file that its MPEG decoder gives up on.
        std::error_code ec;
        if (reason.starts_with("File does not exist") && fs::is_regular_file(source, ec)) reason = kUndecodableReason;
        return cannotRead(source, reason);
    }
    if (info.channels < 1 || info.channels > kMaxChannels || info.samplerate < 1 || info.samplerate > kMaxSourceRate)
        return cannotRead(source, kBadFormatReason);

    const double rate = info.samplerate;
    const bool lengthKnown = info.frames > 0 && info.frames < SF_COUNT_MAX;
    // Refuse before decoding when the header already tells the sound is too long.
    const double expected = lengthKnown ? static_cast<double>(info.frames) * kSampleRate / rate : 0;
    if (expected > static_cast<double>(options.maxSamples) + 1) return tooLong(source, options.maxSamples);

    Resampler resampler;
    std::string error;
    if (!resampler.open(rate, error)) return cannotRead(source, error);

    std::vector<float> out;
    out.reserve(static_cast<std::size_t>(std::min(expected, static_cast<double>(options.maxSamples))) + 1024);
    const auto channels = static_cast<std::size_t>(info.channels);
    const std::size_t blockFrames = kBlockValues / channels;
    std::vector<float> block(blockFrames * channels);
    std::vector<float> mono(blockFrames);
    sf_count_t framesRead = 0;
    for (;;) {
        const sf_count_t got = sf_readf_float(file.get(), block.data(), static_cast<sf_count_t>(blockFrames));
        if (got <= 0) break;
        const auto n = static_cast<std::size_t>(got);
        framesRead += got;
        // Average the channels; a value that is no number counts as silence.
        if (channels == 1) {
            for (std::size_t i = 0; i < n; ++i) mono[i] = std::isfinite(block[i]) ? block[i] : 0.0f;
        } else {
            const float scale = 1.0f / static_cast<float>(channels);
            for (std::size_t i = 0; i < n; ++i) {
                const float* frame = block.data() + i * channels;
                float sum = 0;
                for (std::size_t c = 0; c < channels; ++c) sum += std::isfinite(frame[c]) ? frame[c] : 0.0f;
                mono[i] = sum * scale;
            }
        }
        if (!resampler.push(mono.data(), n, out, error)) return cannotRead(source, error);
        if (static_cast<std::int64_t>(out.size()) > options.maxSamples) return tooLong(source, options.maxSamples);
        if (progress) {
            const double done = lengthKnown ? static_cast<double>(framesRead) / static_cast<double>(info.frames) : 0;
            if (!progress(std::min(done, 1.0))) return Result{Status::Cancelled, {}};
        }
        if (got < static_cast<sf_count_t>(blockFrames)) break;
    }
    if (sf_error(file.get()) != SF_ERR_NO_ERROR) return cannotRead(source, sf_strerror(file.get()));
    if (!resampler.push(nullptr, 0, out, error)) return cannotRead(source, error);
    if (out.empty()) return failure(formatMessage(kEmptySoundMessage, {pathText(source)}));
    if (static_cast<std::int64_t>(out.size()) > options.maxSamples) return tooLong(source, options.maxSamples);

    float peak = 0;
    for (float v : out) peak = std::max(peak, std::fabs(v));
    // Below one step of 16-bit sound there is only codec dust (lossy decoders
    // give values near 1e-34 for digital silence): it stays silence, not raised.
    constexpr float kSilentPeak = 1.0f / 32768;
    const double gain =
        options.normalise && peak >= kSilentPeak && std::isfinite(peak) ? kNormalisedPeak / peak : 1.0;
    samples.resize(out.size());
    for (std::size_t i = 0; i < out.size(); ++i) samples[i] = quantise(out[i], gain);
    if (progress && !progress(1.0)) {
        samples.clear();
        return Result{Status::Cancelled, {}};
    }
    return {};
}

std::vector<std::uint8_t> waveFileBytes(std::span<const std::uint8_t> samples) {
    // The editor reads no WAVE file under 60 bytes: a filler chunk makes up a tiny sound.
    constexpr std::size_t kMinFile = 60;
    const std::size_t pad = samples.size() % 2;
    std::size_t total = 44 + samples.size() + pad;
    const std::size_t junk = total < kMinFile ? std::max<std::size_t>(kMinFile - total, 8) - 8 : 0;
    const bool withJunk = total < kMinFile;
    if (withJunk) total += 8 + junk;

    std::vector<std::uint8_t> b;
    b.reserve(total);
    putText(b, "RIFF");
    putLe(b, static_cast<std::uint32_t>(total - 8), 4);
    putText(b, "WAVEfmt ");
    putLe(b, 16, 4);
    putLe(b, 1, 2);           // PCM
    putLe(b, 1, 2);           // mono
    putLe(b, kSampleRate, 4);
    putLe(b, kSampleRate, 4);  // bytes per second
    putLe(b, 1, 2);           // block align
    putLe(b, 8, 2);           // bits per sample
    if (withJunk) {
        putText(b, "JUNK");
        putLe(b, static_cast<std::uint32_t>(junk), 4);
        b.insert(b.end(), junk, 0);
    }
    putText(b, "data");
    putLe(b, static_cast<std::uint32_t>(samples.size()), 4);
    b.insert(b.end(), samples.begin(), samples.end());
    if (pad) b.push_back(0);
    return b;
}

Result convertToWave(const fs::path& source, const fs::path& target, const ConvertOptions& options,
                     const Progress& progress) {
    std::vector<std::uint8_t> samples;
    Result r = convertToSamples(source, options, progress, samples);
    if (!r.ok()) return r;
    FileSet files;
    std::string error;
    if (!files.write(target, waveFileBytes(samples), error) || !files.commit(error))
        return failure(formatMessage(kCannotWriteMessage, {pathText(target), error}));
    return {};
}

bool isPerformanceWave(const fs::path& file) {
    std::vector<std::uint8_t> bytes;
    CWaveTrack track;
    return readWholeFile(file, bytes) && readWave(bytes, track);
}

}  // namespace rova::sound
