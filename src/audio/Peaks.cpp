#include "Peaks.h"

#include "Decoder.h"

#include <QFileInfo>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace kestrova {

namespace {
constexpr char kMagic[4] = {'K', 'P', 'K', 'S'};
constexpr std::uint32_t kVersion = 1;
constexpr int kHeaderBytes = 4 + 4 + 4 + 4 + 8 + 4; // magic, version, hop, length, size, count
// No lesson is longer than a day.
constexpr std::uint32_t kMaxCount = 24u * 3600u * 1000u / Peaks::kHopMs;

std::int16_t Sample16(float v) {
    return std::int16_t(std::clamp(std::lrint(double(v) * 32767.0), -32768L, 32767L));
}
} // namespace

std::pair<int, int> Peaks::Range(int fromMs, int toMs) const {
    const int first = std::max(fromMs / kHopMs, 0);
    const int last = std::min((toMs + kHopMs - 1) / kHopMs, Count());
    if (first >= last) return {0, 0};
    int low = 0, high = 0;
    for (int i = first; i < last; ++i) {
        low = std::min<int>(low, minMax[std::size_t(2 * i)]);
        high = std::max<int>(high, minMax[std::size_t(2 * i + 1)]);
    }
    return {low, high};
}

int Peaks::QuietestNear(int atMs, int radiusMs) const {
    // 20 ms windows on the 10 ms grid; their level is the larger magnitude of both peaks.
    const int first = std::max((atMs - radiusMs) / kHopMs, 0);
    const int last = std::min((atMs + radiusMs) / kHopMs, Count() - 2);
    int best = -1, bestLevel = INT_MAX;
    for (int i = first; i <= last; ++i) {
        int level = 0;
        for (int k = i; k < i + 2; ++k)
            level = std::max(
                {level, -int(minMax[std::size_t(2 * k)]), int(minMax[std::size_t(2 * k + 1)])});
        // Ties go to the window nearest the point asked for.
        if (level < bestLevel ||
            (level == bestLevel && std::abs(i * kHopMs - atMs) < std::abs(best * kHopMs - atMs))) {
            best = i;
            bestLevel = level;
        }
    }
    return best < 0 ? atMs : best * kHopMs;
}

QByteArray Peaks::Serialize() const {
    QByteArray out(kHeaderBytes, '\0');
    char* p = out.data();
    std::memcpy(p, kMagic, 4);
    qToLittleEndian<quint32>(kVersion, p + 4);
    qToLittleEndian<quint32>(kHopMs, p + 8);
    qToLittleEndian<quint32>(lengthMs, p + 12);
    qToLittleEndian<qint64>(fileSize, p + 16);
    qToLittleEndian<quint32>(quint32(Count()), p + 24);
    QByteArray body(qsizetype(minMax.size() * 2), '\0');
    qToLittleEndian<qint16>(minMax.data(), qsizetype(minMax.size()), body.data());
    return out + body;
}

bool Peaks::Parse(const QByteArray& bytes, Peaks& out) {
    if (bytes.size() < kHeaderBytes || std::memcmp(bytes.constData(), kMagic, 4) != 0) return false;
    const char* p = bytes.constData();
    if (qFromLittleEndian<quint32>(p + 4) != kVersion) return false;
    if (qFromLittleEndian<quint32>(p + 8) != quint32(kHopMs)) return false;
    const quint32 count = qFromLittleEndian<quint32>(p + 24);
    if (count > kMaxCount || bytes.size() != kHeaderBytes + qsizetype(count) * 4) return false;
    Peaks peaks;
    peaks.lengthMs = qFromLittleEndian<quint32>(p + 12);
    peaks.fileSize = qFromLittleEndian<qint64>(p + 16);
    peaks.minMax.resize(std::size_t(count) * 2);
    qFromLittleEndian<qint16>(p + kHeaderBytes, qsizetype(count) * 2, peaks.minMax.data());
    for (std::size_t i = 0; i < peaks.minMax.size(); i += 2)
        if (peaks.minMax[i] > peaks.minMax[i + 1]) return false;
    out = std::move(peaks);
    return true;
}

CPeakAccumulator::CPeakAccumulator(int sampleRate)
    : m_hop(std::max(sampleRate * Peaks::kHopMs / 1000, 1)) {}

void CPeakAccumulator::Add(const float* samples, int count, int stride) {
    for (int i = 0; i < count; ++i) {
        const float v = samples[std::size_t(i) * std::size_t(stride)];
        m_low = m_inHop == 0 ? v : std::min(m_low, v);
        m_high = m_inHop == 0 ? v : std::max(m_high, v);
        if (++m_inHop == m_hop) {
            m_out.push_back(Sample16(m_low));
            m_out.push_back(Sample16(m_high));
            m_inHop = 0;
        }
    }
}

std::vector<std::int16_t> CPeakAccumulator::Finish() {
    if (m_inHop > 0) {
        m_out.push_back(Sample16(m_low));
        m_out.push_back(Sample16(m_high));
        m_inHop = 0;
    }
    return std::move(m_out);
}

Peaks ComputePeaks(const QString& path, const std::atomic<bool>& cancel) {
    Peaks peaks;
    std::unique_ptr<CDecoder> decoder = OpenDecoder(path, true);
    if (!decoder || decoder->SampleRate() <= 0) return peaks;
    const int width = decoder->Channels();
    CPeakAccumulator acc(decoder->SampleRate());
    std::vector<float> frames(std::size_t(4096) * std::size_t(width));
    for (;;) {
        if (cancel.load(std::memory_order_relaxed)) return Peaks{};
        const int got = decoder->Read(frames.data(), 4096);
        if (got <= 0) break;
        acc.Add(frames.data() + (width - 1), got, width); // the right channel is the last
    }
    peaks.minMax = acc.Finish();
    peaks.lengthMs = std::uint32_t(decoder->LengthFrames() * 1000 / decoder->SampleRate());
    peaks.fileSize = QFileInfo(path).size();
    return peaks;
}

} // namespace kestrova
