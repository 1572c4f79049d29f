// The study loop without a window: the playback controller over a null engine with the
// sentence and playlist models beside it, followed through its signals; the models' rules.
#include "audio/AudioOutput.h"
#include "audio/MediaCore.h"
#include "common/AppSetting.h"
#include "common/Util.h"
#include "dictation/DictationSession.h"
#include "player/AlarmClock.h"
#include "player/EffectsController.h"
#include "player/PlaybackController.h"
#include "player/PlaylistModel.h"
#include "player/RecordController.h"
#include "player/SentenceModel.h"
#include "player/Shortcuts.h"
#include "player/StudySession.h"
#include "player/WaveformModel.h"
#include "subtitle/SubtitleModel.h"
#include "support/Fixtures.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace kestrova;
using namespace kestrova::test;
using C = CommandId;

namespace {
SentenceArray Three() {
    return {{0, 100}, {100, 250}, {250, 400}};
}

// A store that says whether the open file's work is safe.
struct FakeStore : IEntryStore {
    bool safe = true;
    int saves = 0;
    QStringList loaded;
    bool SaveBeforeLeaving() override {
        ++saves;
        return safe;
    }
    QString LoadEntry(const QString& entry) override {
        loaded << entry;
        return QString();
    }
    void EntryReleased() override {}
};

// A controller over a null engine, with the models beside it.
struct Loop {
    CAppSetting settings;
    CPlaylistModel playlist;
    CSentenceModel sentences;
    FakeStore store;
    std::unique_ptr<CPlaybackController> c;
    explicit Loop(const QStringList& files) {
        settings.RepeatAmount = 2;
        settings.MoveStep = 100;
        settings.Volume = 100;
        settings.UseSplit = false;
        c = std::make_unique<CPlaybackController>(
            settings, std::make_unique<CMediaCore>(std::make_unique<CNullAudioOutput>()));
        c->SetSentences(&sentences);
        c->SetPlaylist(&playlist);
        c->SetEntryStore(&store);
        playlist.SetPaths(files);
    }
    CMediaCore& Engine() { return c->Engine(); }
    void Run(int ms) {
        for (int done = 0; done < ms; done += 100) {
            Engine().NullOutput()->Advance(std::min(100, ms - done));
            QCoreApplication::processEvents();
            c->PositionTick();
        }
    }
};

// The last value a spy saw in argument `arg`.
template <typename T> T Last(const QSignalSpy& spy, int arg = 0) {
    return spy.isEmpty() ? T() : spy.last().at(arg).value<T>();
}
} // namespace

class TestPlayer : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_long; // 20 s, sample i holds i % 32000
    std::unique_ptr<ScopedEnv> m_home;

private Q_SLOTS:
    void initTestCase() {
        m_home = std::make_unique<ScopedEnv>("KESTROVA_HOME", m_dir.path().toUtf8());
        m_long = m_dir.filePath("numbered20.wav");
        WriteNumberedWav(m_long, 44100 * 20);
    }
    void cleanupTestCase() { m_home.reset(); }

    void regionCommands() {
        Loop loop({m_long});
        CPlaybackController& c = *loop.c;
        QVERIFY(c.OpenEntry(0));
        QSignalSpy regions(&c, &CPlaybackController::regionChanged);
        QSignalSpy positions(&c, &CPlaybackController::positionChanged);
        c.SetRegion(1000, 1500);
        QCOMPARE(Last<Region>(regions), (Region{1000, 1500, true}));
        QCOMPARE(loop.Engine().GetPosition(), 10000);
        // A chosen region counts as set for the one-key command: its next press clears it.
        c.Execute(C::OneKey);
        QVERIFY(!Last<Region>(regions).set);
        c.SetRegion(1000, 1500);
        QCOMPARE(loop.Engine().GetPosition(), 10000);
        // Back and Forward never leave the region.
        loop.Engine().SetPosition(12500);
        c.Execute(C::Back);
        QCOMPARE(loop.Engine().GetPosition(), 10500);
        loop.Engine().SetPosition(11500);
        c.Execute(C::Back);
        QCOMPARE(loop.Engine().GetPosition(), 11500);
        loop.Engine().SetPosition(13500);
        c.Execute(C::Forward);
        QCOMPARE(loop.Engine().GetPosition(), 13500);
        // A seek past the end shows the end without seeking; with CancelRepeat it clears.
        c.SeekTo(1800);
        QCOMPARE(Last<int>(positions), 1500);
        QCOMPARE(loop.Engine().GetPosition(), 13500);
        loop.settings.CancelRepeat = true;
        c.SeekTo(1800);
        QVERIFY(!Last<Region>(regions).set);
        QCOMPARE(loop.Engine().GetPosition(), 18000);
        // Set end jumps back to the start point; set start does not move playback.
        loop.Engine().SetPosition(2000);
        c.Execute(C::SetStart);
        QCOMPARE(Last<Region>(regions).start, 200);
        QCOMPARE(loop.Engine().GetPosition(), 2000);
        loop.Engine().SetPosition(5000);
        c.Execute(C::SetEnd);
        QCOMPARE(Last<Region>(regions).end, 500);
        QCOMPARE(loop.Engine().GetPosition(), 2000);
        // Move start left by the step, not below 0; then the command is off, and says so.
        QSignalSpy enabled(&c, &CPlaybackController::commandEnabledChanged);
        c.SetRegion(50, 500);
        c.Execute(C::MoveStartLeft);
        QCOMPARE(Last<Region>(regions).start, 0);
        QVERIFY(!c.IsEnabled(C::MoveStartLeft));
        QVERIFY(std::any_of(enabled.begin(), enabled.end(), [](const QList<QVariant>& args) {
            return args[0].value<CommandId>() == C::MoveStartLeft && !args[1].toBool();
        }));
        // Stop clears the region and rewinds.
        c.Execute(C::Stop);
        QVERIFY(!Last<Region>(regions).set);
        QCOMPARE(Last<int>(positions), 0);
    }

    // The one-key command: start, end (playback goes back to the start), clear, and start
    // again.
    void oneKeySteps() {
        Loop loop({m_long});
        CPlaybackController& c = *loop.c;
        QVERIFY(c.OpenEntry(0));
        QSignalSpy regions(&c, &CPlaybackController::regionChanged);
        loop.Run(300);
        c.Execute(C::OneKey);
        QVERIFY(Last<Region>(regions).set);
        QCOMPARE(Last<Region>(regions).start, 30);
        loop.Run(500);
        c.Execute(C::OneKey); // the start was set: this press sets the end
        QCOMPARE(Last<Region>(regions), (Region{30, 80, true}));
        QCOMPARE(loop.Engine().GetPosition(), 300);
        c.Execute(C::OneKey); // the region was set: this press clears it
        QVERIFY(!Last<Region>(regions).set);
        c.Execute(C::OneKey); // nothing set: this press sets the start
        QVERIFY(Last<Region>(regions).set);
        QCOMPARE(Last<Region>(regions).start, 30);
    }

    void passEndsExactlyAtTheRegion() {
        Loop loop({m_long});
        QVERIFY(loop.c->OpenEntry(0));
        loop.settings.RepeatAmount = 3;
        std::vector<float> heard;
        loop.Engine().NullOutput()->capture = &heard;
        QSignalSpy passEnds(loop.c.get(), &CPlaybackController::passEnded);
        loop.c->SetRegion(100, 150); // 1.00 s .. 1.50 s
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
        QCOMPARE(passEnds.size(), 1); // one pass counted, once
    }

    // Every listener hears each pass end; one of them may keep playback at the region's
    // start (the recorder taking over).
    void passEndsReachEveryListener() {
        Loop loop({m_long});
        CPlaybackController& c = *loop.c;
        QVERIFY(c.OpenEntry(0));
        QSignalSpy first(&c, &CPlaybackController::passEnded);
        QSignalSpy second(&c, &CPlaybackController::passEnded);
        bool hold = false;
        connect(&c, &CPlaybackController::passEnded, &c, [&] {
            if (hold) c.HoldAfterPass();
        });
        c.SetRegion(100, 150);
        loop.Run(520);
        QCOMPARE(first.size(), 1);
        QCOMPARE(second.size(), 1);
        QVERIFY(loop.Engine().IsPlaying()); // the next pass goes on
        hold = true;
        loop.Run(520);
        QCOMPARE(first.size(), 2);
        QVERIFY(!loop.Engine().IsPlaying());
        QCOMPARE(loop.Engine().GetPosition(), 1000);
        loop.Run(300);
        QCOMPARE(loop.Engine().GetPosition(), 1000); // held, not in a pause that ends
    }

    // A lost sound device pauses the loop and says so; Play, once the device opens, goes on.
    void lostDeviceIsToldAndPlayGoesOn() {
        Loop loop({m_long});
        CPlaybackController& c = *loop.c;
        QVERIFY(c.OpenEntry(0));
        c.Execute(C::Play);
        loop.Run(300);
        QSignalSpy messages(&c, &CPlaybackController::message);
        QSignalSpy states(&c, &CPlaybackController::stateChanged);
        loop.Engine().NullOutput()->lost = true;
        loop.Engine().NullOutput()->refuseOpen = true;
        loop.Engine().NullOutput()->Advance(50);
        QTRY_VERIFY(loop.Engine().IsPaused());
        QCOMPARE(Last<QString>(messages), CPlaybackController::DeviceLostText());
        QCOMPARE(Last<CPlaybackController::State>(states), CPlaybackController::State::Paused);
        c.Execute(C::Play);
        QVERIFY(loop.Engine().IsPaused());
        loop.Engine().NullOutput()->refuseOpen = false;
        c.Execute(C::Play);
        QVERIFY(loop.Engine().IsPlaying());
        loop.Run(200);
        QCOMPARE(loop.Engine().GetPosition(), 500);
        QVERIFY(Last<QString>(messages).isEmpty()); // the note goes once the sound is back
    }

    void automaticRepeatHearsEachSentenceTwice() {
        Loop loop({m_long});
        CPlaybackController& c = *loop.c;
        QVERIFY(c.OpenEntry(0));
        QVERIFY(!c.IsEnabled(C::AutoRepeat)); // no sentences yet
        QSignalSpy enabled(&c, &CPlaybackController::commandEnabledChanged);
        loop.sentences.SetSentences({{100, 150}, {150, 200}, {200, 250}});
        QVERIFY(c.IsEnabled(C::AutoRepeat));
        // Pushed to the menus and buttons.
        QVERIFY(enabled.contains(QList<QVariant>{QVariant::fromValue(C::AutoRepeat), true}));
        QSignalSpy passes(&c, &CPlaybackController::passChanged);
        QSignalSpy messages(&c, &CPlaybackController::message);
        c.Execute(C::AutoRepeat);
        QVERIFY(c.AutoRepeatOn());
        QCOMPARE(loop.sentences.Current(), 0);
        loop.Run(600); // two passes of 0.5 s
        QCOMPARE(loop.sentences.Current(), 0);
        loop.Run(500);
        QCOMPARE(loop.sentences.Current(), 1);
        QVERIFY(passes.contains(QList<QVariant>{2, 2}));
        QVERIFY(messages.contains(QList<QVariant>{QString::fromUtf8("第 2/2 遍")}));
        // Clearing the region ends automatic repeat.
        c.Execute(C::ClearRegion);
        QVERIFY(!c.AutoRepeatOn());
        QCOMPARE(loop.sentences.Current(), -1);
    }

    // Another player taking the sound: playing pauses where it is; while the pause between
    // passes counts, the loop stops, so that no next pass sounds over it.
    void giveWayToAnotherPlayer() {
        Loop loop({m_long});
        CPlaybackController& c = *loop.c;
        QVERIFY(c.OpenEntry(0));
        loop.settings.PauseFinish = true;
        loop.settings.PauseFinishIndex = int(PauseChoice::OneSecond);
        c.SetRegion(100, 150);
        loop.Run(200);
        QVERIFY(loop.Engine().IsPlaying());
        c.GiveWay();
        QVERIFY(loop.Engine().IsPaused());
        c.Execute(C::Play);
        loop.Run(400);
        QVERIFY(c.Pausing());
        c.GiveWay();
        QVERIFY(!c.Pausing() && loop.Engine().IsStopped());
    }

    void pauseAfterEachPass() {
        Loop loop({m_long});
        CPlaybackController& c = *loop.c;
        QVERIFY(c.OpenEntry(0));
        loop.settings.PauseFinish = true;
        loop.settings.PauseFinishIndex = int(PauseChoice::OneSecond);
        QSignalSpy pauses(&c, &CPlaybackController::pauseCounted);
        c.SetRegion(100, 150);
        loop.Run(520);
        QVERIFY(c.Pausing());
        QVERIFY(loop.Engine().IsPaused());
        QCOMPARE(loop.Engine().GetPosition(), 1000);
        QCOMPARE(pauses.last(), (QList<QVariant>{1, 1}));
        QCOMPARE(CPlaybackController::PauseText(1, 1), QString::fromUtf8("句间暂停:1/1"));
        c.PauseTick(); // the second tick ends a one-second pause
        QVERIFY(!c.Pausing());
        QCOMPARE(pauses.last(), (QList<QVariant>{0, 0}));
        QVERIFY(loop.Engine().IsPlaying());
        // Length choices follow the region: 3.45 s gives 3 and twice that 6.
        loop.settings.PauseFinishIndex = int(PauseChoice::RegionLength);
        c.SetRegion(100, 445);
        loop.Run(3500);
        QCOMPARE(pauses.last(), (QList<QVariant>{1, 3}));
        c.Execute(C::Play); // Play ends a pause at once
        QVERIFY(!c.Pausing());
        QCOMPARE(pauses.last(), (QList<QVariant>{0, 0}));
        // "暂停" holds until Play.
        loop.settings.PauseFinishIndex = int(PauseChoice::Hold);
        loop.Run(3500);
        for (int i = 0; i < 20; ++i)
            c.PauseTick();
        QVERIFY(c.Pausing());
        QCOMPARE(pauses.last(), (QList<QVariant>{21, -1}));
        QCOMPARE(CPlaybackController::PauseText(21, -1), QString::fromUtf8("句间暂停:21"));
    }

    // A speed for each pass of automatic repeat (the shadowing ladder): each pass is heard at
    // its tempo and says it; automatic repeat off, the tempo slider's value again.
    void passTemposStepTheSpeed() {
        Loop loop({m_long});
        CPlaybackController& c = *loop.c;
        loop.settings.RepeatAmount = 3;
        loop.settings.Tempo = 10;
        QCOMPARE(ParsePassTempos(QString::fromUtf8("−30, -15 0")), (std::vector<int>{-30, -15, 0}));
        QVERIFY(!ParsePassTempos("-30, slow"));
        QCOMPARE(ParsePassTempos("-99"), (std::vector<int>{-60}));
        loop.settings.PassTempos = "-30,-15";
        QVERIFY(c.OpenEntry(0));
        loop.sentences.SetSentences({{100, 150}, {150, 200}});
        QSignalSpy messages(&c, &CPlaybackController::message);
        c.Execute(C::AutoRepeat);
        QCOMPARE(loop.Engine().Tempo(), -30.0f);
        QCOMPARE(Last<QString>(messages), QString::fromUtf8("第 1/3 遍 −30%"));
        loop.Run(800); // half a second of the source at 70 % takes 714 ms
        QCOMPARE(loop.Engine().Tempo(), -15.0f);
        QCOMPARE(Last<QString>(messages), QString::fromUtf8("第 2/3 遍 −15%"));
        loop.Run(600);
        QCOMPARE(loop.Engine().Tempo(), -15.0f); // the last step holds for the passes beyond
        QCOMPARE(Last<QString>(messages), QString::fromUtf8("第 3/3 遍 −15%"));
        c.Execute(C::AutoRepeat);
        QCOMPARE(loop.Engine().Tempo(), 10.0f);
        // Without steps a pass says nothing of its speed.
        loop.settings.PassTempos.clear();
        c.Execute(C::AutoRepeat);
        QCOMPARE(Last<QString>(messages), CPlaybackController::PassText(1, 3));
        QCOMPARE(loop.Engine().Tempo(), 10.0f);
    }

    // Play pressed in the pause between passes starts the next pass, and the count says so.
    void playInThePauseCountsThePass() {
        Loop loop({m_long});
        CPlaybackController& c = *loop.c;
        QVERIFY(c.OpenEntry(0));
        loop.settings.PauseFinish = true;
        loop.settings.PauseFinishIndex = int(PauseChoice::TenSeconds);
        loop.sentences.SetSentences({{100, 150}, {150, 200}});
        QSignalSpy messages(&c, &CPlaybackController::message);
        c.Execute(C::AutoRepeat);
        QCOMPARE(Last<QString>(messages), CPlaybackController::PassText(1, 2));
        loop.Run(520);
        QVERIFY(c.Pausing());
        c.Execute(C::Play);
        QCOMPARE(Last<QString>(messages), CPlaybackController::PassText(2, 2));
    }

    // The device lost in the pause between passes: the next pass does not start silently over
    // the note, the pause stops, and Play brings the sound and the pass count back.
    void lostDeviceInAPauseBetweenPasses() {
        Loop loop({m_long});
        CPlaybackController& c = *loop.c;
        QVERIFY(c.OpenEntry(0));
        loop.settings.PauseFinish = true;
        loop.settings.PauseFinishIndex = int(PauseChoice::OneSecond);
        loop.sentences.SetSentences({{100, 150}, {150, 200}});
        c.Execute(C::AutoRepeat);
        loop.Run(520);
        QVERIFY(c.Pausing());
        QSignalSpy messages(&c, &CPlaybackController::message);
        loop.Engine().NullOutput()->lost = true;
        loop.Engine().NullOutput()->refuseOpen = true;
        c.PauseTick();
        c.PauseTick(); // the pause ends: the next pass cannot start
        QCoreApplication::processEvents();
        QVERIFY(!loop.Engine().IsPlaying());
        QVERIFY(!c.Pausing());
        QCOMPARE(Last<QString>(messages), CPlaybackController::DeviceLostText());
        loop.Engine().NullOutput()->refuseOpen = false;
        c.Execute(C::Play);
        QVERIFY(loop.Engine().IsPlaying());
        QVERIFY(Last<QString>(messages).startsWith(QString::fromUtf8("第 ")));
    }

    void playOrderAtTheEndOfAFile_data() {
        QTest::addColumn<int>("order");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("playing");
        QTest::newRow("default, first file: the next plays")
            << int(PlayOrder::Default) << 0 << 1 << true;
        QTest::newRow("default, last file: stops") << int(PlayOrder::Default) << 1 << 1 << false;
        QTest::newRow("repeat one: the same again") << int(PlayOrder::RepeatOne) << 0 << 0 << true;
        QTest::newRow("repeat list, last file: the first")
            << int(PlayOrder::RepeatList) << 1 << 0 << true;
        QTest::newRow("play one: stops") << int(PlayOrder::PlayOnce) << 0 << 0 << false;
    }
    void playOrderAtTheEndOfAFile() {
        QFETCH(int, order);
        QFETCH(int, from);
        QFETCH(int, index);
        QFETCH(bool, playing);
        Loop loop({Media("lesson.wav"), Media("lesson.flac")});
        loop.settings.Order = order;
        QSignalSpy positions(loop.c.get(), &CPlaybackController::positionChanged);
        QVERIFY(loop.c->OpenEntry(from));
        loop.Run(3200);
        QCoreApplication::processEvents();
        QCOMPARE(loop.c->PlaylistIndex(), index);
        QCOMPARE(loop.Engine().IsPlaying(), playing);
        QVERIFY(loop.Engine().GetPosition() < 500); // from the file's start, or rewound
        if (!playing) QCOMPARE(Last<int>(positions), 0);
    }

    // Every file opened plays at the learner's tempo and pitch, volume and mute.
    void openedFileTakesTheLearnersSettings() {
        Loop loop({m_long, m_long});
        loop.settings.Tempo = 20;
        loop.settings.Pitch = -3;
        QVERIFY(loop.c->OpenEntry(0));
        QCOMPARE(loop.Engine().Tempo(), 20.0f);
        QCOMPARE(loop.Engine().Pitch(), -3.0f);
        loop.Engine().SetTempoAndPitch(0, 0);
        loop.c->Execute(C::Mute);
        QVERIFY(loop.c->OpenEntry(1));
        QCOMPARE(loop.Engine().Tempo(), 20.0f);
        QCOMPARE(loop.Engine().Pitch(), -3.0f);
        QVERIFY(loop.Engine().IsMuted());
    }

    // While the open file's work is not safe, no other file opens and its entry stays.
    void fileWithWorkAtRiskStaysOpen() {
        Loop loop({m_long, m_long, m_long});
        QVERIFY(loop.c->OpenEntry(0));
        loop.store.safe = false;
        QVERIFY(!loop.c->OpenEntry(1));
        QCOMPARE(loop.c->PlaylistIndex(), 0);
        QVERIFY(loop.Engine().HasChannel());
        loop.c->RemoveEntry(0);
        loop.c->RemoveAllEntries();
        QCOMPARE(loop.playlist.Count(), 3);
        QCOMPARE(loop.c->CurrentEntry(), m_long);
        loop.c->PlayNewList({Media("lesson.wav")});
        QCOMPARE(loop.playlist.Count(), 3);
        loop.store.safe = true;
        QVERIFY(loop.c->OpenEntry(1));
        QCOMPARE(loop.c->PlaylistIndex(), 1);
    }

    // Removing entries: the cursor follows its file; removing the playing one opens the
    // first; the last one gone releases the list.
    void removingEntries() {
        Loop loop({Media("lesson.wav"), Media("lesson.flac"), Media("lesson.ogg")});
        CPlaybackController& c = *loop.c;
        QSignalSpy released(&c, &CPlaybackController::playlistReleased);
        QVERIFY(c.OpenEntry(2));
        c.RemoveEntry(0);
        QCOMPARE(c.PlaylistIndex(), 1);
        QCOMPARE(c.CurrentEntry(), Media("lesson.ogg"));
        c.RemoveEntry(1);
        QCOMPARE(c.PlaylistIndex(), 0);
        QCOMPARE(c.CurrentEntry(), Media("lesson.flac"));
        c.RemoveEntry(0);
        QCOMPARE(released.size(), 1);
        QVERIFY(!loop.Engine().HasChannel());
        QVERIFY(c.CurrentEntry().isEmpty());
        QVERIFY(!c.IsEnabled(C::Play));
    }

    // A sort marks the playing file at its new row; previous and next still count from the
    // cursor, and the entry whose work is open stays the playing file.
    void sortKeepsTheOpenEntry() {
        const QString a = m_dir.filePath("a.wav"), b = m_dir.filePath("b.wav");
        QVERIFY(QFile::copy(Media("lesson.wav"), a) && QFile::copy(Media("lesson.wav"), b));
        Loop loop({b, a});
        QVERIFY(loop.c->OpenEntry(0));
        loop.playlist.Mark(0);
        loop.playlist.Sort(true);
        QCOMPARE(loop.playlist.Paths(), (QStringList{a, b}));
        QCOMPARE(loop.playlist.Marked(), 1);
        QCOMPARE(loop.c->PlaylistIndex(), 0);
        QCOMPARE(loop.c->CurrentEntry(), b);
    }

    void volumeAndMuteFollowTheSettings() {
        Loop loop({m_long});
        CPlaybackController& c = *loop.c;
        QVERIFY(c.OpenEntry(0));
        QSignalSpy mutes(&c, &CPlaybackController::muteChanged);
        QSignalSpy volumes(&c, &CPlaybackController::volumeChanged);
        c.Execute(C::Mute);
        QVERIFY(c.Muted() && loop.settings.Mute && loop.Engine().IsMuted());
        // Moving the volume releases the mute and is stored.
        c.Execute(C::VolumeDown);
        QVERIFY(!c.Muted() && !loop.settings.Mute);
        QCOMPARE(mutes.size(), 2);
        QCOMPARE(loop.settings.Volume, 95);
        QCOMPARE(Last<int>(volumes), 95);
        int volume = 0;
        loop.Engine().GetAttributes(nullptr, &volume, nullptr);
        QCOMPARE(volume, 95);
        c.SetVolume(100);
        c.Execute(C::VolumeUp);
        QCOMPARE(loop.settings.Volume, 100);
    }

    void failedOpenStaysOnTheEntry() {
        Loop loop({Media("lesson.wav"), Media("text.mp3"), Media("lesson.ogg")});
        ScopedMessages messages;
        QVERIFY(loop.c->OpenEntry(0));
        loop.c->Execute(C::NextFile);
        QCOMPARE(loop.c->PlaylistIndex(), 1);
        QVERIFY(!loop.Engine().HasChannel());
        QCOMPARE(messages.texts.size(), 1);
        loop.c->Execute(C::NextFile);
        QCOMPARE(loop.c->PlaylistIndex(), 2);
        QVERIFY(loop.Engine().IsPlaying());
    }

    // While sentence dictation runs the learner's choices and the leaving commands are off;
    // a list rebuilt then still drops the old region, and dictation's own choice goes through.
    void dictationLocksTheLoop() {
        Loop loop({m_long});
        CPlaybackController& c = *loop.c;
        QVERIFY(c.OpenEntry(0));
        loop.sentences.SetSentences(Three());
        QSignalSpy regions(&c, &CPlaybackController::regionChanged);
        QVERIFY(loop.sentences.SelectSentence(1));
        QVERIFY(Last<Region>(regions).set);
        loop.sentences.SetLocked(true);
        c.SetDictating(true, true);
        for (CommandId id : {C::Stop, C::ClearRegion, C::OneKey, C::AutoRepeat, C::NextSentence})
            QVERIFY2(!c.IsEnabled(id), Command(id).name);
        QVERIFY(!loop.sentences.SelectSentence(2));
        QVERIFY(loop.sentences.Choose(2));
        QCOMPARE(Last<Region>(regions), (Region{250, 400, true}));
        loop.sentences.SetSentences({{0, 300}, {300, 400}});
        QVERIFY(!Last<Region>(regions).set);
    }

    // The waveform: made once and stored with the lesson's work, taken from there while it
    // fits the file, made again when it does not; boundaries dragged (snapped into the quiet)
    // and nudged through the list's own rules, the region following the current sentence,
    // Ctrl+Z taking moves back, a region drawn.
    void waveformEditsTheSentences() {
        QDir().mkpath(DataFolder() + "Temp");
        QFile::remove(CWaveformModel::PeaksPath());
        SetUserDataModified(false);
        Loop loop({Media("speech_gaps.wav")});
        CWaveformModel wave(*loop.c, loop.sentences);
        QSignalSpy changed(&wave, &CWaveformModel::peaksChanged);
        QVERIFY(loop.c->OpenEntry(0));
        wave.Load(Media("speech_gaps.wav"));
        QVERIFY(wave.Computing());
        wave.WaitForPeaks();
        QVERIFY(!wave.GetPeaks().Empty());
        QVERIFY(QFile::exists(CWaveformModel::PeaksPath()));
        QVERIFY(!UserDataModified()); // made again from the media: never work to save
        const std::vector<std::int16_t> made = wave.GetPeaks().minMax;
        wave.Load(Media("speech_gaps.wav")); // stored: at once
        QVERIFY(!wave.Computing());
        QCOMPARE(wave.GetPeaks().minMax, made);
        // Stored for a file of another size: made again, never trusted.
        Peaks other = wave.GetPeaks();
        other.fileSize += 1;
        other.minMax.assign(other.minMax.size(), 0);
        QVERIFY(WriteWholeFile(CWaveformModel::PeaksPath(), other.Serialize()));
        wave.Load(Media("speech_gaps.wav"));
        QVERIFY(wave.Computing());
        wave.WaitForPeaks();
        QCOMPARE(wave.GetPeaks().minMax, made);

        loop.sentences.SetSentences({{0, 140}, {140, 460}, {460, 720}});
        QCOMPARE(wave.SentenceAt(1500), 1);
        QCOMPARE(wave.BoundaryNear(1430, 50), 1);
        QCOMPARE(wave.BoundaryNear(1000, 50), -1);
        QVERIFY(loop.sentences.SelectSentence(0));
        QSignalSpy regions(loop.c.get(), &CPlaybackController::regionChanged);
        // Dropped on the first sentence's last word, the boundary snaps into the quiet
        // nearby; the region of the current sentence follows.
        QVERIFY(wave.DragBoundary(1, 1180, true));
        const std::uint32_t snapped = loop.sentences.At(1).start;
        const auto [low, high] = wave.GetPeaks().Range(int(snapped) * 10, int(snapped) * 10 + 20);
        QVERIFY2(std::max(-low, high) < 200 && std::abs(int(snapped) * 10 - 1180) <= 100,
                 qPrintable(QString::number(snapped)));
        QCOMPARE(Last<Region>(regions), (Region{0, int(snapped), true}));
        QVERIFY(wave.DragBoundary(2, 4000, false)); // held modifier: exactly there
        QCOMPARE(loop.sentences.At(2).start, 400u);
        // The arrows move the current sentence's nearer edge.
        QVERIFY(wave.NudgeBoundary(int(snapped) * 10 - 100, 100));
        QCOMPARE(loop.sentences.At(1).start, snapped + 10);
        QVERIFY(!wave.NudgeBoundary(0, -10)); // the lesson's own start does not move
        // Ctrl+Z: the moves come back one by one, the region with them.
        QVERIFY(loop.sentences.UndoBoundary());
        QCOMPARE(loop.sentences.At(1).start, snapped);
        QVERIFY(loop.sentences.UndoBoundary());
        QCOMPARE(loop.sentences.At(2).start, 460u);
        QVERIFY(loop.sentences.UndoBoundary());
        QCOMPARE(loop.sentences.Sentences(), (SentenceArray{{0, 140}, {140, 460}, {460, 720}}));
        QCOMPARE(Last<Region>(regions), (Region{0, 140, true}));
        QVERIFY(!loop.sentences.UndoBoundary());
        QCOMPARE(ReadFileBytes(CSentenceModel::SentenceFilePath()),
                 QByteArray("0!140\r\n140!460\r\n460!720\r\n"));
        // Subtitle lines give the sentences: nothing moves.
        loop.sentences.SetFixed(true);
        QVERIFY(!wave.DragBoundary(1, 1000, false));
        loop.sentences.SetFixed(false);
        // A span drawn on the waveform is the region.
        wave.DrawRegion(3000, 2000);
        QCOMPARE(Last<Region>(regions), (Region{200, 300, true}));
        wave.Reset();
        QVERIFY(wave.GetPeaks().Empty());
        QVERIFY(changed.size() >= 3);
    }

    // The alarms against an injected clock: armed again from the profile in the form the
    // check compares, told at their second in alarm order, a late tick missing nothing, a
    // jump of hours telling nothing stale, midnight, and armed again for the next day.
    void alarmsGoOffAtTheirSecond() {
        CAppSetting settings;
        settings.DisableStoreOnExit();
        settings.bAlarm1 = true;
        settings.strAlarm1 = "7:30:00"; // the default, one-digit hour
        settings.strAlarmTxt1 = "one";
        settings.strAlarm2 = "07:30:00";
        settings.strAlarmTxt2 = "two";
        QDateTime now(QDate(2026, 12, 10), QTime(7, 29, 58));
        CAlarmClock clock(settings, [&] { return now; });
        QSignalSpy told(&clock, &CAlarmClock::alarm);
        QVERIFY(clock.Checking());
        QCOMPARE(settings.strAlarm1, QString("07:30:00"));
        auto tick = [&](const QTime& t, int days = 0) {
            now = QDateTime(QDate(2026, 12, 10).addDays(days), t);
            clock.Check();
        };
        auto names = [&] {
            QStringList out;
            for (const auto& args : told)
                out << args.at(1).toString();
            told.clear();
            return out;
        };
        tick(QTime(7, 29, 59));
        QVERIFY(told.isEmpty());
        clock.SetAlarm(2, QTime(7, 30, 0), true);
        tick(QTime(7, 30, 0));
        QCOMPARE(names(), (QStringList{"one", "two"}));
        tick(QTime(7, 30, 1));
        QVERIFY(told.isEmpty());
        // A tick two seconds late still tells the second it skipped.
        clock.SetAlarm(3, QTime(8, 0, 1), true);
        clock.SetText(3, "three");
        tick(QTime(8, 0, 0));
        tick(QTime(8, 0, 2));
        QCOMPARE(names(), QStringList{"three"});
        // Hours later (the machine slept): nothing from long ago.
        clock.SetAlarm(3, QTime(9, 2, 0), true);
        tick(QTime(9, 0, 0));
        tick(QTime(9, 5, 0));
        QVERIFY(told.isEmpty());
        // Off keeps the time; midnight; the next day again.
        clock.SetAlarm(2, QTime(), false);
        QVERIFY(!clock.Armed(2));
        QCOMPARE(settings.strAlarm2, QString("07:30:00"));
        clock.SetAlarm(3, QTime(0, 0, 0), true);
        tick(QTime(23, 59, 59));
        tick(QTime(0, 0, 0), 1);
        QCOMPARE(names(), QStringList{"three"});
        tick(QTime(7, 29, 59), 1);
        tick(QTime(7, 30, 0), 1);
        QCOMPARE(names(), QStringList{"one"});
        clock.AllOff();
        QVERIFY(!clock.Checking() && !clock.Armed(1) && !clock.Armed(3));
        // A hand-edited time that is no time of day is not armed.
        settings.bAlarm1 = true;
        settings.strAlarm1 = "half past seven";
        CAlarmClock again(settings, [&] { return now; });
        QVERIFY(!again.Armed(1) && !again.Checking());
        // The program's clock set by KESTROVA_NOW starts there (an unreadable value: none).
        {
            test::ScopedEnv start("KESTROVA_NOW", "2026-12-10T21:00:05");
            const QDateTime at(QDate(2026, 12, 10), QTime(21, 0, 5));
            const CAlarmClock::Clock clockNow = CAlarmClock::ProgramClock();
            QVERIFY(clockNow() >= at && clockNow() < at.addSecs(60));
        }
        test::ScopedEnv unreadable("KESTROVA_NOW", "soon");
        QVERIFY(!CAlarmClock::ProgramClock());
    }

    void sentenceModelRules() {
        Loop loop({m_long});
        QVERIFY(loop.c->OpenEntry(0));
        CSentenceModel& model = loop.sentences;
        QSignalSpy regions(loop.c.get(), &CPlaybackController::regionChanged);
        QVERIFY(!model.SelectSentence(0)); // empty
        QVERIFY(!model.CanNext() && !model.CanPrevious());
        model.SetSentences(Three());
        QCOMPARE(model.rowCount(), 3);
        QVERIFY(model.SelectSentence(1));
        QCOMPARE(Last<Region>(regions), (Region{100, 250, true}));
        QVERIFY(model.CanNext() && model.CanPrevious());
        QVERIFY(!model.SelectSentence(3));
        // Merging and modifying are the learner's work: written at once and marked.
        SetUserDataModified(false);
        QVERIFY(model.Merge(1, true));
        QCOMPARE(model.Sentences(), (SentenceArray{{0, 250}, {250, 400}}));
        QVERIFY(UserDataModified());
        QCOMPARE(ReadFileBytes(CSentenceModel::SentenceFilePath()),
                 QByteArray("0!250\r\n250!400\r\n"));
        model.Clear();
        QVERIFY(model.LoadSentenceFile());
        QCOMPARE(model.Sentences(), (SentenceArray{{0, 250}, {250, 400}}));
        model.Modify(1, 240, 380);
        QCOMPARE(model.Sentences(), (SentenceArray{{0, 240}, {240, 380}}));
        // A region saved as a sentence goes in order of its start, once.
        QVERIFY(model.AddSentence(100, 150));
        QVERIFY(!model.AddSentence(100, 150) && !model.AddSentence(90, 90));
        QCOMPARE(model.Sentences(), (SentenceArray{{0, 240}, {100, 150}, {240, 380}}));
        model.SetSentences({{0, 240}, {240, 380}});
        // One boundary moves between its neighbours, never past them.
        QVERIFY(model.MoveBoundary(1, 100));
        QCOMPARE(model.Sentences(), (SentenceArray{{0, 100}, {100, 380}}));
        QVERIFY(model.MoveBoundary(1, 5000));
        QCOMPARE(model.Sentences(), (SentenceArray{{0, 379}, {379, 380}}));
        QVERIFY(!model.MoveBoundary(0, 50));
        QCOMPARE(ReadFileBytes(CSentenceModel::SentenceFilePath()),
                 QByteArray("0!379\r\n379!380\r\n"));
        // A refused change is no change; with subtitle lines, merging is refused with a message.
        ScopedMessages messages;
        SetUserDataModified(false);
        model.Modify(1, 300, 200);
        QVERIFY(!UserDataModified());
        model.SetFixed(true);
        QVERIFY(!model.Merge(1, true));
        QVERIFY(!model.MoveBoundary(1, 200));
        QCOMPARE(messages.texts.last(), QString::fromUtf8("已存在LRC文件，无法合并！"));
        QCOMPARE(model.Count(), 2);
    }

    // Options as typed values: what the profile stores reads back as the same choices, a
    // choice out of range as the first, and an applied group is announced (the pause
    // between passes counts again from zero).
    void typedOptions() {
        CAppSetting settings;
        settings.DisableStoreOnExit();
        RepeatOptions o;
        o.passes = 5;
        o.pause = PauseChoice::TwiceRegionLength;
        o.pauseAfterPass = true;
        o.order = PlayOrder::RepeatList;
        o.moveStepCs = 50;
        o.promptSound = "/x/done.wav";
        QSignalSpy changed(&settings, &CAppSetting::changed);
        settings.Apply(o);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed[0][0].value<CAppSetting::Group>(), CAppSetting::Group::Repeat);
        QCOMPARE(settings.PauseFinishIndex, 5);
        QCOMPARE(settings.Order, 2);
        QCOMPARE(RepeatOptions::From(settings), o);
        settings.PauseFinishIndex = 7;
        settings.Order = -1;
        QCOMPARE(RepeatOptions::From(settings).pause, PauseChoice::OneSecond);
        QCOMPARE(RepeatOptions::From(settings).order, PlayOrder::Default);
        DictationOptions d = DictationOptions::From(settings);
        d.ignoreCase = !d.ignoreCase;
        d.sentenceInterval = 7;
        settings.Apply(d);
        QCOMPARE(DictationOptions::From(settings), d);
        QCOMPARE(changed.last()[0].value<CAppSetting::Group>(), CAppSetting::Group::Dictation);

        Loop loop({m_long});
        CPlaybackController& c = *loop.c;
        QVERIFY(c.OpenEntry(0));
        loop.settings.PauseFinish = true;
        loop.settings.PauseFinishIndex = int(PauseChoice::TenSeconds);
        QSignalSpy pauses(&c, &CPlaybackController::pauseCounted);
        c.SetRegion(100, 150);
        loop.Run(520);
        c.PauseTick();
        QCOMPARE(pauses.last(), (QList<QVariant>{2, 10}));
        RepeatOptions shorter = RepeatOptions::From(loop.settings);
        shorter.pause = PauseChoice::OneSecond;
        loop.settings.Apply(shorter);
        c.PauseTick();
        QCOMPARE(pauses.last(), (QList<QVariant>{1, 1})); // counted again from zero
        c.PauseTick();
        QVERIFY(loop.Engine().IsPlaying()); // the new length ended the pause
    }

    // The effects as slider positions: read from the settings, applied to every file that
    // opens (rate range, reverb, the chosen preset), stored as they move.
    void effectsFollowTheSliders() {
        Loop loop({m_long, Media("lesson.wav")});
        loop.settings.Tempo = -20;
        loop.settings.Pitch = 3;
        loop.settings.Reverb = 5;
        loop.settings.EqPreset = CEffectsController::Speech;
        auto effects = std::make_unique<CEffectsController>(loop.settings, *loop.c);
        QCOMPARE(effects->Tempo(), 40);
        QCOMPARE(effects->Pitch(), 18);
        QVERIFY(!effects->RateEnabled());
        QVERIFY(!effects->ResetTempo()); // no file: the panel says "Set tempo error"
        QVERIFY(loop.c->OpenEntry(0));
        // A 44100 Hz file: 0.7 f lies just below 30870.
        QCOMPARE(effects->RateMin(), 30869);
        QCOMPARE(effects->RateMax(), 57330);
        QCOMPARE(effects->Rate(), 44100);
        QCOMPARE(loop.Engine().BandGainDb(0), 4.0f); // speech: 31 Hz at 6
        QCOMPARE(loop.Engine().BandGainDb(9), 6.0f); // 16 kHz at 4
        QCOMPARE(loop.Engine().ReverbMixDb(), -0.012f * 15 * 15 * 15);
        effects->SetReverb(10);
        QCOMPARE(loop.Engine().ReverbMixDb(), -12.0f);
        effects->SetTempo(0);
        QCOMPARE(loop.Engine().Tempo(), -60.0f);
        QCOMPARE(loop.settings.Tempo, -60);
        QVERIFY(!effects->IsEnabled(C::SlowDown));
        effects->Execute(C::SpeedUp);
        QCOMPARE(loop.Engine().Tempo(), -54.0f);
        effects->Execute(C::NormalSpeed);
        QCOMPARE(loop.Engine().Tempo(), 0.0f);
        QVERIFY(!effects->IsEnabled(C::NormalSpeed));
        effects->SetBalance(40);
        int pan = 0;
        loop.Engine().GetAttributes(nullptr, nullptr, &pan);
        QCOMPARE(pan, -60);
        // A band moved by hand: the equaliser is the learner's own; the next file's channel
        // starts flat while the slider stays.
        effects->SetBand(3, 5);
        QCOMPARE(effects->CurrentPreset(), CEffectsController::UserDefined);
        QCOMPARE(loop.settings.EqPreset, 0);
        QCOMPARE(loop.Engine().BandGainDb(3), 5.0f);
        QVERIFY(loop.c->OpenEntry(1));
        QCOMPARE(effects->Band(3), 5);
        QCOMPARE(loop.Engine().BandGainDb(3), 0.0f);
        QCOMPARE(loop.Engine().Tempo(), 0.0f); // the stored tempo follows the file
        effects->SetPitch(30);
        effects.reset();
        QCOMPARE(loop.settings.Pitch, 15);
        QCOMPARE(loop.settings.Reverb, 10);
    }

    // Follow-reading through a whole record → compare cycle on the null devices: the source
    // sentence plays once, then the recording, and every button says what it does.
    void recordAndCompare() {
        Loop loop({m_long});
        QVERIFY(loop.c->OpenEntry(0));
        loop.sentences.SetSentences({{100, 150}, {150, 200}});
        loop.sentences.SelectSentence(0);
        loop.settings.WhenRecordFinished = 0;
        CRecordController rec(loop.settings, *loop.c, loop.sentences);
        using B = CRecordController::Button;
        auto on = [&](B b) { return rec.IsEnabled(b); };
        QVERIFY(on(B::Record) && on(B::PlaySource));
        QVERIFY(!on(B::PlayRecording) && !on(B::Compare) && !on(B::Save));
        QVERIFY(rec.Init());
        // A refused start says so and leaves the button as it was.
        ScopedMessages messages;
        loop.Engine().NullCapture()->refuseStart = true;
        rec.Record();
        QVERIFY(!rec.Recording());
        QCOMPARE(rec.Text(B::Record), QString::fromUtf8("录音"));
        QCOMPARE(messages.texts, QStringList{"Couldn't start recording"});
        loop.Engine().NullCapture()->refuseStart = false;
        // Record one second; playback pauses while the learner speaks.
        rec.Record();
        QVERIFY(rec.Recording() && loop.Engine().IsPaused());
        QCOMPARE(rec.Text(B::Record), QString::fromUtf8("停止录音"));
        QVERIFY(!on(B::PlaySource) && !on(B::Save));
        std::vector<std::uint8_t> second(176400, 0);
        loop.Engine().NullCapture()->Feed(second.data(), second.size());
        QSignalSpy pictures(&rec.Comparer(), &CVoiceComparer::ready);
        rec.Record();
        QVERIFY(!rec.Recording());
        QCOMPARE(rec.RecordedCs(), 100);
        // The comparison picture is worked out away from the window: the sentence's half
        // second and the recording's second, a block every 10 ms.
        QTRY_COMPARE(pictures.size(), 1);
        QCOMPARE(pictures[0][0].value<VoiceTrace>().envelope.size(), std::size_t(50));
        QCOMPARE(pictures[0][1].value<VoiceTrace>().envelope.size(), std::size_t(100));
        QVERIFY(on(B::PlayRecording) && on(B::Compare) && on(B::Save) && on(B::PlaySource));
        // Compare: the sentence once, held at its start, then the recording.
        rec.Compare();
        QCOMPARE(rec.Text(B::Compare), QString::fromUtf8("停止对比"));
        QVERIFY(rec.PlayingSource() && loop.Engine().IsPlaying());
        loop.Run(520);
        QVERIFY(!rec.PlayingSource());
        QVERIFY(rec.PlayingRecording());
        QCOMPARE(rec.Text(B::PlayRecording), QString::fromUtf8("停止播放"));
        QVERIFY(!loop.Engine().IsPlaying());
        QCOMPARE(loop.Engine().GetPosition(), 1000);
        QVERIFY(!on(B::Record) && !on(B::Save));
        loop.Engine().RecordingNullOutput()->Advance(1100);
        QCoreApplication::processEvents();
        QVERIFY(!rec.PlayingRecording() && !rec.Comparing());
        QCOMPARE(rec.Text(B::Compare), QString::fromUtf8("对比播放"));
        QVERIFY(on(B::Record) && on(B::PlaySource) && on(B::Save));
        // The after-recording choice is stored at once; with "compare" a stopped recording
        // starts a comparison.
        rec.SetMode(CRecordController::AfterRecording::Compare);
        QCOMPARE(loop.settings.WhenRecordFinished, 2);
        rec.Record();
        loop.Engine().NullCapture()->Feed(second.data(), second.size());
        rec.Record();
        QVERIFY(rec.Comparing() && rec.PlayingSource());
        rec.Compare();
        QVERIFY(!rec.Comparing() && !rec.PlayingSource() && !loop.Engine().IsPlaying());
        // ">>" at the last sentence plays it again; a new file leaves nothing to compare.
        rec.Next();
        rec.Next();
        QCOMPARE(loop.sentences.Current(), 1);
        QVERIFY(rec.PlayingSource());
        const QString saved = m_dir.filePath("voice.wav");
        QVERIFY(rec.Save(saved));
        QCOMPARE(ReadFileBytes(saved).size(), 44 + 176400);
        QVERIFY(loop.c->OpenEntry(0));
        QVERIFY(!on(B::PlayRecording) && !on(B::Compare) && !on(B::Save));
    }

    // The shortcut file: lines read field by field, key texts with spaces kept whole, the
    // number fields and the flag exactly as written, short lines filled with zeros.
    void shortcutFileLines_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("keyText");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("hotkey");
        QTest::addColumn<QString>("extra");
        QTest::newRow("the classic line") << "176 32775 80 25 Ctrl+Alt+P 1 x"
                                          << "Ctrl+Alt+P" << 25 << true << "x";
        QTest::newRow("a key text with a space")
            << "117 32800 33 9 Ctrl+Page Up 0 some extra text"
            << "Ctrl+Page Up" << 9 << false << "some extra text";
        QTest::newRow("a key name ending in a digit") << "115 32801 97 1 Num 1 1 "
                                                      << "Num 1" << 1 << true << "";
        QTest::newRow("the modifiers keep their low byte") << "115 32801 97 257 Num 1 0"
                                                           << "Num 1" << 1 << false << "";
        QTest::newRow("fewer fields") << "120 32790"
                                      << "" << 0 << false << "";
    }
    void shortcutFileLines() {
        QFETCH(QString, line);
        QFETCH(QString, keyText);
        QFETCH(int, modifiers);
        QFETCH(bool, hotkey);
        QFETCH(QString, extra);
        const auto item = shortcuts::ParseLine(line);
        QVERIFY(item);
        QCOMPARE(item->keyText, keyText);
        QCOMPARE(int(item->modifiers), modifiers);
        QCOMPARE(item->systemHotkey, hotkey);
        QCOMPARE(item->extraText, extra);
        // What is written reads back the same (a record without a key has no text to keep).
        if (!keyText.isEmpty()) QCOMPARE(shortcuts::ParseLine(shortcuts::FormatLine(*item)), item);
    }

    void shortcutTable() {
        using namespace shortcuts;
        QVERIFY(!ParseLine("") && !ParseLine("Ctrl+P 1"));
        // Ctrl and Shift with F5: the key text and the modifiers of the page's "设置".
        const int f5 = int(std::find_if(KeyNames().begin(), KeyNames().end(),
                                        [](const KeyName& k) { return k.code == 116; }) -
                           KeyNames().begin());
        const ACCEL_ITEM set =
            WithKeys(*ParseLine("117 32785 80 25 Ctrl+Alt+P 1 keep"), true, false, true, f5, false);
        QCOMPARE(set.keyText, QString("Ctrl+Shift+F5"));
        QCOMPARE(int(set.modifiers), 13);
        QCOMPARE(set.key, std::uint16_t(116));
        QVERIFY(!set.systemHotkey);
        QCOMPARE(set.extraText, QString("keep"));
        // OK replaces the records of the same name id and adds the ones the table lacked.
        AccelItems table = {*ParseLine("117 32785 80 25 Ctrl+Alt+P 0"),
                            *ParseLine("115 32783 37 25 Ctrl+Alt+Left 0")};
        Replace(table, {set, *ParseLine("121 32789 77 25 Ctrl+Alt+M 0")});
        QCOMPARE(table.size(), std::size_t(3));
        QCOMPARE(table[0], set);
        QCOMPARE(table[1].keyText, QString("Ctrl+Alt+Left"));
        ACCEL_ITEM item;
        item.modifiers = kVirtualKey | kCtrl | kAlt;
        item.key = 80;
        QCOMPARE(Sequence(item), QKeySequence("Ctrl+Alt+P"));
        item.key = 97;
        item.modifiers = kVirtualKey;
        QCOMPARE(Sequence(item), QKeySequence(Qt::KeypadModifier | Qt::Key_1));
        QCOMPARE(KeyNames().size(), std::size_t(12 + 10 + 10 + 5 + 11 + 6 + 8 + 3 + 26));
        for (const KeyName& k : KeyNames())
            QVERIFY2(QtKey(k.code) != 0, k.name);
        // Every command of the set has its own name id and a command number that comes back.
        for (const Entry& e : Set()) {
            QCOMPARE(EntryOf(e.nameId), &e);
            QCOMPARE(CommandOf(CommandNumber(e.command)), e.command);
        }
        // A missing file is created empty; a table written comes back the same.
        const QString path = m_dir.filePath("Shortcut.dat");
        QVERIFY(Load(path).empty());
        QVERIFY(QFile::exists(path));
        const AccelItems written = {*ParseLine("117 32785 33 9 Ctrl+Page Up 1 a b"),
                                    *ParseLine("101 32769 112 1 F1 0 ")};
        QVERIFY(Save(path, written));
        QCOMPARE(Load(path), written);
    }

    // The session: an opened file's subtitles give its sentences and fix them; a file without
    // them reads its saved sentences.
    void sessionJoinsSubtitlesAndSentences() {
        CAppSetting settings;
        settings.UseSplit = false;
        settings.DisableStoreOnExit();
        const QString media = m_dir.filePath("subbed.wav");
        QVERIFY(QFile::copy(Media("lesson.wav"), media));
        QVERIFY(WriteFileBytes(m_dir.filePath("subbed.lrc"),
                               "[00:00.50]One\n[00:01.20]Two\n[00:02.00]Three\n"));
        CStudySession session(settings,
                              std::make_unique<CMediaCore>(std::make_unique<CNullAudioOutput>()));
        session.Playlist().SetPaths({media});
        QVERIFY(!session.IsEnabled(C::Split) && !session.IsEnabled(C::MediaInfo));
        QSignalSpy commands(&session, &CStudySession::commandEnabledChanged);
        QVERIFY(session.Controller().OpenEntry(0));
        // The session's commands are pushed on as the file opens.
        for (CommandId id : {C::Split, C::ImportLrc, C::Notes, C::MediaInfo})
            QVERIFY2(commands.contains(QList<QVariant>{QVariant::fromValue(id), true}),
                     Command(id).name);
        QCOMPARE(session.Sentences().Count(), 3);
        QVERIFY(session.Sentences().Fixed());
        QCOMPARE(session.Reference(1), QStringLiteral("Two"));
        QCOMPARE(session.SentenceStart(1), 120u);
        // A subtitle line chosen plays its sentence.
        QSignalSpy regions(&session.Controller(), &CPlaybackController::regionChanged);
        session.Subtitles().ChooseLine(2);
        QCOMPARE(session.Sentences().Current(), 2);
        QCOMPARE(Last<Region>(regions).start, 200);
        // Sentence dictation locks the list and the transport's leaving commands; its own
        // choice still plays.
        session.Dictation().StartAll();
        QCOMPARE(session.CurrentSentence(), 0);
        QVERIFY(session.SentenceDictationRunning());
        QVERIFY(!session.Controller().IsEnabled(C::Stop));
        QVERIFY(!session.PlaySentence(1, false));
        QVERIFY(session.PlaySentence(1, true));
        QCOMPARE(session.CurrentSentence(), 1);
        session.Dictation().Stop();
        QVERIFY(session.Controller().IsEnabled(C::Stop));
        QVERIFY(session.PlaySentence(2, false));
        // The list released: no sentences, no subtitles, the commands off again.
        session.Controller().RemoveAllEntries();
        QCOMPARE(session.Sentences().Count(), 0);
        QVERIFY(!session.HasSubtitles() && !session.Sentences().Fixed());
        QVERIFY(commands.contains(QList<QVariant>{QVariant::fromValue(C::Split), false}));
    }
};

QTEST_GUILESS_MAIN(TestPlayer)
#include "tst_player.moc"
