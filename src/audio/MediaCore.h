// The one audio engine: opens one media file at a time as the playing channel and offers
// play, pause, stop, seek, position, length, volume, mute, tempo/pitch/rate, the effect chain
// and a stop mark. The public operations run on the GUI thread. Decoding and effects run on
// the engine's own thread, which fills a lock-free ring that the output pulls from. Ends of
// the channel and stop marks reach the GUI thread as queued calls tagged with a generation,
// so that an event from before a Load, seek or stop is dropped.
#pragma once

#include "AudioOutput.h"

#include <QObject>
#include <QString>
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

class CAppSetting;
class CDecoder;
class CEffectChain;
class CFrameRing;

class CMediaCore : public QObject {
    Q_OBJECT
public:
    enum class EndKind { ChannelEnd, StopMark };

    // Without an output the backend is chosen by KESTROVA_AUDIO; when no audio device can be
    // opened the learner is told "Can't initialize device" and the process ends with -1.
    explicit CMediaCore(const CAppSetting* settings = nullptr,
                        std::unique_ptr<CAudioOutput> output = nullptr, QObject* parent = nullptr);
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
    // -1 for rate or volume and -101 for pan keep that value. Volume 0..100, pan -100..100.
    void SetAttributes(int rate, int volume, int pan);
    void SetMute(bool mute);
    bool IsMuted() const { return m_muted; }
    int RememberedVolume() const { return m_rememberedVolume; }

    // Tempo change in percent, playback rate in Hz, pitch in semitones; -100, 0 and -100
    // keep a value. False without a channel.
    bool SetTempo(float tempo, float rate, float pitch);
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

Q_SIGNALS:
    void playEnded();
    void stopMarkReached();

private:
    enum class State { Stopped, Playing, Paused };
    struct Segment {
        std::int64_t w; // ring write count where the segment starts
        double src;     // source frame of its first frame
        double ratio;   // source frames per output frame
    };

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

    const CAppSetting* m_settings;
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
    std::thread m_thread;

    // GUI thread only.
    State m_state = State::Stopped;
    bool m_outputStarted = false;
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
