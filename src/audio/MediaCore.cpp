#include "MediaCore.h"

#include "AudioOutput.h"
#include "Decoder.h"
#include "Effects.h"
#include "FrameRing.h"
#include "common/Util.h"
#include "common/Wav.h"

#include <QMetaObject>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <soundtouch/SoundTouch.h>
#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace kestrova {

namespace {
constexpr int kChunk = 1024;
constexpr std::size_t kRingFrames = 1 << 15;
// How far ahead of the output the engine decodes: enough to ride out a busy moment, short
// enough that an effect change is heard soon.
constexpr double kFillSeconds = 0.15;
// The frames of the current sentence stay decoded in memory, so that every pass after the
// first starts at once; a sentence is seconds long.
constexpr int kRegionCacheSeconds = 30;

// The first frame at or after `ms`, so that a position set reads back as the same
// millisecond (reading truncates).
std::int64_t FrameOf(std::uint32_t ms, int rate) {
    return (std::int64_t(ms) * rate + 999) / 1000;
}
} // namespace

std::unique_ptr<CMediaCore> CMediaCore::Create(QObject* parent) {
    std::unique_ptr<CAudioOutput> output = CreateAudioOutput();
    if (!output) return nullptr;
    return std::make_unique<CMediaCore>(std::move(output), parent);
}

CMediaCore::CMediaCore(std::unique_ptr<CAudioOutput> output, QObject* parent)
    : QObject(parent), m_output(std::move(output)),
      m_ring(std::make_unique<CFrameRing>(kRingFrames)),
      m_effects(std::make_unique<CEffectChain>()), m_buffer(kChunk * 2), m_stretchOut(kChunk * 2) {
    Q_ASSERT(m_output);
    HookNullOutput(m_output.get(), m_ring.get());
    m_thread = std::thread([this] { ThreadMain(); });
}

// A null output's clock runs in step with the engine's thread: in manual mode a test's
// Advance waits until the engine has supplied the frames and acted on what was heard.
void CMediaCore::HookNullOutput(CAudioOutput* output, CFrameRing* ring) {
    if (!output->IsNull()) return;
    auto* null = static_cast<CNullAudioOutput*>(output);
    if (null->ClockMode() != CNullAudioOutput::Mode::Manual) {
        null->wake = [this] { m_wake.notify_one(); };
        return;
    }
    // A ring filled in advance (the recording's) has nothing to wait for.
    if (ring)
        null->demand = [this, ring](std::size_t frames) {
            std::unique_lock lock(m_mutex);
            m_wake.notify_one();
            m_progress.wait(lock, [&] {
                return ring->Size() >= frames || m_producerDone || !m_producing || m_quit;
            });
        };
    null->consumed = [this] {
        std::unique_lock lock(m_mutex);
        const std::uint64_t seen = m_iteration;
        m_wake.notify_one();
        m_progress.wait(lock, [&] { return m_iteration > seen || m_quit; });
    };
}

CMediaCore::~CMediaCore() {
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    m_progress.notify_all();
    m_thread.join();
    if (m_capture) m_capture->Stop();
    if (m_recOutput) m_recOutput->Stop();
    m_output->Stop();
    std::free(m_recBuffer);
}

CNullAudioOutput* CMediaCore::NullOutput() const {
    return m_output->IsNull() ? static_cast<CNullAudioOutput*>(m_output.get()) : nullptr;
}

void CMediaCore::Report(const QString& text) const {
    if (m_reportErrors) ShowMessage(MessageKind::Error, text);
}

// ---------------------------------------------------------------- engine thread

void CMediaCore::ThreadMain() {
#if defined(__SSE__)
    // Reverb tails decay into denormals, which are slow on x86.
    _mm_setcsr(_mm_getcsr() | 0x8040);
#endif
    std::unique_lock lock(m_mutex);
    while (!m_quit) {
        bool worked = false;
        if (m_producing) {
            for (int i = 0; i < 8 && ProduceLocked(); ++i)
                worked = true;
        }
        CheckEndLocked();
        ++m_iteration;
        m_progress.notify_all();
        if (!worked) m_wake.wait_for(lock, std::chrono::milliseconds(5));
    }
}

double CMediaCore::EffectiveRate() const {
    const double userRate = m_rateHz > 0 ? m_rateHz / m_sampleRate : 1.0;
    return userRate * double(m_sampleRate) / double(m_deviceRate);
}

void CMediaCore::ApplyTempoLocked() {
    const double rate = EffectiveRate();
    m_useStretch = m_tempo != 0.0f || m_pitch != 0.0f || std::abs(rate - 1.0) > 1e-9;
    m_ratio = (1.0 + m_tempo / 100.0) * rate;
    if (m_useStretch) {
        m_stretch->setTempoChange(m_tempo);
        m_stretch->setPitchSemiTones(m_pitch);
        m_stretch->setRate(rate);
    }
}

bool CMediaCore::ProduceLocked() {
    if (!m_decoder || m_producerDone) return false;
    const std::size_t target = std::min<std::size_t>(
        m_ring->Capacity() - 4 * kChunk, std::size_t(kFillSeconds * m_deviceRate) + kChunk);
    if (m_ring->Size() >= target) return false;
    const bool armed = m_mark >= 0 && m_armFrom < m_mark;

    if (!m_inputDone) {
        int want = kChunk;
        if (armed) want = int(std::min<std::int64_t>(want, m_mark - m_decoder->Position()));
        const int got = want > 0 ? m_decoder->Read(m_buffer.data(), want) : 0;
        if (got < want || want <= 0 || (armed && m_decoder->Position() >= m_mark)) {
            m_inputDone = true;
            m_endKind =
                armed && m_decoder->Position() >= m_mark ? EndKind::StopMark : EndKind::ChannelEnd;
        }
        if (!m_useStretch) {
            m_effects->Process(m_buffer.data(), got);
            m_ring->Write(m_buffer.data(), std::size_t(got));
            m_outSrc += got;
        } else {
            if (got > 0) m_stretch->putSamples(m_buffer.data(), uint(got));
            if (m_inputDone) m_stretch->flush();
        }
    }
    if (m_useStretch) {
        while (m_ring->Free() >= kChunk) {
            int n = int(m_stretch->receiveSamples(m_stretchOut.data(), kChunk));
            if (n <= 0) break;
            if (armed) {
                const double allowed = std::ceil((double(m_mark) - m_outSrc) / m_ratio);
                n = int(std::clamp<double>(allowed, 0, n));
                if (n == 0) {
                    m_stretch->clear();
                    break;
                }
            }
            m_effects->Process(m_stretchOut.data(), n);
            m_ring->Write(m_stretchOut.data(), std::size_t(n));
            m_outSrc += n * m_ratio;
        }
    }
    if (m_inputDone && (!m_useStretch || m_stretch->numSamples() == 0)) {
        m_producerDone = true;
        m_endW = m_ring->WriteCount();
    }
    m_progress.notify_all();
    return true;
}

std::int64_t CMediaCore::HeardLocked() const {
    const std::int64_t heard = m_ringBase + (m_outputRunning ? m_output->PlayedFrames() : 0);
    return std::min(heard, m_ring->WriteCount());
}

CMediaCore::Segment CMediaCore::NewSegmentLocked(double src) const {
    Segment seg{m_ring->WriteCount(), src, m_ratio};
    if (m_useStretch && m_tempo != 0.0f)
        seg.lead = m_stretch->getSetting(SETTING_NOMINAL_OUTPUT_SEQUENCE) / 2.0;
    return seg;
}

double CMediaCore::SourceAtLocked(std::int64_t heard) const {
    if (m_segments.empty()) return m_outSrc;
    auto seg = m_segments.begin();
    while (std::next(seg) != m_segments.end() && std::next(seg)->w <= heard)
        ++seg;
    // The first sequence starts at the segment's own place, at the source's speed; the
    // last one ends where the segment's input ended.
    const double out = double(heard - seg->w);
    const double end = std::next(seg) != m_segments.end() ? std::next(seg)->src : m_outSrc;
    return std::min(seg->src + out * seg->ratio + std::min(out, seg->lead) * (1.0 - seg->ratio),
                    std::max(end, seg->src + out * seg->ratio));
}

void CMediaCore::CheckEndLocked() {
    CheckRecordingEndLocked();
    if (!m_outputRunning) return;
    if (!m_lostPosted && m_output->Lost()) {
        m_lostPosted = true;
        const std::uint64_t generation = m_generation;
        QMetaObject::invokeMethod(
            this, [this, generation] { OnDeviceLost(generation); }, Qt::QueuedConnection);
        return;
    }
    const std::int64_t heard = HeardLocked();
    while (m_segments.size() > 1 && m_segments[1].w <= heard)
        m_segments.pop_front();
    // The end is told as soon as its last frame went to the device, while the device still
    // plays what it holds: a pass restarted from the handler then follows the end after at
    // most the rest of one device buffer, instead of after the whole device latency again.
    if (!m_producerDone || m_eventPosted || m_ring->ReadCount() < m_endW) return;
    m_eventPosted = true;
    const std::uint64_t generation = m_generation;
    const EndKind kind = m_endKind;
    QMetaObject::invokeMethod(
        this, [this, generation, kind] { OnReached(generation, kind); }, Qt::QueuedConnection);
}

// ---------------------------------------------------------------- GUI thread

void CMediaCore::Restart(std::int64_t frame, bool startOutput) {
    m_output->Stop();
    {
        std::lock_guard lock(m_mutex);
        m_outputRunning = false;
        ++m_generation;
        m_ring->Reset();
        m_segments.clear();
        m_stretch->clear();
        m_effects->Reset();
        if (m_decoder->Position() != frame && !m_decoder->Seek(frame)) {
            frame = m_decoder->Position();
            m_decoder->Seek(frame);
        }
        m_armFrom = frame;
        m_outSrc = double(frame);
        m_inputDone = m_producerDone = m_eventPosted = false;
        ApplyTempoLocked();
        m_segments.push_back(NewSegmentLocked(double(frame)));
        m_producing = true;
        m_lostPosted = false;
        // Fill before the output starts, so the first pull finds sound.
        for (int i = 0; i < 64 && ProduceLocked(); ++i) {
        }
        m_ringBase = m_ring->ReadCount();
    }
    m_outputStarted = false;
    m_atEnd = false;
    if (startOutput) {
        if (!m_output->Start(m_ring.get())) {
            {
                std::lock_guard lock(m_mutex);
                m_producing = false;
            }
            m_idleFrame = frame;
            if (m_output->Lost()) {
                // Not a playback failure: the device went away. Paused here until Play
                // opens it again.
                m_state = State::Paused;
                m_deviceLost = true;
                QMetaObject::invokeMethod(this, &CMediaCore::deviceLost, Qt::QueuedConnection);
                return;
            }
            Report(QStringLiteral("播放失败! Error code: %1").arg(m_output->ErrorCode()));
            m_state = State::Stopped;
            return;
        }
        std::lock_guard lock(m_mutex);
        m_outputRunning = true;
        m_outputStarted = true;
    }
    m_idleFrame = frame;
    m_wake.notify_one();
}

// Stops output and production, leaving the channel at `frame`.
void CMediaCore::Park(std::int64_t frame) {
    m_output->Stop();
    std::lock_guard lock(m_mutex);
    m_outputRunning = false;
    m_producing = false;
    ++m_generation;
    m_ring->Reset();
    m_idleFrame = frame;
    m_outputStarted = false;
}

bool CMediaCore::Load(const QString& path) {
    Free();
    m_handlerActed = true;
    m_fileName = path;
    std::unique_ptr<CDecoder> decoder = OpenDecoder(path);
    if (!decoder) {
        Report(QStringLiteral("载入文件失败,文件格式可能不支持。"));
        return false;
    }
    decoder = WithRegionCache(std::move(decoder),
                              std::int64_t(decoder->SampleRate()) * kRegionCacheSeconds);
    m_sampleRate = decoder->SampleRate();
    m_lengthFrames = decoder->LengthFrames();
    m_isModule = decoder->IsModule();
    int deviceRate = m_sampleRate;
    if (!m_output->Open(deviceRate)) {
        deviceRate = 48000;
        if (!m_output->Open(deviceRate)) deviceRate = 44100;
    }
    m_deviceLost = m_output->Lost();
    // A new channel starts at its own speed and pitch; the caller applies the learner's.
    m_tempo = 0.0f;
    m_pitch = 0.0f;
    m_rateHz = 0;
    {
        std::lock_guard lock(m_mutex);
        m_decoder = std::move(decoder);
        m_deviceRate = deviceRate;
        m_stretch = std::make_unique<soundtouch::SoundTouch>();
        m_stretch->setSampleRate(uint(m_sampleRate));
        m_stretch->setChannels(2);
        m_effects->SetSampleRate(m_sampleRate);
        for (int band = 0; band < kEqBands; ++band)
            m_effects->SetEffect(band, 10);
        m_effects->SetEffect(kReverbIndex, 20);
        m_mark = -1;
        ApplyTempoLocked();
    }
    m_hasChannel = true;
    m_state = State::Stopped;
    m_idleFrame = 0;
    m_atEnd = false;
    ApplyGains();
    return true;
}

bool CMediaCore::Free() {
    m_handlerActed = true;
    const bool had = m_hasChannel;
    m_output->Stop();
    {
        std::lock_guard lock(m_mutex);
        m_outputRunning = false;
        m_producing = false;
        ++m_generation;
        m_ring->Reset();
        m_segments.clear();
        m_decoder.reset();
    }
    m_hasChannel = false;
    m_isModule = false;
    m_state = State::Stopped;
    m_outputStarted = false;
    m_idleFrame = 0;
    m_sampleRate = 0;
    m_lengthFrames = 0;
    return had;
}

bool CMediaCore::Play(bool restart) {
    if (!m_hasChannel) return false;
    m_handlerActed = true;
    if (m_state == State::Playing && !restart) return true;
    if (m_deviceLost || m_output->Lost()) {
        // Each Play tries the device again until one opens.
        if (!m_output->Open(m_deviceRate) || m_output->Lost()) {
            m_deviceLost = true;
            Q_EMIT deviceLost();
            return false;
        }
        m_deviceLost = false;
    }
    Restart(restart || m_atEnd ? 0 : m_idleFrame, true);
    if (!m_outputStarted) return false;
    m_state = State::Playing;
    return true;
}

// Pausing parks the channel where the learner is: what the device still holds is dropped,
// and Play starts again from exactly there.
void CMediaCore::Pause() {
    m_handlerActed = true;
    if (m_state != State::Playing) return;
    Park(CurrentFrame());
    m_state = State::Paused;
}

void CMediaCore::OnDeviceLost(std::uint64_t generation) {
    {
        std::lock_guard lock(m_mutex);
        if (generation != m_generation) return;
    }
    if (m_state == State::Playing) {
        Park(CurrentFrame());
        m_state = State::Paused;
    }
    m_deviceLost = true;
    Q_EMIT deviceLost();
}

bool CMediaCore::Stop() {
    m_handlerActed = true;
    if (m_hasChannel) Park(0);
    m_state = State::Stopped;
    m_atEnd = false;
    return true;
}

std::int64_t CMediaCore::CurrentFrame() const {
    if (!m_hasChannel) return 0;
    std::lock_guard lock(m_mutex);
    if (!m_outputRunning) return m_idleFrame;
    return std::int64_t(SourceAtLocked(HeardLocked()));
}

int CMediaCore::GetPosition() const {
    if (!m_hasChannel || m_sampleRate <= 0) return 0;
    std::int64_t frame = CurrentFrame();
    if (m_lengthFrames > 0) frame = std::min(frame, m_lengthFrames);
    return int(frame * 1000 / m_sampleRate);
}

int CMediaCore::GetLength() const {
    if (!m_hasChannel || m_sampleRate <= 0) return 0;
    return int(m_lengthFrames * 1000 / m_sampleRate);
}

void CMediaCore::SetPosition(int ms) {
    if (!m_hasChannel) return;
    const std::int64_t frame = FrameOf(std::uint32_t(ms), m_sampleRate);
    if (m_lengthFrames > 0 && frame > m_lengthFrames) return; // beyond the end: refused
    m_handlerActed = true;
    switch (m_state) {
    case State::Playing:
        Restart(frame, true);
        break;
    case State::Paused:
        Restart(frame, false);
        break;
    case State::Stopped:
        m_idleFrame = frame;
        m_atEnd = false;
        break;
    }
}

void CMediaCore::OnReached(std::uint64_t generation, EndKind kind) {
    {
        std::lock_guard lock(m_mutex);
        if (generation != m_generation) return;
    }
    m_handlerActed = false;
    const bool stop = m_endHandler ? m_endHandler(kind) : false;
    if (kind == EndKind::ChannelEnd)
        Q_EMIT playEnded();
    else
        Q_EMIT stopMarkReached();
    if (stop) {
        Stop();
        return;
    }
    if (m_handlerActed) return;
    // Parked at the end itself, which the device is about to play.
    std::int64_t frame = 0;
    {
        std::lock_guard lock(m_mutex);
        frame = std::int64_t(std::llround(SourceAtLocked(m_endW)));
    }
    Park(frame);
    if (kind == EndKind::ChannelEnd) {
        m_state = State::Stopped;
        m_atEnd = true;
    } else {
        m_state = State::Paused;
    }
}

void CMediaCore::GetAttributes(int* rate, int* volume, int* pan) const {
    if (rate) *rate = m_hasChannel ? int(m_rateHz > 0 ? m_rateHz : float(m_sampleRate)) : 0;
    if (volume) *volume = m_volume;
    if (pan) *pan = m_pan;
}

void CMediaCore::SetVolume(int volume) {
    m_volume = std::clamp(volume, 0, 100);
    if (!m_muted) m_rememberedVolume = m_volume;
    ApplyGains();
}

void CMediaCore::SetPan(int pan) {
    m_pan = std::clamp(pan, -100, 100);
    ApplyGains();
}

void CMediaCore::SetMute(bool mute) {
    m_muted = mute;
    m_volume = mute ? 0 : m_rememberedVolume;
    ApplyGains();
}

void CMediaCore::ApplyGains() {
    const float gain = float(m_volume) / 100.0f;
    const float left = m_pan > 0 ? 1.0f - float(m_pan) / 100.0f : 1.0f;
    const float right = m_pan < 0 ? 1.0f + float(m_pan) / 100.0f : 1.0f;
    m_ring->SetGains(gain * left, gain * right);
}

bool CMediaCore::SetTempo(float percent) {
    if (!m_hasChannel) return false;
    m_tempo = std::clamp(percent, -95.0f, 5000.0f);
    return ApplySpeed();
}

bool CMediaCore::SetPitch(float semitones) {
    if (!m_hasChannel) return false;
    m_pitch = std::clamp(semitones, -60.0f, 60.0f);
    return ApplySpeed();
}

bool CMediaCore::SetRate(float hz) {
    if (!m_hasChannel) return false;
    m_rateHz = std::clamp(hz, 100.0f, 768000.0f);
    return ApplySpeed();
}

bool CMediaCore::SetTempoAndPitch(float tempoPercent, float pitchSemitones) {
    if (!m_hasChannel) return false;
    m_tempo = std::clamp(tempoPercent, -95.0f, 5000.0f);
    m_pitch = std::clamp(pitchSemitones, -60.0f, 60.0f);
    return ApplySpeed();
}

bool CMediaCore::ApplySpeed() {
    std::lock_guard lock(m_mutex);
    ApplyTempoLocked();
    RefillLocked();
    return true;
}

void CMediaCore::RefillLocked() {
    // Playing on with new settings: what the output may be reading keeps the old ones; the
    // rest of the ring is dropped and made again from the source place it stood for, so
    // that the change is heard about one device buffer later, not a whole ring later.
    if (!m_producing || m_eventPosted || m_segments.empty()) return;
    const std::int64_t keep = m_ring->ReadCount() + std::int64_t(m_output->PullFrames());
    if (keep >= m_ring->WriteCount()) {
        if (m_producerDone) return; // the end is in the ring already: it plays as it is
        // Little is queued: the rest of the file follows the ring's end.
        const std::int64_t from = std::int64_t(std::llround(m_outSrc));
        m_stretch->clear();
        m_decoder->Seek(from);
        m_outSrc = double(from);
        m_inputDone = false;
        m_segments.push_back(NewSegmentLocked(m_outSrc));
        m_wake.notify_one();
        return;
    }
    const double src = SourceAtLocked(keep);
    m_ring->Rewind(keep);
    while (!m_segments.empty() && m_segments.back().w >= keep)
        m_segments.pop_back();
    const std::int64_t from = std::int64_t(std::llround(src));
    m_stretch->clear();
    m_decoder->Seek(from);
    m_outSrc = double(from);
    m_inputDone = m_producerDone = false;
    m_segments.push_back(NewSegmentLocked(m_outSrc));
    m_wake.notify_one();
}

void CMediaCore::SetEffect(int index, int value) {
    if (index < 0 || index > kReverbIndex) return;
    std::lock_guard lock(m_mutex);
    m_effects->SetEffect(index, value);
    m_lastEffectIndex = index;
    m_lastEffectValue = value;
    RefillLocked(); // heard at once, not after what is queued
}

float CMediaCore::BandGainDb(int band) const {
    std::lock_guard lock(m_mutex);
    return m_effects->BandGainDb(band);
}

float CMediaCore::ReverbMixDb() const {
    std::lock_guard lock(m_mutex);
    return m_effects->ReverbMixDb();
}

void CMediaCore::SetStopMark(int ms) {
    if (!m_hasChannel) return;
    const std::int64_t frame = ms < 0 ? -1 : FrameOf(std::uint32_t(ms), m_sampleRate);
    bool restart = false;
    std::int64_t heardFrame = 0;
    {
        std::lock_guard lock(m_mutex);
        if (frame == m_mark) return;
        const bool running = m_producing && m_outputRunning;
        heardFrame = running ? std::int64_t(SourceAtLocked(HeardLocked())) : 0;
        // Production that already went past the new mark, or stopped at the old one, must
        // be redone from what the learner hears now.
        restart = running && ((frame >= 0 && m_outSrc > double(frame) && heardFrame < frame) ||
                              (m_producerDone && m_endKind == EndKind::StopMark));
        m_mark = frame;
    }
    // A paused channel is set up again too, so that resuming honours the new mark.
    if (restart && m_state != State::Stopped) Restart(heardFrame, m_state == State::Playing);
}

int CMediaCore::StopMark() const {
    std::lock_guard lock(m_mutex);
    return m_mark < 0 || m_sampleRate <= 0 ? -1 : int(m_mark * 1000 / m_sampleRate);
}

// ---------------------------------------------------------------- voice recording

namespace {
void PutLe32(std::uint8_t* at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        at[i] = std::uint8_t(v >> (8 * i));
}
void PutLe16(std::uint8_t* at, std::uint16_t v) {
    at[0] = std::uint8_t(v);
    at[1] = std::uint8_t(v >> 8);
}
constexpr int kRecordRate = 44100;
constexpr int kRecordFrameBytes = 4; // 2 channels of 16 bits
} // namespace

CNullAudioCapture* CMediaCore::NullCapture() const {
    return dynamic_cast<CNullAudioCapture*>(m_capture.get());
}

CNullAudioOutput* CMediaCore::RecordingNullOutput() const {
    return m_recOutput && m_recOutput->IsNull() ? static_cast<CNullAudioOutput*>(m_recOutput.get())
                                                : nullptr;
}

bool CMediaCore::InitRecording() {
    if (!m_capture)
        m_capture =
            m_output->IsNull() ? std::make_unique<CNullAudioCapture>() : CreateAudioCapture();
    if (!m_capture) {
        Report(QStringLiteral("Can't initialize device"));
        return false;
    }
    SetInputLevel(50);
    return true;
}

void CMediaCore::SetInputLevel(int level) {
    m_inputLevel = std::clamp(level, 0, 100);
}

void CMediaCore::FreeRecording() {
    PlayRecording(false);
    std::free(m_recBuffer);
    m_recBuffer = nullptr;
    m_recCapacity = 0;
    m_recBytes = 0;
    m_recReady = false;
}

bool CMediaCore::GrowRecording(std::size_t needed) {
    if (needed <= m_recCapacity) return true;
    const std::size_t capacity = (needed / kRecordingStep + 1) * kRecordingStep;
    if (m_recLimit && capacity > m_recLimit) return false;
    auto* grown = static_cast<std::uint8_t*>(std::realloc(m_recBuffer, capacity));
    if (!grown) return false; // the old block, and what it holds, stays
    m_recBuffer = grown;
    m_recCapacity = capacity;
    return true;
}

bool CMediaCore::StartRecording() {
    if (m_recording) StopRecording();
    if (!m_capture && !InitRecording()) return false;
    FreeRecording();
    if (!GrowRecording(kWavHeader)) {
        Report(QStringLiteral("Out of memory!"));
        return false;
    }
    // The sizes stay 0 until recording stops.
    std::memcpy(m_recBuffer, PcmWav({}, kRecordRate, 2).constData(), kWavHeader);
    PutLe32(m_recBuffer + 4, 0);
    m_recBytes = kWavHeader;
    m_recording = true;
    if (!m_capture->Start(
            [this](const std::uint8_t* bytes, std::size_t size) { OnCaptured(bytes, size); })) {
        m_recording = false;
        Report(QStringLiteral("Couldn't start recording"));
        FreeRecording();
        return false;
    }
    return true;
}

// Capture thread: the only writer of the buffer while recording.
void CMediaCore::OnCaptured(const std::uint8_t* bytes, std::size_t size) {
    if (!m_recording.load(std::memory_order_acquire)) return;
    size -= size % 2;
    const std::size_t used = m_recBytes.load(std::memory_order_relaxed);
    if (!GrowRecording(used + size)) {
        // What was captured so far is kept; the recording ends here.
        m_recording = false;
        QMetaObject::invokeMethod(
            this, [this] { Report(QStringLiteral("Out of memory!")); }, Qt::QueuedConnection);
        return;
    }
    const int level = m_inputLevel.load(std::memory_order_relaxed);
    if (level == 50) {
        std::memcpy(m_recBuffer + used, bytes, size);
    } else {
        for (std::size_t i = 0; i < size; i += 2) {
            const int in = std::int16_t(std::uint16_t(bytes[i] | (bytes[i + 1] << 8)));
            const int out = std::clamp(in * level / 50, -32768, 32767);
            PutLe16(m_recBuffer + used + i, std::uint16_t(std::int16_t(out)));
        }
    }
    m_recBytes.store(used + size, std::memory_order_release);
}

bool CMediaCore::StopRecording() {
    if (m_capture) m_capture->Stop(); // no block arrives after this
    m_recording = false;
    if (!m_recBuffer) return false;
    const std::size_t used = m_recBytes.load(std::memory_order_acquire);
    PutLe32(m_recBuffer + 4, std::uint32_t(used - 8));
    PutLe32(m_recBuffer + 40, std::uint32_t(used - kWavHeader));
    m_recReady = true;
    return true;
}

int CMediaCore::GetRecordedLength() const {
    const std::size_t used = m_recBytes.load(std::memory_order_acquire);
    if (used <= kWavHeader) return 0;
    return int(std::int64_t((used - kWavHeader) / kRecordFrameBytes) * 1000 / kRecordRate);
}

QByteArray CMediaCore::RecordingImage() const {
    if (!m_recBuffer || m_recording) return {};
    return QByteArray(reinterpret_cast<const char*>(m_recBuffer), qsizetype(m_recBytes.load()));
}

bool CMediaCore::PlayRecording(bool play) {
    if (!play) {
        if (m_recOutput) m_recOutput->Stop();
        std::lock_guard lock(m_mutex);
        m_recFrames = 0;
        ++m_recGeneration;
        m_recPlaying = false;
        return true;
    }
    if (!m_recReady || m_recording) return false;
    PlayRecording(false);
    if (!m_recOutput) {
        m_recOutput = CreateAudioOutput();
        if (!m_recOutput) {
            Report(QStringLiteral("Can't initialize device"));
            return false;
        }
        HookNullOutput(m_recOutput.get(), nullptr);
    }
    const std::int64_t frames = std::int64_t(m_recBytes.load() - kWavHeader) / kRecordFrameBytes;
    if (!m_recRing || m_recRing->Capacity() < std::size_t(frames))
        m_recRing = std::make_unique<CFrameRing>(std::size_t(std::max<std::int64_t>(frames, 1)));
    m_recRing->Reset();
    std::vector<float> block(2 * 4096);
    for (std::int64_t at = 0; at < frames;) {
        const std::int64_t n = std::min<std::int64_t>(4096, frames - at);
        const std::uint8_t* from = m_recBuffer + kWavHeader + at * kRecordFrameBytes;
        for (std::int64_t i = 0; i < 2 * n; ++i)
            block[std::size_t(i)] =
                float(std::int16_t(std::uint16_t(from[2 * i] | (from[2 * i + 1] << 8)))) / 32768.0f;
        m_recRing->Write(block.data(), std::size_t(n));
        at += n;
    }
    if (!m_recOutput->Open(kRecordRate) || !m_recOutput->Start(m_recRing.get())) {
        Report(QStringLiteral("Can't initialize device"));
        return false;
    }
    std::lock_guard lock(m_mutex);
    m_recFrames = frames;
    m_recEndPosted = false;
    ++m_recGeneration;
    m_recPlaying = true;
    m_wake.notify_one();
    return true;
}

int CMediaCore::GetRecordingPosition() const {
    if (!m_recPlaying || !m_recOutput) return 0;
    std::int64_t frames = m_recOutput->PlayedFrames();
    {
        std::lock_guard lock(m_mutex);
        frames = std::min(frames, m_recFrames);
    }
    return int(frames * 1000 / kRecordRate);
}

// Engine thread: the end of the recording's playback goes to the GUI thread once.
void CMediaCore::CheckRecordingEndLocked() {
    if (m_recFrames <= 0 || m_recEndPosted || m_recOutput->PlayedFrames() < m_recFrames) return;
    m_recEndPosted = true;
    const std::uint64_t generation = m_recGeneration;
    QMetaObject::invokeMethod(
        this, [this, generation] { OnRecordingEnded(generation); }, Qt::QueuedConnection);
}

void CMediaCore::OnRecordingEnded(std::uint64_t generation) {
    {
        std::lock_guard lock(m_mutex);
        if (generation != m_recGeneration) return;
    }
    PlayRecording(false);
    Q_EMIT recordingPlayEnded();
}

bool CMediaCore::SaveRecording(const QString& path) {
    if (!m_recReady || m_recording) return false;
    const QByteArray image = QByteArray::fromRawData(reinterpret_cast<const char*>(m_recBuffer),
                                                     qsizetype(m_recBytes.load()));
    if (!WriteWholeFile(path, image)) {
        Report(QStringLiteral("Can't create the file"));
        return false;
    }
    return true;
}

} // namespace kestrova
