#include "video/video_probe.h"

#include <cmath>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace rova::video {

namespace {

constexpr float kLoud = 0.25f;

struct Decoder {
    AVCodecContext* codec = nullptr;
    ~Decoder() { avcodec_free_context(&codec); }
    bool open(const AVStream* stream) {
        const AVCodec* c = avcodec_find_decoder(stream->codecpar->codec_id);
        if (!c) return false;
        codec = avcodec_alloc_context3(c);
        return avcodec_parameters_to_context(codec, stream->codecpar) >= 0 && avcodec_open2(codec, c, nullptr) >= 0;
    }
};

float sampleAt(const AVFrame* f, int channel, int i) {
    switch (f->format) {
    case AV_SAMPLE_FMT_FLTP: return reinterpret_cast<const float*>(f->data[channel])[i];
    case AV_SAMPLE_FMT_FLT: return reinterpret_cast<const float*>(f->data[0])[i * f->ch_layout.nb_channels + channel];
    case AV_SAMPLE_FMT_S16P: return reinterpret_cast<const std::int16_t*>(f->data[channel])[i] / 32768.0f;
    case AV_SAMPLE_FMT_S16:
        return reinterpret_cast<const std::int16_t*>(f->data[0])[i * f->ch_layout.nb_channels + channel] / 32768.0f;
    default: return 0;
    }
}

}  // namespace

VideoProbe probeVideo(const std::string& path) {
    VideoProbe probe;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return probe;
    std::unique_ptr<AVFormatContext, void (*)(AVFormatContext*)> owner(format, [](AVFormatContext* f) {
        avformat_close_input(&f);
    });
    if (avformat_find_stream_info(format, nullptr) < 0) return probe;
    probe.opened = true;
    int videoIndex = -1, audioIndex = -1;
    Decoder video, audio;
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVStream* s = format->streams[i];
        const AVMediaType type = s->codecpar->codec_type;
        const char* kind = av_get_media_type_string(type);
        probe.streamKinds.push_back(kind ? kind : "unknown");
        if (type == AVMEDIA_TYPE_VIDEO && videoIndex < 0 && video.open(s)) {
            videoIndex = static_cast<int>(i);
            probe.videoCodec = avcodec_get_name(s->codecpar->codec_id);
            probe.width = s->codecpar->width;
            probe.height = s->codecpar->height;
        } else if (type == AVMEDIA_TYPE_AUDIO && audioIndex < 0 && audio.open(s)) {
            audioIndex = static_cast<int>(i);
            probe.audioCodec = avcodec_get_name(s->codecpar->codec_id);
        }
    }
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    std::int64_t soundSamples = 0;
    auto drain = [&](Decoder& d, bool isVideo) {
        while (avcodec_receive_frame(d.codec, frame) >= 0) {
            if (isVideo) {
                ++probe.pictures;
                double sum = 0;
                for (int y = 0; y < frame->height; ++y)
                    for (int x = 0; x < frame->width; ++x) sum += frame->data[0][y * frame->linesize[0] + x];
                probe.pictureMeans.push_back(sum / (static_cast<double>(frame->width) * frame->height));
            } else {
                for (int i = 0; i < frame->nb_samples && probe.firstLoudMs < 0; ++i) {
                    if (std::fabs(sampleAt(frame, 0, i)) > kLoud)
                        probe.firstLoudMs = static_cast<double>(soundSamples + i) * 1000.0 / frame->sample_rate;
                }
                soundSamples += frame->nb_samples;
                probe.soundSeconds = static_cast<double>(soundSamples) / frame->sample_rate;
            }
        }
    };
    while (av_read_frame(format, packet) >= 0) {
        if (packet->stream_index == videoIndex && avcodec_send_packet(video.codec, packet) >= 0) drain(video, true);
        if (packet->stream_index == audioIndex && avcodec_send_packet(audio.codec, packet) >= 0) drain(audio, false);
        av_packet_unref(packet);
    }
    if (videoIndex >= 0 && avcodec_send_packet(video.codec, nullptr) >= 0) drain(video, true);
    if (audioIndex >= 0 && avcodec_send_packet(audio.codec, nullptr) >= 0) drain(audio, false);
    av_frame_free(&frame);
    av_packet_free(&packet);
    return probe;
}

}  // namespace rova::video
