#include "AudioOutput.h"

#include "FrameRing.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

namespace kestrova {

namespace {
std::int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
} // namespace

struct CNullAudioOutput::Worker {
    std::thread thread;
};

CNullAudioOutput::CNullAudioOutput(bool untimed) : m_mode(untimed ? Mode::Untimed : Mode::Manual) {}
CNullAudioOutput::CNullAudioOutput(Mode mode) : m_mode(mode) {}

CNullAudioOutput::~CNullAudioOutput() {
    Stop();
}

bool CNullAudioOutput::Open(int rate) {
    if (refuseOpen) return false;
    lost = false;
    m_rate = rate > 0 ? rate : 44100;
    return true;
}

bool CNullAudioOutput::Start(CFrameRing* ring) {
    Stop();
    if (lost) return false;
    m_ring = ring;
    m_played = 0;
    m_firstFrameNs = 0;
    m_running = true;
    if (m_mode != Mode::Manual) {
        m_worker = std::make_unique<Worker>();
        m_worker->thread = std::thread([this] { RunThread(); });
    }
    return true;
}

void CNullAudioOutput::Stop() {
    m_running = false;
    if (m_worker) {
        m_worker->thread.join();
        m_worker.reset();
    }
    m_ring = nullptr;
}

void CNullAudioOutput::Advance(int ms) {
    AdvanceFrames(std::int64_t(ms) * m_rate / 1000);
}

void CNullAudioOutput::AdvanceFrames(std::int64_t frames) {
    constexpr std::size_t kChunk = 512;
    std::vector<float> scratch(kChunk * 2);
    while (frames > 0) {
        CFrameRing* ring = m_ring.load();
        if (!m_running || !ring || lost) break;
        const std::size_t want = std::size_t(std::min<std::int64_t>(frames, kChunk));
        if (demand) demand(want);
        const std::size_t got = ring->Read(scratch.data(), want);
        if (got > 0 && m_firstFrameNs == 0) m_firstFrameNs = NowNs();
        if (capture)
            capture->insert(capture->end(), scratch.begin(),
                            scratch.begin() + std::ptrdiff_t(got * 2));
        m_played += std::int64_t(got);
        frames -= std::int64_t(want); // the clock moves on whether or not there was sound
        if (consumed) consumed();
    }
    if (consumed) consumed();
}

void CNullAudioOutput::RunThread() {
    std::vector<float> scratch(4096 * 2);
    const bool realtime = m_mode == Mode::Realtime;
    const std::int64_t startNs = NowNs();
    while (m_running) {
        const std::int64_t clockNs = NowNs() - startNs;
        CFrameRing* ring = m_ring.load();
        std::size_t want = 4096;
        if (realtime) {
            const std::int64_t due = clockNs * m_rate / 1000000000 - m_played.load();
            want = std::size_t(std::clamp<std::int64_t>(due, 0, 4096));
        }
        const std::size_t got = !ring || want == 0 ? 0 : ring->Read(scratch.data(), want);
        if (got > 0) {
            if (m_firstFrameNs == 0) m_firstFrameNs = NowNs();
            m_played += std::int64_t(got);
            if (wake) wake();
        }
        // Realtime: the clock moves on over gaps too, as a device's would.
        if (realtime && got < want) m_played += std::int64_t(want - got);
        if (got == 0 || realtime)
            std::this_thread::sleep_for(std::chrono::microseconds(realtime ? 2000 : 200));
    }
}

bool CNullAudioCapture::Start(Sink sink) {
    if (refuseStart) return false;
    m_sink = std::move(sink);
    return true;
}

void CNullAudioCapture::Feed(const std::uint8_t* bytes, std::size_t size) {
    if (m_sink) m_sink(bytes, size);
}

bool NullAudioRequested() {
    return qEnvironmentVariable("KESTROVA_AUDIO").startsWith("null");
}

} // namespace kestrova
