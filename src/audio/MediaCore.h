// The one audio engine: opens one media file at a time as the playing channel and offers
// play, pause, stop, seek, position, length, volume, mute, tempo/pitch/rate, the effect chain
// and a stop mark. The public operations run on the GUI thread. Decoding and effects run on
// the engine's own thread, which fills a lock-free ring that the output pulls from. Ends of
// the channel and stop marks reach the GUI thread as queued calls tagged with a generation,
// so that an event from before a Load, seek or stop is dropped.
#pragma once

#include "AudioOutput.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace soundtouch {
class SoundTouch;
}

namespace kestrova {

class CDecoder;
class CEffectChain;
class CFrameRing;

class CMediaCore : public QObject {
    Q_OBJECT
public:
    enum class EndKind { ChannelEnd, StopMark };

    // The engine over the output KESTROVA_AUDIO chooses; null when no audio device can be
    // opened (the program then decides what to tell and whether to end).
    static std::unique_ptr<CMediaCore> Create(QObject* parent = nullptr);
    // The engine over `output` (not null).
    explicit CMediaCore(std::unique_ptr<CAudioOutput> output, QObject* parent = nullptr);
    ~CMediaCore() override;

    bool Load(const QString& path);
    bool Free();
    bool Play(bool restart = false);
    void Pause();
    bool Stop();
    bool IsPlaying() const { return m_state == State::Playing; }
    bool IsStopped() const { return m_state == State::Stopped; }
    bool IsPaused() const { return m_state == State::Paused; }
    bool HasChannel() const { return m_hasChannel; }
    bool IsModule() const { return m_isModule; }
    const QString& FileName() const { return m_fileName; }

    // Milliseconds of source time, truncated; the position is what the learner hears.
    int GetPosition() const;
    int GetLength() const;
    // A target beyond the end is refused and changes nothing.
    void SetPosition(int ms);

    void GetAttributes(int* rate, int* volume, int* pan) const;
    // Volume 0..100 (also the level that ending a mute returns to), pan -100 (left) to 100
    // (right); values outside are clamped.
    void SetVolume(int volume);
    void SetPan(int pan);
    void SetMute(bool mute);
    bool IsMuted() const { return m_muted; }
    int RememberedVolume() const { return m_rememberedVolume; }

    // Tempo change in percent (-95..5000), pitch change in semitones (-60..60), playback
    // rate in Hz. False without a channel. While playing, what is already buffered keeps its
    // speed and the rest follows the new one.
    bool SetTempo(float percent);
    bool SetPitch(float semitones);
    bool SetRate(float hz);
    // Tempo and pitch together: one change of speed, not two.
    bool SetTempoAndPitch(float tempoPercent, float pitchSemitones);
    float Tempo() const { return m_tempo; }
    float Pitch() const { return m_pitch; }
    // Index 0..9 sets an equaliser band (gain 10 - value dB), 10 the reverb.
    void SetEffect(int index, int value);
    int LastEffectIndex() const { return m_lastEffectIndex; }
    int LastEffectValue() const { return m_lastEffectValue; }
    float BandGainDb(int band) const;
    float ReverbMixDb() const;
    // The file's own sample rate (0 without a channel).
    int SampleRate() const { return m_sampleRate; }

    // Output stops exactly at `ms` (the sample at the mark is not played) when playback
    // started before it; negative clears the mark.
    void SetStopMark(int ms);
    int StopMark() const;

    // Called on the GUI thread once per end of the channel or per stop mark reached. True
    // stops and rewinds the channel. A seek made inside plays on from there. Otherwise the
    // channel stays at its end (stopped) or at the mark (paused).
    void SetPlayEndHandler(std::function<bool(EndKind)> handler) {
        m_endHandler = std::move(handler);
    }
    // Off: Load and Play failures are not shown to the learner (prompt sounds).
    void SetReportErrors(bool report) { m_reportErrors = report; }

    // The null backend when it is in use (tests advance its clock), else null.
    CNullAudioOutput* NullOutput() const;

    // Voice recording: the captured WAV image (44100 Hz, 2 channels, 16-bit) in memory,
    // growing in steps of kRecordingStep bytes, and a playback of it on an output of its own.
    static constexpr std::size_t kRecordingStep = 200000;
    static constexpr std::size_t kWavHeader = 44;
    bool InitRecording();
    // 0..100; the captured samples are scaled by level / 50 (50 leaves them as they come).
    void SetInputLevel(int level);
    int InputLevel() const { return m_inputLevel.load(); }
    bool StartRecording();
    bool StopRecording();
    bool IsRecording() const { return m_recording.load(); }
    bool PlayRecording(bool play);
    bool IsPlayingRecording() const { return m_recPlaying; }
    int GetRecordingPosition() const;
    int GetRecordedLength() const;
    bool HasRecording() const { return m_recReady; }
    // Writes the WAV image whole; "Can't create the file" when it cannot be written.
    bool SaveRecording(const QString& path);
    // The WAV image as it stands (header sizes are written when recording stops).
    QByteArray RecordingImage() const;
    // Tests: the recording buffer may not grow beyond `bytes` (0: no limit).
    void SetRecordingMemoryLimit(std::size_t bytes) { m_recLimit = bytes; }
    CNullAudioCapture* NullCapture() const;
    CNullAudioOutput* RecordingNullOutput() const;

Q_SIGNALS:
    void playEnded();
    void stopMarkReached();
    // The sound device went away; playback is paused and the next Play opens it again.
    void deviceLost();
    // The recording's playback reached its end; it is stopped and rewound.
    void recordingPlayEnded();

private:
    enum class State { Stopped, Playing, Paused };
    bool ApplySpeed();
    void RefillLocked();
    struct Segment {
        std::int64_t w; // ring write count where the segment starts
        double src;     // source frame of its first frame
        double ratio;   // source frames per output frame
        // The time-stretcher plays each of its output sequences at the source's own speed
        // and starts the next one a stretched step further on, so what is heard runs ahead
        // of (slow) or behind (fast) the straight line by half a sequence on average. This
        // is that half sequence, in output frames (0 without stretching).
        double lead = 0;
    };
    Segment NewSegmentLocked(double src) const;

    void HookNullOutput(CAudioOutput* output, CFrameRing* ring);
    void OnDeviceLost(std::uint64_t generation);
    void CheckRecordingEndLocked();
    void OnRecordingEnded(std::uint64_t generation);
    void OnCaptured(const std::uint8_t* bytes, std::size_t size);
    bool GrowRecording(std::size_t needed);
    void FreeRecording();
    void ThreadMain();
    bool ProduceLocked();
    void CheckEndLocked();
    std::int64_t HeardLocked() const;
    double SourceAtLocked(std::int64_t heard) const;
    double EffectiveRate() const;
    void ApplyTempoLocked();
    void Restart(std::int64_t frame, bool startOutput);
    void Park(std::int64_t frame);
    void OnReached(std::uint64_t generation, EndKind kind);
    std::int64_t CurrentFrame() const;
    void ApplyGains();
    void Report(const QString& text) const;

    std::unique_ptr<CAudioOutput> m_output;
    std::unique_ptr<CFrameRing> m_ring;

    // Shared with the engine's thread, under m_mutex.
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_progress;
    std::uint64_t m_iteration = 0;
    bool m_quit = false;
    bool m_producing = false;
    bool m_outputRunning = false;
    std::unique_ptr<CDecoder> m_decoder;
    std::unique_ptr<soundtouch::SoundTouch> m_stretch;
    std::unique_ptr<CEffectChain> m_effects;
    bool m_useStretch = false;
    double m_ratio = 1.0;
    double m_outSrc = 0;        // source frame of the next frame written to the ring
    std::int64_t m_armFrom = 0; // where playback last started: the mark counts when after it
    std::int64_t m_mark = -1;
    bool m_inputDone = false;
    bool m_producerDone = false;
    bool m_eventPosted = false;
    EndKind m_endKind = EndKind::ChannelEnd;
    std::int64_t m_endW = 0;
    std::int64_t m_ringBase = 0;
    std::deque<Segment> m_segments;
    std::uint64_t m_generation = 0;
    std::vector<float> m_buffer;
    std::vector<float> m_stretchOut;
    int m_deviceRate = 44100;
    bool m_lostPosted = false;
    std::thread m_thread;

    // Recording. The capture thread is the only writer of the buffer while recording; the
    // GUI thread touches it only after the capture has stopped.
    std::unique_ptr<CAudioCapture> m_capture;
    std::unique_ptr<CAudioOutput> m_recOutput;
    std::unique_ptr<CFrameRing> m_recRing;
    std::uint8_t* m_recBuffer = nullptr;
    std::size_t m_recCapacity = 0;
    std::size_t m_recLimit = 0;
    std::atomic<std::size_t> m_recBytes{0};
    std::atomic<bool> m_recording{false};
    std::atomic<int> m_inputLevel{50};
    bool m_recReady = false;
    bool m_recPlaying = false;         // GUI thread
    bool m_recEndPosted = false;       // under m_mutex
    std::int64_t m_recFrames = 0;      // under m_mutex while playing
    std::uint64_t m_recGeneration = 0; // under m_mutex

    // GUI thread only.
    State m_state = State::Stopped;
    bool m_outputStarted = false;
    bool m_deviceLost = false;
    std::int64_t m_idleFrame = 0;
    bool m_atEnd = false;
    bool m_handlerActed = false;
    bool m_hasChannel = false;
    bool m_isModule = false;
    bool m_reportErrors = true;
    QString m_fileName;
    int m_sampleRate = 0;
    std::int64_t m_lengthFrames = 0;
    float m_tempo = 0;
    float m_pitch = 0;
    float m_rateHz = 0;
    int m_volume = 100;
    int m_pan = 0;
    int m_rememberedVolume = 50;
    bool m_muted = false;
    int m_lastEffectIndex = -1;
    int m_lastEffectValue = 0;
    std::function<bool(EndKind)> m_endHandler;
};

} // namespace kestrova
