#include "EffectsController.h"

#include "PlaybackController.h"
#include "audio/MediaCore.h"
#include "common/AppSetting.h"

#include <cmath>

namespace kestrova {

namespace {
using C = CommandId;
constexpr CommandId kCommands[] = {C::SpeedUp, C::SlowDown, C::NormalSpeed};
// The engine's reverb value: 20 leaves no reverb, 0 is full reverb.
constexpr int kReverbIndex = 10;
} // namespace

CEffectsController::CEffectsController(CAppSetting& settings, CPlaybackController& playback,
                                       QObject* parent)
    : QObject(parent), m_settings(settings), m_playback(playback), m_commands(kCommands) {
    m_bands.fill(kBandNeutral);
    m_tempo = std::clamp(settings.Tempo + kTempoNeutral, 0, 2 * kTempoNeutral);
    m_pitch = std::clamp(settings.Pitch + kPitchNeutral, 0, 2 * kPitchNeutral);
    m_reverb = std::clamp(settings.Reverb, 0, kReverbMax);
    m_preset = settings.EqPreset >= UserDefined && settings.EqPreset <= Speech
                   ? Preset(settings.EqPreset)
                   : UserDefined;
    connect(&playback, &CPlaybackController::fileOpened, this, &CEffectsController::FileOpened);
    connect(&playback, &CPlaybackController::fileReleased, this, &CEffectsController::FileReleased);
    if (Engine().HasChannel()) FileOpened();
    Engine().SetPan(m_balance - kBalanceNeutral);
    UpdateCommands();
}

CEffectsController::~CEffectsController() {
    m_settings.Tempo = m_tempo - kTempoNeutral;
    m_settings.Pitch = m_pitch - kPitchNeutral;
    m_settings.Reverb = m_reverb;
}

CMediaCore& CEffectsController::Engine() {
    return m_playback.Engine();
}

void CEffectsController::SetTempo(int p) {
    m_tempo = std::clamp(p, 0, 2 * kTempoNeutral);
    Engine().SetTempo(float(m_tempo - kTempoNeutral));
    m_settings.Tempo = m_tempo - kTempoNeutral;
    UpdateCommands();
    Q_EMIT changed();
}

void CEffectsController::SetRate(int p) {
    if (!RateEnabled()) return;
    m_rate = std::clamp(p, m_rateMin, m_rateMax);
    Engine().SetRate(float(m_rate));
    Q_EMIT changed();
}

void CEffectsController::SetPitch(int p) {
    m_pitch = std::clamp(p, 0, 2 * kPitchNeutral);
    Engine().SetPitch(float(m_pitch - kPitchNeutral));
    m_settings.Pitch = m_pitch - kPitchNeutral;
    Q_EMIT changed();
}

void CEffectsController::SetReverb(int p) {
    m_reverb = std::clamp(p, 0, kReverbMax);
    Engine().SetEffect(kReverbIndex, kReverbMax - m_reverb);
    m_settings.Reverb = m_reverb;
    Q_EMIT changed();
}

void CEffectsController::SetBalance(int p) {
    m_balance = std::clamp(p, 0, 2 * kBalanceNeutral);
    Engine().SetPan(m_balance - kBalanceNeutral);
    Q_EMIT changed();
}

void CEffectsController::SetBand(int band, int p) {
    if (band < 0 || band >= kBands) return;
    m_bands[std::size_t(band)] = std::clamp(p, 0, 2 * kBandNeutral);
    Engine().SetEffect(band, m_bands[std::size_t(band)]);
    // A band moved by hand makes the equaliser the learner's own.
    m_preset = UserDefined;
    m_settings.EqPreset = UserDefined;
    Q_EMIT changed();
}

void CEffectsController::ChoosePreset(Preset preset) {
    if (preset == UserDefined) {
        m_preset = UserDefined;
        m_settings.EqPreset = UserDefined;
        Q_EMIT changed();
        return;
    }
    for (int i = 0; i < kBands; ++i)
        m_bands[std::size_t(i)] = preset == Speech ? kSpeechBands[std::size_t(i)] : kBandNeutral;
    m_preset = preset;
    m_settings.EqPreset = preset;
    ApplyBands();
    Q_EMIT changed();
}

void CEffectsController::ApplyBands() {
    for (int i = 0; i < kBands; ++i)
        Engine().SetEffect(i, m_bands[std::size_t(i)]);
}

bool CEffectsController::ResetTempo() {
    m_tempo = kTempoNeutral;
    m_settings.Tempo = 0;
    const bool set = Engine().SetTempo(0);
    UpdateCommands();
    Q_EMIT changed();
    return set;
}

void CEffectsController::ResetRate() {
    if (!RateEnabled()) return;
    SetRate(m_fileRate);
}

void CEffectsController::ResetPitch() {
    SetPitch(kPitchNeutral);
}

void CEffectsController::ResetReverb() {
    SetReverb(0);
}

void CEffectsController::ResetBalance() {
    SetBalance(kBalanceNeutral);
}

void CEffectsController::FileOpened() {
    // The rate goes from 0.7 to 1.3 times the file's own, which it starts at; the reverb
    // and the chosen preset apply to the new channel (a hand-set equaliser does not).
    m_fileRate = Engine().SampleRate();
    m_rateMin = int(std::trunc(0.7 * m_fileRate));
    m_rateMax = int(std::trunc(1.3 * m_fileRate));
    m_rate = m_fileRate;
    Engine().SetRate(float(m_fileRate));
    Engine().SetEffect(kReverbIndex, kReverbMax - m_reverb);
    if (m_preset != UserDefined) ChoosePreset(m_preset);
    UpdateCommands();
    Q_EMIT changed();
}

void CEffectsController::FileReleased() {
    m_fileRate = 0;
    UpdateCommands();
    Q_EMIT changed();
}

bool CEffectsController::Handles(CommandId id) {
    return CCommandStates(kCommands).Holds(id);
}

bool CEffectsController::IsEnabled(CommandId id) const {
    switch (id) {
    case C::SpeedUp:
        return m_tempo < 2 * kTempoNeutral;
    case C::SlowDown:
        return m_tempo > 0;
    case C::NormalSpeed:
        return m_tempo != kTempoNeutral;
    default:
        return false;
    }
}

void CEffectsController::Execute(CommandId id) {
    switch (id) {
    case C::SpeedUp:
        SetTempo(m_tempo + kTempoStep);
        break;
    case C::SlowDown:
        SetTempo(m_tempo - kTempoStep);
        break;
    case C::NormalSpeed:
        ResetTempo();
        break;
    default:
        break;
    }
}

void CEffectsController::UpdateCommands() {
    m_commands.Update([this](CommandId id) { return IsEnabled(id); },
                      [this](CommandId id, bool on) { Q_EMIT commandEnabledChanged(id, on); });
}

} // namespace kestrova
