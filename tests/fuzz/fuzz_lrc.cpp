// The LRC reader and the text-file reader take any bytes without crashing or hanging.
#include "common/StdioFileEx.h"
#include "common/TextDecode.h"
#include "subtitle/Lrc.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString text = kestrova::DecodeText(bytes);
    const QStringList lines = kestrova::CStdioFileEx::SplitLines(text);
    kestrova::CLrc lrc;
    lrc.LoadText(text);
    // Again, with a media length that bounds any offset tag (records held stay).
    lrc.LoadText(text, std::uint32_t(size) * 7u);
    const auto items = lrc.Items(360000);
    for (std::uint32_t t : {0u, 100u, 6000u, 360000u})
        lrc.GetLineAt(t);
    return int(items.size() + size_t(lines.size())) < 0;
}
