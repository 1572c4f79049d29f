// The waveform strip of a long lesson: making its peaks once (against decoding the file
// alone), and opening it again with its peaks stored, until the strip's overview is drawn
// (against reading the stored file alone).
// Usage: bench_waveform LESSON
#include "BenchSupport.h"
#include "audio/AudioOutput.h"
#include "audio/Decoder.h"
#include "audio/MediaCore.h"
#include "common/AppSetting.h"
#include "common/Util.h"
#include "player/PlaybackController.h"
#include "player/PlaylistModel.h"
#include "player/SentenceModel.h"
#include "player/WaveformModel.h"
#include "ui/WaveformView.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

using namespace kestrova;
using namespace kestrova::bench;

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) return 2;
    const QString lesson = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir home;
    qputenv("KESTROVA_HOME", home.path().toUtf8());
    QDir().mkpath(DataFolder() + "Temp");

    CAppSetting settings;
    settings.DisableStoreOnExit();
    settings.UseSplit = false;
    CPlaybackController controller(
        settings, std::make_unique<CMediaCore>(std::make_unique<CNullAudioOutput>()));
    CPlaylistModel playlist;
    CSentenceModel sentences;
    controller.SetSentences(&sentences);
    controller.SetPlaylist(&playlist);
    playlist.SetPaths({lesson});
    if (!controller.OpenEntry(0)) return 1;
    // A sentence every four seconds, as a split lesson has.
    SentenceArray spans;
    const auto lengthCs = std::uint32_t(controller.Engine().GetLength() / 10);
    for (std::uint32_t s = 0; s + 400 <= lengthCs; s += 400)
        spans.push_back({s, s + 400});
    sentences.SetSentences(spans);

    // Making the peaks, against decoding the same channel alone.
    std::int64_t t0 = NowNs();
    {
        std::unique_ptr<CDecoder> decoder = OpenDecoder(lesson, true);
        std::vector<float> frames(4096 * std::size_t(decoder->Channels()));
        while (decoder->Read(frames.data(), 4096) > 0) {
        }
    }
    const double decode = double(NowNs() - t0) / 1e9;
    CWaveformModel model(controller, sentences);
    t0 = NowNs();
    model.Load(lesson);
    model.WaitForPeaks();
    const double make = double(NowNs() - t0) / 1e9;
    std::printf(
        "peaks of %.1f h: made in %.2f s, decoding alone %.2f s (ratio %.2f); stored %lld KiB\n",
        lengthCs / 360000.0, make, decode, make / decode,
        static_cast<long long>(QFile(CWaveformModel::PeaksPath()).size() >> 10));

    // Opening again with the peaks stored, until the strip's overview is drawn.
    CWaveformView view(model);
    view.resize(900, 150);
    view.show();
    std::vector<double> open, read;
    for (int i = 0; i < 11; ++i) {
        t0 = NowNs();
        QFile f(CWaveformModel::PeaksPath());
        f.open(QIODevice::ReadOnly);
        const QByteArray bytes = f.readAll();
        read.push_back(double(NowNs() - t0) / 1e6);
        t0 = NowNs();
        model.Load(lesson);
        view.grab(); // the overview and the zoomed view drawn
        open.push_back(double(NowNs() - t0) / 1e6);
        if (model.Computing() || bytes.isEmpty()) {
            std::printf("the stored peaks were not taken\n");
            return 1;
        }
    }
    std::printf("opened with its peaks stored, overview drawn: median %.1f ms (target < 100); "
                "reading the stored file alone %.1f ms\n",
                Median(open), Median(read));
    return 0;
}
