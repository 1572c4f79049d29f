#include "Clip.h"

#include "Decoder.h"
#include "common/Util.h"
#include "common/Wav.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace kestrova {

namespace {

struct Container {
    const char* muxer;
    const char* extension;
};

// The file kind that takes a codec's packets as they are.
bool ContainerFor(AVCodecID codec, Container& out) {
    switch (codec) {
    case AV_CODEC_ID_MP3:
        out = {"mp3", "mp3"};
        return true;
    case AV_CODEC_ID_VORBIS:
    case AV_CODEC_ID_OPUS:
        out = {"ogg", "ogg"};
        return true;
    case AV_CODEC_ID_AAC:
    case AV_CODEC_ID_ALAC:
        out = {"ipod", "m4a"};
        return true;
    case AV_CODEC_ID_PCM_S16LE:
    case AV_CODEC_ID_PCM_S24LE:
    case AV_CODEC_ID_PCM_U8:
    case AV_CODEC_ID_PCM_F32LE:
        out = {"wav", "wav"};
        return true;
    default:
        return false;
    }
}

// The packets of [start, end) copied; false (and nothing left behind) when the format or a
// step refuses.
bool CopyPackets(const QString& media, std::int64_t startMs, std::int64_t endMs,
                 const QString& base, QString& written) {
    AVFormatContext* in = nullptr;
    if (avformat_open_input(&in, media.toUtf8().constData(), nullptr, nullptr) < 0) return false;
    struct CloseIn {
        AVFormatContext*& in;
        ~CloseIn() { avformat_close_input(&in); }
    } closeIn{in};
    if (avformat_find_stream_info(in, nullptr) < 0) return false;
    const int index = av_find_best_stream(in, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index < 0) return false;
    AVStream* source = in->streams[index];
    Container kind{};
    if (!ContainerFor(source->codecpar->codec_id, kind)) return false;
    const QString path = base + '.' + QString::fromLatin1(kind.extension);

    AVFormatContext* out = nullptr;
    if (avformat_alloc_output_context2(&out, nullptr, kind.muxer, path.toUtf8().constData()) < 0)
        return false;
    bool ok = false;
    bool opened = false;
    AVPacket* packet = av_packet_alloc();
    do {
        AVStream* target = avformat_new_stream(out, nullptr);
        if (!target || avcodec_parameters_copy(target->codecpar, source->codecpar) < 0) break;
        target->codecpar->codec_tag = 0;
        target->time_base = source->time_base;
        if (avio_open(&out->pb, path.toUtf8().constData(), AVIO_FLAG_WRITE) < 0) break;
        opened = true;
        if (avformat_write_header(out, nullptr) < 0) break;
        const std::int64_t from = av_rescale_q(startMs, AVRational{1, 1000}, source->time_base);
        const std::int64_t to = av_rescale_q(endMs, AVRational{1, 1000}, source->time_base);
        av_seek_frame(in, index, from, AVSEEK_FLAG_BACKWARD);
        bool wrote = false;
        while (av_read_frame(in, packet) >= 0) {
            if (packet->stream_index != index) {
                av_packet_unref(packet);
                continue;
            }
            const std::int64_t at = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
            if (at != AV_NOPTS_VALUE && at >= to) {
                av_packet_unref(packet);
                break;
            }
            if (at == AV_NOPTS_VALUE || at < from) {
                av_packet_unref(packet);
                continue;
            }
            if (packet->pts != AV_NOPTS_VALUE) packet->pts -= from;
            if (packet->dts != AV_NOPTS_VALUE) packet->dts -= from;
            av_packet_rescale_ts(packet, source->time_base, target->time_base);
            packet->stream_index = 0;
            packet->pos = -1;
            if (av_interleaved_write_frame(out, packet) < 0) break;
            wrote = true;
        }
        ok = wrote && av_write_trailer(out) == 0;
    } while (false);
    av_packet_free(&packet);
    if (opened) avio_closep(&out->pb);
    avformat_free_context(out);
    if (!ok) {
        QFile::remove(path);
        return false;
    }
    written = path;
    return true;
}

// Decoded into a 16-bit WAV: for what no container takes as it is.
bool DecodeToWav(const QString& media, std::int64_t startMs, std::int64_t endMs,
                 const QString& base, QString& written) {
    std::unique_ptr<CDecoder> decoder = OpenDecoder(media);
    if (!decoder || decoder->SampleRate() <= 0) return false;
    const int rate = decoder->SampleRate();
    const int channels = decoder->Channels();
    const std::int64_t first = startMs * rate / 1000;
    std::int64_t left = std::max<std::int64_t>((endMs - startMs) * rate / 1000, 0);
    if (!decoder->Seek(first)) return false;
    QByteArray samples;
    std::vector<float> block(std::size_t(4096) * std::size_t(channels));
    while (left > 0) {
        const int got = decoder->Read(block.data(), int(std::min<std::int64_t>(left, 4096)));
        if (got <= 0) break;
        for (std::size_t i = 0; i < std::size_t(got) * std::size_t(channels); ++i) {
            const auto v =
                std::int16_t(std::clamp(std::lrint(double(block[i]) * 32767.0), -32768L, 32767L));
            samples.append(char(v & 0xff)).append(char((v >> 8) & 0xff));
        }
        left -= got;
    }
    if (samples.isEmpty()) return false;
    const QString path = base + ".wav";
    if (!WriteWholeFile(path, PcmWav(samples, rate, channels))) return false;
    written = path;
    return true;
}

} // namespace

QString CutClip(const QString& media, std::int64_t startMs, std::int64_t endMs,
                const QString& pathWithoutExtension) {
    if (endMs <= startMs) return {};
    QString written;
    if (CopyPackets(media, startMs, endMs, pathWithoutExtension, written)) return written;
    if (DecodeToWav(media, startMs, endMs, pathWithoutExtension, written)) return written;
    return {};
}

} // namespace kestrova
