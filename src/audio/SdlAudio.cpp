#include "SdlAudio.h"

#include "FrameRing.h"

#include <SDL2/SDL.h>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>

namespace kestrova {

namespace {
// Frames per device buffer: about 23 ms at 44.1 kHz, small enough that Play and seeks are
// heard at once, large enough not to run dry on a busy two-core machine.
constexpr Uint16 kBufferFrames = 1024;

std::int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::mutex& InitMutex() {
    static std::mutex mutex;
    return mutex;
}
std::atomic<int> g_generation{0}; // 0 while not started
int g_starts = 0;                 // every start counts, so a generation is never reused
} // namespace

int SdlAudioGeneration(int broken) {
    std::lock_guard lock(InitMutex());
    const int current = g_generation.load();
    if (current != 0 && (broken == 0 || broken != current)) return current;
    // The program's own signal handling stays Qt's; SDL must not turn SIGINT into events.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Kestrova");
    // After the sound server went away SDL's back end holds a dead connection: start it
    // again. That closes every device of the old generation.
    if (current != 0 || g_starts != 0) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        g_generation = 0;
        return 0;
    }
    g_generation = ++g_starts;
    return g_starts;
}

bool SdlDeviceAlive(SDL_AudioDeviceID device, int generation) {
    // Under the start lock: a restart of the subsystem frees the devices it asks about.
    std::lock_guard lock(InitMutex());
    return device && generation == g_generation.load() &&
           SDL_GetAudioDeviceStatus(device) != SDL_AUDIO_STOPPED;
}

namespace {
// Closes a device of the current generation; one of an older generation is gone already
// (and its number may now belong to another device).
void CloseDevice(SDL_AudioDeviceID device, int generation) {
    std::lock_guard lock(InitMutex());
    if (device && generation == g_generation.load()) SDL_CloseAudioDevice(device);
}
} // namespace

// ---------------------------------------------------------------- output

CSdlAudioOutput::CSdlAudioOutput() = default;

CSdlAudioOutput::~CSdlAudioOutput() {
    Close();
}

void CSdlAudioOutput::Close() {
    CloseDevice(m_device, m_generation);
    m_device = 0;
    m_ring = nullptr;
}

bool CSdlAudioOutput::Lost() const {
    return m_device && !SdlDeviceAlive(m_device, m_generation);
}

bool CSdlAudioOutput::Open(int rate) {
    const bool lost = Lost();
    if (m_device && !lost && rate == m_rate) return true;
    Close();
    // A lost device, or no device at all at the last try, starts the subsystem again (unless
    // that happened since): while the sound server was away SDL may have settled on another
    // back end, which must not stay chosen once the server is back.
    m_generation = SdlAudioGeneration(lost || m_failed ? m_generation : 0);
    m_failed = true;
    if (!m_generation) return false;
    SDL_AudioSpec want{};
    want.freq = rate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = kBufferFrames;
    want.callback = &CSdlAudioOutput::Callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    // The default output first, then every other listed output.
    m_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
    for (int i = 0, n = SDL_GetNumAudioDevices(0); !m_device && i < n; ++i)
        m_device = SDL_OpenAudioDevice(SDL_GetAudioDeviceName(i, 0), 0, &want, &have,
                                       SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
    if (!m_device) return false;
    m_failed = false;
    m_rate = rate;
    // Measured on PulseAudio: a buffer handed over is heard about half a buffer later (the
    // server asks for the next one while it still plays the last).
    m_latencyFrames = have.samples / 2;
    m_pullFrames = have.samples;
    m_handed = 0;
    Publish(0, 0, 0);
    SDL_PauseAudioDevice(m_device, 0); // runs from now on, silent until Start
    return true;
}

bool CSdlAudioOutput::Start(CFrameRing* ring) {
    if (!m_device || Lost()) return false;
    SDL_LockAudioDevice(m_device);
    m_ring = ring;
    m_handed = 0;
    Publish(0, 0, 0);
    SDL_UnlockAudioDevice(m_device);
    return true;
}

void CSdlAudioOutput::Stop() {
    // A device of an older start of the subsystem is closed: no callback runs, and its
    // number may belong to another device now.
    if (m_device && m_generation == g_generation.load()) {
        SDL_LockAudioDevice(m_device); // waits for a running callback to finish
        m_ring = nullptr;
        SDL_UnlockAudioDevice(m_device);
    }
    m_ring = nullptr;
}

void CSdlAudioOutput::Publish(std::int64_t before, std::int64_t after, std::int64_t atNs) {
    const std::uint32_t seq = m_sequence.load(std::memory_order_relaxed);
    m_sequence.store(seq + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    m_before.store(before, std::memory_order_relaxed);
    m_after.store(after, std::memory_order_relaxed);
    m_atNs.store(atNs, std::memory_order_relaxed);
    m_sequence.store(seq + 2, std::memory_order_release);
}

void CSdlAudioOutput::Callback(void* userdata, Uint8* stream, int len) {
    auto* self = static_cast<CSdlAudioOutput*>(userdata);
    const std::size_t frames = std::size_t(len) / (2 * sizeof(float));
    auto* out = reinterpret_cast<float*>(stream);
    const std::size_t got = self->m_ring ? self->m_ring->Read(out, frames) : 0;
    std::memset(out + 2 * got, 0, (frames - got) * 2 * sizeof(float));
    if (!self->m_ring) return;
    const std::int64_t before = self->m_handed;
    self->m_handed += std::int64_t(got);
    self->Publish(before, self->m_handed, NowNs());
}

std::int64_t CSdlAudioOutput::PlayedFrames() const {
    std::int64_t before = 0;
    std::int64_t after = 0;
    std::int64_t atNs = 0;
    for (;;) {
        const std::uint32_t seq = m_sequence.load(std::memory_order_acquire);
        before = m_before.load(std::memory_order_relaxed);
        after = m_after.load(std::memory_order_relaxed);
        atNs = m_atNs.load(std::memory_order_relaxed);
        std::atomic_thread_fence(std::memory_order_acquire);
        if (!(seq & 1) && seq == m_sequence.load(std::memory_order_relaxed)) break;
    }
    if (atNs == 0) return 0;
    // The first frame of the last callback is heard the device latency after it ran; the
    // device then plays on at its rate up to the last frame handed.
    const std::int64_t since = (NowNs() - atNs) * m_rate / 1000000000 - m_latencyFrames;
    return std::clamp<std::int64_t>(before + since, 0, after);
}

std::unique_ptr<CAudioOutput> CreateAudioOutput() {
    const QString choice = qEnvironmentVariable("KESTROVA_AUDIO");
    if (choice == "null") return std::make_unique<CNullAudioOutput>(false);
    if (choice == "null:untimed") return std::make_unique<CNullAudioOutput>(true);
    if (choice == "null:realtime")
        return std::make_unique<CNullAudioOutput>(CNullAudioOutput::Mode::Realtime);
    auto out = std::make_unique<CSdlAudioOutput>();
    if (out->Open(44100) || out->Open(48000)) return out;
    return nullptr;
}

// ---------------------------------------------------------------- capture

bool CSdlAudioCapture::Available() {
    CSdlAudioCapture probe;
    if (!probe.Start([](const std::uint8_t*, std::size_t) {})) return false;
    probe.Stop();
    return true;
}

bool CSdlAudioCapture::Start(Sink sink) {
    Stop();
    m_generation = SdlAudioGeneration();
    if (!m_generation) return false;
    m_sink = std::move(sink);
    SDL_AudioSpec want{};
    want.freq = 44100;
    want.format = AUDIO_S16LSB;
    want.channels = 2;
    want.samples = kBufferFrames;
    want.callback = &CSdlAudioCapture::Callback;
    want.userdata = this;
    m_device = SDL_OpenAudioDevice(nullptr, 1, &want, nullptr, 0);
    if (!m_device) {
        m_sink = nullptr;
        return false;
    }
    SDL_PauseAudioDevice(m_device, 0);
    return true;
}

void CSdlAudioCapture::Stop() {
    CloseDevice(m_device, m_generation); // joins the capture thread
    m_device = 0;
    m_sink = nullptr;
}

void CSdlAudioCapture::Callback(void* userdata, Uint8* stream, int len) {
    auto* self = static_cast<CSdlAudioCapture*>(userdata);
    if (self->m_sink) self->m_sink(stream, std::size_t(len));
}

std::unique_ptr<CAudioCapture> CreateAudioCapture() {
    if (NullAudioRequested()) return std::make_unique<CNullAudioCapture>();
    if (!CSdlAudioCapture::Available()) return nullptr;
    return std::make_unique<CSdlAudioCapture>();
}

} // namespace kestrova
