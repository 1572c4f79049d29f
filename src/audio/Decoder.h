// Decoders turn a media file into interleaved stereo float frames at the file's own sample
// rate, with exact frame positions. FFmpeg handles every stream format and the audio track of
// video files; libopenmpt handles module music. A decoder is used by one thread at a time
// (the engine's thread, or the GUI thread while it holds the engine's lock).
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

namespace kestrova {

class CDecoder {
public:
    virtual ~CDecoder() = default;
    int SampleRate() const { return m_sampleRate; }
    // Floats per frame that Read gives: 2 (stereo), or 1 for a right-channel-only decoder.
    int Channels() const { return m_channels; }
    // Length in frames; 0 when the file does not tell.
    std::int64_t LengthFrames() const { return m_length; }
    // Frame index of the next frame Read returns.
    std::int64_t Position() const { return m_position; }
    // Reads up to `frames` frames into `out` (Channels() floats a frame); 0 at the end.
    virtual int Read(float* out, int frames) = 0;
    // Moves to `frame` exactly (decoding from an earlier point and dropping what lies before
    // it). False when the file cannot seek there; the position is then unchanged.
    virtual bool Seek(std::int64_t frame) = 0;
    virtual bool IsModule() const { return false; }

protected:
    int m_sampleRate = 44100;
    int m_channels = 2;
    std::int64_t m_length = 0;
    std::int64_t m_position = 0;
};

// Opens a file: FFmpeg first, then libopenmpt; null when neither accepts it. With
// `rightChannelOnly` a stream decoder gives the right channel alone (the only channel of a
// mono file), which is all that splitting measures; module music stays stereo.
std::unique_ptr<CDecoder> OpenDecoder(const QString& path, bool rightChannelOnly = false);
// Keeps the frames read since the last seek in memory, up to `maxFrames`, so that a seek
// back into them (the next pass over a sentence) is served from memory instead of a decoder
// seek; reading on past them continues from the inner decoder.
std::unique_ptr<CDecoder> WithRegionCache(std::unique_ptr<CDecoder> inner, std::int64_t maxFrames);
// The same over bytes in memory (the fuzz target's entry point).
std::unique_ptr<CDecoder> OpenDecoderFromMemory(const QByteArray& bytes,
                                                bool rightChannelOnly = false);

} // namespace kestrova
