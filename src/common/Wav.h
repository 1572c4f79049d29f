// A 16-bit PCM WAV file image around interleaved little-endian samples (the prompt tones the
// program makes, and test media). Thread-safe.
#pragma once

#include <QByteArray>

namespace kestrova {

QByteArray PcmWav(const QByteArray& samples, int rate, int channels);

} // namespace kestrova
