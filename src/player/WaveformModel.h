// The open lesson's waveform and what the learner does on it: the peaks (read from the user
// data when they fit the file, else made by a pass on a worker thread and stored there), the
// sentence whose band lies under a point, a boundary dragged (snapped to the quietest 20 ms
// nearby) or nudged from the keyboard, and a region drawn on the waveform. Every change goes
// through the sentence model's own operations and the playback controller. No widgets. GUI
// thread.
#pragma once

#include "audio/Peaks.h"

#include <QObject>
#include <atomic>
#include <memory>

class QThread;

namespace kestrova {

class CPlaybackController;
class CSentenceModel;

class CWaveformModel : public QObject {
    Q_OBJECT
public:
    static constexpr int kSnapRadiusMs = 100;

    CWaveformModel(CPlaybackController& controller, CSentenceModel& sentences,
                   QObject* parent = nullptr);
    ~CWaveformModel() override;

    static QString PeaksPath(); // Temp/peaks.dat
    // The peaks of `media`: the stored ones when they fit it, else made on a worker.
    void Load(const QString& media);
    void Reset();
    const Peaks& GetPeaks() const { return m_peaks; }
    bool Computing() const { return bool(m_thread); }
    // Waits for a running pass (tests, and leaving).
    void WaitForPeaks();

    CSentenceModel& Sentences() { return m_sentences; }
    CPlaybackController& Controller() { return m_controller; }
    // The row whose start is the boundary within `toleranceMs` of `ms` (the nearest;
    // -1 none). Only boundaries between two sentences move.
    int BoundaryNear(int ms, int toleranceMs) const;
    // The sentence whose band holds `ms` (-1 none).
    int SentenceAt(int ms) const;
    // Moves the boundary of `row` to `ms`; `snap` puts it at the quietest 20 ms within
    // kSnapRadiusMs instead.
    bool DragBoundary(int row, int ms, bool snap);
    // Moves the current sentence's edge nearer to `positionMs` by `deltaMs`.
    bool NudgeBoundary(int positionMs, int deltaMs);
    // A span drawn on the waveform becomes the repeat region and plays.
    void DrawRegion(int fromMs, int toMs);

Q_SIGNALS:
    void peaksChanged();

private:
    void StopPass();
    void Take(Peaks peaks);

    CPlaybackController& m_controller;
    CSentenceModel& m_sentences;
    Peaks m_peaks;
    std::unique_ptr<QThread> m_thread;
    std::atomic<bool> m_cancel{false};
    quint64 m_generation = 0;
};

} // namespace kestrova
