// Engine benchmarks, each as a ratio to a baseline run in the same process:
//  open:    Load + Play to the first heard frame (null output, untimed) over FFmpeg alone
//           opening the file and decoding its first 100 ms;
//  seek:    seek to the middle while playing to the first heard frame there, over FFmpeg
//           alone seeking accurately to the same point;
//  process: one minute of 44.1 kHz stereo through decode, SoundTouch at -40 %, ten bands and
//           the reverb, against real time (with and without the effect chain).
// Usage: bench_audio LONG.mp3 MINUTE.wav
#include "BenchSupport.h"
#include "audio/AudioOutput.h"
#include "audio/MediaCore.h"

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>
#include <vector>

using namespace kestrova;
using namespace kestrova::bench;

namespace {

CNullAudioOutput* Null(CMediaCore& core) {
    return core.NullOutput();
}

void WaitFirstFrame(CMediaCore& core) {
    while (Null(core)->FirstFrameTime() == 0)
        std::this_thread::yield();
}

double EngineOpen(const QString& path) {
    CMediaCore core(std::make_unique<CNullAudioOutput>(true));
    const std::int64_t start = NowNs();
    core.Load(path);
    core.Play(false);
    WaitFirstFrame(core);
    return double(Null(core)->FirstFrameTime() - start) / 1e9;
}

// A freshly opened, playing file seeks to `ms`: seconds to the first frame heard there.
double EngineSeek(const QString& path, int ms) {
    CMediaCore core(std::make_unique<CNullAudioOutput>(true));
    core.Load(path);
    core.Play(false);
    WaitFirstFrame(core);
    const std::int64_t start = NowNs();
    core.SetPosition(ms);
    WaitFirstFrame(core);
    return double(Null(core)->FirstFrameTime() - start) / 1e9;
}

struct Cost {
    double wall;
    double cpu;
};

Cost ProcessMinute(const QString& path, bool effects) {
    CMediaCore core(std::make_unique<CNullAudioOutput>(true));
    core.Load(path);
    core.SetTempo(-40);
    if (effects) {
        const int speech[10] = {6, 10, 12, 11, 10, 10, 10, 10, 6, 4};
        for (int b = 0; b < 10; ++b)
            core.SetEffect(b, speech[b]);
        core.SetEffect(10, 10);
    }
    bool ended = false;
    core.SetPlayEndHandler([&](CMediaCore::EndKind) { return ended = true; });
    const double cpuStart = CpuSeconds();
    const auto start = Clock::now();
    core.Play(false);
    while (!ended)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    return {std::chrono::duration<double>(Clock::now() - start).count(), CpuSeconds() - cpuStart};
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_audio LONG.mp3 MINUTE.wav\n");
        return 2;
    }
    const QString longFile = QString::fromLocal8Bit(argv[1]);
    const QString minute = QString::fromLocal8Bit(argv[2]);
    constexpr int kRuns = 9;

    std::vector<double> ff, engine;
    for (int i = 0; i < kRuns; ++i) {
        ff.push_back(FfmpegBaseline(argv[1], 0));
        engine.push_back(EngineOpen(longFile));
    }
    std::printf(
        "open to first sample: engine %.2f ms, ffmpeg %.2f ms, ratio %.2f (target <= 1.5)\n",
        Median(engine) * 1e3, Median(ff) * 1e3, Median(engine) / Median(ff));

    ff.clear();
    engine.clear();
    CMediaCore probe(std::make_unique<CNullAudioOutput>(true));
    probe.Load(longFile);
    const int middle = probe.GetLength() / 2;
    for (int i = 0; i < kRuns; ++i) {
        ff.push_back(FfmpegBaseline(argv[1], middle + i * 1000));
        engine.push_back(EngineSeek(longFile, middle + i * 1000));
    }
    std::printf(
        "seek to the middle:   engine %.2f ms, ffmpeg %.2f ms, ratio %.2f (target <= 1.5)\n",
        Median(engine) * 1e3, Median(ff) * 1e3, Median(engine) / Median(ff));

    for (bool effects : {false, true}) {
        std::vector<double> wall, cpu;
        for (int i = 0; i < 3; ++i) {
            const Cost c = ProcessMinute(minute, effects);
            wall.push_back(c.wall);
            cpu.push_back(c.cpu);
        }
        const double realTime = 60.0 / 0.6; // one minute at -40 % lasts 100 s
        std::printf("one minute at -40 %%%s: untimed run %.3f s (%.0fx faster than real time), "
                    "processor %.3f s = %.2f %% of a core in real time (target < 3)\n",
                    effects ? " with bands and reverb" : ", no effects", Median(wall),
                    realTime / Median(wall), Median(cpu), 100.0 * Median(cpu) / realTime);
    }
    return 0;
}
