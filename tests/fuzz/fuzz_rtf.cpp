// The RTF reader takes any bytes without crashing or hanging, and what it read writes back.
#include "library/Rtf.h"

#include <QGuiApplication>
#include <QTextDocument>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static int argc = 1;
    static char name[] = "fuzz_rtf";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
    QTextDocument doc;
    QByteArray bytes("{\\rtf1 ");
    bytes.append(reinterpret_cast<const char*>(data), qsizetype(size));
    kestrova::rtf::Read(bytes, doc);
    kestrova::rtf::Write(doc);
    return 0;
}
