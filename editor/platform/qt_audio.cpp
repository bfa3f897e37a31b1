#include "platform/qt_audio.h"

#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>

#include "platform/midi_audio.h"

namespace rova {
namespace {

using Clock = std::chrono::steady_clock;

// A sink that has taken all its data and reports no progress for this long has
// played out, even when the server's clock stops just short of the end.
constexpr auto kDrainGrace = std::chrono::milliseconds(500);

class SinkOutput : public AudioOutput {
public:
    bool start(const AudioClip& clip, int fromMs, int toMs) override {
        m_from = fromMs;
        m_length = std::max(0, toMs - fromMs);
        m_done = false;
        m_last = -1;
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        QAudioFormat format;
        format.setSampleRate(clip.sampleRate);
        format.setChannelCount(clip.channels);
        format.setSampleFormat(clip.bytesPerSample == 1 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
        if (!device.isNull() && device.isFormatSupported(format)) {
            const std::size_t begin = clip.byteAt(fromMs), end = clip.byteAt(toMs);
            m_data = QByteArray(reinterpret_cast<const char*>(clip.pcm.data() + begin),
                                static_cast<qsizetype>(end - begin));
            m_buffer.setBuffer(&m_data);
            m_buffer.open(QIODevice::ReadOnly);
            m_sink = std::make_unique<QAudioSink>(device, format);
            m_sink->start(&m_buffer);
            if (m_sink->error() == QAudio::NoError && m_sink->state() != QAudio::StoppedState) return true;
            m_sink.reset();
        }
        // No sound then, but the same time.
        m_silent = std::make_unique<SilentOutput>();
        return m_silent->start(clip, fromMs, toMs);
    }

    bool playing() override {
        if (m_silent) return m_silent->playing();
        played();
        return !m_done;
    }

    int positionMs() override {
        if (m_silent) return m_silent->positionMs();
        return m_from + played();
    }

    void stop() override {
        if (m_silent) m_silent->stop();
        if (m_sink) {
            m_stoppedAt = played();
            m_sink->stop();
            m_sink.reset();
            m_done = true;
        }
    }

private:
    // Milliseconds of the range heard so far.
    int played() {
        if (m_done) return m_stoppedAt;
        if (!m_sink) return 0;
        const auto ms = static_cast<int>(std::min<qint64>(m_sink->processedUSecs() / 1000, m_length));
        const auto now = Clock::now();
        if (ms != m_last) {
            m_last = ms;
            m_moved = now;
        }
        const QAudio::State state = m_sink->state();
        const bool drained = state == QAudio::IdleState && m_buffer.atEnd() && now - m_moved > kDrainGrace;
        if (ms >= m_length || drained || state == QAudio::StoppedState) {
            m_done = true;
            m_stoppedAt = m_length;
            m_sink->stop();
            return m_length;
        }
        return ms;
    }

    std::unique_ptr<QAudioSink> m_sink;
    std::unique_ptr<SilentOutput> m_silent;
    QByteArray m_data;
    QBuffer m_buffer;
    int m_from = 0;
    int m_length = 0;
    int m_last = -1;
    int m_stoppedAt = 0;
    bool m_done = false;
    Clock::time_point m_moved{};
};

}  // namespace

std::unique_ptr<AudioOutput> makeSoundOutput(const AudioClip& clip) {
    if (clip.silent || clip.pcm.empty() || QMediaDevices::audioOutputs().isEmpty())
        return std::make_unique<SilentOutput>();
    return std::make_unique<SinkOutput>();
}

std::unique_ptr<AudioDevice> makeSystemAudioDevice(std::function<void(std::string_view)> notice) {
    auto loader = [notice = std::move(notice)](const std::string& path, int& error) {
        return loadAudioFile(path, findSoundFont(), error, notice);
    };
    return std::make_unique<AudioDevice>(loader, makeSoundOutput);
}

}  // namespace rova
