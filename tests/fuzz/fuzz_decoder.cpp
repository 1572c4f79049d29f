// Opening and decoding a media file from arbitrary bytes must never crash or hang.
#include "audio/Decoder.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    // Both the playing decoder and the splitter's right-channel one.
    auto decoder = kestrova::OpenDecoderFromMemory(bytes, size % 2 == 1);
    if (!decoder) return 0;
    float frames[1024 * 2];
    // Bounded: a few seconds of output is enough to exercise the decode path.
    for (int total = 0; total < 44100 * 4;) {
        const int n = decoder->Read(frames, 1024);
        if (n <= 0) break;
        total += n;
    }
    decoder->Seek(decoder->LengthFrames() / 2);
    decoder->Read(frames, 1024);
    return 0;
}
