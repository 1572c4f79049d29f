// What the comparison picture shows of a voice: its loudness envelope and its pitch curve,
// one value per 10 ms, the pitch in semitones from the speaker's own median (so that a
// learner's intonation can be held against the original whatever their voice), and where
// the speech begins. Pitch comes from aubio's yinfft tracker. Plain functions, any thread.
#pragma once

#include <QByteArray>
#include <QString>
#include <cmath>
#include <vector>

namespace kestrova {

struct VoiceTrace {
    static constexpr double kBlockMs = 10.0;
    std::vector<float> envelope; // peak of each block, 0..1
    std::vector<float> pitch;    // semitones from the median; NaN where no voice is heard
    int onset = 0;               // the first block of speech
    bool Empty() const { return envelope.empty(); }
};

// `mono` at `rate` Hz.
VoiceTrace AnalyseVoice(const std::vector<float>& mono, int rate);
// The pitch in Hz of each 10 ms block (0 below the tracker's silence gate), before
// normalising.
std::vector<float> TrackPitch(const std::vector<float>& mono, int rate);
// A span of a media file as mono samples at its own rate (`rate` receives it); empty when it
// cannot be read.
std::vector<float> ReadMono(const QString& path, int startMs, int endMs, int* rate);
// The samples of a recording's WAV image (44100 Hz, 2 channels, 16-bit) as mono.
std::vector<float> RecordingMono(const QByteArray& wavImage);

} // namespace kestrova
