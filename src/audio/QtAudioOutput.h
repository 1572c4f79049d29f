// Output through the system's audio device (QAudioSink, PulseAudio or PipeWire underneath).
// The sink lives on a thread of its own; its pull callback only copies from the ring.
#pragma once

#include "AudioOutput.h"

#include <QAudioDevice>
#include <QObject>
#include <QThread>

class QAudioSink;
class QTimer;

namespace kestrova {

class CRingDevice;

class CQtAudioOutput final : public QObject, public CAudioOutput {
    Q_OBJECT
public:
    explicit CQtAudioOutput(const QAudioDevice& device);
    ~CQtAudioOutput() override;

    bool Open(int rate) override;
    bool Start(CFrameRing* ring) override;
    void Stop() override;
    void Suspend() override;
    void Resume() override;
    std::int64_t PlayedFrames() const override;
    int ErrorCode() const override { return m_error.load(); }

    // The devices to try, the default first.
    static QList<QAudioDevice> Candidates();

private:
    void RunOnThread(const std::function<void()>& work);
    void Sample(); // output thread: records what the device has played
    QThread m_thread;
    QAudioDevice m_device;
    QAudioSink* m_sink = nullptr;
    CRingDevice* m_source = nullptr;
    QTimer* m_timer = nullptr;
    int m_rate = 44100;
    std::atomic<int> m_error{0};
    std::atomic<bool> m_active{false};
    // Played microseconds and the steady-clock time they were read, for interpolation.
    std::atomic<std::int64_t> m_playedUs{0};
    std::atomic<std::int64_t> m_sampledAtNs{0};
};

} // namespace kestrova
