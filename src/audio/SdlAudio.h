// Output and capture through SDL2's audio (PulseAudio, PipeWire or ALSA underneath).
//
// Output: one device stream per output rate, opened once and kept running. Its callback only
// copies frames from the engine's ring (silence when there is no ring or it runs dry); Start
// and Stop swap the ring under SDL's device lock, so a seek, a pass restart or a pause never
// tears the device down. The heard position is the frames handed to the device, less what
// the device still holds: each callback publishes how many frames it had handed before and
// after and when it ran; a frame handed at time t is heard the device latency later.
#pragma once

#include "AudioOutput.h"

#include <SDL2/SDL_audio.h>
#include <atomic>
#include <cstdint>

namespace kestrova {

class CSdlAudioOutput final : public CAudioOutput {
public:
    CSdlAudioOutput();
    ~CSdlAudioOutput() override;

    bool Open(int rate) override;
    bool Start(CFrameRing* ring) override;
    void Stop() override;
    std::int64_t PlayedFrames() const override;
    bool Lost() const override;

    // Frames between a callback and the moment its first frame is heard.
    int LatencyFrames() const { return m_latencyFrames; }
    std::size_t PullFrames() const override { return m_pullFrames; }

private:
    static void Callback(void* self, Uint8* stream, int len);
    void Close();
    void Publish(std::int64_t before, std::int64_t after, std::int64_t atNs);

    SDL_AudioDeviceID m_device = 0;
    int m_generation = 0;
    bool m_failed = false; // the last Open found no device
    int m_rate = 0;
    int m_latencyFrames = 0;
    std::size_t m_pullFrames = 4096;
    // Owned by whoever holds SDL's device lock: the callback, or Start and Stop.
    CFrameRing* m_ring = nullptr;
    std::int64_t m_handed = 0;
    // What the last callback of this Start handed (frames before and after it, steady-clock
    // nanoseconds), published under a sequence count so readers on other threads see one
    // callback's values together.
    std::atomic<std::uint32_t> m_sequence{0};
    std::atomic<std::int64_t> m_before{0};
    std::atomic<std::int64_t> m_after{0};
    std::atomic<std::int64_t> m_atNs{0};
};

// Capture from the default recording device at 44100 Hz, 2 channels, 16-bit.
class CSdlAudioCapture final : public CAudioCapture {
public:
    ~CSdlAudioCapture() override { Stop(); }
    bool Start(Sink sink) override;
    void Stop() override;
    // True when a recording device is there to open.
    static bool Available();

private:
    static void Callback(void* self, Uint8* stream, int len);
    SDL_AudioDeviceID m_device = 0;
    int m_generation = 0;
    Sink m_sink;
};

// Starts SDL's audio subsystem once per process and gives its generation (0 when it cannot
// start). `broken`: the generation in which a device was lost; unless the subsystem was
// started again since, it is started again now (a sound server that went away leaves it
// dead), which closes every device of the old generation.
int SdlAudioGeneration(int broken = 0);
// The device of `generation` is open and running.
bool SdlDeviceAlive(SDL_AudioDeviceID device, int generation);

} // namespace kestrova
