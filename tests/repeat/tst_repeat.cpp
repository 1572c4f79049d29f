// Sentences, splitting and the control bar's repeat region on the null output.
#include "audio/AudioOutput.h"
#include "audio/MediaCore.h"
#include "common/AppSetting.h"
#include "common/StdioFileEx.h"
#include "common/Util.h"
#include "common/Wav.h"
#include "controls/TimeSlider.h"
#include "repeat/CtrlBar.h"
#include "repeat/ModifySelDlg.h"
#include "repeat/RepeatPage.h"
#include "repeat/SellistView.h"
#include "repeat/SentenceList.h"
#include "repeat/Splitter.h"
#include "support/Fixtures.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

using namespace kestrova;
using namespace kestrova::test;

namespace {
SentenceArray Three() {
    return {{0, 100}, {100, 250}, {250, 400}};
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

// A stereo 16-bit WAV made of (seconds, loud) pieces: loud pieces are a 0.5 full-scale square
// wave, quiet ones silence.
void WritePieces(const QString& path, const std::vector<std::pair<double, bool>>& pieces) {
    QByteArray data;
    for (const auto& [seconds, loud] : pieces)
        for (int i = 0; i < int(seconds * 44100); ++i) {
            const qint16 v = loud ? qint16((i / 50) % 2 ? 16000 : -16000) : 0;
            for (int c = 0; c < 2; ++c)
                data.append(reinterpret_cast<const char*>(&v), 2);
        }
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(PcmWav(data, 44100, 2));
}

// A control bar over a null engine, with a sentence list beside it.
struct Loop {
    CAppSetting settings;
    QStringList paths;
    std::unique_ptr<CCtrlBar> bar;
    std::unique_ptr<CSellistView> list;
    explicit Loop(const QStringList& files) : paths(files) {
        settings.RepeatAmount = 2;
        settings.MoveStep = 100;
        settings.Volume = 100;
        settings.UseSplit = false;
        bar = std::make_unique<CCtrlBar>(
            settings, std::make_unique<CMediaCore>(std::make_unique<CNullAudioOutput>()));
        list = std::make_unique<CSellistView>(settings);
        bar->SetSentenceList(list.get());
        list->SetCtrlBar(bar.get());
        bar->SetPlaylist(&paths);
    }
    CMediaCore& Engine() { return bar->Engine(); }
    // The time beside the slider, and what it should read for the slider's position.
    QString TimeLabel() const { return bar->findChild<QLabel*>("positionText")->text(); }
    QString SliderTime() const {
        return TimeText(std::uint32_t(bar->Slider()->value())) + " / " +
               TimeText(std::uint32_t(bar->Engine().GetLength() / 10));
    }
    void Run(int ms) {
        for (int done = 0; done < ms; done += 100) {
            Engine().NullOutput()->Advance(std::min(100, ms - done));
            QCoreApplication::processEvents();
            bar->PositionTick();
        }
    }
    void SetSentences(const SentenceArray& s) {
        list->GetSentences() = s;
        list->RebuildRows();
    }
};
} // namespace

class TestRepeat : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_long; // 20 s, sample i holds i % 32000

private Q_SLOTS:
    void initTestCase() {
        qputenv("KESTROVA_HOME", m_dir.path().toUtf8());
        m_long = m_dir.filePath("numbered20.wav");
        WriteNumberedWav(m_long, 44100 * 20);
    }

    void mergeAndModify() {
        SentenceArray s = Three();
        QVERIFY(sentences::MergeUp(s, 1));
        QCOMPARE(s, (SentenceArray{{0, 250}, {250, 400}}));
        s = Three();
        QVERIFY(sentences::MergeDown(s, 0));
        QCOMPARE(s, (SentenceArray{{0, 250}, {250, 400}}));
        s = Three();
        QVERIFY(sentences::MergeUp(s, 2));
        QCOMPARE(s, (SentenceArray{{0, 100}, {100, 400}}));
        s = Three();
        QVERIFY(!sentences::MergeUp(s, 0) && !sentences::MergeDown(s, 2));
        QCOMPARE(s, Three());

        s = Three();
        const auto start = sentences::Nudged(100, 480), end = sentences::Nudged(250, 530);
        QCOMPARE(sentences::Modify(s, 1, start, end), sentences::ModifyResult::Changed);
        QCOMPARE(s, (SentenceArray{{0, 80}, {80, 280}, {280, 400}}));
        QCOMPARE(sentences::Nudged(100, 0), 100u);
        QCOMPARE(sentences::Nudged(100, 1000), 100u);
        QCOMPARE(sentences::Nudged(100, 1), 0u); // clamped at 0
        s = Three();
        QCOMPARE(sentences::Modify(s, 0, 0, 120), sentences::ModifyResult::Changed);
        QCOMPARE(s, (SentenceArray{{0, 120}, {120, 250}, {250, 400}}));
        QCOMPARE(sentences::Modify(s, 2, 260, 390), sentences::ModifyResult::Changed);
        QCOMPARE(s[1], (SEL_ITEM{120, 260}));
        QCOMPARE(sentences::Modify(s, 1, 300, 300), sentences::ModifyResult::StartNotBeforeEnd);
    }

    // The up-down controls of "修改复读区": each move sets the value from the old one; the
    // ends of the range leave the value shown before the move.
    void modifyDialogControls_data() {
        QTest::addColumn<bool>("startControl");
        QTest::addColumn<QList<int>>("moves");
        QTest::addColumn<std::uint32_t>("start");
        QTest::addColumn<std::uint32_t>("end");
        QTest::newRow("start moved") << true << QList<int>{480} << 80u << 250u;
        QTest::newRow("start moved, then 0") << true << QList<int>{480, 0} << 80u << 250u;
        QTest::newRow("start moved, then 1000") << true << QList<int>{530, 1000} << 130u << 250u;
        QTest::newRow("start at 0 first") << true << QList<int>{0} << 100u << 250u;
        QTest::newRow("end moved, then 1000") << false << QList<int>{530, 1000} << 100u << 280u;
        QTest::newRow("end moved, then 0, then moved")
            << false << QList<int>{530, 0, 499} << 100u << 249u;
    }
    void modifyDialogControls() {
        QFETCH(bool, startControl);
        QFETCH(QList<int>, moves);
        QFETCH(std::uint32_t, start);
        QFETCH(std::uint32_t, end);
        CModifySelDlg dialog(100, 250);
        QSpinBox* control = startControl ? dialog.StartControl() : dialog.EndControl();
        for (int p : moves)
            control->setValue(p);
        QCOMPARE(dialog.NewStart(), start);
        QCOMPARE(dialog.NewEnd(), end);
        QCOMPARE(dialog.StartText()->text(), TimeText(start));
        QCOMPARE(dialog.EndText()->text(), TimeText(end));
    }

    // A list rebuilt while sentence dictation runs drops the region of the old list, although
    // the learner's clear-region command is off then.
    void rebuildDuringDictationClearsTheRegion() {
        Loop loop({m_long});
        QVERIFY(loop.bar->OpenEntry(0));
        loop.SetSentences(Three());
        QVERIFY(loop.list->SelectSentence(1));
        QVERIFY(loop.bar->RegionSet());
        bool dictating = true;
        CCtrlBar::Hooks hooks;
        hooks.dictationRunning = [&] { return dictating; };
        loop.bar->SetHooks(hooks);
        CSellistView::Hooks listHooks;
        listHooks.dictationRunning = [&] { return dictating; };
        loop.list->SetHooks(listHooks);
        QVERIFY(!loop.bar->IsEnabled(CCtrlBar::Command::ClearRegion));
        loop.SetSentences({{0, 300}, {300, 400}});
        QVERIFY(!loop.bar->RegionSet());
        QVERIFY(!loop.bar->Slider()->HasSelection());
    }

    void sentenceFile() {
        bool any = false;
        QCOMPARE(sentences::ParseFile(
                     CStdioFileEx::SplitLines("12!!34\n12!34!99\r\n\r\n7\nabc!5\n"), &any),
                 (SentenceArray{{12, 34}, {12, 34}, {0, 5}}));
        QVERIFY(any);
        sentences::ParseFile(CStdioFileEx::SplitLines("\r\n\n"), &any);
        QVERIFY(!any);
        QCOMPARE(sentences::FormatFile({{1, 412}, {412, 975}}), QByteArray("1!412\r\n412!975\r\n"));

        const QString path = m_dir.filePath("Temp/sellist.ist");
        SentenceArray items;
        QVERIFY(!sentences::LoadFile(path, items)); // created empty
        QVERIFY(QFile::exists(path));
        QVERIFY(sentences::SaveFile(path, {{1, 412}, {412, 975}}));
        QVERIFY(!sentences::SaveFile(path, {})); // an empty list leaves the file alone
        QVERIFY(sentences::LoadFile(path, items));
        QCOMPARE(items, (SentenceArray{{1, 412}, {412, 975}}));
    }

    void splitFollowsTheAlgorithm() {
        // 0.1 s quiet (leading), 0.4 s sound, 0.6 s quiet (30 blocks), 0.4 s sound.
        const QString path = m_dir.filePath("pieces.wav");
        WritePieces(path, {{0.1, false}, {0.4, true}, {0.6, false}, {0.4, true}});
        const std::atomic<bool> never{false};
        std::vector<std::pair<int, int>> progress;
        SplitResult r = SplitFile(path, SplitParams{}, 0, never, [&](int p, int l) {
            progress.push_back({p, l});
        });
        QVERIFY(r.opened);
        // The first loud block after the gap ends at 1.12 s: 112 - 30 = 82.
        QCOMPARE(r.sentences, (SentenceArray{{1, 82}, {82, 150}}));
        QCOMPARE(progress, (std::vector<std::pair<int, int>>{{0, 3}, {2, 3}}));
        // A gap shorter than the minimum gives no split; a threshold above every level none.
        QCOMPARE(SplitFile(path, SplitParams{980, 31}, 0, never).sentences.size(), size_t(1));
        QCOMPARE(SplitFile(path, SplitParams{32768, 28}, 0, never).sentences,
                 (SentenceArray{{1, 150}}));
        // A file that is not audio: one sentence over the given length.
        r = SplitFile(Media("text.mp3"), SplitParams{}, 5000, never);
        QVERIFY(!r.opened);
        QCOMPARE(r.sentences, (SentenceArray{{1, 500}}));
    }

    void splitSpeechAtItsGaps() {
        QFile gaps(Media("speech_gaps.txt"));
        QVERIFY(gaps.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = gaps.readAll().trimmed().split('\n');
        const std::atomic<bool> never{false};
        const SplitResult r = SplitFile(Media("speech_gaps.wav"), SplitParams{}, 0, never);
        QCOMPARE(r.sentences.size(), size_t(3));
        for (int i = 0; i < 2; ++i) {
            const QList<QByteArray> span = lines[i].split(' ');
            const double boundary = r.sentences[size_t(i + 1)].start / 100.0;
            QVERIFY2(boundary > span[0].toDouble() && boundary < span[1].toDouble(),
                     qPrintable(QString::number(boundary)));
        }
    }

    void workerHandsOverAndCancels() {
        CSplitWorker worker;
        QSignalSpy done(&worker, &CSplitWorker::finished);
        worker.StartSplit(Media("speech_gaps.wav"), 0, SplitParams{}, false);
        QTRY_COMPARE(done.size(), 1);
        QCOMPARE(done[0][0].value<SentenceArray>().size(), size_t(3));
        // A run stopped at once reports nothing, not even later.
        worker.StartSplit(m_long, 0, SplitParams{}, true);
        worker.StopSplit();
        QVERIFY(!worker.IsSplitting());
        QCoreApplication::processEvents();
        QCOMPARE(done.size(), 1);
    }

    void regionCommands() {
        Loop loop({m_long});
        QVERIFY(loop.bar->OpenEntry(0));
        CCtrlBar& bar = *loop.bar;
        bar.SetRegion(1000, 1500);
        QVERIFY(bar.RegionSet());
        QCOMPARE(bar.OneKeyState(), 2);
        QCOMPARE(loop.Engine().GetPosition(), 10000);
        QCOMPARE(bar.Slider()->SelectionStart(), 1000);
        // Back and Forward never leave the region.
        loop.Engine().SetPosition(12500);
        bar.Execute(CCtrlBar::Command::Back);
        QCOMPARE(loop.Engine().GetPosition(), 10500);
        loop.Engine().SetPosition(11500);
        bar.Execute(CCtrlBar::Command::Back);
        QCOMPARE(loop.Engine().GetPosition(), 11500);
        loop.Engine().SetPosition(13500);
        bar.Execute(CCtrlBar::Command::Forward);
        QCOMPARE(loop.Engine().GetPosition(), 13500);
        // Dragging past the end snaps back without seeking; with CancelRepeat it clears.
        bar.SliderMovedTo(1800);
        QCOMPARE(bar.Slider()->value(), 1500);
        QCOMPARE(loop.Engine().GetPosition(), 13500);
        loop.settings.CancelRepeat = true;
        bar.SliderMovedTo(1800);
        QVERIFY(!bar.RegionSet());
        QCOMPARE(loop.Engine().GetPosition(), 18000);
        // Set end jumps back to the start point; set start does not move playback.
        loop.Engine().SetPosition(2000);
        bar.Execute(CCtrlBar::Command::SetStart);
        QCOMPARE(bar.RegionStart(), 200.0);
        QCOMPARE(loop.Engine().GetPosition(), 2000);
        loop.Engine().SetPosition(5000);
        bar.Execute(CCtrlBar::Command::SetEnd);
        QCOMPARE(bar.RegionEnd(), 500.0);
        QCOMPARE(loop.Engine().GetPosition(), 2000);
        // Move start left by the step, not below 0; then the command is off.
        bar.SetRegion(50, 500);
        bar.Execute(CCtrlBar::Command::MoveStartLeft);
        QCOMPARE(bar.RegionStart(), 0.0);
        QVERIFY(!bar.IsEnabled(CCtrlBar::Command::MoveStartLeft));
        // Stop clears the region.
        bar.Execute(CCtrlBar::Command::Stop);
        QVERIFY(!bar.RegionSet());
        QCOMPARE(bar.Slider()->value(), 0);
    }

    void passEndsExactlyAtTheRegion() {
        Loop loop({m_long});
        QVERIFY(loop.bar->OpenEntry(0));
        loop.settings.RepeatAmount = 3;
        std::vector<float> heard;
        loop.Engine().NullOutput()->capture = &heard;
        loop.bar->SetRegion(100, 150); // 1.00 s .. 1.50 s
        heard.clear();
        loop.Run(520);
        // The last sample of the pass is the one before 1.50 s; the next is 1.00 s again.
        int last = -1, firstAfter = -1;
        for (size_t i = 2; i < heard.size(); i += 2)
            if (NumberOf(heard[i]) != (NumberOf(heard[i - 2]) + 1) % 32000) {
                last = NumberOf(heard[i - 2]);
                firstAfter = NumberOf(heard[i]);
                break;
            }
        QCOMPARE(last, (66150 - 1) % 32000);
        QCOMPARE(firstAfter, 44100 % 32000);
        QCOMPARE(loop.bar->RepeatCounter(), 2); // one pass counted, once
    }

    // A lost sound device pauses the bar and says so; Play, once the device opens, goes on.
    void lostDeviceIsToldAndPlayGoesOn() {
        Loop loop({m_long});
        QVERIFY(loop.bar->OpenEntry(0));
        loop.bar->Execute(CCtrlBar::Command::Play);
        loop.Run(300);
        QSignalSpy panes(loop.bar.get(), &CCtrlBar::paneText);
        loop.Engine().NullOutput()->lost = true;
        loop.Engine().NullOutput()->refuseOpen = true;
        loop.Engine().NullOutput()->Advance(50);
        QTRY_VERIFY(loop.Engine().IsPaused());
        QVERIFY(!panes.isEmpty());
        QCOMPARE(panes.last()[1].toString(), QString::fromUtf8("声音设备已断开，按“播放”重新连接"));
        loop.bar->Execute(CCtrlBar::Command::Play);
        QVERIFY(loop.Engine().IsPaused());
        loop.Engine().NullOutput()->refuseOpen = false;
        loop.bar->Execute(CCtrlBar::Command::Play);
        QVERIFY(loop.Engine().IsPlaying());
        loop.Run(200);
        QCOMPARE(loop.Engine().GetPosition(), 500);
        // The message goes once the sound is back.
        QString message = "unset";
        for (const auto& args : panes)
            if (args[0].toInt() == 0) message = args[1].toString();
        QVERIFY(message.isEmpty());
    }

    // A slider click beyond the region's end (repeat not cancelled by it) leaves playback in
    // the region: the press goes back to the end, and the release there does not seek.
    void sliderBeyondTheRegionKeepsTheRegion() {
        Loop loop({m_long});
        QVERIFY(loop.bar->OpenEntry(0));
        loop.settings.CancelRepeat = false;
        loop.bar->SetRegion(100, 150);
        loop.Run(200);
        Q_EMIT loop.bar->Slider()->sliderMoved(1300);
        Q_EMIT loop.bar->Slider()->sliderReleased();
        QCOMPARE(loop.bar->Slider()->value(), 150);
        for (int i = 0; i < 8; ++i) {
            loop.Run(100);
            QVERIFY2(loop.Engine().GetPosition() <= 1500,
                     qPrintable(QString::number(loop.Engine().GetPosition())));
        }
    }

    void automaticRepeatHearsEachSentenceTwice() {
        Loop loop({m_long});
        QVERIFY(loop.bar->OpenEntry(0));
        QVERIFY(!loop.bar->IsEnabled(CCtrlBar::Command::AutoRepeat)); // no sentences yet
        QSignalSpy states(loop.bar.get(), &CCtrlBar::commandStatesChanged);
        loop.SetSentences({{100, 150}, {150, 200}, {200, 250}});
        QVERIFY(!states.isEmpty()); // the frame's menus and buttons are told
        QVERIFY(loop.bar->IsEnabled(CCtrlBar::Command::AutoRepeat));
        QSignalSpy panes(loop.bar.get(), &CCtrlBar::paneText);
        loop.bar->Execute(CCtrlBar::Command::AutoRepeat);
        QVERIFY(loop.bar->AutoRepeatOn());
        QCOMPARE(loop.list->GetCurrentSentence(), 0);
        loop.Run(600); // two passes of 0.5 s
        QCOMPARE(loop.list->GetCurrentSentence(), 0);
        loop.Run(500);
        QCOMPARE(loop.list->GetCurrentSentence(), 1);
        bool sawPass = false;
        for (const auto& args : panes)
            sawPass |= args[0].toInt() == 0 && args[1].toString() == QString::fromUtf8("第 2/2 遍");
        QVERIFY(sawPass);
        // Clearing the region ends automatic repeat.
        loop.bar->Execute(CCtrlBar::Command::ClearRegion);
        QVERIFY(!loop.bar->AutoRepeatOn());
        QCOMPARE(loop.list->GetCurrentSentence(), -1);
    }

    void pauseAfterEachPass() {
        Loop loop({m_long});
        QVERIFY(loop.bar->OpenEntry(0));
        loop.settings.PauseFinish = true;
        loop.settings.PauseFinishIndex = 0; // one second
        QSignalSpy panes(loop.bar.get(), &CCtrlBar::paneText);
        loop.bar->SetRegion(100, 150);
        loop.Run(520);
        QVERIFY(loop.bar->PauseTimerRunning());
        QVERIFY(loop.Engine().IsPaused());
        QCOMPARE(loop.Engine().GetPosition(), 1000);
        QCOMPARE(panes.last()[1].toString(), QString::fromUtf8("句间暂停:1/1"));
        loop.bar->PauseTick(); // the second tick ends a one-second pause
        QVERIFY(!loop.bar->PauseTimerRunning());
        QVERIFY(loop.Engine().IsPlaying());
        // Length choices follow the region: 3.45 s gives 3 and twice that 6.
        loop.settings.PauseFinishIndex = 4;
        loop.bar->SetRegion(100, 445);
        loop.Run(3500);
        QCOMPARE(panes.last()[1].toString(), QString::fromUtf8("句间暂停:1/3"));
        loop.bar->Execute(CCtrlBar::Command::Play); // Play ends a pause at once
        QVERIFY(!loop.bar->PauseTimerRunning());
        QCOMPARE(loop.bar->PauseSeconds(), 0);
    }

    // The device lost in the pause between passes: the next pass does not start silently over
    // the note, the pause stops, and Play brings the sound and the pass count back.
    void lostDeviceInAPauseBetweenPasses() {
        Loop loop({m_long});
        QVERIFY(loop.bar->OpenEntry(0));
        loop.settings.PauseFinish = true;
        loop.settings.PauseFinishIndex = 0; // one second
        loop.SetSentences({{100, 150}, {150, 200}});
        loop.bar->Execute(CCtrlBar::Command::AutoRepeat);
        loop.Run(520);
        QVERIFY(loop.bar->PauseTimerRunning());
        QSignalSpy panes(loop.bar.get(), &CCtrlBar::paneText);
        loop.Engine().NullOutput()->lost = true;
        loop.Engine().NullOutput()->refuseOpen = true;
        loop.bar->PauseTick();
        loop.bar->PauseTick(); // the pause ends: the next pass cannot start
        QCoreApplication::processEvents();
        QVERIFY(!loop.Engine().IsPlaying());
        QVERIFY(!loop.bar->PauseTimerRunning());
        auto lastMessage = [&] {
            QString message;
            for (const auto& args : panes)
                if (args[0].toInt() == 0) message = args[1].toString();
            return message;
        };
        QCOMPARE(lastMessage(), QString::fromUtf8("声音设备已断开，按“播放”重新连接"));
        loop.Engine().NullOutput()->refuseOpen = false;
        loop.bar->Execute(CCtrlBar::Command::Play);
        QVERIFY(loop.Engine().IsPlaying());
        QVERIFY(lastMessage().startsWith(QString::fromUtf8("第 ")));
    }

    void timeLabelShowsTheSliderPosition() {
        Loop loop({m_long});
        QVERIFY(loop.bar->OpenEntry(0));
        CCtrlBar& bar = *loop.bar;
        loop.settings.PauseFinish = true;
        loop.settings.PauseFinishIndex = 1; // three seconds
        loop.Run(700);
        bar.ClockTick();
        QCOMPARE(bar.Slider()->value(), 70);
        QCOMPARE(loop.TimeLabel(), loop.SliderTime());
        // In the pause after a pass the slider is back at the region's start, and so is the
        // time.
        bar.SetRegion(100, 150);
        loop.Run(400);
        bar.ClockTick();
        loop.Run(200);
        QVERIFY(bar.PauseTimerRunning());
        QCOMPARE(bar.Slider()->value(), 100);
        QCOMPARE(loop.TimeLabel(), loop.SliderTime());
        QSignalSpy panes(&bar, &CCtrlBar::paneText);
        bar.Execute(CCtrlBar::Command::Stop);
        QCOMPARE(bar.Slider()->value(), 0);
        QCOMPARE(loop.TimeLabel(), loop.SliderTime());
        // The status bar's clock says the same.
        QVERIFY(!panes.isEmpty());
        QCOMPARE(panes.last()[0].toInt(), 7);
        QCOMPARE(panes.last()[1].toString(), loop.SliderTime());
        // Pause shows where playback stopped, not the last tick before it.
        bar.Execute(CCtrlBar::Command::Play);
        loop.Run(300);
        loop.Engine().NullOutput()->Advance(50);
        bar.Execute(CCtrlBar::Command::Pause);
        QCOMPARE(bar.Slider()->value(), 35);
        QCOMPARE(loop.TimeLabel(), loop.SliderTime());
        bar.Execute(CCtrlBar::Command::Stop);
        // The end of the file rewinds both.
        loop.settings.Order = 3;
        bar.Execute(CCtrlBar::Command::Play);
        bar.SliderMovedTo(1950);
        QCOMPARE(loop.TimeLabel(), loop.SliderTime());
        loop.Run(200);
        bar.ClockTick();
        loop.Run(400);
        QCoreApplication::processEvents();
        QVERIFY(loop.Engine().IsStopped());
        QCOMPARE(bar.Slider()->value(), 0);
        QCOMPARE(loop.TimeLabel(), loop.SliderTime());
    }

    void playOrderAtTheEndOfAFile_data() {
        QTest::addColumn<int>("order");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("playing");
        QTest::newRow("default, first file: the next plays") << 0 << 0 << 1 << true;
        QTest::newRow("default, last file: stops") << 0 << 1 << 1 << false;
        QTest::newRow("repeat one: the same again") << 1 << 0 << 0 << true;
        QTest::newRow("repeat list, last file: the first") << 2 << 1 << 0 << true;
        QTest::newRow("play one: stops") << 3 << 0 << 0 << false;
    }
    void playOrderAtTheEndOfAFile() {
        QFETCH(int, order);
        QFETCH(int, from);
        QFETCH(int, index);
        QFETCH(bool, playing);
        Loop loop({Media("lesson.wav"), Media("lesson.flac")});
        loop.settings.Order = order;
        QVERIFY(loop.bar->OpenEntry(from));
        loop.Run(3200);
        QCoreApplication::processEvents();
        QCOMPARE(loop.bar->PlaylistIndex(), index);
        QCOMPARE(loop.Engine().IsPlaying(), playing);
        QVERIFY(loop.Engine().GetPosition() < 500); // from the file's start, or rewound
        if (!playing) QCOMPARE(loop.bar->Slider()->value(), 0);
    }

    // Every file opened plays at the learner's tempo and pitch.
    void openedFileTakesTheTempoAndPitchSettings() {
        Loop loop({m_long, m_long});
        loop.settings.Tempo = 20;
        loop.settings.Pitch = -3;
        QVERIFY(loop.bar->OpenEntry(0));
        QCOMPARE(loop.Engine().Tempo(), 20.0f);
        QCOMPARE(loop.Engine().Pitch(), -3.0f);
        loop.Engine().SetTempo(0, 0, 0);
        QVERIFY(loop.bar->OpenEntry(1));
        QCOMPARE(loop.Engine().Tempo(), 20.0f);
        QCOMPARE(loop.Engine().Pitch(), -3.0f);
    }

    // While the open file's work is not safe, no other file opens.
    void fileWithWorkAtRiskStaysOpen() {
        Loop loop({m_long, m_long});
        bool safe = true;
        CCtrlBar::Hooks hooks;
        hooks.saveUserData = [&] { return safe; };
        loop.bar->SetHooks(hooks);
        QVERIFY(loop.bar->OpenEntry(0));
        safe = false;
        QVERIFY(!loop.bar->OpenEntry(1));
        QCOMPARE(loop.bar->PlaylistIndex(), 0);
        QVERIFY(loop.Engine().HasChannel());
        safe = true;
        QVERIFY(loop.bar->OpenEntry(1));
        QCOMPARE(loop.bar->PlaylistIndex(), 1);
    }

    void volumeAndMuteFollowTheSettings() {
        Loop loop({m_long});
        QVERIFY(loop.bar->OpenEntry(0));
        loop.bar->Execute(CCtrlBar::Command::Mute);
        QVERIFY(loop.bar->Muted() && loop.settings.Mute && loop.Engine().IsMuted());
        // Moving the volume releases the mute and is stored.
        loop.bar->Execute(CCtrlBar::Command::VolumeDown);
        QVERIFY(!loop.bar->Muted() && !loop.settings.Mute);
        QCOMPARE(loop.settings.Volume, 95);
        int volume = 0;
        loop.Engine().GetAttributes(nullptr, &volume, nullptr);
        QCOMPARE(volume, 95);
        loop.bar->SetVolume(100);
        loop.bar->Execute(CCtrlBar::Command::VolumeUp);
        QCOMPARE(loop.settings.Volume, 100);
    }

    void failedOpenStaysOnTheEntry() {
        Loop loop({Media("lesson.wav"), Media("text.mp3"), Media("lesson.ogg")});
        QStringList messages;
        SetMessageHandler([&](MessageKind, const QString& t) { messages << t; });
        QVERIFY(loop.bar->OpenEntry(0));
        loop.bar->Execute(CCtrlBar::Command::NextFile);
        QCOMPARE(loop.bar->PlaylistIndex(), 1);
        QVERIFY(!loop.Engine().HasChannel());
        QCOMPARE(messages.size(), 1);
        loop.bar->Execute(CCtrlBar::Command::NextFile);
        QCOMPARE(loop.bar->PlaylistIndex(), 2);
        QVERIFY(loop.Engine().IsPlaying());
        SetMessageHandler(nullptr);
    }

    void repeatPageStoresWhatItShows() {
        CAppSetting settings;
        settings.RepeatAmount = 2;
        settings.MoveStep = 75; // not one of the steps: shown as none and kept
        settings.PauseFinishIndex = 4;
        {
            CRepeatPage page(settings);
            QCOMPARE(page.Count()->currentText(), QString::fromUtf8("二次"));
            QCOMPARE(page.Step()->currentIndex(), -1);
            QCOMPARE(page.PauseLength()->currentText(), QString::fromUtf8("句子时长"));
            page.Count()->setCurrentIndex(3);
            page.PauseCheck()->setChecked(true);
            page.Store();
        }
        QCOMPARE(settings.RepeatAmount, 5);
        QCOMPARE(settings.MoveStep, 75);
        QVERIFY(settings.PauseFinish);
        CRepeatPage again(settings);
        QCOMPARE(again.Count()->currentText(), QString::fromUtf8("五次"));
    }

    void sentenceListSelectsAndSaves() {
        Loop loop({m_long});
        QVERIFY(loop.bar->OpenEntry(0));
        CSellistView& list = *loop.list;
        QVERIFY(!list.SelectSentence(0)); // empty
        QVERIFY(!list.CanNext() && !list.CanPrevious());
        loop.SetSentences(Three());
        QCOMPARE(list.RowCount(), 3);
        QVERIFY(list.SelectSentence(1));
        QCOMPARE(loop.bar->RegionStart(), 100.0);
        QCOMPARE(loop.bar->RegionEnd(), 250.0);
        QVERIFY(list.CanNext() && list.CanPrevious());
        QVERIFY(!list.SelectSentence(3));
        list.SetSelectedRow(1);
        list.MergeUp();
        QCOMPARE(list.GetSentences(), (SentenceArray{{0, 250}, {250, 400}}));
        list.SaveSentenceFile();
        QCOMPARE(ReadAll(CSellistView::SentenceFilePath()), QByteArray("0!250\r\n250!400\r\n"));
        list.ClearSentences();
        QVERIFY(list.LoadSentenceFile());
        QCOMPARE(list.GetSentences(), (SentenceArray{{0, 250}, {250, 400}}));
        // With subtitle lines loaded, merging is refused with a message.
        QStringList messages;
        SetMessageHandler([&](MessageKind, const QString& t) { messages << t; });
        CSellistView::Hooks hooks;
        hooks.lrcLoaded = [] { return true; };
        list.SetHooks(hooks);
        list.SetSelectedRow(1);
        list.MergeUp();
        QCOMPARE(messages, QStringList{QString::fromUtf8("已存在LRC文件，无法合并！")});
        QCOMPARE(list.Count(), 2);
        SetMessageHandler(nullptr);
    }

    // An edit made only through Modify is the learner's work: written into Temp and packed.
    void modifiedSentenceMarksTheWork() {
        Loop loop({m_long});
        QVERIFY(loop.bar->OpenEntry(0));
        loop.SetSentences(Three());
        SetUserDataModified(false);
        loop.list->ApplyModify(1, 120, 240);
        QVERIFY(UserDataModified());
        QCOMPARE(ReadAll(CSellistView::SentenceFilePath()),
                 QByteArray("0!120\r\n120!240\r\n240!400\r\n"));
        // A refused change is no change.
        SetUserDataModified(false);
        SetMessageHandler([](MessageKind, const QString&) {});
        loop.list->ApplyModify(1, 300, 200);
        SetMessageHandler(nullptr);
        QVERIFY(!UserDataModified());
    }
};

QTEST_MAIN(TestRepeat)
#include "tst_repeat.moc"
