#include "WaveformModel.h"

#include "PlaybackController.h"
#include "SentenceModel.h"
#include "audio/MediaCore.h"
#include "common/Util.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <algorithm>

namespace kestrova {

CWaveformModel::CWaveformModel(CPlaybackController& controller, CSentenceModel& sentences,
                               QObject* parent)
    : QObject(parent), m_controller(controller), m_sentences(sentences) {}

CWaveformModel::~CWaveformModel() {
    StopPass();
}

QString CWaveformModel::PeaksPath() {
    return DataFolder() + "Temp/peaks.dat";
}

void CWaveformModel::StopPass() {
    ++m_generation; // whatever a running pass posts is stale now
    if (!m_thread) return;
    m_cancel = true;
    m_thread->wait();
    m_thread.reset();
    m_cancel = false;
}

void CWaveformModel::WaitForPeaks() {
    if (m_thread) m_thread->wait();
    QCoreApplication::sendPostedEvents(this);
}

void CWaveformModel::Reset() {
    StopPass();
    m_peaks = Peaks{};
    Q_EMIT peaksChanged();
}

void CWaveformModel::Load(const QString& media) {
    Reset();
    // Stored peaks are taken only when they are whole and still fit the file.
    QFile stored(PeaksPath());
    Peaks peaks;
    if (stored.open(QIODevice::ReadOnly) && stored.size() < (qint64(64) << 20) &&
        Peaks::Parse(stored.readAll(), peaks) && peaks.fileSize == QFileInfo(media).size() &&
        std::abs(qint64(peaks.lengthMs) - qint64(m_controller.Engine().GetLength())) <= 50) {
        m_peaks = std::move(peaks);
        Q_EMIT peaksChanged();
        return;
    }
    const quint64 generation = m_generation;
    m_thread.reset(QThread::create([this, media, generation] {
        Peaks made = ComputePeaks(media, m_cancel);
        QMetaObject::invokeMethod(
            this,
            [this, made = std::move(made), generation]() mutable {
                if (generation != m_generation) return;
                if (m_thread) m_thread->wait();
                m_thread.reset();
                Take(std::move(made));
            },
            Qt::QueuedConnection);
    }));
    m_thread->start(QThread::LowPriority);
}

void CWaveformModel::Take(Peaks peaks) {
    if (peaks.Empty()) return;
    m_peaks = std::move(peaks);
    // Packed with the lesson's work when that is saved, so that opening it again draws at
    // once. Not work of its own: it never asks for a save.
    WriteWholeFile(PeaksPath(), m_peaks.Serialize());
    Q_EMIT peaksChanged();
}

int CWaveformModel::BoundaryNear(int ms, int toleranceMs) const {
    int best = -1, bestDistance = toleranceMs + 1;
    const SentenceArray& items = m_sentences.Sentences();
    for (int row = 1; row < int(items.size()); ++row) {
        const int distance = std::abs(int(items[std::size_t(row)].start) * 10 - ms);
        if (distance < bestDistance) {
            best = row;
            bestDistance = distance;
        }
    }
    return best;
}

int CWaveformModel::SentenceAt(int ms) const {
    const SentenceArray& items = m_sentences.Sentences();
    const auto cs = std::uint32_t(std::max(ms, 0) / 10);
    for (int row = 0; row < int(items.size()); ++row)
        if (items[std::size_t(row)].start <= cs && cs < items[std::size_t(row)].end) return row;
    return -1;
}

bool CWaveformModel::DragBoundary(int row, int ms, bool snap) {
    if (snap && !m_peaks.Empty()) ms = m_peaks.QuietestNear(ms, kSnapRadiusMs);
    return m_sentences.MoveBoundary(row, std::uint32_t(std::max(ms, 0) / 10));
}

bool CWaveformModel::NudgeBoundary(int positionMs, int deltaMs) {
    const int current = m_sentences.Current();
    if (current < 0) return false;
    const SEL_ITEM s = m_sentences.At(current);
    // The start moves the boundary with the sentence before, the end the one with the next.
    const bool start =
        std::abs(positionMs - int(s.start) * 10) <= std::abs(int(s.end) * 10 - positionMs);
    const int row = start ? current : current + 1;
    const int at = int(start ? s.start : s.end) * 10 + deltaMs;
    return m_sentences.MoveBoundary(row, std::uint32_t(std::max(at, 0) / 10));
}

void CWaveformModel::DrawRegion(int fromMs, int toMs) {
    if (fromMs > toMs) std::swap(fromMs, toMs);
    if (toMs - fromMs < 10) return;
    m_controller.SetRegion(std::uint32_t(std::max(fromMs, 0) / 10), std::uint32_t(toMs / 10));
}

} // namespace kestrova
