// Splitting benchmarks.
//  throughput: SplitFile over a long file against the floor, FFmpeg decoding the same file
//              to 16-bit samples and doing nothing else (ratio target <= 1.15);
//  accuracy:   boundaries found in generated speech against the known gaps (precision and
//              recall);
//  lists:      RebuildRows of 5 000 sentences; a playlist of 10 000 entries loaded, rebuilt
//              and sorted (each under 300 ms).
// Usage: bench_split [--lists] [--accuracy SPEECH.wav GAPS.txt] [LONG_FILE ...]
#include "audio/MediaCore.h"
#include "common/AppSetting.h"
#include "library/Playlist.h"
#include "library/PlaylistView.h"
#include "player/PlaybackController.h"
#include "player/PlaylistModel.h"
#include "player/SentenceModel.h"
#include "repeat/SellistView.h"
#include "repeat/Splitter.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
}

using namespace kestrova;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// The floor: open, decode every packet and convert to interleaved 16-bit, nothing else.
double DecodeFloor(const char* path) {
    const auto start = Clock::now();
    AVFormatContext* fmt = nullptr;
    if (avformat_open_input(&fmt, path, nullptr, nullptr) < 0) return -1;
    avformat_find_stream_info(fmt, nullptr);
    const AVCodec* codec = nullptr;
    const int stream = av_find_best_stream(fmt, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    AVCodecContext* ctx = avcodec_alloc_context3(codec);
    avcodec_parameters_to_context(ctx, fmt->streams[stream]->codecpar);
    avcodec_open2(ctx, codec, nullptr);
    SwrContext* swr = nullptr;
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    swr_alloc_set_opts2(&swr, &stereo, AV_SAMPLE_FMT_S16, ctx->sample_rate, &ctx->ch_layout,
                        ctx->sample_fmt, ctx->sample_rate, 0, nullptr);
    swr_init(swr);
    AVPacket* pkt = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    std::vector<std::int16_t> out;
    while (av_read_frame(fmt, pkt) >= 0) {
        if (pkt->stream_index == stream && avcodec_send_packet(ctx, pkt) >= 0) {
            while (avcodec_receive_frame(ctx, frame) == 0) {
                out.resize(size_t(frame->nb_samples) * 2 + 64);
                auto* dst = reinterpret_cast<std::uint8_t*>(out.data());
                swr_convert(swr, &dst, frame->nb_samples + 32,
                            const_cast<const std::uint8_t**>(frame->extended_data),
                            frame->nb_samples);
                av_frame_unref(frame);
            }
        }
        av_packet_unref(pkt);
    }
    swr_free(&swr);
    av_frame_free(&frame);
    av_packet_free(&pkt);
    avcodec_free_context(&ctx);
    avformat_close_input(&fmt);
    return Seconds(start);
}

void Throughput(const char* path) {
    // Alternating runs, the best of three each, so that the page cache favours neither.
    const std::atomic<bool> never{false};
    double floor = 1e9, split = 1e9;
    size_t sentences = 0;
    for (int i = 0; i < 3; ++i) {
        floor = std::min(floor, DecodeFloor(path));
        const auto start = Clock::now();
        const SplitResult r = SplitFile(QString::fromLocal8Bit(path), SplitParams{}, 0, never);
        split = std::min(split, Seconds(start));
        sentences = r.sentences.size();
    }
    std::printf(
        "split %-40s %7.2f s, decode floor %7.2f s, ratio %.3f (target <= 1.15), %zu sentences\n",
        path, split, floor, split / floor, sentences);
}

void Accuracy(const char* speech, const char* gapsFile) {
    QFile f(QString::fromLocal8Bit(gapsFile));
    if (!f.open(QIODevice::ReadOnly)) return;
    std::vector<std::pair<double, double>> gaps;
    for (const QByteArray& line : f.readAll().trimmed().split('\n')) {
        const auto parts = line.split(' ');
        if (parts.size() == 2) gaps.push_back({parts[0].toDouble(), parts[1].toDouble()});
    }
    const std::atomic<bool> never{false};
    // The default scheme and the automatic one on the same file. A boundary counts when it
    // falls inside a true gap that no other boundary took.
    for (bool automatic : {false, true}) {
        SplitParams params;
        params.automatic = automatic;
        const SplitResult r = SplitFile(QString::fromLocal8Bit(speech), params, 0, never);
        std::vector<bool> taken(gaps.size(), false);
        int counted = 0;
        for (size_t i = 1; i < r.sentences.size(); ++i) {
            const double b = r.sentences[i].start / 100.0;
            for (size_t g = 0; g < gaps.size(); ++g)
                if (!taken[g] && b > gaps[g].first && b < gaps[g].second) {
                    taken[g] = true;
                    ++counted;
                    break;
                }
        }
        const int boundaries = int(r.sentences.size()) - 1;
        const QByteArray precision =
            boundaries ? QByteArray::number(double(counted) / boundaries, 'f', 3) : "- (none)";
        std::printf(
            "accuracy %s (%s scheme, threshold %d): %zu gaps, %d boundaries, %d in a gap of "
            "their own; precision %s, recall %.3f\n",
            speech, automatic ? "automatic" : "default", r.noise, gaps.size(), boundaries, counted,
            precision.constData(), gaps.empty() ? 1.0 : double(counted) / double(gaps.size()));
    }
}

void Lists() {
    QTemporaryDir home;
    qputenv("KESTROVA_HOME", home.path().toUtf8());
    CAppSetting settings;
    settings.DisableStoreOnExit();
    CSentenceModel sentences;
    CSellistView list(settings, sentences);
    list.resize(300, 300);
    SentenceArray items;
    for (std::uint32_t i = 0; i < 5000; ++i)
        items.push_back(SEL_ITEM{i * 300, i * 300 + 300});
    auto start = Clock::now();
    sentences.SetSentences(items);
    std::printf("5000 sentences into the model and the list: %.1f ms (target < 300)\n",
                Seconds(start) * 1e3);

    QStringList paths;
    for (int i = 0; i < 10000; ++i) {
        const QString p = home.filePath(QStringLiteral("lesson %1.mp3").arg((i * 7919) % 10000));
        QFile f(p);
        f.open(QIODevice::WriteOnly);
        paths << p;
    }
    playlist::Write(CPlaylistModel::PlaylistPath(), paths);
    CPlaylistModel model;
    CPlaybackController controller(
        settings, std::make_unique<CMediaCore>(std::make_unique<CNullAudioOutput>()));
    controller.SetPlaylist(&model);
    CPlaylistView view(model, controller);
    start = Clock::now();
    model.Load(); // the view rebuilds its rows from it
    const double load = Seconds(start);
    start = Clock::now();
    model.SetPaths(QStringList(model.Paths()));
    const double rebuild = Seconds(start);
    start = Clock::now();
    view.SortByHeader();
    const double sort = Seconds(start);
    std::printf(
        "playlist of 10000: load %.1f ms, rebuild %.1f ms, sort %.1f ms (each target < 300)\n",
        load * 1e3, rebuild * 1e3, sort * 1e3);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    for (int i = 1; i < argc; ++i) {
        const QByteArray a = argv[i];
        if (a == "--lists")
            Lists();
        else if (a == "--accuracy" && i + 2 < argc) {
            Accuracy(argv[i + 1], argv[i + 2]);
            i += 2;
        } else
            Throughput(argv[i]);
    }
    return 0;
}
