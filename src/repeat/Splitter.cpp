#include "Splitter.h"

#include "audio/Decoder.h"

#include <QMetaObject>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace kestrova {

namespace {
// The largest magnitude of `count` samples `stride` apart. Compared as the bits of their
// absolute values, which order like the values: an integer maximum has no chain through
// the floating-point unit and vectorises. A NaN (never from a sound decoder) is skipped, as
// a float comparison would skip it.
float PeakOf(const float* samples, int count, int stride) {
    std::uint32_t high = 0;
    if (stride == 1) {
        for (int i = 0; i < count; ++i) {
            std::uint32_t bits;
            std::memcpy(&bits, samples + i, sizeof bits);
            high = std::max(high, bits & 0x7fffffffu);
        }
    } else {
        for (int i = 0; i < count; ++i) {
            std::uint32_t bits;
            std::memcpy(&bits, samples + std::size_t(i) * std::size_t(stride), sizeof bits);
            high = std::max(high, bits & 0x7fffffffu);
        }
    }
    if (high > 0x7f800000u) {
        float peak = 0.0f;
        for (int i = 0; i < count; ++i)
            peak = std::max(peak, std::fabs(samples[std::size_t(i) * std::size_t(stride)]));
        return peak;
    }
    float peak;
    std::memcpy(&peak, &high, sizeof peak);
    return peak;
}
} // namespace

int AutomaticNoise(std::vector<int> levels) {
    if (levels.empty()) return SplitParams{}.noise;
    auto at = [&](std::size_t percent) {
        auto nth = levels.begin() + std::ptrdiff_t(levels.size() * percent / 100);
        if (nth == levels.end()) --nth;
        std::nth_element(levels.begin(), nth, levels.end());
        return double(*nth);
    };
    const double floor = at(10);
    const double speech = at(90);
    // A lesson of digital silence between its sentences has no floor to speak of: then a
    // fiftieth of its speech is quiet enough.
    const double threshold = std::max(std::sqrt(std::max(floor, 1.0) * speech), speech / 50.0);
    return int(std::clamp(std::lround(threshold), 0L, 32767L));
}

SplitResult SplitFile(const QString& path, const SplitParams& params, int lengthMs,
                      const std::atomic<bool>& cancel,
                      const std::function<void(int, int)>& progress) {
    SplitResult result;
    std::unique_ptr<CDecoder> decoder = OpenDecoder(path, true);
    const int rate = decoder ? decoder->SampleRate() : 0;
    if (lengthMs <= 0 && decoder)
        lengthMs = int(decoder->LengthFrames() * 1000 / std::max(rate, 1));
    result.lengthCs = std::uint32_t(std::max(lengthMs, 0) / 10);
    std::vector<std::uint32_t> points{1};
    if (decoder) {
        result.opened = true;
        const int block = std::max(rate / 50, 1); // 20 ms
        const int width = decoder->Channels();    // the right channel is the last
        std::vector<float> frames(size_t(block) * size_t(width));
        // Every block's level and where it ends: the threshold may depend on all of them.
        std::vector<int> levels;
        std::vector<std::int64_t> ends;
        std::int64_t decoded = 0;
        for (;;) {
            if (cancel.load(std::memory_order_relaxed)) {
                result.cancelled = true;
                return result;
            }
            const std::int64_t posMs = decoded * 1000 / rate;
            if (progress && posMs % 1000 == 0) progress(int(posMs / 500), lengthMs / 500);
            // The block's peak on the 16-bit scale: rounding is monotonic, so the largest
            // magnitude rounds to the largest 16-bit magnitude.
            const int got = decoder->Read(frames.data(), block);
            if (got <= 0) break;
            const float peak = PeakOf(frames.data() + (width - 1), got, width);
            decoded += got;
            levels.push_back(int(std::min(std::lrint(double(peak) * 32768.0), 32768L)));
            ends.push_back(decoded);
        }
        const int noise = params.automatic ? AutomaticNoise(levels) : params.noise;
        result.noise = noise;
        // A sentence ends where at least `gap` quiet blocks are followed by sound.
        std::uint32_t quiet = 0;
        bool leading = true;
        const std::uint32_t gap = std::uint32_t(std::max(params.gap, 0));
        for (std::size_t b = 0; b < levels.size(); ++b) {
            const int level = levels[b];
            if (leading && level <= noise) continue;
            leading = false;
            if (level <= noise) {
                ++quiet;
                continue;
            }
            if (quiet >= gap) {
                const std::uint32_t atCs = std::uint32_t(ends[b] * 1000 / rate / 10);
                points.push_back(atCs >= quiet ? atCs - quiet : 0);
            }
            quiet = 0;
        }
    }
    result.sentences.reserve(points.size());
    for (size_t i = 0; i < points.size(); ++i) {
        if (cancel.load(std::memory_order_relaxed)) {
            result.cancelled = true;
            result.sentences.clear();
            return result;
        }
        const std::uint32_t end = i + 1 < points.size() ? points[i + 1] : result.lengthCs;
        result.sentences.push_back(SEL_ITEM{points[i], end});
    }
    return result;
}

CSplitWorker::CSplitWorker(QObject* parent) : QObject(parent) {}

CSplitWorker::~CSplitWorker() {
    StopSplit();
}

void CSplitWorker::StartSplit(const QString& path, int lengthMs, const SplitParams& params,
                              bool highPriority) {
    StopSplit();
    const std::uint64_t generation = ++m_generation;
    m_running = true;
    m_thread.reset(QThread::create([this, path, lengthMs, params, generation] {
        const SplitResult result = SplitFile(path, params, lengthMs, m_cancel, [&](int p, int l) {
            QMetaObject::invokeMethod(
                this,
                [this, p, l, generation] {
                    if (generation == m_generation) Q_EMIT progress(p, l);
                },
                Qt::QueuedConnection);
        });
        m_running = false;
        if (result.cancelled) return;
        QMetaObject::invokeMethod(
            this,
            [this, sentences = result.sentences, generation] {
                if (generation != m_generation) return;
                Q_EMIT finished(sentences);
                Q_EMIT progress(0, 0);
            },
            Qt::QueuedConnection);
    }));
    m_thread->start(highPriority ? QThread::HighPriority : QThread::NormalPriority);
}

void CSplitWorker::StopSplit() {
    if (!m_thread) return;
    m_cancel = true;
    m_thread->wait();
    m_thread.reset();
    m_cancel = false;
    ++m_generation; // whatever it posted is stale now
    Q_EMIT progress(0, 0);
}

bool CSplitWorker::IsSplitting() const {
    return m_thread && m_running.load();
}

} // namespace kestrova
