// LRC reading and writing, the text-file reader, and the subtitle view following playback.
#include "common/StdioFileEx.h"
#include "common/Util.h"
#include "subtitle/Lrc.h"
#include "subtitle/LrcView.h"
#include "subtitle/SubtitleModel.h"
#include "subtitle/Translation.h"
#include "support/Fixtures.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <atomic>
#include <memory>

using namespace kestrova;

namespace {
QString Records(const CLrc& lrc) {
    QStringList out;
    for (const auto& r : lrc.Records())
        out << QStringLiteral("%1 %2").arg(r->time).arg(r->text);
    return out.join('|');
}
CLrc Read(const QString& text) {
    CLrc lrc;
    lrc.LoadText(text);
    return lrc;
}
void Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
}

// The heap in use while a piece of code runs, highest point over the start, through the
// address sanitizer's allocation hooks (the test build has it; other builds skip).
#if defined(__SANITIZE_ADDRESS__)
extern "C" {
int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                              void (*)(const volatile void*));
size_t __sanitizer_get_allocated_size(const volatile void*);
}
std::atomic<bool> g_tracking{false};
std::atomic<long long> g_live{0};
std::atomic<long long> g_peak{0};
void OnMalloc(const volatile void*, size_t size) {
    if (!g_tracking) return;
    const long long live = g_live += (long long)size;
    long long peak = g_peak;
    while (live > peak && !g_peak.compare_exchange_weak(peak, live)) {
    }
}
void OnFree(const volatile void* p) {
    if (g_tracking) g_live -= (long long)__sanitizer_get_allocated_size(p);
}
constexpr bool kCanMeasureHeap = true;
#else
constexpr bool kCanMeasureHeap = false;
#endif
template <typename F> long long PeakHeap(F&& work) {
#if defined(__SANITIZE_ADDRESS__)
    static const int installed = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree);
    Q_UNUSED(installed);
    g_live = 0;
    g_peak = 0;
    g_tracking = true;
    work();
    g_tracking = false;
    return g_peak;
#else
    work();
    return 0;
#endif
}
} // namespace

namespace {
// A playing position and length the test sets.
struct TestClock : kestrova::IPlaybackClock {
    int position = -1;
    int length = 5000;
    int PlayingPositionMs() const override { return position; }
    int LengthMs() const override { return length; }
};
} // namespace

class TestSubtitle : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<test::ScopedEnv> m_home;

private Q_SLOTS:
    void initTestCase() {
        m_home = std::make_unique<test::ScopedEnv>("KESTROVA_HOME", m_dir.path().toUtf8());
    }
    void cleanupTestCase() { m_home.reset(); }

    void readingRules_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("records");
        QTest::newRow("one line") << "[00:12.34]Hello"
                                  << "1234 Hello";
        QTest::newRow("two tags, one text") << "[00:05.00][00:01.00]Chorus"
                                            << "100 Chorus|500 Chorus";
        QTest::newRow("inner tag splits the line") << "[00:02.00]A[00:01.00]B"
                                                   << "100 B|200 A";
        QTest::newRow("equal times: the later first") << "[00:01.00]x\n[00:01.00]y"
                                                      << "100 y|100 x";
        QTest::newRow("milliseconds truncate") << "[01:02.345]ms"
                                               << "6234 ms";
        QTest::newRow("no fraction") << "[00:03]plain"
                                     << "300 plain";
        QTest::newRow("tenths") << "[00:01.5]short"
                                << "150 short";
        QTest::newRow("colon before hundredths") << "[00:01:25]c"
                                                 << "125 c";
        QTest::newRow("three-digit minutes") << "[100:00.00]long"
                                             << "600000 long";
        QTest::newRow("words not trimmed, empty kept") << "[00:01.00] a \n[00:02.00]"
                                                       << "100  a |200 ";
        QTest::newRow("metadata is never a time") << "[ti:abcde] 123456\n[ar:Me]\n[00:01.00]x"
                                                  << "100 x";
        QTest::newRow("bad digits") << "[0a:01.00]x\n[00:61.00]y\n[00:01.0000]z"
                                    << "";
        QTest::newRow("offset shows lines earlier") << "[offset:+500]\n[00:01.00]a\n[00:00.20]b"
                                                    << "0 b|50 a";
        QTest::newRow("negative offset later") << "[offset:-250]\n[00:01.00]a"
                                               << "125 a";
        QTest::newRow("CR, LF and CR LF") << "[00:01.00]a\r[00:02.00]b\r\n[00:03.00]c\n"
                                          << "100 a|200 b|300 c";
        QTest::newRow("truncated tag") << "[00:01.00]a\n[00:0"
                                       << "100 a";
    }
    void readingRules() {
        QFETCH(QString, text);
        QFETCH(QString, records);
        QCOMPARE(Records(Read(text)), records);
    }

    // Word tags: the line's clean text and its words ("start-end:word", L for the line's
    // end); written back with its tags, a line reads the same again.
    void wordTags_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("clean");
        QTest::addColumn<QString>("words");
        QTest::newRow("tag after the line tag") << "[00:01.02] <00:02.50> Line 1"
                                                << "Line 1"
                                                << "250-L:Line 1";
        QTest::newRow("two words") << "[01:02.00] <01:03.40> Line 2 <01:10.00> line 2"
                                   << "Line 2 line 2"
                                   << "6340-7000:Line 2|7000-L:line 2";
        QTest::newRow("glued to the word") << "[00:01.00]<00:02.50>Line<00:03.00>s"
                                           << "Lines"
                                           << "250-300:Line|300-L:s";
        QTest::newRow("malformed tags stay text") << "[00:01.00] a <00:0x.00> b <c"
                                                  << " a <00:0x.00> b <c"
                                                  << "";
        QTest::newRow("a stray < beside real tags") << "[00:01.00]<00:01.00>x < y"
                                                    << "x < y"
                                                    << "100-L:x < y";
        QTest::newRow("only tags") << "[00:01.00]<00:01.00> <00:02.00>"
                                   << ""
                                   << "";
        QTest::newRow("an empty tag ends a word")
            << "[00:01.00]<00:01.00>One <00:01.50> <00:02.00>two"
            << "One two"
            << "100-150:One|200-L:two";
        QTest::newRow("untimed words first") << "[00:01.00]Hi <00:01.20>there"
                                             << "Hi there"
                                             << "120-L:there";
        QTest::newRow("the offset moves words too") << "[offset:+500]\n[00:02.00]<00:02.50>a"
                                                    << "a"
                                                    << "200-L:a";
    }
    void wordTags() {
        QFETCH(QString, text);
        QFETCH(QString, clean);
        QFETCH(QString, words);
        auto describe = [](const QString& line, const LrcWords& ws) {
            QStringList out;
            for (const LrcWord& w : ws)
                out << QStringLiteral("%1-%2:%3")
                           .arg(w.start)
                           .arg(w.end == LrcWord::kLineEnd ? QString("L") : QString::number(w.end))
                           .arg(line.mid(w.from, w.length));
            return out.join('|');
        };
        const CLrc lrc = Read(text);
        QCOMPARE(int(lrc.Records().size()), 1);
        const TLrcRecord& r = *lrc.Records().front();
        QCOMPARE(r.text, clean);
        QCOMPARE(describe(r.text, r.words), words);
        // Written with its tags and read again, a word-timed line is the same line.
        const LRC_ITEM item = lrc.Items(9000).front();
        if (item.words.empty()) return;
        const CLrc again =
            Read('[' + TimeText(item.start) + ']' + WithWordTags(item.text, item.words, item.end));
        QCOMPARE(again.Items(9000).front(), item);
    }

    // An offset tag moves the lines at most by the media's length; one beyond a day is a
    // broken tag and moves nothing.
    void offsetsAreBounded_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<uint>("lengthCs");
        QTest::addColumn<QString>("records");
        QTest::newRow("hours later: ignored")
            << "[offset:-999999999]\n[00:01.00]a" << 0u << "100 a";
        QTest::newRow("hours earlier: ignored")
            << "[offset:+999999999]\n[00:01.00]a" << 3000u << "100 a";
        QTest::newRow("just over a day: ignored")
            << "[offset:-86400001]\n[00:01.00]a" << 0u << "100 a";
        QTest::newRow("later, clamped to the length: at most the end")
            << "[offset:-600000]\n[00:01.00]a" << 3000u << "3000 a";
        QTest::newRow("later, two lines past the end: both at the end")
            << "[offset:-86400000]\n[00:01.00]a\n[00:03.00]b" << 720u << "720 b|720 a";
        QTest::newRow("earlier, clamped to the length")
            << "[offset:+600000]\n[20:00.00]a" << 3000u << "3000 a";
        QTest::newRow("within the length: as written")
            << "[offset:-250]\n[00:01.00]a" << 3000u << "125 a";
        QTest::newRow("length unknown: a day at most")
            << "[offset:-600000]\n[00:01.00]a" << 0u << "60100 a";
    }
    void offsetsAreBounded() {
        QFETCH(QString, text);
        QFETCH(uint, lengthCs);
        QFETCH(QString, records);
        CLrc lrc;
        lrc.LoadText(text, lengthCs);
        QCOMPARE(Records(lrc), records);
        // The file reader applies the same bound.
        const QString path = m_dir.filePath("offset.lrc");
        Write(path, text.toUtf8());
        CLrc file;
        QVERIFY(file.Load(path, lengthCs));
        QCOMPARE(Records(file), records);
    }

    void twentyTagsAtMost() {
        QString line;
        for (int i = 0; i < 25; ++i)
            line += QStringLiteral("[00:%1.00]").arg(i, 2, 10, QChar('0'));
        const CLrc lrc = Read(line + "words");
        QCOMPARE(int(lrc.Records().size()), 20);
        QCOMPARE(lrc.Records().front()->text,
                 QString("[00:20.00][00:21.00][00:22.00][00:23.00][00:24.00]words"));
    }

    void encodings() {
        // A word-timed line reads clean in every encoding.
        const QString text = QString::fromUtf8(
            "[00:01.00]<00:01.00>你好 <00:01.50>world\r\n[00:02.00]It’s fine\r\n");
        struct Case {
            const char* name;
            QByteArray bytes;
        };
        QByteArray utf16le("\xFF\xFE", 2), utf16be("\xFE\xFF", 2);
        for (QChar c : text) {
            utf16le.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
            utf16be.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
        }
        QStringEncoder gb("GB18030");
        const Case cases[] = {
            {"utf8", text.toUtf8()},
            {"utf8 bom", "\xEF\xBB\xBF" + text.toUtf8()},
            {"utf16le", utf16le},
            {"utf16be", utf16be},
            {"gb18030",
             QByteArray(gb(QString::fromUtf8("[00:01.00]<00:01.00>你好 <00:01.50>world\r\n")))}};
        for (const Case& c : cases) {
            const QString path = m_dir.filePath(QString("enc_%1.lrc").arg(c.name));
            Write(path, c.bytes);
            CLrc lrc;
            QVERIFY(lrc.Load(path));
            QVERIFY2(!lrc.Records().empty(), c.name);
            QCOMPARE(lrc.Records().front()->text, QString::fromUtf8("你好 world"));
            QCOMPARE(lrc.Records().front()->words,
                     (LrcWords{{100, 150, 0, 2}, {150, LrcWord::kLineEnd, 3, 5}}));
        }
        CLrc empty;
        Write(m_dir.filePath("empty.lrc"), "");
        QVERIFY(!empty.Load(m_dir.filePath("empty.lrc")));
        QVERIFY(!empty.Load(m_dir.filePath("missing.lrc")));
    }

    void lineAtAndItems() {
        CLrc lrc = Read("[00:01.00]a\n[00:02.00]\n[00:03.00]c");
        QCOMPARE(lrc.GetLineAt(50), QString());
        QCOMPARE(lrc.GetCurrentIndex(), 0);
        QCOMPARE(lrc.GetLineAt(100), QString("a"));
        QCOMPARE(lrc.GetLineAt(250), QString());
        QCOMPARE(lrc.GetCurrentIndex(), 1);
        QCOMPARE(lrc.GetLineAt(999), QString("c"));
        const LrcItems items = lrc.Items(400);
        QCOMPARE(items.back(), (LRC_ITEM{300, 400, "c", {}}));
        QCOMPARE(items[0], (LRC_ITEM{100, 200, "a", {}}));
    }

    void pathsAndWriter() {
        // Only the file name's own extension changes: folders named like the file keep
        // their names, so an LRC is never written into a sibling folder.
        const std::pair<QString, QString> paths[] = {
            {"/a.mp3/b.mp3", "/a.mp3/b.lrc"},           {"D:\\a.mp3\\b.mp3", "D:\\a.mp3\\b.lrc"},
            {"/x/lesson.mp3.mp3", "/x/lesson.mp3.lrc"}, {"/x/lesson.LRC", "/x/lesson.LRC"},
            {"/x.d/lesson", "/x.d/lesson.lrc"},
        };
        for (const auto& [media, lrc] : paths)
            QCOMPARE(LrcPathFor(media), lrc);
        const QString path = m_dir.filePath(QString::fromUtf8("课文 1.lrc"));
        QVERIFY(
            WriteLrc(path, {{1, "First line"}, {6005, QString::fromUtf8("第二句")}, {720000, ""}}));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(),
                 QString::fromUtf8("[00:00.01]First line\r\n[01:00.05]第二句\r\n[120:00.00]\r\n")
                     .toUtf8());
        CLrc back;
        QVERIFY(back.Load(path));
        QCOMPARE(Records(back), QString::fromUtf8("1 First line|6005 第二句|720000 "));
        // Other players take the file too.
        const QString ffmpeg = QStandardPaths::findExecutable("ffmpeg");
        if (ffmpeg.isEmpty()) QSKIP("no ffmpeg");
        QProcess p;
        p.start(ffmpeg, {"-hide_banner", "-i", path, "-f", "srt", "-"});
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(p.readAllStandardOutput().contains("First line"));
    }

    // The translation file: three lines come back as three, an empty middle line survives,
    // no carriage return strays into the text; a file another program wrote (LF or CR LF
    // ends, GB18030) reads too.
    void translationFile() {
        const QString path = m_dir.filePath("translate.dat");
        QVERIFY(translation::Save(path, QString::fromUtf8("第一行\n\n第三行")));
        QFile written(path);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), QString::fromUtf8("第一行\r\r\n\r\r\n第三行\r\r\n").toUtf8());
        bool found = false;
        QCOMPARE(translation::Load(path, &found), QString::fromUtf8("第一行\n\n第三行"));
        QVERIFY(found);
        QStringEncoder gb("GB18030");
        Write(path, QByteArray(gb(QString::fromUtf8("甲\r\n乙\n"))));
        QCOMPARE(translation::Load(path), QString::fromUtf8("甲\n乙"));
        QCOMPARE(translation::Load(m_dir.filePath("none.dat"), &found), QString());
        QVERIFY(!found);
        QCOMPARE(translation::FullText({{0, 100, "a", {}}, {100, 200, "b", {}}}),
                 QString("a\n\nb\n\n"));
    }

    void textFileLines() {
        QCOMPARE(CStdioFileEx::SplitLines("a\r\nb\rc\n\nd"), (QStringList{"a", "b", "c", "", "d"}));
        const QString path = m_dir.filePath("lines.txt");
        QVERIFY(CStdioFileEx::WriteLines(path, {"x", QString::fromUtf8("中")}));
        QStringList lines;
        QVERIFY(CStdioFileEx::ReadLines(path, lines));
        QCOMPARE(lines, (QStringList{"x", QString::fromUtf8("中")}));
    }

    void viewFollowsPlayback() {
        const QString media = m_dir.filePath("view.mp3");
        Write(m_dir.filePath("view.lrc"),
              "[00:01.00]one\n[00:02.00]two\n[00:03.00]\n[00:04.00]two\n");
        TestClock clock;
        CSubtitleModel model(clock);
        CLrcView view(model, QString());
        QTextBrowser* box = view.findChild<QTextBrowser*>("subtitleBox");
        // The last line shown (one block a line), -1 for none.
        auto shownUpTo = [&] {
            return box->document()->isEmpty() ? -1 : box->document()->blockCount() - 1;
        };
        QSignalSpy loaded(&model, &CSubtitleModel::loaded);
        QSignalSpy failed(&model, &CSubtitleModel::failed);
        QSignalSpy chosen(&model, &CSubtitleModel::lineChosen);
        QVERIFY(model.Load(media));
        QCOMPARE(model.Status(), QString::fromUtf8("(加载成功)"));
        QCOMPARE(loaded.size(), 1);
        const LrcItems distributed = loaded[0][0].value<LrcItems>();
        QCOMPARE(int(distributed.size()), 4);
        QCOMPARE(distributed.back().end, 500u);
        QVERIFY(model.Following());
        model.Tick(); // not playing, no line at 0: nothing shown
        QCOMPARE(shownUpTo(), -1);
        clock.position = 1500;
        model.Tick();
        QCOMPARE(shownUpTo(), 0);
        clock.position = 2100;
        model.Tick();
        QCOMPARE(shownUpTo(), 1);
        QCOMPARE(box->document()->blockCount(), 2);
        // The current line is bold, the one before it no longer.
        auto weight = [&](int line) {
            return box->document()
                ->findBlockByNumber(line)
                .begin()
                .fragment()
                .charFormat()
                .fontWeight();
        };
        QCOMPARE(weight(1), int(QFont::Bold));
        QCOMPARE(weight(0), int(QFont::Normal));
        clock.position = 3100; // an empty line leaves the box as it is
        model.Tick();
        QCOMPARE(shownUpTo(), 1);
        clock.position = 4100; // the same text again: not rebuilt either
        model.Tick();
        QCOMPARE(shownUpTo(), 1);
        clock.position = 1200; // back: fewer lines
        model.Tick();
        QCOMPARE(shownUpTo(), 0);
        // Paused (the pause between passes): the line shown stays.
        clock.position = -1;
        model.Tick();
        QCOMPARE(shownUpTo(), 0);
        // A click names its own line, and following stops.
        Q_EMIT box->anchorClicked(QUrl("#3"));
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen[0][0].toInt(), 3);
        QVERIFY(!model.Following());
        // Following again shows the line of where playback is at once.
        clock.position = 2100;
        model.StartFollowing();
        QCOMPARE(shownUpTo(), 1);
        // A file without subtitles falls back.
        QVERIFY(!model.Load(m_dir.filePath("none.mp3")));
        QCOMPARE(failed.size(), 1);
        QCOMPARE(model.Status(), QString::fromUtf8("(加载失败)"));
        QVERIFY(!model.HasLines());
        QCOMPARE(box->document()->toPlainText(), QString());
        // An unpacked courseware's subtitles win over the file's own.
        QDir().mkpath(DataFolder() + "Temp");
        Write(DataFolder() + "Temp/audio.lrc", "[00:00.00]from courseware\n");
        QVERIFY(model.Load(media));
        QCOMPARE(model.Text(0), QString("from courseware"));
        QFile::remove(DataFolder() + "Temp/audio.lrc");
    }

    // In a word-timed line the word being spoken has the highlight colour, and only it; a
    // line without word times is shown as before.
    void wordHighlightFollowsTheWord() {
        const QString media = m_dir.filePath("words.mp3");
        Write(m_dir.filePath("words.lrc"),
              "[00:01.00]<00:01.00>one <00:01.50>two<00:02.00>\n[00:03.00]plain\n");
        TestClock clock;
        CSubtitleModel model(clock);
        CLrcView view(model, QString());
        QTextBrowser* box = view.findChild<QTextBrowser*>("subtitleBox");
        QVERIFY(model.Load(media));
        const QBrush highlight = view.palette().brush(QPalette::Highlight);
        // The highlighted text of the box ("" none).
        auto marked = [&] {
            QString out;
            for (QTextBlock b = box->document()->begin(); b.isValid(); b = b.next())
                for (auto it = b.begin(); !it.atEnd(); ++it)
                    if (it.fragment().charFormat().background() == highlight)
                        out += it.fragment().text();
            return out;
        };
        clock.position = 1200;
        model.Tick();
        QCOMPARE(model.CurrentWord(), 0);
        QCOMPARE(marked(), QString("one"));
        QCOMPARE(box->document()->toPlainText(), QString("one two"));
        clock.position = 1700;
        model.Tick();
        QCOMPARE(marked(), QString("two"));
        clock.position = 2500; // after the last word's end tag, still in the line
        model.Tick();
        QCOMPARE(model.CurrentWord(), -1);
        QCOMPARE(marked(), QString());
        QCOMPARE(model.TimedText(0), QString("<00:01.00>one <00:01.50>two<00:02.00>"));
        clock.position = 3100;
        model.Tick();
        QCOMPARE(marked(), QString());
        QCOMPARE(box->document()->toPlainText(), QString("one two\nplain"));
        clock.position = 1100; // back: rebuilt, the first word marked again
        model.Tick();
        QCOMPARE(marked(), QString("one"));
    }

    // Whatever a file holds, reading it needs a small multiple of its size: no line list,
    // no copy of the text per bracket. (The old reader needed about 60 times the size of a
    // file of brackets.)
    void readingMemoryIsBoundedByTheFileSize_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("records"); // -1: refused for its many lines
        const int size = 2 << 20;
        QTest::newRow("opening brackets") << QByteArray(size, '[') << 0;
        QTest::newRow("closing brackets") << QByteArray(size, ']') << 0;
        QTest::newRow("empty tags") << QByteArray("[]").repeated(size / 2) << 0;
        QTest::newRow("bracket pairs reversed") << QByteArray("][").repeated(size / 2) << 0;
        QTest::newRow("line breaks") << QByteArray(size, '\n') << 0;
        QTest::newRow("words and brackets") << QByteArray("a[").repeated(size / 2) << 0;
        QTest::newRow("one line of tags") << QByteArray("[0:00]").repeated(size / 6) << 20;
        QTest::newRow("a tag per line") << QByteArray("[0:00]\n").repeated(size / 7) << -1;
        QTest::newRow("a tag per line, as many as allowed")
            << QByteArray("[0:00]\n").repeated(int(CLrc::kMaxLines)) << int(CLrc::kMaxLines);
        QTest::newRow("unclosed tag") << "[" + QByteArray(size, '0') << 0;
        // Twenty records of one line share its words, shifted or not.
        const QByteArray words = QByteArray("<0:00>a").repeated(size / 7);
        QTest::newRow("word tags") << "[0:00]" + words << 1;
        QTest::newRow("twenty records of word tags")
            << QByteArray("[0:00]").repeated(20) + words << 20;
        QTest::newRow("twenty records of shifted word tags")
            << "[offset:+10]" + QByteArray("[0:01]").repeated(20) + words << 20;
    }
    void readingMemoryIsBoundedByTheFileSize() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, records);
        const QString path = m_dir.filePath("hostile.lrc");
        Write(path, bytes);
        CLrc lrc;
        const long long peak = PeakHeap([&] { QCOMPARE(lrc.Load(path), records >= 0); });
        QCOMPARE(int(lrc.Records().size()), std::max(records, 0));
        if (!kCanMeasureHeap) QSKIP("heap use is measured in the sanitizer build");
        QVERIFY(peak >= bytes.size()); // the decoded text at least: the count is live
        QVERIFY2(
            peak < 16 * bytes.size(),
            qPrintable(
                QStringLiteral("%1 bytes of heap for a file of %2").arg(peak).arg(bytes.size())));
    }

    // A file larger than any subtitle file is refused unread, and the view says why.
    void oversizedFileIsRefused() {
        const QString media = m_dir.filePath("big.mp3");
        const QString path = m_dir.filePath("big.lrc");
        QByteArray bytes = "[00:01.00]a\n" + QByteArray(int(CLrc::kMaxFileBytes) - 12, ' ');
        QCOMPARE(bytes.size(), qsizetype(CLrc::kMaxFileBytes));
        Write(path, bytes);
        CLrc lrc;
        QVERIFY(lrc.Load(path)); // at the bound: read
        QCOMPARE(lrc.Error(), CLrc::LoadError::None);
        QCOMPARE(int(lrc.Records().size()), 1);
        bytes += ' ';
        Write(path, bytes);
        lrc.Clear();
        QVERIFY(!lrc.Load(path));
        QCOMPARE(lrc.Error(), CLrc::LoadError::TooLarge);
        QVERIFY(lrc.Records().empty());

        TestClock clock;
        CSubtitleModel model(clock);
        QSignalSpy failed(&model, &CSubtitleModel::failed);
        QVERIFY(!model.Load(media));
        QCOMPARE(failed.size(), 1);
        QVERIFY(!model.HasLines());
        QCOMPARE(model.Status(), QString::fromUtf8("(加载失败：字幕文件超过16MB)"));
        QFile::remove(path);
        QVERIFY(!model.Load(media));
        QCOMPARE(model.Status(), QString::fromUtf8("(加载失败)"));
    }

    // More timed lines than any real subtitle file has: refused, nothing held, the learner told.
    void tooManyLinesAreRefused() {
        const QString media = m_dir.filePath("many.mp3");
        const QString path = m_dir.filePath("many.lrc");
        QByteArray bytes;
        for (std::size_t i = 0; i < CLrc::kMaxLines; ++i)
            bytes += "[00:01.00]x\n";
        Write(path, bytes);
        CLrc lrc;
        QVERIFY(lrc.Load(path)); // at the bound: read
        QCOMPARE(lrc.Records().size(), CLrc::kMaxLines);
        Write(path, bytes + "[00:02.00]y\n");
        lrc.Clear();
        QVERIFY(!lrc.Load(path));
        QCOMPARE(lrc.Error(), CLrc::LoadError::TooManyLines);
        QVERIFY(lrc.Records().empty());
        TestClock clock;
        CSubtitleModel model(clock);
        QVERIFY(!model.Load(media));
        QCOMPARE(model.Status(), QString::fromUtf8("(加载失败：字幕超过20000行)"));
    }

    void hugeAndBinaryFilesDoNotHang() {
        QString big;
        for (int i = 0; i < 100000; ++i)
            big += QStringLiteral("[%1:%2.00]line %3\n")
                       .arg(i / 6000 / 100 % 100, 2, 10, QChar('0'))
                       .arg(i % 60, 2, 10, QChar('0'))
                       .arg(i);
        CLrc lrc = Read(big);
        QCOMPARE(int(lrc.Records().size()), 100000);
        QByteArray binary(200000, '\0');
        for (int i = 0; i < binary.size(); ++i)
            binary[i] = char((i * 7919) & 0xFF);
        lrc.Clear();
        lrc.LoadText(QString::fromLatin1(binary));
        QVERIFY(lrc.Records().size() < 1000);
    }
};

QTEST_MAIN(TestSubtitle)
#include "tst_subtitle.moc"
