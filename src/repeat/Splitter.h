// Automatic sentence splitting: decodes a file on its own (never the playing channel),
// measures the peak of the right channel (16-bit scale) in each 20 ms block, and ends a
// sentence where a run of at least `gap` quiet blocks is followed by sound. `SplitFile` is
// the whole algorithm (the command-line tool calls it too); `CSplitWorker` runs it on a
// worker thread for the GUI and hands the finished list over in its completion signal.
#pragma once

#include "SentenceList.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class QThread;

namespace kestrova {

struct SplitParams {
    int noise = 980; // a block whose level is at or below this is quiet (0..32768)
    int gap = 28;    // quiet blocks that separate two sentences
    // The threshold is measured from the lesson itself (AutomaticNoise), not `noise`.
    bool automatic = false;
};

// The quiet threshold of a lesson from the levels of all its 20 ms blocks: between its
// noise floor (the 10th percentile) and its speech (the 90th), on a logarithmic scale.
int AutomaticNoise(std::vector<int> levels);

struct SplitResult {
    bool opened = false; // the file decoded (else the one sentence (1, length))
    bool cancelled = false;
    std::uint32_t lengthCs = 0;
    int noise = 0; // the threshold used (measured, for an automatic split)
    SentenceArray sentences;
};

// `lengthMs` is the length the last sentence ends at (the playing channel's); 0 takes the
// decoder's. `progress(pos, len)` is called once per second of audio with position and
// length in half seconds.
SplitResult SplitFile(const QString& path, const SplitParams& params, int lengthMs,
                      const std::atomic<bool>& cancel,
                      const std::function<void(int, int)>& progress = nullptr);

class CSplitWorker : public QObject {
    Q_OBJECT
public:
    explicit CSplitWorker(QObject* parent = nullptr);
    ~CSplitWorker() override;

    // Stops a running worker first; then splits `path` on a new worker thread.
    void StartSplit(const QString& path, int lengthMs, const SplitParams& params,
                    bool highPriority);
    // Cancels and waits for the worker; reports the progress as hidden.
    void StopSplit();
    bool IsSplitting() const;

Q_SIGNALS:
    // Progress in half seconds; (0, 0) hides the indicator.
    void progress(int position, int length);
    void finished(const kestrova::SentenceArray& sentences);

private:
    std::unique_ptr<QThread> m_thread;
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_running{false};
    std::uint64_t m_generation = 0;
};

} // namespace kestrova
