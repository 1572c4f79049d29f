#include "MediaCore.h"

#include "AudioOutput.h"
#include "Decoder.h"
#include "Effects.h"
#include "FrameRing.h"
#include "common/AppSetting.h"
#include "common/Util.h"

#include <QMetaObject>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
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

// The first frame at or after `ms`, so that a position set reads back as the same
// millisecond (reading truncates).
std::int64_t FrameOf(std::uint32_t ms, int rate) {
    return (std::int64_t(ms) * rate + 999) / 1000;
}
} // namespace

CMediaCore::CMediaCore(const CAppSetting* settings, std::unique_ptr<CAudioOutput> output,
                       QObject* parent)
    : QObject(parent), m_settings(settings), m_output(std::move(output)),
      m_ring(std::make_unique<CFrameRing>(kRingFrames)),
      m_effects(std::make_unique<CEffectChain>()), m_buffer(kChunk * 2), m_stretchOut(kChunk * 2) {
    if (!m_output) m_output = CreateAudioOutput();
    if (!m_output) {
        ShowMessage(MessageKind::Error, QStringLiteral("Can't initialize device"));
        std::exit(-1);
    }
    if (CNullAudioOutput* null = NullOutput();
        null && null->ClockMode() != CNullAudioOutput::Mode::Manual) {
        null->wake = [this] { m_wake.notify_one(); };
    } else if (null) {
        null->demand = [this](std::size_t frames) {
            std::unique_lock lock(m_mutex);
            m_wake.notify_one();
            m_progress.wait(lock, [&] {
                return m_ring->Size() >= frames || m_producerDone || !m_producing || m_quit;
            });
        };
        null->consumed = [this] {
            std::unique_lock lock(m_mutex);
            const std::uint64_t seen = m_iteration;
            m_wake.notify_one();
            m_progress.wait(lock, [&] { return m_iteration > seen || m_quit; });
        };
    }
    m_thread = std::thread([this] { ThreadMain(); });
}

CMediaCore::~CMediaCore() {
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    m_progress.notify_all();
    m_thread.join();
    m_output->Stop();
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

double CMediaCore::SourceAtLocked(std::int64_t heard) const {
    if (m_segments.empty()) return m_outSrc;
    const Segment* seg = &m_segments.front();
    for (const Segment& s : m_segments)
        if (s.w <= heard) seg = &s;
    return seg->src + double(heard - seg->w) * seg->ratio;
}

void CMediaCore::CheckEndLocked() {
    if (!m_outputRunning) return;
    const std::int64_t heard = HeardLocked();
    while (m_segments.size() > 1 && m_segments[1].w <= heard)
        m_segments.pop_front();
    if (!m_producerDone || m_eventPosted || heard < m_endW) return;
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
        m_segments.push_back(Segment{m_ring->WriteCount(), double(frame), m_ratio});
        m_producing = true;
        // Fill before the output starts, so the first pull finds sound.
        for (int i = 0; i < 64 && ProduceLocked(); ++i) {
        }
        m_ringBase = m_ring->ReadCount();
    }
    m_outputStarted = false;
    m_atEnd = false;
    if (startOutput) {
        if (!m_output->Start(m_ring.get())) {
            Report(QStringLiteral("播放失败! Error code: %1").arg(m_output->ErrorCode()));
            std::lock_guard lock(m_mutex);
            m_producing = false;
            m_idleFrame = frame;
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
    m_sampleRate = decoder->SampleRate();
    m_lengthFrames = decoder->LengthFrames();
    m_isModule = decoder->IsModule();
    int deviceRate = m_sampleRate;
    if (!m_output->Open(deviceRate)) {
        deviceRate = 48000;
        if (!m_output->Open(deviceRate)) deviceRate = 44100;
    }
    m_tempo = m_settings ? float(m_settings->Tempo) : 0.0f;
    m_pitch = m_settings ? float(m_settings->Pitch) : 0.0f;
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
    if (restart) {
        Restart(0, true);
    } else if (m_state == State::Paused && m_outputStarted) {
        m_output->Resume();
    } else {
        Restart(m_atEnd ? 0 : m_idleFrame, true);
        if (!m_outputStarted) return false;
    }
    m_state = State::Playing;
    return true;
}

void CMediaCore::Pause() {
    m_handlerActed = true;
    if (m_state != State::Playing) return;
    m_output->Suspend();
    m_state = State::Paused;
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
    const std::int64_t frame = CurrentFrame();
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

void CMediaCore::SetAttributes(int rate, int volume, int pan) {
    if (volume != -1) {
        m_volume = std::clamp(volume, 0, 100);
        if (!m_muted) m_rememberedVolume = m_volume;
    }
    if (pan != -101) m_pan = std::clamp(pan, -100, 100);
    if (rate != -1 && rate > 0) SetTempo(-100, float(rate), -100);
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

bool CMediaCore::SetTempo(float tempo, float rate, float pitch) {
    if (!m_hasChannel) return false;
    if (tempo != -100.0f) m_tempo = std::clamp(tempo, -95.0f, 5000.0f);
    if (rate != 0.0f) m_rateHz = std::clamp(rate, 100.0f, 768000.0f);
    if (pitch != -100.0f) m_pitch = std::clamp(pitch, -60.0f, 60.0f);
    std::lock_guard lock(m_mutex);
    if (!m_producing || m_producerDone) {
        ApplyTempoLocked();
        return true;
    }
    // Playing on: what is already in the ring keeps its speed; the rest of the file is
    // decoded again from where the ring ends, with the new settings.
    const std::int64_t from = std::int64_t(std::llround(m_outSrc));
    m_stretch->clear();
    m_decoder->Seek(from);
    m_outSrc = double(from);
    m_inputDone = false;
    ApplyTempoLocked();
    m_segments.push_back(Segment{m_ring->WriteCount(), m_outSrc, m_ratio});
    m_wake.notify_one();
    return true;
}

void CMediaCore::SetEffect(int index, int value) {
    if (index < 0 || index > kReverbIndex) return;
    std::lock_guard lock(m_mutex);
    m_effects->SetEffect(index, value);
    m_lastEffectIndex = index;
    m_lastEffectValue = value;
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

} // namespace kestrova
