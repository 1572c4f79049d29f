// Measurements the benchmarks share: medians, clocks, processor time, and FFmpeg alone
// opening, seeking and decoding as the baseline the engine is compared with.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace kestrova::bench {

using Clock = std::chrono::steady_clock;

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

inline std::int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

// FFmpeg alone: open, find the audio stream, optionally seek accurately to `seekMs`, decode
// until 100 ms (from the seek point) are out. Returns seconds: of everything, or with a seek
// of the seek and the decoding after it (a fresh file each time, as the engine's run has).
inline double FfmpegBaseline(const char* path, std::int64_t seekMs) {
    auto start = Clock::now();
    AVFormatContext* fmt = nullptr;
    avformat_open_input(&fmt, path, nullptr, nullptr);
    avformat_find_stream_info(fmt, nullptr);
    const AVCodec* codec = nullptr;
    const int stream = av_find_best_stream(fmt, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    AVCodecContext* ctx = avcodec_alloc_context3(codec);
    avcodec_parameters_to_context(ctx, fmt->streams[stream]->codecpar);
    avcodec_open2(ctx, codec, nullptr);
    const AVRational tb = fmt->streams[stream]->time_base;
    std::int64_t target = 0;
    if (seekMs > 0) {
        start = Clock::now();
        target = av_rescale_q(seekMs, AVRational{1, 1000}, tb) + fmt->streams[stream]->start_time;
        av_seek_frame(fmt, stream, target, AVSEEK_FLAG_BACKWARD);
        avcodec_flush_buffers(ctx);
    }
    AVPacket* pkt = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    int samples = 0;
    const int need = ctx->sample_rate / 10;
    while (samples < need && av_read_frame(fmt, pkt) >= 0) {
        if (pkt->stream_index == stream && avcodec_send_packet(ctx, pkt) >= 0) {
            while (avcodec_receive_frame(ctx, frame) == 0) {
                if (frame->best_effort_timestamp +
                        av_rescale_q(frame->nb_samples, AVRational{1, ctx->sample_rate}, tb) >=
                    target)
                    samples += frame->nb_samples;
                av_frame_unref(frame);
            }
        }
        av_packet_unref(pkt);
    }
    av_frame_free(&frame);
    av_packet_free(&pkt);
    avcodec_free_context(&ctx);
    avformat_close_input(&fmt);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Processor time of the whole process (all threads), in seconds.
inline double CpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

} // namespace kestrova::bench
