#include "Wav.h"

namespace kestrova {

QByteArray PcmWav(const QByteArray& samples, int rate, int channels) {
    auto le = [](QByteArray& b, quint32 v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            b.append(char((v >> (8 * i)) & 0xFF));
    };
    QByteArray wav = "RIFF";
    le(wav, quint32(36 + samples.size()), 4);
    wav += "WAVEfmt ";
    le(wav, 16, 4);
    le(wav, 1, 2); // PCM
    le(wav, quint32(channels), 2);
    le(wav, quint32(rate), 4);
    le(wav, quint32(rate * 2 * channels), 4);
    le(wav, quint32(2 * channels), 2);
    le(wav, 16, 2);
    wav += "data";
    le(wav, quint32(samples.size()), 4);
    return wav + samples;
}

} // namespace kestrova
