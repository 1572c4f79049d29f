// kestrova-cli: headless access to the program's own code.
//   kestrova-cli split [--noise N] [--gap N] [--format lrc] FILE
//   kestrova-cli lrc [--length CS] FILE     (CS: the media's length, which bounds the offset)
//   kestrova-cli check [--case] [--spaces] [--punc] [--abbr] REFERENCE ANSWER
#include "common/Util.h"
#include "dictation/AnswerCheck.h"
#include "repeat/Splitter.h"
#include "subtitle/Lrc.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

using namespace kestrova;

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: kestrova-cli split [--noise N | --auto] [--gap N] [--format lrc] FILE\n"
                 "       kestrova-cli lrc [--length CS] [--words] FILE\n"
                 "       kestrova-cli check [--case] [--spaces] [--punc] [--abbr] "
                 "REFERENCE ANSWER\n");
    return 2;
}

void Print(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
}

int Lrc(const QStringList& args) {
    QString file;
    long long length = -1;
    bool words = false;
    for (int i = 0; i < args.size(); ++i) {
        bool ok = true;
        if (args[i] == "--length" && i + 1 < args.size())
            length = args[++i].toLongLong(&ok);
        else if (args[i] == "--words")
            words = true;
        else if (args[i].startsWith("--") || !file.isEmpty())
            return Usage();
        else
            file = args[i];
        if (!ok || length < -1 || length > UINT32_MAX) return Usage();
    }
    if (file.isEmpty()) return Usage();
    CLrc lrc;
    if (!lrc.Load(file, length > 0 ? std::uint32_t(length) : 0)) {
        if (lrc.Error() == CLrc::LoadError::TooLarge)
            std::fprintf(stderr, "kestrova-cli: %s: larger than %lld MB, not read as subtitles\n",
                         qPrintable(file), static_cast<long long>(CLrc::kMaxFileBytes >> 20));
        else if (lrc.Error() == CLrc::LoadError::TooManyLines)
            std::fprintf(stderr, "kestrova-cli: %s: more than %zu lines, not read as subtitles\n",
                         qPrintable(file), CLrc::kMaxLines);
        else
            std::fprintf(stderr, "kestrova-cli: %s: cannot be read\n", qPrintable(file));
        return 1;
    }
    const auto& records = lrc.Records();
    const std::uint32_t end =
        length >= 0 ? std::uint32_t(length) : (records.empty() ? 0 : records.back()->time);
    for (const LRC_ITEM& item : lrc.Items(end)) {
        if (!words) {
            Print(QStringLiteral("%1\t%2\t%3").arg(item.start).arg(item.end).arg(item.text));
            continue;
        }
        // One row per timed word: start, end (the next word's start or the line's end), word.
        for (const LrcWord& w : item.words)
            Print(QStringLiteral("%1\t%2\t%3")
                      .arg(w.start)
                      .arg(std::min(w.end, item.end))
                      .arg(item.text.mid(w.from, w.length)));
    }
    return 0;
}

int Check(const QStringList& args) {
    CheckOptions options{false, false, false, false};
    QStringList texts;
    for (const QString& a : args) {
        if (a == "--case")
            options.ignoreCase = true;
        else if (a == "--spaces")
            options.ignoreSpaces = true;
        else if (a == "--punc")
            options.ignorePunc = true;
        else if (a == "--abbr")
            options.detectAbbr = true;
        else
            texts << a;
    }
    if (texts.size() != 2) return Usage();
    const CheckResult r = CheckAnswer(texts[0], texts[1], options);
    if (r.right)
        Print("right");
    else
        Print(r.markPos < 0 ? QStringLiteral("wrong -")
                            : QStringLiteral("wrong %1").arg(r.markPos));
    return 0;
}

// "[mm:ss.xx]" of a centisecond time (minutes keep counting past 59).
QString LrcTag(std::uint32_t cs) {
    return '[' + TimeText(cs) + ']';
}

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
        else if (a == "--auto")
            params.automatic = true;
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
        const QString line =
            lrc ? LrcTag(s.start) : QStringLiteral("%1!%2").arg(s.start).arg(s.end);
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
    if (command == "lrc") return Lrc(args);
    if (command == "check") return Check(args);
    return Usage();
}
