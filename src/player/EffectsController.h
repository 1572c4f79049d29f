// The sound effects of the playing channel as the learner sets them: tempo (pitch kept),
// playback rate, pitch, reverb, balance and the ten equaliser bands with their presets,
// each as a slider position. It applies them to the engine, keeps `Tempo`, `Pitch`, `Reverb`
// and `EqPreset` in the settings, sets the rate range and the effects of every file that
// opens, and carries the three playback-speed commands. The sound-effects panel is its view.
// No widgets. GUI thread.
#pragma once

#include "player/CommandStates.h"

#include <QObject>
#include <array>

namespace kestrova {

class CAppSetting;
class CMediaCore;
class CPlaybackController;

class CEffectsController : public QObject {
    Q_OBJECT
public:
    static constexpr int kBands = 10;
    static constexpr int kTempoNeutral = 60;    // 0..120: tempo change p - 60 percent
    static constexpr int kPitchNeutral = 15;    // 0..30: p - 15 semitones
    static constexpr int kReverbMax = 20;       // 0..20: reverb amount
    static constexpr int kBalanceNeutral = 100; // 0..200: pan p - 100
    static constexpr int kBandNeutral = 10;     // 0..20: gain 10 - p dB
    static constexpr int kTempoStep = 6;
    enum Preset { UserDefined, Default, Speech };
    // The band positions of the speech preset, 31 Hz to 16 kHz.
    static constexpr std::array<int, kBands> kSpeechBands{6, 10, 12, 11, 10, 10, 10, 10, 6, 4};

    CEffectsController(CAppSetting& settings, CPlaybackController& playback,
                       QObject* parent = nullptr);
    ~CEffectsController() override;

    int Tempo() const { return m_tempo; }
    int Rate() const { return m_rate; }
    int RateMin() const { return m_rateMin; }
    int RateMax() const { return m_rateMax; }
    bool RateEnabled() const { return m_fileRate > 0; }
    int Pitch() const { return m_pitch; }
    int Reverb() const { return m_reverb; }
    int Balance() const { return m_balance; }
    int Band(int i) const { return m_bands[std::size_t(i)]; }
    Preset CurrentPreset() const { return m_preset; }

    // A slider moved to p.
    void SetTempo(int p);
    void SetRate(int p);
    void SetPitch(int p);
    void SetReverb(int p);
    void SetBalance(int p);
    void SetBand(int band, int p);
    void ChoosePreset(Preset preset);
    // A slider's label clicked: back to neutral. False when the tempo could not be set
    // (the panel tells the learner).
    bool ResetTempo();
    void ResetRate();
    void ResetPitch();
    void ResetReverb();
    void ResetBalance();

    // The playback-speed commands.
    static bool Handles(CommandId id);
    bool IsEnabled(CommandId id) const;
    void Execute(CommandId id);

Q_SIGNALS:
    // A position changed (a command, a preset, a file opened): the panel shows it.
    void changed();
    void commandEnabledChanged(kestrova::CommandId id, bool enabled);

private:
    void FileOpened();
    void FileReleased();
    void ApplyBands();
    void UpdateCommands();
    CMediaCore& Engine();

    CAppSetting& m_settings;
    CPlaybackController& m_playback;
    int m_tempo = kTempoNeutral;
    int m_rate = 0;
    int m_rateMin = 0;
    int m_rateMax = 0;
    int m_fileRate = 0; // the open file's own sample rate (0: no file)
    int m_pitch = kPitchNeutral;
    int m_reverb = 0;
    int m_balance = kBalanceNeutral;
    std::array<int, kBands> m_bands;
    Preset m_preset = UserDefined;
    CCommandStates m_commands;
};

} // namespace kestrova
