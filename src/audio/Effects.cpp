#include "Effects.h"

#include <algorithm>
#include <cmath>

namespace kestrova {

const std::array<float, kEqBands> kEqCentres = {31,   62,   125,  250,  500,
                                                1000, 2000, 4000, 8000, 16000};

namespace {
constexpr float kBandwidthOctaves = 18.0f / 12.0f;
// Freeverb's tunings at 44.1 kHz, scaled to the channel's rate.
constexpr int kCombTuning[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
constexpr int kAllpassTuning[4] = {556, 441, 341, 225};
constexpr int kStereoSpread = 23;
constexpr float kFeedback = 0.84f; // about a second of decay, like the classic reverb default
constexpr float kDamp = 0.2f;
constexpr float kWetScale = 0.3f;
} // namespace

void CEffectChain::SetSampleRate(int rate) {
    m_rate = rate > 0 ? rate : 44100;
    for (int i = 0; i < kEqBands; ++i)
        UpdateBand(i);
    BuildReverb();
}

void CEffectChain::SetEffect(int index, int value) {
    if (index >= 0 && index < kEqBands) {
        m_gainDb[std::size_t(index)] = float(10 - value);
        UpdateBand(index);
    } else if (index == kReverbIndex) {
        m_reverbMixDb = float(-0.012 * double(value) * double(value) * double(value));
        m_wet = m_reverbMixDb <= -96.0f ? 0.0f : std::pow(10.0f, m_reverbMixDb / 20.0f);
    }
}

bool CEffectChain::IsNeutral() const {
    return m_wet == 0.0f &&
           std::all_of(m_gainDb.begin(), m_gainDb.end(), [](float g) { return g == 0.0f; });
}

void CEffectChain::UpdateBand(int band) {
    // Peaking equaliser (the audio EQ cookbook form), bandwidth in octaves. A centre at or
    // above Nyquist is pulled just below it.
    Biquad& q = m_bands[std::size_t(band)];
    const float gain = m_gainDb[std::size_t(band)];
    if (gain == 0.0f) {
        q.b0 = 1;
        q.b1 = q.b2 = q.a1 = q.a2 = 0;
        return;
    }
    const double f0 = std::min<double>(kEqCentres[std::size_t(band)], m_rate * 0.45);
    const double a = std::pow(10.0, gain / 40.0);
    const double w0 = 2.0 * M_PI * f0 / m_rate;
    const double alpha =
        std::sin(w0) * std::sinh(std::log(2.0) / 2.0 * kBandwidthOctaves * w0 / std::sin(w0));
    const double a0 = 1.0 + alpha / a;
    q.b0 = float((1.0 + alpha * a) / a0);
    q.b1 = float(-2.0 * std::cos(w0) / a0);
    q.b2 = float((1.0 - alpha * a) / a0);
    q.a1 = q.b1;
    q.a2 = float((1.0 - alpha / a) / a0);
}

void CEffectChain::BuildReverb() {
    const double scale = m_rate / 44100.0;
    for (int ch = 0; ch < 2; ++ch) {
        for (int i = 0; i < 8; ++i) {
            Comb& c = m_combs[std::size_t(ch)][std::size_t(i)];
            c.buf.assign(std::size_t((kCombTuning[i] + ch * kStereoSpread) * scale) + 1, 0.0f);
            c.pos = 0;
            c.store = 0;
        }
        for (int i = 0; i < 4; ++i) {
            Allpass& a = m_allpasses[std::size_t(ch)][std::size_t(i)];
            a.buf.assign(std::size_t((kAllpassTuning[i] + ch * kStereoSpread) * scale) + 1, 0.0f);
            a.pos = 0;
        }
    }
}

void CEffectChain::Reset() {
    for (Biquad& q : m_bands)
        q.z1[0] = q.z1[1] = q.z2[0] = q.z2[1] = 0;
    BuildReverb();
}

void CEffectChain::Process(float* frames, int count) {
    for (int b = 0; b < kEqBands; ++b) {
        if (m_gainDb[std::size_t(b)] == 0.0f) continue;
        Biquad& q = m_bands[std::size_t(b)];
        for (int ch = 0; ch < 2; ++ch) {
            float z1 = q.z1[ch], z2 = q.z2[ch];
            for (int i = 0; i < count; ++i) {
                float& s = frames[2 * i + ch];
                const float in = s;
                const float out = q.b0 * in + z1;
                z1 = q.b1 * in - q.a1 * out + z2;
                z2 = q.b2 * in - q.a2 * out;
                s = out;
            }
            q.z1[ch] = z1;
            q.z2[ch] = z2;
        }
    }
    if (m_wet == 0.0f) return;
    const float wet = m_wet * kWetScale;
    for (int i = 0; i < count; ++i) {
        const float input = (frames[2 * i] + frames[2 * i + 1]) * 0.015f;
        for (int ch = 0; ch < 2; ++ch) {
            float out = 0;
            for (Comb& c : m_combs[std::size_t(ch)]) {
                const float y = c.buf[c.pos];
                c.store = y * (1.0f - kDamp) + c.store * kDamp;
                c.buf[c.pos] = input + c.store * kFeedback;
                if (++c.pos == c.buf.size()) c.pos = 0;
                out += y;
            }
            for (Allpass& a : m_allpasses[std::size_t(ch)]) {
                const float b = a.buf[a.pos];
                a.buf[a.pos] = out + b * 0.5f;
                out = b - out;
                if (++a.pos == a.buf.size()) a.pos = 0;
            }
            frames[2 * i + ch] += out * wet;
        }
    }
}

} // namespace kestrova
