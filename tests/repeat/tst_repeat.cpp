// Sentences, splitting, and the control bar and sentence list as views of the study loop
// on the null output.
#include "audio/AudioOutput.h"
#include "audio/MediaCore.h"
#include "common/AppSetting.h"
#include "common/StdioFileEx.h"
#include "common/Util.h"
#include "common/Wav.h"
#include "controls/TimeSlider.h"
#include "player/PlaybackController.h"
#include "player/PlaylistModel.h"
#include "player/SentenceModel.h"
#include "repeat/CtrlBar.h"
#include "repeat/ModifySelDlg.h"
#include "repeat/RepeatPage.h"
#include "repeat/SellistView.h"
#include "repeat/SentenceList.h"
#include "repeat/SplitOptionsPage.h"
#include "repeat/Splitter.h"
#include "support/Fixtures.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

using namespace kestrova;
using namespace kestrova::test;

namespace {
SentenceArray Three() {
    return {{0, 100}, {100, 250}, {250, 400}};
}

// A stereo 16-bit WAV made of (seconds, loud) pieces: loud pieces are a 0.5 full-scale square
// wave, quiet ones silence.
// Loud square-wave pieces and quiet ones, over noise of the given peak (0: digital silence).
void WritePieces(const QString& path, const std::vector<std::pair<double, bool>>& pieces,
                 int noisePeak = 0) {
    QByteArray data;
    std::uint32_t seed = 1;
    for (const auto& [seconds, loud] : pieces)
        for (int i = 0; i < int(seconds * 44100); ++i) {
            seed = seed * 1664525u + 1013904223u;
            const int noise = noisePeak ? int(seed >> 16) % (2 * noisePeak + 1) - noisePeak : 0;
            const qint16 v = qint16((loud ? ((i / 50) % 2 ? 11000 : -11000) : 0) + noise);
            for (int c = 0; c < 2; ++c)
                data.append(reinterpret_cast<const char*>(&v), 2);
        }
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(PcmWav(data, 44100, 2));
}

// The control bar and the sentence list over a controller on a null engine.
struct Loop {
    CAppSetting settings;
    QStringList paths;
    CPlaylistModel playlist;
    CSentenceModel sentences;
    std::unique_ptr<CPlaybackController> controller;
    std::unique_ptr<CCtrlBar> bar;
    std::unique_ptr<CSellistView> list;
    explicit Loop(const QStringList& files) : paths(files) {
        settings.RepeatAmount = 2;
        settings.MoveStep = 100;
        settings.Volume = 100;
        settings.UseSplit = false;
        controller = std::make_unique<CPlaybackController>(
            settings, std::make_unique<CMediaCore>(std::make_unique<CNullAudioOutput>()));
        controller->SetSentences(&sentences);
        controller->SetPlaylist(&playlist);
        playlist.SetPaths(files);
        bar = std::make_unique<CCtrlBar>(*controller);
        list = std::make_unique<CSellistView>(settings, sentences);
    }
    CMediaCore& Engine() { return controller->Engine(); }
    CTimeSlider* Slider() const { return bar->findChild<CTimeSlider*>("positionSlider"); }
    // A transport button, named after its command.
    QToolButton* Button(CommandId id) const {
        return bar->findChild<QToolButton*>(QString::fromLatin1(Command(id).name));
    }
    QTreeWidget* SentenceList() const { return list->findChild<QTreeWidget*>("sentenceList"); }
    // The time beside the slider, and what it should read for the slider's position.
    QString TimeLabel() const { return bar->findChild<QLabel*>("positionText")->text(); }
    QString SliderTime() {
        return TimeText(std::uint32_t(Slider()->value())) + " / " +
               TimeText(std::uint32_t(Engine().GetLength() / 10));
    }
    void Run(int ms) {
        for (int done = 0; done < ms; done += 100) {
            Engine().NullOutput()->Advance(std::min(100, ms - done));
            QCoreApplication::processEvents();
            controller->PositionTick();
        }
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
        QSpinBox* control = dialog.findChild<QSpinBox*>(startControl ? "startSpin" : "endSpin");
        for (int p : moves)
            control->setValue(p);
        QCOMPARE(dialog.NewStart(), start);
        QCOMPARE(dialog.NewEnd(), end);
        QCOMPARE(dialog.findChild<QLabel*>("startText")->text(), TimeText(start));
        QCOMPARE(dialog.findChild<QLabel*>("endText")->text(), TimeText(end));
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
        // The fixed default threshold and the one measured in the lesson agree here.
        for (bool automatic : {false, true}) {
            SplitParams params;
            params.automatic = automatic;
            const SplitResult r = SplitFile(Media("speech_gaps.wav"), params, 0, never);
            QCOMPARE(r.sentences.size(), size_t(3));
            for (int i = 0; i < 2; ++i) {
                const QList<QByteArray> span = lines[i].split(' ');
                const double boundary = r.sentences[size_t(i + 1)].start / 100.0;
                QVERIFY2(boundary > span[0].toDouble() && boundary < span[1].toDouble(),
                         qPrintable(QString::number(boundary)));
            }
        }
    }

    // Loud noise between the sentences (peak 0.06 of full scale, speech 0.34): the default
    // threshold hears no gap at all, the measured one finds both.
    void automaticThresholdSplitsNoisyLessons() {
        const QString path = m_dir.filePath("noisy.wav");
        WritePieces(path,
                    {{0.3, false},
                     {1.0, true},
                     {0.8, false},
                     {1.2, true},
                     {0.7, false},
                     {0.9, true},
                     {0.3, false}},
                    1966);
        const std::atomic<bool> never{false};
        QCOMPARE(SplitFile(path, SplitParams{}, 0, never).sentences.size(), size_t(1));
        SplitParams params;
        params.automatic = true;
        const SplitResult r = SplitFile(path, params, 0, never);
        QVERIFY2(r.noise > 1966 && r.noise < 11000, qPrintable(QString::number(r.noise)));
        QCOMPARE(r.sentences.size(), size_t(3));
        QVERIFY(r.sentences[1].start >= 130 && r.sentences[1].start <= 210);
        QVERIFY(r.sentences[2].start >= 330 && r.sentences[2].start <= 400);
        // Digital silence between the sentences: a fiftieth of the speech is quiet enough.
        QCOMPARE(AutomaticNoise(std::vector<int>(10, 0)), 0);
        QCOMPARE(AutomaticNoise({0, 0, 0, 10000, 10000, 10000, 10000, 10000, 10000, 10000}), 200);
        QCOMPARE(AutomaticNoise({}), SplitParams{}.noise);
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

    // A slider click beyond the region's end (repeat not cancelled by it) leaves playback in
    // the region: the press goes back to the end, and the release there does not seek.
    void sliderBeyondTheRegionKeepsTheRegion() {
        Loop loop({m_long});
        QVERIFY(loop.controller->OpenEntry(0));
        loop.settings.CancelRepeat = false;
        loop.controller->SetRegion(100, 150);
        loop.Run(200);
        QCOMPARE(loop.Slider()->SelectionStart(), 100);
        QCOMPARE(loop.Slider()->SelectionEnd(), 150);
        Q_EMIT loop.Slider()->sliderMoved(1300);
        Q_EMIT loop.Slider()->sliderReleased();
        QCOMPARE(loop.Slider()->value(), 150);
        for (int i = 0; i < 8; ++i) {
            loop.Run(100);
            QVERIFY2(loop.Engine().GetPosition() <= 1500,
                     qPrintable(QString::number(loop.Engine().GetPosition())));
        }
        loop.controller->Execute(CommandId::ClearRegion);
        QVERIFY(!loop.Slider()->HasSelection());
    }

    void timeLabelShowsTheSliderPosition() {
        Loop loop({m_long});
        CPlaybackController& c = *loop.controller;
        QVERIFY(c.OpenEntry(0));
        loop.settings.PauseFinish = true;
        loop.settings.PauseFinishIndex = int(PauseChoice::ThreeSeconds);
        loop.Run(700);
        QCOMPARE(loop.Slider()->value(), 70);
        QCOMPARE(loop.TimeLabel(), loop.SliderTime());
        // In the pause after a pass the slider is back at the region's start, and so is the
        // time.
        c.SetRegion(100, 150);
        loop.Run(600);
        QVERIFY(c.Pausing());
        QCOMPARE(loop.Slider()->value(), 100);
        QCOMPARE(loop.TimeLabel(), loop.SliderTime());
        c.Execute(CommandId::Stop);
        QCOMPARE(loop.Slider()->value(), 0);
        QCOMPARE(loop.TimeLabel(), loop.SliderTime());
        // Pause shows where playback stopped, not the last tick before it.
        c.Execute(CommandId::Play);
        loop.Run(300);
        loop.Engine().NullOutput()->Advance(50);
        c.Execute(CommandId::Pause);
        QCOMPARE(loop.Slider()->value(), 35);
        QCOMPARE(loop.TimeLabel(), loop.SliderTime());
        QVERIFY(loop.Button(CommandId::Pause)->isDown());
        QVERIFY(!loop.Button(CommandId::Play)->isDown());
        c.Execute(CommandId::Stop);
        // The end of the file rewinds both.
        loop.settings.Order = int(PlayOrder::PlayOnce);
        c.Execute(CommandId::Play);
        Q_EMIT loop.Slider()->sliderMoved(1950);
        QCOMPARE(loop.TimeLabel(), loop.SliderTime());
        loop.Run(600);
        QCoreApplication::processEvents();
        QVERIFY(loop.Engine().IsStopped());
        QCOMPARE(loop.Slider()->value(), 0);
        QCOMPARE(loop.TimeLabel(), loop.SliderTime());
    }

    // The bar's buttons run their commands and show the controller's states; the volume
    // slider and the mute button follow it both ways.
    void barFollowsTheController() {
        Loop loop({m_long});
        CPlaybackController& c = *loop.controller;
        QToolButton* autoRepeat = loop.Button(CommandId::AutoRepeat);
        QVERIFY(!autoRepeat->isEnabled());
        QVERIFY(c.OpenEntry(0));
        loop.sentences.SetSentences({{100, 150}, {150, 200}});
        QVERIFY(autoRepeat->isEnabled());
        autoRepeat->click();
        QVERIFY(c.AutoRepeatOn() && autoRepeat->isChecked());
        QCOMPARE(loop.sentences.Current(), 0);
        c.Execute(CommandId::AutoRepeat);
        QVERIFY(!autoRepeat->isChecked());
        QVERIFY(!loop.Button(CommandId::PrevFile)->isEnabled());
        auto* volume = loop.bar->findChild<QSlider*>("volumeSlider");
        auto* mute = loop.bar->findChild<QToolButton*>("muteButton");
        mute->click();
        QVERIFY(c.Muted());
        volume->setValue(40);
        QCOMPARE(c.Volume(), 40);
        QVERIFY(!c.Muted() && !mute->isChecked());
        c.Execute(CommandId::VolumeUp);
        QCOMPARE(volume->value(), 45);
    }

    // The sentence list shows the model: rows, the current sentence in bold, a double-click
    // choosing a sentence (refused while the model is locked), merges from the context menu's
    // row going to the model.
    void sentenceListFollowsTheModel() {
        Loop loop({m_long});
        QVERIFY(loop.controller->OpenEntry(0));
        CSellistView& view = *loop.list;
        QTreeWidget* tree = loop.SentenceList();
        loop.sentences.SetSentences({{0, 100}, {100, 250}, {250, 400}});
        QCOMPARE(tree->topLevelItemCount(), 3);
        QCOMPARE(tree->topLevelItem(1)->text(1), TimeText(250));
        QTreeWidgetItem* row = tree->topLevelItem(2);
        Q_EMIT tree->itemDoubleClicked(row, 0);
        QCOMPARE(loop.sentences.Current(), 2);
        QVERIFY(row->font(0).bold());
        QCOMPARE(view.SelectedRow(), 2);
        loop.sentences.SetLocked(true);
        Q_EMIT tree->itemDoubleClicked(tree->topLevelItem(0), 0);
        QCOMPARE(loop.sentences.Current(), 2);
        loop.sentences.SetLocked(false);
        view.SetSelectedRow(1);
        view.MergeUp();
        QCOMPARE(tree->topLevelItemCount(), 2);
        QCOMPARE(tree->topLevelItem(0)->text(1), TimeText(250));
        loop.sentences.MoveBoundary(1, 300);
        QCOMPARE(tree->topLevelItem(1)->text(0), TimeText(300));
    }

    // Split schemes: the built-in values, saved schemes (a saved "默认方案" wins), a moved
    // slider makes the scheme the learner's own, delete removes every scheme of a name, the
    // numbers are checked, and the file and the settings are written only by the store.
    void splitSchemes() {
        const QString file = splitschemes::FilePath();
        QFile::remove(file);
        QVERIFY(splitschemes::Save(file, {{"quiet", 300, 40}, {"默认方案", 500, 30}}));
        QCOMPARE(ReadFileBytes(file), QByteArray("quiet 300 40\r\n") +
                                          QString::fromUtf8("默认方案 500 30\r\n").toLocal8Bit());
        QVERIFY(WriteFileBytes(file, "quiet 300 40\r\nshort\r\nbig 70000 5 extra\r\n"));
        QCOMPARE(splitschemes::Load(file),
                 (SplitItems{{"quiet", 300, 40}, {"short", 0, 0}, {"big", 70000 % 65536, 5}}));
        QVERIFY(splitschemes::Save(file, {{"quiet", 300, 40}, {"quiet", 310, 41}}));

        CAppSetting settings;
        settings.DisableStoreOnExit();
        settings.SplitScheme = 1; // the default scheme, whatever the numbers say
        settings.BackgroundNoise = 5;
        settings.SentenceDist = 6;
        settings.AudioLength = 200;
        CSplitOptionsPage page(settings);
        auto* list = page.findChild<QComboBox*>("schemeList");
        auto* noise = page.findChild<QSlider*>("noiseSlider");
        auto* gap = page.findChild<QSlider*>("gapSlider");
        auto* noiseText = page.findChild<QLineEdit*>("noiseText");
        QCOMPARE(list->count(), 6); // three built in, two saved, the automatic one last
        QCOMPARE(list->itemText(5), QString::fromUtf8("自动"));
        QCOMPARE(noise->value(), 980);
        QCOMPARE(gap->value(), 28);
        list->setCurrentIndex(2);
        Q_EMIT list->activated(2);
        QCOMPARE(noise->value(), 0);
        list->setCurrentIndex(3);
        Q_EMIT list->activated(3);
        QCOMPARE(noise->value(), 310); // the last scheme of that name
        noise->setValue(700);
        QCOMPARE(list->currentIndex(), 0);
        QCOMPARE(noiseText->text(), QString("700"));
        page.SetNameAsker([] { return QStringLiteral("mine"); });
        page.SaveAs();
        QCOMPARE(list->currentText(), QString("mine"));
        QCOMPARE(list->currentIndex(), 5); // before the automatic scheme, still last
        QCOMPARE(list->itemText(6), QString::fromUtf8("自动"));
        list->setCurrentIndex(3);
        page.Delete();
        QCOMPARE(list->count(), 5); // both "quiet" went
        QCOMPARE(list->currentIndex(), 1);
        QCOMPARE(noise->value(), 980);
        for (int builtIn : {1, 4}) {
            list->setCurrentIndex(builtIn);
            page.Delete(); // a built-in entry stays, the automatic one too
            QCOMPARE(list->count(), 5);
        }
        list->setCurrentIndex(1);
        // Out of range: refused with the message, nothing stored.
        ScopedMessages messages;
        noiseText->setText("2001");
        QVERIFY(!page.Validate());
        QCOMPARE(messages.texts, QStringList{"Enter an integer between 0 and 2000."});
        QCOMPARE(splitschemes::Load(file).size(), std::size_t(2)); // not written yet
        noiseText->setText("1500");
        QVERIFY(page.Validate());
        page.Store();
        QCOMPARE(settings.BackgroundNoise, 1500);
        QCOMPARE(settings.SentenceDist, 28);
        QCOMPARE(settings.SplitScheme, 1);
        QVERIFY(!settings.AutoNoise);
        QCOMPARE(splitschemes::Load(file), (SplitItems{{"mine", 700, 41}}));
        // The automatic scheme: no threshold to set, and chosen again when the page opens
        // whatever was saved since.
        list->setCurrentIndex(4);
        Q_EMIT list->activated(4);
        QVERIFY(!noise->isEnabled() && !noiseText->isEnabled());
        page.Store();
        QVERIFY(settings.AutoNoise);
        QVERIFY(splitschemes::Save(file, {{"a", 1, 2}, {"b", 3, 4}}));
        CSplitOptionsPage again(settings);
        auto* againList = again.findChild<QComboBox*>("schemeList");
        QCOMPARE(againList->currentText(), QString::fromUtf8("自动"));
        QCOMPARE(againList->currentIndex(), 5);
    }

    void repeatPageStoresWhatItShows() {
        CAppSetting settings;
        settings.RepeatAmount = 2;
        settings.MoveStep = 75; // not one of the steps: shown as none and kept
        settings.PauseFinishIndex = 4;
        {
            CRepeatPage page(settings);
            auto* count = page.findChild<QComboBox*>("countList");
            QCOMPARE(count->currentText(), QString::fromUtf8("二次"));
            QCOMPARE(page.findChild<QComboBox*>("stepList")->currentIndex(), -1);
            QCOMPARE(page.findChild<QComboBox*>("pauseLength")->currentText(),
                     QString::fromUtf8("句子时长"));
            count->setCurrentIndex(3);
            page.findChild<QCheckBox*>("pauseCheck")->setChecked(true);
            page.Store();
        }
        QCOMPARE(settings.RepeatAmount, 5);
        QCOMPARE(settings.MoveStep, 75);
        QVERIFY(settings.PauseFinish);
        CRepeatPage again(settings);
        QCOMPARE(again.findChild<QComboBox*>("countList")->currentText(),
                 QString::fromUtf8("五次"));
    }
};

QTEST_MAIN(TestRepeat)
#include "tst_repeat.moc"
