#include "VoiceCompare.h"

#include "Decoder.h"

#include <QtEndian>
#include <algorithm>
#include <aubio/aubio.h>
#include <memory>

namespace kestrova {

namespace {
// The tracker works at half the rate of a 44.1 kHz file: speech pitch lies far below it and
// the analysis costs half as much.
// A window of 93 ms: shorter ones read low voices up to 2 % high.
constexpr int kTrackerWindow = 2048;

struct PitchDeleter {
    void operator()(aubio_pitch_t* p) const { del_aubio_pitch(p); }
};
struct VectorDeleter {
    void operator()(fvec_t* v) const { del_fvec(v); }
};

std::vector<float> Halved(const std::vector<float>& mono) {
    std::vector<float> half(mono.size() / 2);
    for (std::size_t i = 0; i < half.size(); ++i)
        half[i] = 0.5f * (mono[2 * i] + mono[2 * i + 1]);
    return half;
}
} // namespace

std::vector<float> TrackPitch(const std::vector<float>& mono, int rate) {
    const bool halve = rate > 32000;
    const std::vector<float> halved = halve ? Halved(mono) : std::vector<float>();
    const std::vector<float>& in = halve ? halved : mono;
    const int trackRate = halve ? rate / 2 : rate;
    const auto hop = uint_t(std::max(1, int(std::lround(trackRate * VoiceTrace::kBlockMs / 1000))));
    std::unique_ptr<aubio_pitch_t, PitchDeleter> tracker(
        new_aubio_pitch("yinfft", kTrackerWindow, hop, uint_t(trackRate)));
    if (!tracker) return {};
    aubio_pitch_set_unit(tracker.get(), "Hz");
    aubio_pitch_set_silence(tracker.get(), -50);
    std::unique_ptr<fvec_t, VectorDeleter> block(new_fvec(hop));
    std::unique_ptr<fvec_t, VectorDeleter> out(new_fvec(1));
    std::vector<float> pitch;
    pitch.reserve(in.size() / hop + 1);
    // The tracker reports the pitch around the window that ends with each hop; the first
    // window's worth of blocks are moved back by half a window so that a curve lines up
    // with the envelope.
    for (std::size_t at = 0; at < in.size(); at += hop) {
        for (uint_t i = 0; i < hop; ++i)
            block->data[i] = at + i < in.size() ? smpl_t(in[at + i]) : 0;
        // Below the silence gate the tracker answers 0; whether a block is speech at all
        // is decided from its loudness (the tracker's confidence is not kept by yinfft).
        aubio_pitch_do(tracker.get(), block.get(), out.get());
        pitch.push_back(float(out->data[0]));
    }
    const std::size_t lag = std::size_t(kTrackerWindow / 2 / hop);
    if (pitch.size() > lag) pitch.erase(pitch.begin(), pitch.begin() + std::ptrdiff_t(lag));
    return pitch;
}

VoiceTrace AnalyseVoice(const std::vector<float>& mono, int rate) {
    VoiceTrace trace;
    if (mono.empty() || rate <= 0) return trace;
    const std::size_t block =
        std::size_t(std::max(1L, std::lround(rate * VoiceTrace::kBlockMs / 1000)));
    float loudest = 0;
    for (std::size_t at = 0; at < mono.size(); at += block) {
        float peak = 0;
        for (std::size_t i = at; i < std::min(mono.size(), at + block); ++i)
            peak = std::max(peak, std::abs(mono[i]));
        trace.envelope.push_back(peak);
        loudest = std::max(loudest, peak);
    }
    // Speech begins at the first block louder than a tenth of the loudest.
    const auto first = std::find_if(trace.envelope.begin(), trace.envelope.end(),
                                    [&](float p) { return p > loudest * 0.1f && p > 0.005f; });
    trace.onset = first == trace.envelope.end() ? 0 : int(first - trace.envelope.begin());

    std::vector<float> hz = TrackPitch(mono, rate);
    hz.resize(trace.envelope.size(), 0.0f);
    // Only blocks of speech have a pitch: quiet ones (pauses, breath, the noise floor) not.
    for (std::size_t i = 0; i < hz.size(); ++i)
        if (trace.envelope[i] <= loudest * 0.1f) hz[i] = 0.0f;
    std::vector<float> voiced;
    for (float f : hz)
        if (f > 50.0f && f < 1000.0f) voiced.push_back(f);
    trace.pitch.assign(hz.size(), std::nanf(""));
    if (voiced.empty()) return trace;
    std::nth_element(voiced.begin(), voiced.begin() + std::ptrdiff_t(voiced.size() / 2),
                     voiced.end());
    const float median = voiced[voiced.size() / 2];
    std::vector<float> semitones(hz.size(), std::nanf(""));
    for (std::size_t i = 0; i < hz.size(); ++i)
        if (hz[i] > 50.0f && hz[i] < 1000.0f) semitones[i] = 12.0f * std::log2(hz[i] / median);
    // A tracker's single-block slips (an octave up or down) are not intonation: each block
    // takes the median of the voiced blocks around it, and what still lies more than an
    // octave from the speaker's middle is left out rather than drawn at the picture's edge.
    for (std::size_t i = 0; i < semitones.size(); ++i) {
        if (std::isnan(semitones[i])) continue;
        std::vector<float> around;
        for (std::size_t j = i > 2 ? i - 2 : 0; j < std::min(semitones.size(), i + 3); ++j)
            if (!std::isnan(semitones[j])) around.push_back(semitones[j]);
        std::nth_element(around.begin(), around.begin() + std::ptrdiff_t(around.size() / 2),
                         around.end());
        const float smooth = around[around.size() / 2];
        if (std::abs(smooth) <= 12.0f) trace.pitch[i] = smooth;
    }
    return trace;
}

std::vector<float> ReadMono(const QString& path, int startMs, int endMs, int* rate) {
    std::unique_ptr<CDecoder> decoder = OpenDecoder(path);
    if (!decoder || endMs <= startMs) return {};
    const int r = decoder->SampleRate();
    if (rate) *rate = r;
    const std::int64_t from = std::int64_t(startMs) * r / 1000;
    const std::int64_t frames = std::int64_t(endMs - startMs) * r / 1000;
    if (!decoder->Seek(from)) return {};
    const int channels = decoder->Channels();
    std::vector<float> buffer(std::size_t(4096 * channels));
    std::vector<float> mono;
    mono.reserve(std::size_t(frames));
    while (std::int64_t(mono.size()) < frames) {
        const int got = decoder->Read(buffer.data(), 4096);
        if (got <= 0) break;
        for (int i = 0; i < got && std::int64_t(mono.size()) < frames; ++i) {
            float sum = 0;
            for (int c = 0; c < channels; ++c)
                sum += buffer[std::size_t(i * channels + c)];
            mono.push_back(sum / float(channels));
        }
    }
    return mono;
}

std::vector<float> RecordingMono(const QByteArray& image) {
    std::vector<float> mono;
    if (image.size() <= 44) return mono;
    mono.reserve(std::size_t(image.size() - 44) / 4);
    for (qsizetype i = 44; i + 3 < image.size(); i += 4) {
        const auto l = qFromLittleEndian<qint16>(image.constData() + i);
        const auto r = qFromLittleEndian<qint16>(image.constData() + i + 2);
        mono.push_back(float(l + r) / 65536.0f);
    }
    return mono;
}

} // namespace kestrova
