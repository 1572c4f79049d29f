// A stretch of a lesson as a file of its own (a flashcard's sound): its audio packets copied
// as they are, without re-encoding, into a file of the same kind where the format allows
// (MP3, Ogg Vorbis/Opus, AAC/ALAC as .m4a, PCM as .wav), else decoded into a 16-bit WAV
// (module music, other codecs, and FLAC, whose copied header would keep the whole lesson's
// length). No widgets; any thread.
#pragma once

#include <QString>
#include <cstdint>

namespace kestrova {

// Writes [startMs, endMs) of `media` to `pathWithoutExtension` plus the extension chosen;
// returns the path written ("" when nothing could be).
QString CutClip(const QString& media, std::int64_t startMs, std::int64_t endMs,
                const QString& pathWithoutExtension);

} // namespace kestrova
