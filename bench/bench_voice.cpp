// The comparison picture of follow-reading: the traces of a 10 s sentence and a 10 s
// recording (loudness and yinfft pitch), beside reading the sentence from its file, which
// the picture does first and cannot do without (median of 10 each).
// Usage: bench_voice SPEECH.wav (at least 10 s)
#include "BenchSupport.h"
#include "audio/VoiceCompare.h"

#include <QCoreApplication>
#include <cstdio>

using namespace kestrova;
using namespace kestrova::bench;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_voice SPEECH.wav\n");
        return 1;
    }
    const QString speech = QString::fromLocal8Bit(argv[1]);
    std::vector<double> read, picture;
    for (int run = 0; run < 10; ++run) {
        auto start = Clock::now();
        int rate = 0;
        const std::vector<float> sentence = ReadMono(speech, 0, 10000, &rate);
        read.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        start = Clock::now();
        const VoiceTrace source = AnalyseVoice(sentence, rate);
        const VoiceTrace voice = AnalyseVoice(sentence, rate); // the recording, as long
        picture.push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (source.envelope.size() < 900 || voice.pitch.empty()) {
            std::fprintf(stderr, "the speech file is shorter than 10 s\n");
            return 1;
        }
    }
    std::printf("comparison picture of 10 s against 10 s: median %.1f ms (target < 50); reading "
                "the 10 s sentence: %.1f ms; ratio %.2f\n",
                Median(picture), Median(read), Median(picture) / Median(read));
    return 0;
}
