// The engine through a real sound server (a private PulseAudio daemon; its output sink's
// monitor is recorded), each figure beside its baseline measured in the same run:
//  play:    Play pressed -> first audible sample on the monitor (median of 20);
//  seek:    seek while playing -> first sample of the new place (median of 20);
//  pass:    end of a pass over a sentence -> first sample of the next pass, on an hour-long
//           MP3 (median of 20), beside FFmpeg's own accurate seek to the same place, which
//           every pass would pay without the sentence cache;
//  effect:  pitch or tempo moved while playing -> heard at its new setting (median of 20),
//           beside the seek above (both refill what follows the ring's queued part);
//  process: processor time of one minute of real-time playing at -40 % with the bands and
//           the reverb, through the device and through the null output.
// Usage: bench_device LONG.mp3 MINUTE.wav
#include "BenchSupport.h"
#include "audio/MediaCore.h"
#include "audio/SdlAudio.h"
#include "common/Wav.h"
#include "support/Fixtures.h"
#include "support/SoundServer.h"

#include <QDir>
#include <QFile>
#include <cmath>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>

using namespace kestrova;
using namespace kestrova::bench;
using namespace kestrova::test;

namespace {
constexpr int kRate = 44100;
constexpr int kRuns = 20;

// Runs the event loop for `ms` without spinning.
void Wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

std::unique_ptr<CMediaCore> DeviceCore() {
    return std::make_unique<CMediaCore>(std::make_unique<CSdlAudioOutput>());
}

double Ms(std::int64_t frames) {
    return double(frames) * 1000.0 / kRate;
}

// First frame at or after `from` whose sample is not silence.
std::int64_t FirstSound(const std::vector<float>& heard, std::int64_t from) {
    for (std::int64_t i = std::max<std::int64_t>(from, 0); i < std::int64_t(heard.size()); ++i)
        if (std::abs(heard[std::size_t(i)]) > 1e-4f) return i;
    return -1;
}

void SpeechBands(CMediaCore& core) {
    const int speech[10] = {6, 10, 12, 11, 10, 10, 10, 10, 6, 4};
    for (int b = 0; b < 10; ++b)
        core.SetEffect(b, speech[b]);
    core.SetEffect(10, 10);
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_device LONG.mp3 MINUTE.wav\n");
        return 2;
    }
    const QString longFile = QString::fromLocal8Bit(argv[1]);
    const QString minute = QString::fromLocal8Bit(argv[2]);
    CPrivateSoundServer server;
    QString why;
    if (!server.Start(&why)) {
        std::fprintf(stderr, "%s\n", qPrintable(why));
        return 1;
    }

    // Play -> first audible sample, and seek -> first sample of the new place.
    {
        const std::vector<float> source = DecodeMono(minute);
        auto core = DeviceCore();
        core->Load(minute);
        CMonitorRecorder rec;
        rec.Start();
        std::vector<std::int64_t> presses;
        for (int i = 0; i < kRuns; ++i) {
            core->Stop();
            Wait(250);
            presses.push_back(NowNs());
            core->Play();
            Wait(250);
        }
        std::vector<std::pair<std::int64_t, int>> seeks;
        for (int i = 0; i < kRuns; ++i) {
            const int to = 5000 + i * 2300;
            seeks.emplace_back(NowNs(), to);
            core->SetPosition(to);
            Wait(300);
        }
        rec.Stop();
        const std::vector<float> heard = rec.Mono();
        std::vector<double> play, seek;
        for (std::int64_t ns : presses) {
            const std::int64_t at = rec.FrameAt(ns);
            play.push_back(Ms(FirstSound(heard, at) - at));
        }
        for (auto [ns, to] : seeks) {
            const auto from = std::size_t(std::int64_t(to) * kRate / 1000);
            const std::vector<float> pattern(source.begin() + std::ptrdiff_t(from),
                                             source.begin() + std::ptrdiff_t(from + kRate / 10));
            const std::int64_t at = rec.FrameAt(ns);
            seek.push_back(
                Ms(FindPattern(heard, pattern, at - kRate / 50, at + kRate / 3).frame - at));
        }
        std::printf("play -> first audible sample: median %.1f ms (target <= 60)\n", Median(play));
        std::printf("seek -> first sample of the new place: median %.1f ms (target <= 60)\n",
                    Median(seek));

        // A steady 440 Hz tone; the pitch goes an octave up and back (a tempo move takes the
        // same way through the engine): heard when the tone is within 3 % of the new one.
        const QString tone = QDir::temp().filePath("kestrova-bench-tone.wav");
        {
            QByteArray pcm;
            for (int i = 0; i < kRate * 30; ++i) {
                const auto v = qint16(12000 * std::sin(2 * M_PI * 440 * i / kRate));
                for (int c = 0; c < 2; ++c)
                    pcm.append(reinterpret_cast<const char*>(&v), 2);
            }
            QFile f(tone);
            f.open(QIODevice::WriteOnly);
            f.write(PcmWav(pcm, kRate, 2));
        }
        auto effects = DeviceCore();
        effects->Load(tone);
        CMonitorRecorder toneRec;
        toneRec.Start();
        effects->Play();
        Wait(500);
        std::vector<std::pair<std::int64_t, double>> moves;
        for (int i = 0; i < kRuns; ++i) {
            const bool up = i % 2 == 0;
            moves.emplace_back(NowNs(), up ? 880.0 : 440.0);
            effects->SetPitch(up ? 12.0f : 0.0f);
            Wait(400);
        }
        toneRec.Stop();
        QFile::remove(tone);
        const std::vector<float> toneHeard = toneRec.Mono();
        std::vector<double> moved;
        for (auto [ns, hz] : moves) {
            const std::int64_t at = toneRec.FrameAt(ns);
            for (std::int64_t f = at; f < at + kRate / 3; f += kRate / 1000) {
                if (std::abs(FrequencyAt(toneHeard, f) - hz) < hz * 0.03) {
                    moved.push_back(Ms(f - at));
                    break;
                }
            }
        }
        if (!moved.empty())
            std::printf("effect moved -> heard at its new setting: median %.1f ms over %zu moves "
                        "(target <= 60; the seek above: %.1f ms)\n",
                        Median(moved), moved.size(), Median(seek));
    }

    // A pass restart on an hour-long MP3: the silence between one pass and the next.
    {
        auto core = DeviceCore();
        core->Load(longFile);
        const int a = core->GetLength() / 2;
        const int b = a + 1000;
        int passes = 0;
        core->SetPlayEndHandler([&](CMediaCore::EndKind) {
            ++passes;
            core->SetPosition(a);
            return false;
        });
        CMonitorRecorder rec;
        rec.Start();
        core->SetStopMark(b);
        core->SetPosition(a);
        core->Play();
        while (passes < kRuns + 1)
            Wait(20);
        core->Stop();
        rec.Stop();
        const std::vector<float> heard = rec.Mono();
        // Runs of silence longer than a millisecond inside the passes are the restarts.
        std::vector<double> gaps;
        const std::int64_t first = FirstSound(heard, 0);
        for (std::int64_t i = first; i >= 0 && i < std::int64_t(heard.size());) {
            if (std::abs(heard[std::size_t(i)]) > 1e-4f) {
                ++i;
                continue;
            }
            const std::int64_t next = FirstSound(heard, i);
            if (next < 0) break;
            if (next - i > kRate / 1000) gaps.push_back(Ms(next - i));
            i = next;
        }
        std::vector<double> ff;
        for (int i = 0; i < kRuns; ++i)
            ff.push_back(FfmpegBaseline(argv[1], a) * 1e3);
        std::printf("pass end -> next pass heard: median %.1f ms over %zu passes; FFmpeg's "
                    "accurate seek to the same place alone: median %.1f ms\n",
                    Median(gaps), gaps.size(), Median(ff));
    }

    // Processor time of a minute of real-time playing at -40 % with the effect chain.
    {
        auto core = DeviceCore();
        core->Load(minute);
        core->SetTempo(-40);
        SpeechBands(*core);
        core->Play();
        Wait(500);
        const double cpu0 = CpuSeconds();
        const std::int64_t t0 = NowNs();
        Wait(60000);
        const double deviceShare = (CpuSeconds() - cpu0) / (double(NowNs() - t0) / 1e9);
        core->Stop();

        CMediaCore null(std::make_unique<CNullAudioOutput>(true));
        null.Load(minute);
        null.SetTempo(-40);
        SpeechBands(null);
        bool ended = false;
        null.SetPlayEndHandler([&](CMediaCore::EndKind) { return ended = true; });
        const double cpu1 = CpuSeconds();
        null.Play();
        while (!ended)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        const double nullShare = (CpuSeconds() - cpu1) / (60.0 / 0.6);
        std::printf("playing at -40 %% with bands and reverb: %.2f %% of a core through the "
                    "device, %.2f %% through the null output (the same processing without a "
                    "device), ratio %.2f\n",
                    100 * deviceShare, 100 * nullShare, deviceShare / nullShare);
    }
    return 0;
}
