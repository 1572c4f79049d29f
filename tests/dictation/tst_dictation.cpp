// Answer checking, the course of sentence dictation, and the hard-sentence library.
#include "common/AppSetting.h"
#include "common/Util.h"
#include "dictation/AnswerCheck.h"
#include "dictation/DictateSentPanel.h"
#include "dictation/DictationSession.h"
#include "dictation/HardSentPanel.h"
#include "dictation/HardSentences.h"
#include "support/Fixtures.h"

#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <memory>

using namespace kestrova;

namespace {
// Options by letters: c case, s spaces, p punctuation, a contractions.
CheckOptions Opts(const QString& letters) {
    return CheckOptions{letters.contains('c'), letters.contains('s'), letters.contains('p'),
                        letters.contains('a')};
}

// Sentences, subtitles and a current index standing in for the study session; like the
// sentence list, it refuses the learner's choices while it is locked.
struct FakeList : IDictationHost {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> spans{{0, 100}, {100, 200}, {200, 300}};
    QStringList lines{"one", "two", "three"};
    int current = -1;
    bool locked = false;
    QList<int> played;
    int stops = 0;
    int SentenceCount() const override { return int(spans.size()); }
    std::uint32_t SentenceStart(int i) const override { return spans[size_t(i)].first; }
    std::uint32_t SentenceEnd(int i) const override { return spans[size_t(i)].second; }
    int CurrentSentence() const override { return current; }
    bool PlaySentence(int i, bool own) override {
        if (locked && !own) return false;
        current = i;
        played << i;
        return true;
    }
    QString Reference(int i) const override { return lines.value(i); }
    bool HasSubtitles() const override { return !lines.isEmpty(); }
    bool IsSplitting() const override { return false; }
    void StartSplit() override {}
    void StopAutoRepeat() override {}
    void StopPlayback() override { ++stops; }
    QString MediaPath() const override { return QString(); }
    bool ReloadSubtitles(const QString&) override { return false; }
};

// A dictation session over a fake list, the list locked while it runs (as the study
// session does), its hard sentences collected.
struct Dictating {
    FakeList list;
    CDictationSession session;
    std::vector<std::tuple<std::uint32_t, std::uint32_t, int>> hard;
    Dictating() {
        session.SetSource(&list);
        QObject::connect(&session, &CDictationSession::runningChanged,
                         [this](bool running) { list.locked = running; });
        QObject::connect(&session, &CDictationSession::hardSentence,
                         [this](std::uint32_t s, std::uint32_t e, int n) {
                             hard.push_back({s, e, n});
                         });
    }
};
} // namespace

class TestDictation : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<test::ScopedEnv> m_home;
    std::unique_ptr<test::ScopedMessages> m_quiet; // the program's messages, not shown

private Q_SLOTS:
    void initTestCase() {
        m_home = std::make_unique<test::ScopedEnv>("KESTROVA_HOME", m_dir.path().toUtf8());
        m_quiet = std::make_unique<test::ScopedMessages>();
    }
    void cleanupTestCase() {
        m_quiet.reset();
        m_home.reset();
    }

    void checking_data() {
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("reference");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("right");
        QTest::addColumn<int>("markPos");
        QTest::newRow("contraction, case kept") << "pa"
                                                << "It's a nice day."
                                                << "it is a nice day" << false << 0;
        QTest::newRow("contraction, case ignored") << "cpa"
                                                   << "It's a nice day."
                                                   << "it is a nice day" << true << -1;
        QTest::newRow("contraction as typed") << "pa"
                                              << "It's a nice day."
                                              << "It is a nice day" << true << -1;
        QTest::newRow("extra spaces ignored") << "s"
                                              << "I am here"
                                              << "  I  am here " << true << -1;
        QTest::newRow("extra spaces kept") << ""
                                           << "I am here"
                                           << "  I  am here " << false << 0;
        QTest::newRow("spaces left by punctuation") << "sp"
                                                    << "Hello, world"
                                                    << "Hello , world" << false << 6;
        QTest::newRow("I've") << "a"
                              << "I have"
                              << "I've" << true << -1;
        QTest::newRow("I've without contractions") << ""
                                                   << "I have"
                                                   << "I've" << false << 1;
        QTest::newRow("skip phrase") << "s"
                                     << "Anything at all"
                                     << " qz   omit " << true << -1;
        QTest::newRow("skip phrase in capitals") << "s"
                                                 << "Anything"
                                                 << "QZ OMIT" << false << 0;
        QTest::newRow("skip phrase in capitals, case ignored") << "cs"
                                                               << "Anything"
                                                               << "QZ OMIT" << true << -1;
        QTest::newRow("no subtitle") << ""
                                     << ""
                                     << "" << true << -1;
        QTest::newRow("a beginning is not marked") << ""
                                                   << "hello world"
                                                   << "hello" << false << -1;
        QTest::newRow("too long") << ""
                                  << "hello world"
                                  << "hello world again" << false << 11;
        QTest::newRow("punctuation only") << "p"
                                          << "?!..."
                                          << "whatever" << true << -1;
        QTest::newRow("typographic apostrophe")
            << "a" << QString::fromUtf8("It’s fine") << "It's fine" << true << -1;
        QTest::newRow("non-breaking space")
            << "s" << QString::fromUtf8("a\u00A0b") << "a b" << true << -1;
    }
    void checking() {
        QFETCH(QString, options);
        QFETCH(QString, reference);
        QFETCH(QString, answer);
        QFETCH(bool, right);
        QFETCH(int, markPos);
        const CheckResult r = CheckAnswer(reference, answer, Opts(options));
        QCOMPARE(r.right, right);
        QCOMPARE(r.markPos, markPos);
    }

    // A wrong answer word by word (= same, - missing, + extra, ~ near miss, ! wrong), after
    // the same normalisation as the check.
    void wordDifference_data() {
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("reference");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("marks");
        QTest::newRow("right") << "s"
                               << "The cat sat."
                               << "The cat sat."
                               << "= = =";
        QTest::newRow("missing") << "s"
                                 << "the cat sat on the mat"
                                 << "the cat on the mat"
                                 << "= = - = = =";
        QTest::newRow("extra") << "s"
                               << "the cat sat"
                               << "the big cat sat"
                               << "= + = =";
        QTest::newRow("near miss") << "s"
                                   << "learning takes patience"
                                   << "learnig takes patients"
                                   << "~ = !";
        QTest::newRow("wrong in its place") << "s"
                                            << "repeat every sentence"
                                            << "repeat each sentence"
                                            << "= ! =";
        QTest::newRow("case and punctuation as the options say") << "cp"
                                                                 << "Hello, World!"
                                                                 << "hello world"
                                                                 << "= =";
        QTest::newRow("contractions expanded") << "sa"
                                               << "It is fine"
                                               << "It's fine"
                                               << "= = =";
        QTest::newRow("nothing typed") << "s"
                                       << "one two"
                                       << ""
                                       << "- -";
    }
    void wordDifference() {
        QFETCH(QString, options);
        QFETCH(QString, reference);
        QFETCH(QString, answer);
        QFETCH(QString, marks);
        QStringList got;
        for (const WordDiffItem& item : WordDiff(reference, answer, Opts(options)))
            got << QString("=-+~!").at(int(item.mark));
        QCOMPARE(got.join(' '), marks);
        QCOMPARE(EditDistance("patience", "patients"), 2);
        QCOMPARE(EditDistance("learning", "learnig"), 1);
    }

    void markStartsAtTheTypedCharacter() {
        // "  Hello ,  wrld" with spaces and punctuation ignored normalises to "Hello  wrld",
        // which differs from "Hello world" at its second space.
        const CheckResult r = CheckAnswer("Hello, world", "  Hello ,  wrld", Opts("sp"));
        QVERIFY(!r.right);
        QCOMPARE(r.markPos, 6);
        QCOMPARE(r.markStart, 10); // the space kept before "wrld" is the one typed last
        const CheckResult c = CheckAnswer("he is here", "he's hare", Opts("a"));
        QCOMPARE(c.markPos, 7);
        QCOMPARE(c.markStart, 6); // the wrong "a" as typed
        const QString huge(5000, 'x');
        QVERIFY(!CheckAnswer("short", huge, Opts("cspa")).right);
    }

    void passRedoAndHardSentences() {
        Dictating d;
        FakeList& list = d.list;
        CDictationSession& session = d.session;
        QSignalSpy running(&session, &CDictationSession::runningChanged);
        session.SetToHardSent(2);
        session.StartAll();
        QVERIFY(session.Running() && list.locked);
        QCOMPARE(running.size(), 1);
        QCOMPARE(list.played, QList<int>{0});
        QCOMPARE(session.Submit("one", Opts("")), CDictationSession::Outcome::Next);
        QCOMPARE(session.Submit("tow", Opts("")), CDictationSession::Outcome::Wrong);
        QCOMPARE(session.CurrentErrorCount(), 1);
        QVERIFY(d.hard.empty());
        QCOMPARE(session.Submit("tw", Opts("")), CDictationSession::Outcome::Wrong);
        QCOMPARE(d.hard.size(), size_t(1)); // the second error reaches the threshold
        QCOMPARE(d.hard[0], std::make_tuple(100u, 200u, 2));
        QCOMPARE(session.Submit("two", Opts("")), CDictationSession::Outcome::Next);
        QCOMPARE(session.Dictated().value(1), QString("two"));
        QCOMPARE(session.Submit("three", Opts("")), CDictationSession::Outcome::Redo);
        QCOMPARE(session.Order(), std::vector<int>{1}); // the wrong sentence again
        QCOMPARE(list.played.last(), 1);
        QCOMPARE(session.Total(), 3);
        QCOMPARE(session.Submit("two", Opts("")), CDictationSession::Outcome::Finished);
        QVERIFY(!session.Running() && !list.locked);
        QCOMPARE(running.size(), 2); // on at the start, off at the end: no flicker between
    }

    void withoutSubtitlesEveryAnswerIsRight() {
        Dictating d;
        d.list.lines.clear();
        CDictationSession& session = d.session;
        session.StartAll();
        QCOMPARE(session.Submit("  Any  THING ", Opts("s")), CDictationSession::Outcome::Next);
        QCOMPARE(session.Dictated().value(0), QString("Any THING"));
        session.Submit("", Opts(""));
        QCOMPARE(session.Submit("x", Opts("")), CDictationSession::Outcome::OfferSaveLrc);
    }

    void hardSentencesMatchByStart() {
        Dictating d;
        CDictationSession& session = d.session;
        QVERIFY(session.StartHardSentences({200, 100, 999}));
        QCOMPARE(session.Order(), (std::vector<int>{2, 1}));
        QVERIFY(!session.StartHardSentences({999}));
        QVERIFY(!session.Running());
    }

    void libraryRules() {
        HardItems items;
        hardsentences::Add(items, 142567, 143000, 10, "t");
        QCOMPARE(items[0].difficulty, QString("90"));
        hardsentences::Add(items, 142567, 143000, 11, "t");
        QCOMPARE(items[0].difficulty, QString("79"));
        hardsentences::Add(items, 142567, 143000, 12, "t");
        QCOMPARE(items[0].difficulty, QString("67"));
        hardsentences::Add(items, 500, 900, 99, "t");
        QCOMPARE(items[1].difficulty, QString("1"));
        hardsentences::Add(items, 500, 900, 99, "t");
        QCOMPARE(items[1].difficulty, QString("-98"));
        QCOMPARE(hardsentences::Format(items).first(), QString("1!142567!143000!67!t"));
        QCOMPARE(TimeText(items[0].start), QString("23:45.67"));

        const HardItems read =
            hardsentences::Parse({"3!500!900!70!x", "3!!900!70!x", "1!2", "", "garbage"});
        QCOMPARE(int(read.size()), 2);
        QCOMPARE(read[0], (HARD_ITEM{"3", 500, 900, "70", "x"}));
        QCOMPARE(read[1], (HARD_ITEM{"3", 900, 70, "x", ""}));
        const QString path = m_dir.filePath("Temp/hardSent.dat");
        QVERIFY(!hardsentences::Save(path, {}));
        QVERIFY(!QFile::exists(path));
        QVERIFY(hardsentences::Save(path, read));
        HardItems back;
        QVERIFY(hardsentences::Load(path, back));
        QCOMPARE(back, read);
    }

    void panelMarksAndCounts() {
        CAppSetting settings;
        settings.IgnoreSpaces = 1;
        settings.ToHardSent = 10;
        settings.RedoError = true;
        FakeList list;
        CDictationSession session;
        session.SetSource(&list);
        CDictateSentPanel panel(settings, session);
        panel.SetHost(&list);
        panel.resize(600, 300);
        auto* table = panel.findChild<QTreeWidget*>("sentenceTable");
        auto* answer = panel.findChild<QTextEdit*>("answerEdit");
        // The status line: progress, errors, message.
        auto info = [&] {
            QStringList texts;
            for (const char* name : {"progressText", "errorsText", "messageText"})
                texts << panel.Info()->findChild<QLabel*>(name)->text();
            return texts.join(' ');
        };
        panel.StartAll();
        QCOMPARE(table->topLevelItemCount(), 3);
        QVERIFY(info().contains(QString::fromUtf8("已听写：0/3")));
        answer->setPlainText("onx");
        panel.Submit();
        QVERIFY(info().contains(QString::fromUtf8("听写错误！")));
        // The wrong part is red and underlined from the first wrong character.
        QTextCursor at(answer->document());
        at.setPosition(3);
        QVERIFY(at.charFormat().fontUnderline());
        QCOMPARE(at.charFormat().foreground().color(), QColor(255, 0, 0));
        at.setPosition(2);
        QVERIFY(!at.charFormat().fontUnderline());
        // Word by word beside it; the next sentence starts without it.
        auto* words = panel.findChild<QLabel*>("wordDiff");
        QVERIFY(words->text().contains("onx") && words->text().contains("<u"));
        answer->setPlainText("one");
        panel.Submit();
        QCOMPARE(table->topLevelItem(0)->text(2), QString("one"));
        QVERIFY(answer->toPlainText().isEmpty());
        QVERIFY(info().contains(QString::fromUtf8("听写正确！")));
        QVERIFY(panel.findChild<QLabel*>("wordDiff")->text().isEmpty());
        QCOMPARE(list.current, 1);
        QSignalSpy stopped(&panel, &CDictateSentPanel::stopped);
        panel.Stop(true);
        QVERIFY(!session.Running());
        QVERIFY(stopped.isEmpty() && list.stops == 0); // the view stays, playback too
    }

    void pauseSliderStaysPutWhileItsNumbersChange() {
        CAppSetting settings;
        settings.SentInterval = 5;
        CDictationInfoPanel info(settings);
        info.resize(700, 25);
        info.show();
        auto* slider = info.findChild<QSlider*>("intervalSlider");
        auto place = [&] {
            QCoreApplication::processEvents();
            return slider->geometry();
        };
        const QRect before = place();
        // The countdown of a pause counts up to one past the interval, then empties; the
        // interval itself goes from 0 to 60.
        for (int seconds : {1, 5, 61, -1}) {
            info.SetCountdown(seconds);
            QCOMPARE(place(), before);
        }
        for (int interval : {60, 0, 5}) {
            slider->setValue(interval);
            QCOMPARE(place(), before);
        }
    }

    void libraryPanel() {
        CHardSentPanel panel;
        FakeList list;
        panel.SetSource(&list);
        panel.Add(100, 200, 99);
        auto* table = panel.findChild<QTreeWidget*>("hardSentenceTable");
        QCOMPARE(table->topLevelItem(0)->text(1), QString("00:01.00"));
        QCOMPARE(table->topLevelItem(0)->text(3), QString("1"));
        QVERIFY(UserDataModified());
        panel.PlayRow(0);
        QCOMPARE(list.played, QList<int>{1});
        panel.SetLocked(true); // ignored while dictation runs
        panel.PlayRow(0);
        QCOMPARE(list.played.size(), 1);
        panel.SetLocked(false);
        panel.Save();
        CHardSentPanel again;
        again.Load();
        QCOMPARE(again.GetItems(), panel.GetItems());
    }

    // For flashcard programs: a header they read, a row per sentence with its text, its clip
    // (cut beside the file, named after it), start, end and difficulty.
    void libraryExportsFlashcards() {
        QTemporaryDir out;
        CHardSentPanel panel;
        FakeList list;
        list.lines[1] = "two\tand a tab";
        panel.SetSource(&list);
        panel.Add(100, 200, 3);
        panel.Add(0, 100, 99);
        int failed = -1;
        const QString tsv = out.filePath("lesson.tsv");
        QCOMPARE(panel.ExportFlashcards(test::Media("lesson.mp3"), tsv, &failed), 2);
        QCOMPARE(failed, 0);
        QCOMPARE(
            QString::fromUtf8(test::ReadFileBytes(tsv)),
            QString::fromUtf8("#separator:tab\n#html:false\n#columns:句子\t音频\t开始\t结束\t难度\n"
                              "two and a tab\t[sound:lesson_01.mp3]\t00:01.00\t00:02.00\t97\n"
                              "one\t[sound:lesson_02.mp3]\t00:00.00\t00:01.00\t1\n"));
        QVERIFY(QFile::exists(out.filePath("lesson_01.mp3")) &&
                QFile::exists(out.filePath("lesson_02.mp3")));
        // A lesson that cannot be cut: the rows all the same, without their sound.
        QCOMPARE(panel.ExportFlashcards(test::Media("text.mp3"), out.filePath("x.tsv"), &failed),
                 2);
        QCOMPARE(failed, 2);
    }

    // The panel keeps the span of the item last added as a new row or last double-clicked,
    // as the table's current row.
    void libraryRemembersTheLastItem() {
        CHardSentPanel panel;
        FakeList list;
        list.spans.clear();
        panel.SetSource(&list);
        auto* table = panel.findChild<QTreeWidget*>("hardSentenceTable");
        // Start and end of the current row; none without one.
        auto last = [&] {
            const QTreeWidgetItem* row = table->currentItem();
            return row ? QStringList{row->text(1), row->text(2)} : QStringList();
        };
        auto span = [](std::uint32_t start, std::uint32_t end) {
            return QStringList{TimeText(start), TimeText(end)};
        };
        QVERIFY(last().isEmpty());
        panel.Add(100, 200, 99);
        QCOMPARE(last(), span(100, 200));
        panel.Add(300, 450, 99);
        QCOMPARE(last(), span(300, 450));
        panel.Add(100, 200, 5); // only lowers the first row's difficulty
        QCOMPARE(last(), span(300, 450));
        panel.PlayRow(0);
        QCOMPARE(last(), span(100, 200));
        panel.SetLocked(true); // a double-click ignored is not remembered
        panel.PlayRow(1);
        panel.SetLocked(false);
        QCOMPARE(last(), span(100, 200));
        panel.PlayRow(2); // no such row
        QCOMPARE(last(), span(100, 200));
        panel.Load(); // the library of another file
        QVERIFY(last().isEmpty());
    }
};

QTEST_MAIN(TestDictation)
#include "tst_dictation.moc"
