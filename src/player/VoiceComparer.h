// Works out the comparison picture's traces (the source sentence and the learner's
// recording) on a worker thread, so that the window never waits for it; a newer request
// supersedes one still running. GUI thread for the calls and the signal.
#pragma once

#include "audio/VoiceCompare.h"

#include <QObject>
#include <atomic>
#include <optional>
#include <thread>

namespace kestrova {

class CVoiceComparer : public QObject {
    Q_OBJECT
public:
    explicit CVoiceComparer(QObject* parent = nullptr);
    ~CVoiceComparer() override;

    // The span startMs..endMs of `media` against the recording's WAV image.
    void Compare(const QString& media, int startMs, int endMs, const QByteArray& recording);
    bool Busy() const { return m_running; }

Q_SIGNALS:
    void ready(const kestrova::VoiceTrace& source, const kestrova::VoiceTrace& recording);

private:
    struct Request {
        QString media;
        int startMs;
        int endMs;
        QByteArray recording;
    };
    void StartPending();

    std::thread m_thread;
    bool m_running = false; // GUI thread
    std::optional<Request> m_pending;
    std::atomic<unsigned> m_generation{0};
};

} // namespace kestrova
