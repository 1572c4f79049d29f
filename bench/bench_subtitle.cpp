// Subtitle benchmarks: a 10 000-line LRC loaded into the model, the line list and the
// sentence list (target under 200 ms); the follow timer's work per tick with it loaded
// while playback moves on line by line (target under 2 ms); reading files made to hurt (all
// brackets, and so on) against a real LRC of the same size, and at four times the size
// (targets: a ratio near 1 or below against the real file, near 4 for four times the size).
#include "common/AppSetting.h"
#include "player/SentenceModel.h"
#include "repeat/SellistView.h"
#include "subtitle/LrcView.h"
#include "subtitle/SubtitleModel.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>

using namespace kestrova;
using Clock = std::chrono::steady_clock;

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir home;
    qputenv("KESTROVA_HOME", home.path().toUtf8());
    const QString media = home.filePath("long.mp3");
    QFile lrcFile(home.filePath("long.lrc"));
    lrcFile.open(QIODevice::WriteOnly);
    for (int i = 0; i < 10000; ++i) {
        const int cs = i * 150;
        lrcFile.write(QStringLiteral("[%1:%2.%3]Sentence number %4 of the long lesson.\r\n")
                          .arg(cs / 6000, 2, 10, QChar('0'))
                          .arg(cs / 100 % 60, 2, 10, QChar('0'))
                          .arg(cs % 100, 2, 10, QChar('0'))
                          .arg(i)
                          .toUtf8());
    }
    lrcFile.close();

    CAppSetting settings;
    settings.DisableStoreOnExit();
    CSentenceModel sentences;
    CSellistView list(settings, sentences);
    struct Clock10k : IPlaybackClock {
        int position = -1;
        int PlayingPositionMs() const override { return position; }
        int LengthMs() const override { return 10000 * 1500; }
    } clock;
    int& position = clock.position;
    CSubtitleModel model(clock);
    CLrcView view(model, QString());
    view.resize(800, 400);
    // The lines become the sentences, as the study session does it.
    QObject::connect(&model, &CSubtitleModel::loaded, &sentences, [&](const LrcItems& items) {
        SentenceArray s;
        for (const LRC_ITEM& item : items)
            s.push_back(SEL_ITEM{item.start, item.end});
        sentences.SetSentences(s);
    });
    const auto start = Clock::now();
    model.Load(media);
    const double loadMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::printf("10000-line LRC into model, lines and sentence list: %.1f ms (target < 200)\n",
                loadMs);

    // Hostile contents against a real LRC of the same size, each at 4 and 16 MB.
    auto readMs = [&](const QByteArray& bytes) {
        const QString path = home.filePath("read.lrc");
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes);
        f.close();
        std::vector<double> runs;
        for (int i = 0; i < 3; ++i) {
            CLrc lrc;
            const auto t = Clock::now();
            lrc.Load(path);
            runs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t).count());
        }
        std::sort(runs.begin(), runs.end());
        return runs[1];
    };
    auto fill = [](const QByteArray& unit, int size) {
        return unit.repeated(size / int(unit.size()));
    };
    const QByteArray real = "[01:02.03]Sentence number 12 of the long lesson.\r\n";
    const std::pair<const char*, QByteArray> hostile[] = {
        {"opening brackets", "["},
        {"empty tags", "[]"},
        {"words and brackets", "a["},
        {"a tag per line", "[0:00]\n"},
        {"twenty tags and more a line", "[0:00]"}};
    for (int mb : {4, 16}) {
        const int size = mb << 20;
        const double base = readMs(fill(real, size - 1));
        std::printf("reading a real %d MB LRC: %.1f ms\n", mb, base);
        for (const auto& [name, unit] : hostile)
            std::printf("  %s, %d MB: %.2f x the real file\n", name, mb,
                        readMs(fill(unit, size - 1)) / base);
    }
    const double small = readMs(fill("[", 4 << 20)), large = readMs(fill("[", 16 << 20));
    std::printf("brackets, 16 MB over 4 MB: %.2f (linear: 4)\n", large / small);

    std::vector<double> ticks;
    for (int i = 0; i < 2000; ++i) {
        position = i * 1500 + 700; // the next line each tick
        const auto t = Clock::now();
        model.Tick();
        ticks.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t).count());
    }
    std::sort(ticks.begin(), ticks.end());
    std::printf(
        "follow tick over 2000 lines: median %.3f ms, 99th %.3f ms, max %.3f ms (target < 2)\n",
        ticks[ticks.size() / 2], ticks[ticks.size() * 99 / 100], ticks.back());
    return 0;
}
