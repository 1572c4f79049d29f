#include "Splitter.h"

#include "audio/Decoder.h"

#include <QMetaObject>
#include <QThread>
#include <cmath>
#include <vector>

namespace kestrova {

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
        std::int64_t decoded = 0;
        std::uint32_t quiet = 0;
        bool leading = true;
        const std::uint32_t gap = std::uint32_t(std::max(params.gap, 0));
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
            float peak = 0.0f;
            if (width == 1) {
                for (int i = 0; i < got; ++i)
                    peak = std::max(peak, std::fabs(frames[size_t(i)]));
            } else {
                for (int i = 0; i < got; ++i)
                    peak = std::max(peak, std::fabs(frames[size_t(2 * i + 1)]));
            }
            if (got <= 0) break;
            const int level = int(std::min(std::lrint(double(peak) * 32768.0), 32768L));
            decoded += got;
            if (leading && level <= params.noise) continue;
            leading = false;
            if (level <= params.noise) {
                ++quiet;
                continue;
            }
            if (quiet >= gap) {
                const std::uint32_t atCs = std::uint32_t(decoded * 1000 / rate / 10);
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
