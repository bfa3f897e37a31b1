#include "video/encoder.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include "video/sound_track.h"

namespace rova::video {

namespace {

std::string why(const char* what, int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return std::string(what) + ": " + text + ".";
}

struct CodecDeleter {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameDeleter {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketDeleter {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
using CodecPtr = std::unique_ptr<AVCodecContext, CodecDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;

}  // namespace

struct Encoder::State {
    AVFormatContext* format = nullptr;
    bool headerWritten = false;
    CodecPtr video, audio;
    AVStream* videoStream = nullptr;
    AVStream* audioStream = nullptr;
    FramePtr picture, sound;
    PacketPtr packet{av_packet_alloc()};
    SwsContext* sws = nullptr;
    int width = 0, height = 0;
    std::int64_t nextPicture = 0;  // in frames
    std::int64_t nextSound = 0;    // in sound frames (1 / 48000 s)
    int fps = 25;

    ~State() {
        sws_freeContext(sws);
        if (format) {
            if (format->pb) avio_closep(&format->pb);
            avformat_free_context(format);
        }
    }

    // Sends a frame (null: the end) and writes every packet the encoder gives.
    std::string encode(AVCodecContext* codec, AVStream* stream, AVFrame* frame) {
        int r = avcodec_send_frame(codec, frame);
        if (r < 0) return why("The encoder refused a frame", r);
        for (;;) {
            r = avcodec_receive_packet(codec, packet.get());
            if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return "";
            if (r < 0) return why("The encoder failed", r);
            av_packet_rescale_ts(packet.get(), codec->time_base, stream->time_base);
            packet->stream_index = stream->index;
            r = av_interleaved_write_frame(format, packet.get());
            if (r < 0) return why("The video file could not be written", r);
        }
    }

    // Sound frames up to (not including) the sound frame `until`, in the
    // encoder's frames; the last one is padded with silence.
    std::string feedSound(const std::vector<float>& buffer, std::int64_t until) {
        if (!audio) return "";
        const std::int64_t total = static_cast<std::int64_t>(buffer.size()) / kAudioChannels;
        until = std::min(until, total);
        const int size = audio->frame_size > 0 ? audio->frame_size : 1024;
        while (nextSound < until) {
            const int n = static_cast<int>(std::min<std::int64_t>(size, total - nextSound));
            if (const int r = av_frame_make_writable(sound.get()); r < 0) return why("No memory for the sound", r);
            // An encoder that takes a short last frame gets no padding: the
            // sound then ends with the pictures.
            sound->nb_samples = n < size && (audio->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME) ? n : size;
            const float* from = buffer.data() + nextSound * kAudioChannels;
            for (int i = 0; i < sound->nb_samples; ++i) {
                for (int c = 0; c < kAudioChannels; ++c) {
                    const float v = i < n ? from[i * kAudioChannels + c] : 0.0f;
                    switch (audio->sample_fmt) {
                    case AV_SAMPLE_FMT_FLTP: reinterpret_cast<float*>(sound->data[c])[i] = v; break;
                    case AV_SAMPLE_FMT_FLT: reinterpret_cast<float*>(sound->data[0])[i * kAudioChannels + c] = v; break;
                    default:
                        reinterpret_cast<std::int16_t*>(sound->data[0])[i * kAudioChannels + c] =
                            static_cast<std::int16_t>(std::clamp(v, -1.0f, 1.0f) * 32767.0f);
                        break;
                    }
                }
            }
            sound->pts = nextSound;
            nextSound += size;
            if (std::string e = encode(audio.get(), audioStream, sound.get()); !e.empty()) return e;
        }
        return "";
    }
};

Encoder::Encoder() : m(std::make_unique<State>()) {}
Encoder::~Encoder() = default;

std::string Encoder::open(const std::string& path, Container container, int width, int height, int fps, bool sound) {
    State& s = *m;
    s.width = width;
    s.height = height;
    s.fps = fps;
    // The encoders' statistics are no news to the user; errors come back as results.
    av_log_set_level(AV_LOG_ERROR);
    const char* formatName = container == Container::Mp4 ? "mp4" : "webm";
    int r = avformat_alloc_output_context2(&s.format, nullptr, formatName, path.c_str());
    if (r < 0 || !s.format) return why("The video container could not be made", r);

    // Pictures.
    const char* videoName = container == Container::Mp4 ? "libx264" : "libvpx-vp9";
    const AVCodec* videoCodec = avcodec_find_encoder_by_name(videoName);
    if (!videoCodec) return std::string("The ") + videoName + " encoder is not available.";
    s.video.reset(avcodec_alloc_context3(videoCodec));
    AVCodecContext* v = s.video.get();
    v->width = width;
    v->height = height;
    v->time_base = AVRational{1, fps};
    v->framerate = AVRational{fps, 1};
    v->pix_fmt = AV_PIX_FMT_YUV420P;
    v->gop_size = fps * 2;
    v->thread_count = 0;  // as many as the machine has
    if (s.format->oformat->flags & AVFMT_GLOBALHEADER) v->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* options = nullptr;
    if (container == Container::Mp4) {
        // Faster than real time on a small machine, at a quality fit to show.
        av_dict_set(&options, "preset", "ultrafast", 0);
        av_dict_set(&options, "crf", "23", 0);
    } else {
        av_dict_set(&options, "deadline", "realtime", 0);
        av_dict_set(&options, "cpu-used", "8", 0);
        av_dict_set(&options, "row-mt", "1", 0);
        av_dict_set(&options, "crf", "32", 0);
        v->bit_rate = 0;
    }
    r = avcodec_open2(v, videoCodec, &options);
    av_dict_free(&options);
    if (r < 0) return why("The picture encoder could not start", r);
    s.videoStream = avformat_new_stream(s.format, nullptr);
    if (!s.videoStream) return "The picture stream could not be made.";
    s.videoStream->time_base = v->time_base;
    s.videoStream->avg_frame_rate = v->framerate;
    if ((r = avcodec_parameters_from_context(s.videoStream->codecpar, v)) < 0) return why("Picture stream", r);
    s.picture.reset(av_frame_alloc());
    s.picture->format = v->pix_fmt;
    s.picture->width = width;
    s.picture->height = height;
    if ((r = av_frame_get_buffer(s.picture.get(), 0)) < 0) return why("No memory for the pictures", r);
    s.sws = sws_getContext(width, height, AV_PIX_FMT_RGBA, width, height, AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr,
                           nullptr, nullptr);
    if (!s.sws) return "The pictures could not be converted.";

    // Sound.
    if (sound) {
        const AVCodec* audioCodec =
            avcodec_find_encoder_by_name(container == Container::Mp4 ? "aac" : "libopus");
        if (!audioCodec) return "The sound encoder is not available.";
        s.audio.reset(avcodec_alloc_context3(audioCodec));
        AVCodecContext* a = s.audio.get();
        a->sample_rate = kAudioRate;
        av_channel_layout_default(&a->ch_layout, kAudioChannels);
        a->sample_fmt = audioCodec->sample_fmts ? audioCodec->sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
        // Opus takes float as well as 16-bit: float keeps the sound as rendered.
        for (const AVSampleFormat* f = audioCodec->sample_fmts; f && *f != AV_SAMPLE_FMT_NONE; ++f)
            if (*f == AV_SAMPLE_FMT_FLT || *f == AV_SAMPLE_FMT_FLTP) a->sample_fmt = *f;
        a->bit_rate = 128000;
        a->time_base = AVRational{1, kAudioRate};
        if (s.format->oformat->flags & AVFMT_GLOBALHEADER) a->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        AVDictionary* soundOptions = nullptr;
        // The AAC encoder's quick coder: its default search costs more than the pictures' encoding.
        if (container == Container::Mp4) av_dict_set(&soundOptions, "aac_coder", "fast", 0);
        r = avcodec_open2(a, audioCodec, &soundOptions);
        av_dict_free(&soundOptions);
        if (r < 0) return why("The sound encoder could not start", r);
        s.audioStream = avformat_new_stream(s.format, nullptr);
        if (!s.audioStream) return "The sound stream could not be made.";
        s.audioStream->time_base = a->time_base;
        if ((r = avcodec_parameters_from_context(s.audioStream->codecpar, a)) < 0) return why("Sound stream", r);
        s.sound.reset(av_frame_alloc());
        s.sound->format = a->sample_fmt;
        s.sound->sample_rate = a->sample_rate;
        av_channel_layout_copy(&s.sound->ch_layout, &a->ch_layout);
        s.sound->nb_samples = a->frame_size > 0 ? a->frame_size : 1024;
        if ((r = av_frame_get_buffer(s.sound.get(), 0)) < 0) return why("No memory for the sound", r);
    }

    if ((r = avio_open(&s.format->pb, path.c_str(), AVIO_FLAG_WRITE)) < 0)
        return why("The video file could not be created", r);
    if ((r = avformat_write_header(s.format, nullptr)) < 0) return why("The video file could not be started", r);
    s.headerWritten = true;
    return "";
}

std::string Encoder::addFrame(const std::uint8_t* rgba, bool same, const std::vector<float>& sound) {
    State& s = *m;
    // The sound that plays before this picture's end goes first, so the two
    // streams interleave closely.
    const std::int64_t soundEnd = (s.nextPicture + 1) * kAudioRate / s.fps;
    if (std::string e = s.feedSound(sound, soundEnd); !e.empty()) return e;
    if (const int r = av_frame_make_writable(s.picture.get()); r < 0) return why("No memory for the pictures", r);
    const std::uint8_t* planes[1] = {rgba};
    const int strides[1] = {s.width * 4};
    // A frame the encoder still holds is copied by make_writable, content and all.
    if (!same || s.nextPicture == 0) sws_scale(s.sws, planes, strides, 0, s.height, s.picture->data, s.picture->linesize);
    s.picture->pts = s.nextPicture++;
    return s.encode(s.video.get(), s.videoStream, s.picture.get());
}

std::string Encoder::finish(const std::vector<float>& sound) {
    State& s = *m;
    if (std::string e = s.feedSound(sound, static_cast<std::int64_t>(sound.size())); !e.empty()) return e;
    if (std::string e = s.encode(s.video.get(), s.videoStream, nullptr); !e.empty()) return e;
    if (s.audio) {
        if (std::string e = s.encode(s.audio.get(), s.audioStream, nullptr); !e.empty()) return e;
    }
    if (const int r = av_write_trailer(s.format); r < 0) return why("The video file could not be completed", r);
    if (const int r = avio_closep(&s.format->pb); r < 0) return why("The video file could not be closed", r);
    return "";
}

std::string Encoder::videoCodec() const { return m->video ? avcodec_get_name(m->video->codec_id) : ""; }
std::string Encoder::audioCodec() const { return m->audio ? avcodec_get_name(m->audio->codec_id) : ""; }

}  // namespace rova::video
