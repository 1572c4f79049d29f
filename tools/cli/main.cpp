// kestrova-cli: headless access to the program's own code.
//   kestrova-cli split [--noise N] [--gap N] [--format lrc] FILE
#include "common/Util.h"
#include "repeat/Splitter.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

using namespace kestrova;

namespace {

int Usage() {
    std::fprintf(stderr, "usage: kestrova-cli split [--noise N] [--gap N] [--format lrc] FILE\n");
    return 2;
}

// "[mm:ss.xx]" of a centisecond time (minutes keep counting past 59).
QString LrcTag(std::uint32_t cs) { return '[' + TimeText(cs) + ']'; }

int Split(const QStringList& args) {
    SplitParams params;
    QString file;
    bool lrc = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        bool ok = true;
        if (a == "--noise" && i + 1 < args.size())
            params.noise = args[++i].toInt(&ok);
        else if (a == "--gap" && i + 1 < args.size())
            params.gap = args[++i].toInt(&ok);
        else if (a == "--format" && i + 1 < args.size())
            lrc = args[++i] == "lrc";
        else if (a.startsWith("--") || !file.isEmpty())
            return Usage();
        else
            file = a;
        if (!ok) return Usage();
    }
    if (file.isEmpty()) return Usage();
    const std::atomic<bool> never{false};
    const SplitResult result = SplitFile(file, params, 0, never);
    if (!result.opened) {
        std::fprintf(stderr, "kestrova-cli: %s: cannot be read as audio\n", qPrintable(file));
        return 1;
    }
    for (const SEL_ITEM& s : result.sentences) {
        const QString line = lrc ? LrcTag(s.start) : QStringLiteral("%1!%2").arg(s.start).arg(s.end);
        std::printf("%s\n", line.toUtf8().constData());
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) return Usage();
    const QString command = args.takeFirst();
    if (command == "split") return Split(args);
    return Usage();
}
