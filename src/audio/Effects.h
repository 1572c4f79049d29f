// The effect chain every channel carries: ten peaking equaliser bands (31 Hz .. 16 kHz,
// 18 semitones wide) and a small Freeverb-style reverb. Values follow the engine's effect
// interface: band value v gives a gain of 10 - v dB (10 is flat), reverb value v gives a wet
// mix of -0.012 v^3 dB (20 is silent, 0 is full). Runs on the engine's thread.
#pragma once

#include <array>
#include <vector>

namespace kestrova {

constexpr int kEqBands = 10;
constexpr int kReverbIndex = 10;
extern const std::array<float, kEqBands> kEqCentres;

class CEffectChain {
public:
    void SetSampleRate(int rate);
    // index 0..9: a band; 10: the reverb. Out-of-range indexes are ignored.
    void SetEffect(int index, int value);
    float BandGainDb(int band) const { return m_gainDb[std::size_t(band)]; }
    float ReverbMixDb() const { return m_reverbMixDb; }
    // True when the chain leaves the sound untouched (flat bands, silent reverb).
    bool IsNeutral() const;
    void Process(float* frames, int count);
    void Reset();

private:
    struct Biquad {
        float b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
        float z1[2] = {0, 0}, z2[2] = {0, 0};
    };
    struct Comb {
        std::vector<float> buf;
        std::size_t pos = 0;
        float store = 0;
    };
    struct Allpass {
        std::vector<float> buf;
        std::size_t pos = 0;
    };
    void UpdateBand(int band);
    void BuildReverb();

    int m_rate = 44100;
    std::array<float, kEqBands> m_gainDb{};
    std::array<Biquad, kEqBands> m_bands{};
    float m_reverbMixDb = -96.0f;
    float m_wet = 0.0f;
    std::array<std::array<Comb, 8>, 2> m_combs{};
    std::array<std::array<Allpass, 4>, 2> m_allpasses{};
};

} // namespace kestrova
