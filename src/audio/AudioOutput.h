// Output backends. An output pulls frames from the engine's ring on its own schedule and
// reports how many of them have been heard since it started. The SDL backend plays through
// the system's sound server; its device stream keeps running while the program runs, and
// Start and Stop only change what its callback copies. The null backend has no device and a
// clock that tests advance by hand (or, untimed, runs as fast as the engine can fill the
// ring, or follows the wall clock). All operations are called on the GUI thread;
// PlayedFrames and Lost may be called from any thread.
#pragma once

#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace kestrova {

class CFrameRing;

class CAudioOutput {
public:
    virtual ~CAudioOutput() = default;
    // Prepares the device for stereo float frames at `rate` (a lost device is opened
    // again). False when refused.
    virtual bool Open(int rate) = 0;
    // Starts pulling from `ring`; the heard counter starts at 0. False when refused.
    virtual bool Start(CFrameRing* ring) = 0;
    // Stops pulling; on return the ring is no longer read.
    virtual void Stop() = 0;
    // Frames heard since Start (device latency accounted for).
    virtual std::int64_t PlayedFrames() const = 0;
    // The device went away (sound server gone, headset unplugged); Open tries again.
    virtual bool Lost() const { return false; }
    // The most frames one pull of the output takes from the ring at once: what lies beyond
    // that many frames after the read count is not being read and may be made again.
    virtual std::size_t PullFrames() const { return 4096; }
    virtual int ErrorCode() const { return 0; }
    virtual bool IsNull() const { return false; }
};

class CNullAudioOutput final : public CAudioOutput {
public:
    // Manual: tests advance the clock. Untimed: frames are taken as fast as they come.
    // Realtime: the clock follows the wall clock, for running the program without a device.
    enum class Mode { Manual, Untimed, Realtime };
    explicit CNullAudioOutput(bool untimed = false);
    explicit CNullAudioOutput(Mode mode);
    ~CNullAudioOutput() override;

    bool Open(int rate) override;
    bool Start(CFrameRing* ring) override;
    void Stop() override;
    std::int64_t PlayedFrames() const override { return m_played.load(); }
    bool Lost() const override { return lost.load(); }
    bool IsNull() const override { return true; }

    // Tests: the device goes away (as a killed sound server would) and, while `refuseOpen`
    // is set, cannot be opened again.
    std::atomic<bool> lost{false};
    std::atomic<bool> refuseOpen{false};

    // Manual clock: lets `ms` milliseconds of playback pass. Waits for the engine to supply
    // what that time needs (never for wall-clock time) and for it to act on what was heard,
    // so that an end reached within the time has been posted when this returns.
    void Advance(int ms);
    void AdvanceFrames(std::int64_t frames);
    bool Untimed() const { return m_mode == Mode::Untimed; }
    Mode ClockMode() const { return m_mode; }
    int Rate() const { return m_rate; }
    // Wall-clock nanoseconds (steady clock) at which the first frame was heard after the
    // last Start; 0 before.
    std::int64_t FirstFrameTime() const { return m_firstFrameNs.load(); }

    // Hooks the engine installs: `demand(n)` blocks until n frames are in the ring or no
    // more will come; `consumed()` wakes the engine and waits until it has acted.
    std::function<void(std::size_t)> demand;
    std::function<void()> consumed;
    // Untimed mode: called from the output's thread after it has taken frames.
    std::function<void()> wake;
    // When set, every frame heard on the manual clock is appended here (stereo pairs).
    std::vector<float>* capture = nullptr;

private:
    void RunThread();
    Mode m_mode;
    int m_rate = 44100;
    std::atomic<CFrameRing*> m_ring{nullptr};
    std::atomic<bool> m_running{false};
    std::atomic<std::int64_t> m_played{0};
    std::atomic<std::int64_t> m_firstFrameNs{0};
    struct Worker;
    std::unique_ptr<Worker> m_worker;
};

// The backend chosen by KESTROVA_AUDIO: "null" (manual clock), "null:untimed",
// "null:realtime", or the system's audio device. Null when no audio device can be opened.
std::unique_ptr<CAudioOutput> CreateAudioOutput();
bool NullAudioRequested();

// Microphone capture at 44100 Hz, 2 channels, 16-bit signed samples. Blocks arrive on the
// backend's thread through the sink given to Start, until Stop returns.
class CAudioCapture {
public:
    using Sink = std::function<void(const std::uint8_t* bytes, std::size_t size)>;
    virtual ~CAudioCapture() = default;
    virtual bool Start(Sink sink) = 0;
    virtual void Stop() = 0;
};

// Capture without a device: tests hand it blocks through Feed.
class CNullAudioCapture final : public CAudioCapture {
public:
    bool Start(Sink sink) override;
    void Stop() override { m_sink = nullptr; }
    bool IsRunning() const { return bool(m_sink); }
    // Delivers a block as the device would (on the caller's thread).
    void Feed(const std::uint8_t* bytes, std::size_t size);
    // Tests: the next Start is refused.
    bool refuseStart = false;

private:
    Sink m_sink;
};

// The null capture with the null outputs, else the system's default recording device; null
// when none can be opened.
std::unique_ptr<CAudioCapture> CreateAudioCapture();

} // namespace kestrova
