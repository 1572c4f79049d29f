#include "Decoder.h"

#include <QFile>
#include <algorithm>
#include <cstring>
#include <libopenmpt/libopenmpt.hpp>
#include <sstream>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace kestrova {

namespace {

// A decoded file beyond this many frames of silence-free garbage is not worth reading; it
// also bounds the work a corrupt length field can cause.
constexpr int kMaxConsecutiveErrors = 64;

struct MemoryInput {
    QByteArray bytes;
    std::int64_t pos = 0;
};

int MemoryRead(void* opaque, std::uint8_t* buf, int size) {
    auto* in = static_cast<MemoryInput*>(opaque);
    const std::int64_t left = in->bytes.size() - in->pos;
    if (left <= 0) return AVERROR_EOF;
    const int n = int(std::min<std::int64_t>(left, size));
    std::memcpy(buf, in->bytes.constData() + in->pos, size_t(n));
    in->pos += n;
    return n;
}

std::int64_t MemorySeek(void* opaque, std::int64_t offset, int whence) {
    auto* in = static_cast<MemoryInput*>(opaque);
    if (whence == AVSEEK_SIZE) return in->bytes.size();
    std::int64_t target = offset;
    switch (whence & ~AVSEEK_FORCE) {
    case SEEK_SET:
        break;
    case SEEK_CUR:
        target = in->pos + offset;
        break;
    case SEEK_END:
        target = in->bytes.size() + offset;
        break;
    default:
        return -1;
    }
    if (target < 0 || target > in->bytes.size()) return -1;
    in->pos = target;
    return target;
}

// Decoded frames waiting to be read. Grows without zero-filling what the converter is about
// to overwrite.
class CPending {
public:
    float* Data() { return m_data.get(); }
    std::size_t Size() const { return m_size; }
    bool Empty() const { return m_size == 0; }
    void Clear() { m_size = 0; }
    void Truncate(std::size_t size) { m_size = std::min(m_size, size); }
    // Room for `count` more floats at the end; they count as used until truncated.
    float* Grow(std::size_t count) {
        if (m_size + count > m_capacity) {
            const std::size_t capacity = std::max(m_size + count, m_capacity * 2);
            std::unique_ptr<float[]> bigger(new float[capacity]);
            if (m_size) std::memcpy(bigger.get(), m_data.get(), m_size * sizeof(float));
            m_data = std::move(bigger);
            m_capacity = capacity;
        }
        float* tail = m_data.get() + m_size;
        m_size += count;
        return tail;
    }
    void DropFront(std::size_t count) {
        count = std::min(count, m_size);
        if (count < m_size)
            std::memmove(m_data.get(), m_data.get() + count, (m_size - count) * sizeof(float));
        m_size -= count;
    }

private:
    std::unique_ptr<float[]> m_data;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

class CFfmpegDecoder final : public CDecoder {
public:
    ~CFfmpegDecoder() override {
        swr_free(&m_swr);
        av_channel_layout_uninit(&m_inLayout);
        av_frame_free(&m_frame);
        av_packet_free(&m_packet);
        avcodec_free_context(&m_codec);
        avformat_close_input(&m_format);
        if (m_io) {
            av_freep(&m_io->buffer);
            avio_context_free(&m_io);
        }
    }

    explicit CFfmpegDecoder(bool rightOnly) : m_rightOnly(rightOnly) {
        m_channels = rightOnly ? 1 : 2;
    }

    bool OpenFile(const QString& path) { return OpenWith(path.toUtf8().constData(), nullptr); }

    bool OpenMemory(const QByteArray& bytes) {
        m_memory = std::make_unique<MemoryInput>();
        m_memory->bytes = bytes;
        constexpr int kBuf = 32768;
        auto* buffer = static_cast<std::uint8_t*>(av_malloc(kBuf));
        m_io = avio_alloc_context(buffer, kBuf, 0, m_memory.get(), MemoryRead, nullptr, MemorySeek);
        if (!m_io) return false;
        m_format = avformat_alloc_context();
        m_format->pb = m_io;
        return OpenWith("", nullptr);
    }

    int Read(float* out, int frames) override {
        int done = 0;
        while (done < frames) {
            const std::size_t w = size_t(m_channels);
            if (m_pendingPos < m_pending.Size() / w) {
                const int n = int(std::min<std::size_t>(size_t(frames - done),
                                                        m_pending.Size() / w - m_pendingPos));
                std::memcpy(out + w * size_t(done), m_pending.Data() + w * m_pendingPos,
                            size_t(n) * w * sizeof(float));
                m_pendingPos += size_t(n);
                done += n;
                continue;
            }
            if (!DecodeMore()) break;
        }
        m_position += done;
        return done;
    }

    bool Seek(std::int64_t frame) override {
        if (frame < 0) return false;
        const AVStream* st = m_format->streams[m_stream];
        // Start decoding a little earlier than asked: a decoder that carries state from one
        // packet to the next (MP3's bit reservoir) gives silence for the first packets after
        // a seek, which would be heard at the start of every pass. What lies before `frame`
        // is dropped.
        const std::int64_t preroll = m_sampleRate / 10;
        const std::int64_t ts = av_rescale_q(std::max<std::int64_t>(frame - preroll, 0),
                                             AVRational{1, m_sampleRate}, st->time_base) +
                                StartPts();
        if (av_seek_frame(m_format, m_stream, ts, AVSEEK_FLAG_BACKWARD) < 0) {
            // Not seekable by timestamp: start again from the beginning and decode forward.
            if (av_seek_frame(m_format, m_stream, StartPts(), AVSEEK_FLAG_BACKWARD) < 0 &&
                avformat_seek_file(m_format, -1, INT64_MIN, 0, INT64_MAX, 0) < 0)
                return false;
        }
        avcodec_flush_buffers(m_codec);
        ResetConverter();
        m_pending.Clear();
        m_pendingPos = 0;
        m_eof = false;
        m_inputDone = false;
        m_nextFrame = -1;
        m_dropUntil = frame;
        // Decode up to the target so that Position() is exact on return.
        while (m_pending.Size() / size_t(m_channels) == m_pendingPos && !m_eof)
            DecodeMore();
        m_position = frame;
        return true;
    }

private:
    std::int64_t StartPts() const {
        const AVStream* st = m_format->streams[m_stream];
        return st->start_time == AV_NOPTS_VALUE ? 0 : st->start_time;
    }

    bool OpenWith(const char* url, AVInputFormat* fmt) {
        if (avformat_open_input(&m_format, url, fmt, nullptr) < 0) {
            m_format = nullptr;
            return false;
        }
        if (avformat_find_stream_info(m_format, nullptr) < 0) return false;
        const AVCodec* codec = nullptr;
        m_stream = av_find_best_stream(m_format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
        if (m_stream < 0 || !codec) return false;
        for (unsigned i = 0; i < m_format->nb_streams; ++i)
            if (int(i) != m_stream) m_format->streams[i]->discard = AVDISCARD_ALL;
        AVStream* st = m_format->streams[m_stream];
        m_codec = avcodec_alloc_context3(codec);
        if (!m_codec || avcodec_parameters_to_context(m_codec, st->codecpar) < 0) return false;
        m_codec->pkt_timebase = st->time_base;
        if (avcodec_open2(m_codec, codec, nullptr) < 0) return false;
        if (m_codec->sample_rate <= 0 || m_codec->sample_rate > 768000 ||
            m_codec->ch_layout.nb_channels <= 0)
            return false;
        m_sampleRate = m_codec->sample_rate;
        if (st->duration != AV_NOPTS_VALUE && st->duration > 0)
            m_length = av_rescale_q(st->duration, st->time_base, AVRational{1, m_sampleRate});
        else if (m_format->duration != AV_NOPTS_VALUE && m_format->duration > 0)
            m_length = av_rescale(m_format->duration, m_sampleRate, AV_TIME_BASE);
        m_frame = av_frame_alloc();
        m_packet = av_packet_alloc();
        if (!m_frame || !m_packet || !ResetConverter()) return false;
        // A file is accepted only when it really yields audio.
        if (!DecodeMore() && m_pending.Empty()) return false;
        return true;
    }

    bool ResetConverter() {
        return ConfigureConverter(m_codec->ch_layout, m_codec->sample_fmt, m_sampleRate);
    }

    // The converter takes the decoder's own layout, format and rate to stereo (or mono, which
    // Read duplicates) float at the file's rate. Frames that change any of them mid-stream
    // (damaged files do) reconfigure it.
    bool ConfigureConverter(const AVChannelLayout& layout, int format, int rate) {
        swr_free(&m_swr);
        if (layout.nb_channels <= 0 || rate <= 0 || format < 0) return false;
        // The converter writes one channel for a mono file (doubled when read) and when only
        // the right channel is wanted (picked out by the mixing matrix).
        m_mono = layout.nb_channels == 1 || m_rightOnly;
        AVChannelLayout outLayout;
        if (m_mono)
            av_channel_layout_default(&outLayout, 1);
        else
            outLayout = AV_CHANNEL_LAYOUT_STEREO;
        const int rc = swr_alloc_set_opts2(&m_swr, &outLayout, AV_SAMPLE_FMT_FLT, m_sampleRate,
                                           const_cast<AVChannelLayout*>(&layout),
                                           AVSampleFormat(format), rate, 0, nullptr);
        if (rc >= 0 && m_rightOnly && layout.nb_channels > 1) {
            std::vector<double> matrix(size_t(layout.nb_channels), 0.0);
            int right = av_channel_layout_index_from_channel(&layout, AV_CHAN_FRONT_RIGHT);
            if (right < 0) right = 1;
            matrix[size_t(right)] = 1.0;
            swr_set_matrix(m_swr, matrix.data(), layout.nb_channels);
        }
        if (rc < 0 || swr_init(m_swr) < 0) {
            swr_free(&m_swr);
            return false;
        }
        av_channel_layout_uninit(&m_inLayout);
        av_channel_layout_copy(&m_inLayout, &layout);
        m_inFormat = format;
        m_inRate = rate;
        return true;
    }

    // Appends the next decoded frame's samples to the pending buffer. False at the end.
    bool DecodeMore() {
        if (m_pendingPos > 0) {
            m_pending.DropFront(size_t(m_channels) * m_pendingPos);
            m_pendingPos = 0;
        }
        int errors = 0;
        while (!m_eof) {
            const int rc = avcodec_receive_frame(m_codec, m_frame);
            if (rc == 0) {
                const bool appended = AppendFrame();
                av_frame_unref(m_frame);
                if (appended) return true;
                continue;
            }
            if (rc == AVERROR_EOF || (rc != AVERROR(EAGAIN) && ++errors > kMaxConsecutiveErrors) ||
                m_inputDone) {
                m_eof = true;
                break;
            }
            if (av_read_frame(m_format, m_packet) < 0) {
                avcodec_send_packet(m_codec, nullptr); // drain what the decoder still holds
                m_inputDone = true;
                continue;
            }
            if (m_packet->stream_index == m_stream && avcodec_send_packet(m_codec, m_packet) < 0 &&
                ++errors > kMaxConsecutiveErrors)
                m_eof = true;
            av_packet_unref(m_packet);
        }
        return false;
    }

    // The right channel taken straight from the decoder's common sample formats, without the
    // converter. False when the format is another one.
    bool AppendRightDirect(std::int64_t start) {
        const int channels = m_frame->ch_layout.nb_channels;
        const int n = m_frame->nb_samples;
        if (channels <= 0 || channels > 64) return false;
        int right = channels > 1 ? av_channel_layout_index_from_channel(&m_frame->ch_layout,
                                                                        AV_CHAN_FRONT_RIGHT)
                                 : 0;
        if (right < 0) right = std::min(1, channels - 1);
        if (m_frame->sample_rate != m_sampleRate) return false;
        const auto format = AVSampleFormat(m_frame->format);
        float* dst = nullptr;
        switch (format) {
        case AV_SAMPLE_FMT_FLTP:
            dst = m_pending.Grow(size_t(n));
            std::memcpy(dst, m_frame->extended_data[right], size_t(n) * sizeof(float));
            break;
        case AV_SAMPLE_FMT_FLT: {
            dst = m_pending.Grow(size_t(n));
            const auto* src = reinterpret_cast<const float*>(m_frame->extended_data[0]) + right;
            for (int i = 0; i < n; ++i)
                dst[i] = src[size_t(i) * size_t(channels)];
            break;
        }
        case AV_SAMPLE_FMT_S16: {
            dst = m_pending.Grow(size_t(n));
            const auto* src =
                reinterpret_cast<const std::int16_t*>(m_frame->extended_data[0]) + right;
            for (int i = 0; i < n; ++i)
                dst[i] = float(src[size_t(i) * size_t(channels)]) * (1.0f / 32768.0f);
            break;
        }
        case AV_SAMPLE_FMT_S16P: {
            dst = m_pending.Grow(size_t(n));
            const auto* src = reinterpret_cast<const std::int16_t*>(m_frame->extended_data[right]);
            for (int i = 0; i < n; ++i)
                dst[i] = float(src[i]) * (1.0f / 32768.0f);
            break;
        }
        default:
            return false;
        }
        m_nextFrame = start + n;
        return true;
    }

    bool AppendFrame() {
        if (m_frame->nb_samples <= 0 || m_frame->nb_samples > (1 << 20) || !m_frame->extended_data)
            return false;
        if (m_frame->format != m_inFormat || m_frame->sample_rate != m_inRate ||
            av_channel_layout_compare(&m_frame->ch_layout, &m_inLayout) != 0 || !m_swr) {
            if (m_frame->sample_rate <= 0 || m_frame->sample_rate > 768000 ||
                !ConfigureConverter(m_frame->ch_layout, m_frame->format, m_frame->sample_rate))
                return false;
        }
        // Where this frame starts, in frames from the file's beginning.
        std::int64_t start = m_nextFrame;
        const std::int64_t pts = m_frame->best_effort_timestamp;
        if (pts != AV_NOPTS_VALUE && (m_nextFrame < 0 || m_dropUntil >= 0)) {
            start = av_rescale_q(pts - StartPts(), m_format->streams[m_stream]->time_base,
                                 AVRational{1, m_sampleRate});
        }
        if (start < 0 && m_nextFrame < 0) start = 0;
        if (m_rightOnly && m_dropUntil < 0 && AppendRightDirect(start)) return true;
        const int capacity = swr_get_out_samples(m_swr, m_frame->nb_samples);
        if (capacity <= 0) return false;
        // Stereo converts straight into the pending buffer; mono goes through a scratch
        // buffer and is doubled onto both channels.
        const std::size_t old = m_pending.Size();
        const bool doubled = m_mono && !m_rightOnly;
        const std::size_t w = size_t(m_channels);
        float* target = nullptr;
        if (doubled) {
            m_convert.resize(size_t(capacity));
            target = m_convert.data();
        } else {
            target = m_pending.Grow(size_t(capacity) * w);
        }
        auto* outPtr = reinterpret_cast<std::uint8_t*>(target);
        const int got = swr_convert(m_swr, &outPtr, capacity,
                                    const_cast<const std::uint8_t**>(m_frame->extended_data),
                                    m_frame->nb_samples);
        if (got <= 0) {
            m_pending.Truncate(old);
            return false;
        }
        m_nextFrame = start + got;
        int skip = 0;
        if (m_dropUntil >= 0) {
            skip = int(std::clamp<std::int64_t>(m_dropUntil - start, 0, got));
            if (skip < got) m_dropUntil = -1;
        }
        if (doubled) {
            float* dst = m_pending.Grow(size_t(got - skip) * 2);
            for (int i = skip; i < got; ++i, dst += 2)
                dst[0] = dst[1] = m_convert[size_t(i)];
        } else {
            float* base = m_pending.Data() + old;
            if (skip > 0)
                std::memmove(base, base + w * size_t(skip), size_t(got - skip) * w * sizeof(float));
            m_pending.Truncate(old + size_t(got - skip) * w);
        }
        return got > skip;
    }

    AVFormatContext* m_format = nullptr;
    AVIOContext* m_io = nullptr;
    std::unique_ptr<MemoryInput> m_memory;
    AVCodecContext* m_codec = nullptr;
    AVFrame* m_frame = nullptr;
    AVPacket* m_packet = nullptr;
    SwrContext* m_swr = nullptr;
    AVChannelLayout m_inLayout{};
    int m_inFormat = -1;
    int m_inRate = 0;
    int m_stream = -1;
    bool m_mono = false;
    bool m_rightOnly = false;
    bool m_eof = false;
    bool m_inputDone = false;
    std::int64_t m_nextFrame = -1;
    std::int64_t m_dropUntil = -1;
    CPending m_pending;
    std::size_t m_pendingPos = 0;
    std::vector<float> m_convert;
};

class COpenMptDecoder final : public CDecoder {
public:
    bool Open(const QByteArray& bytes) {
        if (bytes.isEmpty()) return false; // no module, and no memcpy from a null buffer
        try {
            std::vector<std::byte> data(size_t(bytes.size()));
            std::memcpy(data.data(), bytes.constData(), data.size());
            std::ostringstream log; // the library's notes on odd files are not for the learner
            m_module = std::make_unique<openmpt::module>(data, log);
        } catch (...) {
            return false;
        }
        m_sampleRate = 44100;
        m_module->set_repeat_count(0);
        const double seconds = m_module->get_duration_seconds();
        if (!(seconds > 0) || seconds > 24 * 3600) return false;
        m_length = std::int64_t(seconds * m_sampleRate);
        return true;
    }

    int Read(float* out, int frames) override {
        if (m_length > 0) frames = int(std::min<std::int64_t>(frames, m_length - m_position));
        if (frames <= 0) return 0;
        std::size_t n = 0;
        try {
            n = m_module->read_interleaved_stereo(m_sampleRate, size_t(frames), out);
        } catch (...) {
            n = 0;
        }
        m_position += std::int64_t(n);
        return int(n);
    }

    bool Seek(std::int64_t frame) override {
        if (frame < 0) return false;
        try {
            m_module->set_position_seconds(double(frame) / m_sampleRate);
        } catch (...) {
            return false;
        }
        m_position = frame;
        return true;
    }

    bool IsModule() const override { return true; }

private:
    std::unique_ptr<openmpt::module> m_module;
};

void QuietFfmpeg() {
    static const bool once = [] {
        av_log_set_level(AV_LOG_QUIET);
        return true;
    }();
    (void)once;
}

} // namespace

std::unique_ptr<CDecoder> OpenDecoder(const QString& path, bool rightChannelOnly) {
    QuietFfmpeg();
    auto ff = std::make_unique<CFfmpegDecoder>(rightChannelOnly);
    if (ff->OpenFile(path)) return ff;
    ff.reset();
    QFile file(path);
    // Module files are small; anything beyond this is not one.
    constexpr qint64 kMaxModuleBytes = 256ll << 20;
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxModuleBytes || file.size() == 0)
        return nullptr;
    auto mpt = std::make_unique<COpenMptDecoder>();
    if (mpt->Open(file.readAll())) return mpt;
    return nullptr;
}

std::unique_ptr<CDecoder> OpenDecoderFromMemory(const QByteArray& bytes, bool rightChannelOnly) {
    QuietFfmpeg();
    auto ff = std::make_unique<CFfmpegDecoder>(rightChannelOnly);
    if (ff->OpenMemory(bytes)) return ff;
    ff.reset();
    auto mpt = std::make_unique<COpenMptDecoder>();
    if (mpt->Open(bytes)) return mpt;
    return nullptr;
}

// ---------------------------------------------------------------- region cache

namespace {
class CCachingDecoder final : public CDecoder {
public:
    CCachingDecoder(std::unique_ptr<CDecoder> inner, std::int64_t maxFrames)
        : m_inner(std::move(inner)), m_max(maxFrames) {
        m_sampleRate = m_inner->SampleRate();
        m_channels = m_inner->Channels();
        m_length = m_inner->LengthFrames();
        m_position = m_inner->Position();
        m_start = m_end = m_position;
    }

    int Read(float* out, int frames) override {
        int done = 0;
        while (done < frames) {
            if (m_position >= m_start && m_position < m_end) {
                const int n = int(std::min<std::int64_t>(frames - done, m_end - m_position));
                const auto* from = m_cache.data() + (m_position - m_start) * m_channels;
                std::copy(from, from + n * m_channels, out + done * m_channels);
                m_position += n;
                done += n;
                continue;
            }
            if (m_inner->Position() != m_position && !m_inner->Seek(m_position)) break;
            const int n = m_inner->Read(out + done * m_channels, frames - done);
            if (n <= 0) break;
            // Frames that follow the cache on from its end are kept while there is room.
            if (m_position == m_end && m_end - m_start + n <= m_max) {
                m_cache.insert(m_cache.end(), out + done * m_channels,
                               out + (done + n) * m_channels);
                m_end += n;
            }
            m_position += n;
            done += n;
        }
        return done;
    }

    bool Seek(std::int64_t frame) override {
        if (frame >= m_start && frame <= m_end) {
            m_position = frame; // served from memory; the inner decoder catches up when needed
            return true;
        }
        if (!m_inner->Seek(frame)) return false;
        // A new place: the cache starts again here.
        m_position = m_start = m_end = frame;
        m_cache.clear();
        return true;
    }

    bool IsModule() const override { return m_inner->IsModule(); }

private:
    std::unique_ptr<CDecoder> m_inner;
    std::int64_t m_max;
    std::int64_t m_start = 0; // source frames [m_start, m_end) are in m_cache
    std::int64_t m_end = 0;
    std::vector<float> m_cache;
};
} // namespace

std::unique_ptr<CDecoder> WithRegionCache(std::unique_ptr<CDecoder> inner, std::int64_t maxFrames) {
    if (!inner) return nullptr;
    return std::make_unique<CCachingDecoder>(std::move(inner), maxFrames);
}

} // namespace kestrova
