// The waveform of a lesson: the lowest and highest sample of each 10 ms of the channel the
// splitter listens to (the right one), on the 16-bit scale. Made by one pass over the file
// (on a worker thread), kept in the user data as `peaks.dat` so that a lesson opened again
// draws at once: a versioned header with the media's length and file size (a file that
// changed since, or a damaged one, is made again, never trusted), then the pairs. No
// widgets.
#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <cstdint>
#include <vector>

namespace kestrova {

struct Peaks {
    static constexpr int kHopMs = 10;
    std::uint32_t lengthMs = 0;       // of the media, as the decoder reads it
    qint64 fileSize = 0;              // of the media file
    std::vector<std::int16_t> minMax; // low, high per hop

    int Count() const { return int(minMax.size() / 2); }
    bool Empty() const { return minMax.empty(); }
    // The lowest and highest sample over [fromMs, toMs) (0, 0 outside the peaks).
    std::pair<int, int> Range(int fromMs, int toMs) const;
    // The start (ms) of the quietest 20 ms within `radiusMs` of `atMs`; `atMs` itself
    // without peaks there.
    int QuietestNear(int atMs, int radiusMs) const;

    QByteArray Serialize() const;
    // False for anything but a whole, consistent image of this format.
    static bool Parse(const QByteArray& bytes, Peaks& out);
};

// The peaks of `path` (empty when it cannot be decoded or `cancel` was set).
Peaks ComputePeaks(const QString& path, const std::atomic<bool>& cancel);

// The peaks of one channel as its samples come in, 10 ms at a time.
class CPeakAccumulator {
public:
    explicit CPeakAccumulator(int sampleRate);
    // `stride` floats apart, the sample of the channel first.
    void Add(const float* samples, int count, int stride);
    std::vector<std::int16_t> Finish();

private:
    int m_hop;
    int m_inHop = 0;
    float m_low = 0.0f;
    float m_high = 0.0f;
    std::vector<std::int16_t> m_out;
};

} // namespace kestrova
