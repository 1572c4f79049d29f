// The audio engine on the null output: formats, bad input, transport, positions in source
// time, ends of channel, stop marks, volume and the effect chain.
#include "audio/AudioOutput.h"
#include "audio/Clip.h"
#include "audio/Decoder.h"
#include "audio/MediaCore.h"
#include "audio/MediaInfo.h"
#include "audio/Peaks.h"
#include "audio/SoundPlayer.h"
#include "audio/VoiceCompare.h"
#include "common/AppSetting.h"
#include "common/Util.h"
#include "support/Fixtures.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <algorithm>

using namespace kestrova;
using namespace kestrova::test;

namespace {
std::unique_ptr<CMediaCore> MakeCore() {
    return std::make_unique<CMediaCore>(std::make_unique<CNullAudioOutput>(false));
}
// Lets `ms` of playback pass and delivers the engine's events.
void Run(CMediaCore& core, int ms) {
    core.NullOutput()->Advance(ms);
    QCoreApplication::processEvents();
}
} // namespace

class TestAudio : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_numbered; // 2 s, sample i holds i % 32000
    QString m_mod;
    QStringList m_messages;

private Q_SLOTS:
    void initTestCase() {
        m_numbered = m_dir.filePath("numbered.wav");
        WriteNumberedWav(m_numbered, 88200);
        m_mod = m_dir.filePath("tiny.mod");
        WriteTinyMod(m_mod);
        SetMessageHandler([this](MessageKind, const QString& text) { m_messages << text; });
    }
    void init() { m_messages.clear(); }

    void formatsOpen_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("rate");
        for (const char* f : {"lesson.wav", "lesson.mp3", "lesson.mp2", "lesson.ogg", "lesson.m4a",
                              "lesson.wma", "lesson.flac", "lesson.aiff", "lesson_video.mp4"})
            QTest::newRow(f) << Media(f) << 44100;
        QTest::newRow("mono 22 kHz") << Media("mono22k.wav") << 22050;
    }
    void formatsOpen() {
        QFETCH(QString, file);
        QFETCH(int, rate);
        auto core = MakeCore();
        QVERIFY2(core->Load(file), qPrintable(file));
        QCOMPARE(core->SampleRate(), rate);
        QVERIFY2(qAbs(core->GetLength() - 3000) < 80,
                 qPrintable(QString::number(core->GetLength())));
        QVERIFY(core->Play());
        Run(*core, 1000);
        QVERIFY(qAbs(core->GetPosition() - 1000) <= 1);
        QVERIFY(m_messages.isEmpty());
    }

    void moduleMusicPlaysWithTempo() {
        auto core = MakeCore();
        QVERIFY(core->Load(m_mod));
        QVERIFY(core->GetLength() > 5000);
        QVERIFY(core->SetTempo(-40));
        QCOMPARE(core->Tempo(), -40.0f);
        QVERIFY(core->Play());
        Run(*core, 1000);
        // 600 ms on the straight line; the stretcher's sequences put what is heard ahead.
        QVERIFY2(qAbs(core->GetPosition() - 600) <= 25,
                 qPrintable(QString::number(core->GetPosition())));
    }

    void badFilesAreRefused_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("zero length") << Media("empty.mp3");
        QTest::newRow("text named mp3") << Media("text.mp3");
        QTest::newRow("missing") << Media("no-such-file.mp3");
    }
    void badFilesAreRefused() {
        QFETCH(QString, file);
        auto core = MakeCore();
        QVERIFY(core->Load(Media("lesson.wav")));
        QVERIFY(!core->Load(file));
        QVERIFY(!core->HasChannel()); // the previous channel went first
        QCOMPARE(m_messages, QStringList{QString::fromUtf8("载入文件失败,文件格式可能不支持。")});
        QVERIFY(!core->Play());
        QCOMPARE(core->GetPosition(), 0);
    }

    void truncatedFilePlaysAsFarAsItDecodes() {
        auto core = MakeCore();
        QVERIFY(core->Load(Media("truncated.mp3")));
        QSignalSpy ended(core.get(), &CMediaCore::playEnded);
        QVERIFY(core->Play());
        for (int i = 0; i < 40 && ended.isEmpty(); ++i)
            Run(*core, 100);
        QCOMPARE(ended.size(), 1);
        QVERIFY(core->GetPosition() > 1000 && core->GetPosition() < 2000);
    }

    void decoderSeekIsSampleAccurate_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("wav") << m_numbered;
        QTest::newRow("flac") << Media("lesson.flac");
        QTest::newRow("aiff") << Media("lesson.aiff");
        QTest::newRow("mp3") << Media("lesson.mp3"); // decoder state carried across packets
    }
    void decoderSeekIsSampleAccurate() {
        QFETCH(QString, file);
        auto sequential = OpenDecoder(file);
        QVERIFY(sequential);
        std::vector<float> all(size_t(sequential->SampleRate()) * 2 * 2);
        const int got = sequential->Read(all.data(), int(all.size() / 2));
        for (std::int64_t target :
             {std::int64_t(1), std::int64_t(12345), std::int64_t(44100), std::int64_t(got - 100)}) {
            auto seeking = OpenDecoder(file);
            QVERIFY(seeking->Seek(target));
            QCOMPARE(seeking->Position(), target);
            float frames[64 * 2];
            QCOMPARE(seeking->Read(frames, 64), 64);
            for (int i = 0; i < 128; ++i)
                QCOMPARE(frames[i], all[size_t(target * 2 + i)]);
        }
    }

    void transportAndPositions() {
        auto core = MakeCore();
        QVERIFY(core->Load(m_numbered));
        QVERIFY(core->IsStopped());
        QCOMPARE(core->GetLength(), 2000);
        std::vector<float> heard;
        core->NullOutput()->capture = &heard;
        QVERIFY(core->Play());
        QVERIFY(core->IsPlaying());
        Run(*core, 500);
        QCOMPARE(core->GetPosition(), 500);
        QCOMPARE(NumberOf(heard[0]), 0);
        QCOMPARE(NumberOf(heard[heard.size() - 2]), 22049);
        core->Pause();
        QVERIFY(core->IsPaused());
        Run(*core, 300);
        QCOMPARE(core->GetPosition(), 500);
        QVERIFY(core->Play(false)); // resumes where it stands
        Run(*core, 250);
        QCOMPARE(core->GetPosition(), 750);
        QCOMPARE(NumberOf(heard[heard.size() - 2]), 33074 % 32000);

        // Seeks are sample-accurate; one past the end is refused and changes nothing.
        heard.clear();
        core->SetPosition(1234);
        QCOMPARE(core->GetPosition(), 1234);
        Run(*core, 10);
        QCOMPARE(NumberOf(heard[0]), (1234 * 441 / 10 + 1) % 32000); // first frame at or after it
        core->SetPosition(2001);
        QCOMPARE(core->GetPosition(), 1244);

        QVERIFY(core->Stop());
        QVERIFY(core->IsStopped());
        QCOMPARE(core->GetPosition(), 0);
        core->SetPosition(1500); // a stopped channel starts from where it was put
        QCOMPARE(core->GetPosition(), 1500);
        heard.clear();
        QVERIFY(core->Play());
        Run(*core, 10);
        QCOMPARE(NumberOf(heard[0]), 66150 % 32000);
    }

    // The position is the source time of what is heard, also while the time-stretcher plays
    // its sequences at the source's own speed a step apart.
    void positionIsWhatIsHeardAtAnyTempo_data() {
        QTest::addColumn<int>("tempo");
        QTest::newRow("normal") << 0;
        QTest::newRow("slowed") << -40;
        QTest::newRow("faster") << 40;
    }
    void positionIsWhatIsHeardAtAnyTempo() {
        QFETCH(int, tempo);
        const QString chirp = m_dir.filePath("chirp.wav");
        if (!QFile::exists(chirp)) WriteChirpWav(chirp, 4);
        auto core = MakeCore();
        std::vector<float> heard;
        core->NullOutput()->capture = &heard;
        QVERIFY(core->Load(chirp));
        QVERIFY(core->SetTempo(float(tempo)));
        core->SetPosition(1000);
        QVERIFY(core->Play());
        std::vector<double> errors;
        for (int i = 0; i < 20; ++i) {
            Run(*core, 50);
            std::vector<float> mono;
            for (std::size_t k = 0; k + 1 < heard.size(); k += 2)
                mono.push_back(heard[k]);
            const std::int64_t now = std::int64_t(mono.size());
            errors.push_back(ChirpSourceMs(FrequencyAt(mono, now)) - core->GetPosition());
        }
        std::sort(errors.begin(), errors.end());
        QVERIFY2(std::abs(errors[errors.size() / 2]) <= 10,
                 qPrintable(QString::number(errors[errors.size() / 2])));
    }

    void positionsAreSourceTimeAtSlowTempo() {
        auto core = MakeCore();
        QVERIFY(core->Load(Media("lesson.mp3")));
        QVERIFY(core->SetTempo(-40));
        QVERIFY(core->Play());
        Run(*core, 1000);
        QVERIFY2(qAbs(core->GetPosition() - 600) <= 25,
                 qPrintable(QString::number(core->GetPosition())));
        // A change while playing keeps the count in source time.
        QVERIFY(core->SetTempo(0));
        Run(*core, 1000);
        const int pos = core->GetPosition();
        QVERIFY2(pos > 1400 && pos < 1700, qPrintable(QString::number(pos)));
        QVERIFY(!MakeCore()->SetTempo(10)); // no channel
    }

    void oneEndEventHoweverOftenPaused() {
        auto core = MakeCore();
        QVERIFY(core->Load(m_numbered));
        int calls = 0;
        core->SetPlayEndHandler([&](CMediaCore::EndKind kind) {
            ++calls;
            return kind == CMediaCore::EndKind::ChannelEnd;
        });
        QVERIFY(core->Play());
        for (int i = 0; i < 6; ++i) {
            Run(*core, 300);
            core->Pause();
            Run(*core, 100);
            QVERIFY(core->Play());
        }
        Run(*core, 500);
        Run(*core, 500);
        QCOMPARE(calls, 1);
        QVERIFY(core->IsStopped()); // the handler asked to stop: rewound
        QCOMPARE(core->GetPosition(), 0);
    }

    void seekInsideEndHandlerPlaysOn() {
        auto core = MakeCore();
        QVERIFY(core->Load(m_numbered));
        int calls = 0;
        core->SetPlayEndHandler([&](CMediaCore::EndKind) {
            if (++calls == 1) core->SetPosition(1000);
            return false;
        });
        QVERIFY(core->Play());
        core->SetPosition(1900);
        Run(*core, 150);
        QCOMPARE(calls, 1);
        QVERIFY(core->IsPlaying());
        Run(*core, 400);
        QVERIFY2(qAbs(core->GetPosition() - 1450) <= 60,
                 qPrintable(QString::number(core->GetPosition())));
        Run(*core, 700);
        QCOMPARE(calls, 2);
        QVERIFY(core->IsStopped()); // left at its end
        QCOMPARE(core->GetPosition(), 2000);
    }

    void stopMarkEndsExactly_data() {
        QTest::addColumn<float>("tempo");
        QTest::newRow("normal speed") << 0.0f;
        QTest::newRow("slowed") << -40.0f;
    }
    void stopMarkEndsExactly() {
        QFETCH(float, tempo);
        auto core = MakeCore();
        QVERIFY(core->Load(m_numbered));
        core->SetTempo(tempo);
        std::vector<float> heard;
        core->NullOutput()->capture = &heard;
        QSignalSpy marks(core.get(), &CMediaCore::stopMarkReached);
        core->SetStopMark(500);
        QCOMPARE(core->StopMark(), 500);
        core->SetPosition(200);
        QVERIFY(core->Play());
        for (int i = 0; i < 20; ++i)
            Run(*core, 100);
        QCOMPARE(marks.size(), 1);
        QVERIFY(core->IsPaused());
        QCOMPARE(core->GetPosition(), 500);
        if (tempo == 0.0f) {
            QCOMPARE(int(heard.size() / 2), 22050 - 8820);
            QCOMPARE(NumberOf(heard[heard.size() - 2]),
                     22049); // the sample at the mark is not played
        }
        // Playing on from the mark goes past it; a seek before it arms it again.
        QVERIFY(core->Play());
        Run(*core, 300);
        QVERIFY(core->GetPosition() > 600);
        core->SetPosition(400);
        for (int i = 0; i < 5; ++i)
            Run(*core, 100);
        QCOMPARE(marks.size(), 2);
    }

    void markMovedWhilePausedIsHonoured() {
        auto core = MakeCore();
        QVERIFY(core->Load(m_numbered));
        QSignalSpy marks(core.get(), &CMediaCore::stopMarkReached);
        core->SetStopMark(400);
        core->SetPosition(200);
        QVERIFY(core->Play());
        Run(*core, 120); // decoding has already reached the old mark
        core->Pause();
        core->SetStopMark(800);
        QVERIFY(core->IsPaused());
        QVERIFY(core->Play());
        Run(*core, 400);
        QCOMPARE(marks.size(), 0);
        QVERIFY2(core->GetPosition() > 650, qPrintable(QString::number(core->GetPosition())));
        Run(*core, 200);
        QCOMPARE(marks.size(), 1);
        QCOMPARE(core->GetPosition(), 800);
    }

    void regionLoopThroughTheHandler() {
        // The repeat region's use of the mark: each pass ends at the mark and seeks back.
        auto core = MakeCore();
        QVERIFY(core->Load(m_numbered));
        int passes = 0;
        core->SetPlayEndHandler([&](CMediaCore::EndKind kind) {
            if (kind == CMediaCore::EndKind::StopMark && ++passes < 3) core->SetPosition(1000);
            return false;
        });
        core->SetStopMark(1200);
        core->SetPosition(1000);
        QVERIFY(core->Play());
        for (int i = 0; i < 12; ++i)
            Run(*core, 100);
        QCOMPARE(passes, 3);
        QVERIFY(core->IsPaused());
        QCOMPARE(core->GetPosition(), 1200);
    }

    void volumeMuteAndAttributes() {
        auto core = MakeCore();
        QVERIFY(core->Load(m_numbered));
        core->SetVolume(70);
        int rate = 0, volume = 0, pan = 0;
        core->GetAttributes(&rate, &volume, &pan);
        QCOMPARE(rate, 44100);
        QCOMPARE(volume, 70);
        QCOMPARE(pan, 0);
        core->SetPan(-40);
        core->GetAttributes(nullptr, &volume, &pan);
        QCOMPARE(volume, 70);
        QCOMPARE(pan, -40);
        core->SetMute(true);
        core->GetAttributes(nullptr, &volume, nullptr);
        QCOMPARE(volume, 0);
        core->SetMute(false);
        core->GetAttributes(nullptr, &volume, &pan);
        QCOMPARE(volume, 70);
        QCOMPARE(pan, -40);

        // Heard samples carry volume and pan at once.
        std::vector<float> heard;
        core->NullOutput()->capture = &heard;
        core->SetVolume(50);
        core->SetPan(0);
        core->SetPosition(1000);
        QVERIFY(core->Play());
        Run(*core, 5);
        QCOMPARE(NumberOf(heard[0] * 2), 44100 % 32000);
        core->SetMute(true);
        heard.clear();
        Run(*core, 5);
        QCOMPARE(heard[0], 0.0f);
        // A volume set while muted is audible but does not replace the remembered one.
        core->SetVolume(20);
        QCOMPARE(core->RememberedVolume(), 50);
        core->SetMute(false);
        core->GetAttributes(nullptr, &volume, nullptr);
        QCOMPARE(volume, 50);
    }

    void effectChainValues() {
        auto core = MakeCore();
        QVERIFY(core->Load(Media("lesson.wav")));
        for (int band = 0; band < 10; ++band)
            QCOMPARE(core->BandGainDb(band), 0.0f);
        QCOMPARE(core->ReverbMixDb(), -96.0f);
        core->SetEffect(3, 4);
        QCOMPARE(core->BandGainDb(3), 6.0f);
        QCOMPARE(core->LastEffectIndex(), 3);
        QCOMPARE(core->LastEffectValue(), 4);
        core->SetEffect(10, 10);
        QCOMPARE(core->ReverbMixDb(), -12.0f);
        core->SetEffect(10, 0);
        QCOMPARE(core->ReverbMixDb(), 0.0f);
        // Effects sound: a boosted band makes the heard signal louder than the flat one.
        auto peak = [&](int bandValue) {
            auto c = MakeCore();
            c->Load(Media("lesson.wav"));
            for (int b = 0; b < 10; ++b)
                c->SetEffect(b, bandValue);
            std::vector<float> heard;
            c->NullOutput()->capture = &heard;
            c->Play();
            Run(*c, 500);
            float p = 0;
            for (float s : heard)
                p = std::max(p, std::abs(s));
            return p;
        };
        QVERIFY(peak(4) > 1.5f * peak(10));
        // Reloading makes the chain neutral again.
        QVERIFY(core->Load(Media("lesson.wav")));
        QCOMPARE(core->BandGainDb(3), 0.0f);
        QCOMPARE(core->ReverbMixDb(), -96.0f);
    }

    // A new channel starts at its own speed; each setting leaves the others; a tempo holds
    // for the rest of the file.
    void tempoAndPitchOfANewChannel() {
        auto core = MakeCore();
        QVERIFY(core->Load(Media("lesson.ogg")));
        QVERIFY(core->SetTempoAndPitch(20, -3));
        QVERIFY(core->Load(Media("lesson.ogg")));
        QCOMPARE(core->Tempo(), 0.0f);
        QCOMPARE(core->Pitch(), 0.0f);
        QVERIFY(core->SetTempoAndPitch(20, -3));
        QVERIFY(core->SetRate(44100)); // the rate alone leaves tempo and pitch
        QCOMPARE(core->Tempo(), 20.0f);
        QCOMPARE(core->Pitch(), -3.0f);
        QVERIFY(core->Play());
        Run(*core, 1000);
        QVERIFY(qAbs(core->GetPosition() - 1200) <= 10);
    }

    void promptSoundCallsBackWithoutBlocking() {
        CSoundPlayer player;
        int done = 0;
        player.PlayThen(Media("lesson.wav"), [&] { ++done; });
        QCOMPARE(done, 0); // never inside the call: the caller's handler returns first
        QCoreApplication::processEvents();
        QCOMPARE(done, 1);
        player.PlayThen(Media("no-such.wav"), [&] { ++done; }); // a missing sound goes on too
        QCoreApplication::processEvents();
        QCOMPARE(done, 2);
        QVERIFY(m_messages.isEmpty());
    }

    // A pass over a sentence starts again from memory: the cached frames are exactly what the
    // decoder gives, and reading on past them continues the file without a gap.
    void regionCacheServesRepeatsExactly() {
        auto plain = OpenDecoder(m_numbered);
        auto cached = WithRegionCache(OpenDecoder(m_numbered), 4410);
        QVERIFY(cached->Seek(20000));
        std::vector<float> a(2 * 3000);
        std::vector<float> b(2 * 3000);
        QCOMPARE(cached->Read(a.data(), 3000), 3000); // fills the cache
        for (int pass = 0; pass < 3; ++pass) {
            QVERIFY(cached->Seek(20000 + pass * 500));
            QCOMPARE(cached->Position(), std::int64_t(20000 + pass * 500));
            QCOMPARE(cached->Read(b.data(), 3000), 3000); // partly beyond what was read
            for (int i = 0; i < 6000; i += 2)
                QCOMPARE(NumberOf(b[std::size_t(i)]), (20000 + pass * 500 + i / 2) % 32000);
        }
        // Past the bound the inner decoder goes on; a seek elsewhere starts a new cache.
        QVERIFY(cached->Seek(60000));
        QCOMPARE(cached->Read(b.data(), 100), 100);
        QCOMPARE(NumberOf(b[0]), 60000 % 32000);
        QVERIFY(plain->Seek(60000));
        QCOMPARE(plain->Read(a.data(), 100), 100);
        QCOMPARE(a[0], b[0]);
    }

    // Pause parks the channel where it is heard; Play goes on from exactly there.
    void pauseAndPlayResumeExactly() {
        auto core = MakeCore();
        QVERIFY(core->Load(m_numbered));
        std::vector<float> heard;
        core->NullOutput()->capture = &heard;
        QVERIFY(core->Play());
        Run(*core, 300);
        core->Pause();
        const int at = core->GetPosition();
        QCOMPARE(at, 300);
        Run(*core, 200); // nothing is heard while paused
        QCOMPARE(heard.size(), std::size_t(2 * 13230));
        QVERIFY(core->Play());
        Run(*core, 100);
        QCOMPARE(NumberOf(heard[2 * 13230]), 13230);
        QCOMPARE(core->GetPosition(), 400);
    }

    // The device going away pauses where the learner was; each Play tries to open it again.
    void deviceLostPausesAndPlayReopens() {
        auto core = MakeCore();
        QSignalSpy lost(core.get(), &CMediaCore::deviceLost);
        QVERIFY(core->Load(m_numbered));
        QVERIFY(core->Play());
        Run(*core, 500);
        core->NullOutput()->lost = true;
        core->NullOutput()->refuseOpen = true;
        Run(*core, 100);
        QTRY_COMPARE(lost.size(), 1);
        QVERIFY(core->IsPaused());
        QCOMPARE(core->GetPosition(), 500);
        QVERIFY(!core->Play());
        QCOMPARE(lost.size(), 2);
        core->NullOutput()->refuseOpen = false;
        QVERIFY(core->Play());
        Run(*core, 100);
        QCOMPARE(core->GetPosition(), 600);
        // A seek that meets the lost device before the engine noticed: paused, no failure box.
        core->NullOutput()->lost = true;
        core->SetPosition(1000);
        QVERIFY(core->IsPaused());
        QTRY_COMPARE(lost.size(), 3);
        QCOMPARE(core->GetPosition(), 1000);
        QVERIFY(m_messages.isEmpty());
    }

    // The WAV image grows in 200000-byte steps and gets its sizes when recording stops; what
    // was captured before memory ran out is kept and plays.
    void recordingImageAndItsFailures() {
        auto core = MakeCore();
        QVERIFY(core->InitRecording());
        CNullAudioCapture* mic = core->NullCapture();
        QVERIFY(mic);
        // Nothing recorded yet: stopping, playing and saving do nothing harmful.
        QVERIFY(!core->StopRecording());
        QVERIFY(!core->PlayRecording(true));
        QVERIFY(!core->SaveRecording(m_dir.filePath("none.wav")));

        QVERIFY(core->StartRecording());
        std::vector<std::uint8_t> second(176400);
        for (std::size_t i = 0; i < second.size(); i += 2)
            second[i] = std::uint8_t(i / 2 % 200), second[i + 1] = 0;
        for (std::size_t at = 0; at < second.size(); at += 4410)
            mic->Feed(second.data() + at, 4410);
        QCOMPARE(core->GetRecordedLength(), 1000);
        QVERIFY(core->StopRecording());
        QVERIFY(!mic->IsRunning());
        const QByteArray image = core->RecordingImage();
        QCOMPARE(image.size(), 176444);
        QCOMPARE(qFromLittleEndian<quint32>(image.constData() + 4), 176436u);
        QCOMPARE(qFromLittleEndian<quint32>(image.constData() + 40), 176400u);
        QCOMPARE(image.mid(8, 8), QByteArray("WAVEfmt "));
        QCOMPARE(qFromLittleEndian<quint32>(image.constData() + 28), 176400u);
        QCOMPARE(image.mid(44, 4), QByteArray("\x00\x00\x01\x00", 4));

        const QString saved = m_dir.filePath("voice.wav");
        QVERIFY(core->SaveRecording(saved));
        QFile file(saved);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), image);
        QVERIFY(!core->SaveRecording(m_dir.filePath("no-such-dir/voice.wav")));
        QCOMPARE(m_messages, QStringList{"Can't create the file"});
        m_messages.clear();

        // Half the level halves the samples; memory for 400000 bytes only.
        core->SetRecordingMemoryLimit(400000);
        core->SetInputLevel(25);
        QVERIFY(core->StartRecording());
        for (int i = 0; i < 3; ++i)
            mic->Feed(second.data(), second.size());
        QVERIFY(!core->IsRecording());
        QCoreApplication::processEvents();
        QCOMPARE(m_messages, QStringList{"Out of memory!"});
        QCOMPARE(core->GetRecordedLength(), 2000);
        QVERIFY(core->StopRecording());
        const QByteArray kept = core->RecordingImage();
        QCOMPARE(kept.size(), 44 + 2 * 176400);
        QCOMPARE(quint8(kept[44 + 2 * 100]), quint8(50));

        // The kept recording plays to its end, once.
        QSignalSpy ended(core.get(), &CMediaCore::recordingPlayEnded);
        QVERIFY(core->PlayRecording(true));
        QVERIFY(core->RecordingNullOutput());
        core->RecordingNullOutput()->Advance(1000);
        QCOMPARE(core->GetRecordingPosition(), 1000);
        core->RecordingNullOutput()->Advance(1100);
        QCoreApplication::processEvents();
        QCOMPARE(ended.size(), 1);
        QVERIFY(!core->IsPlayingRecording());

        // A refused start leaves the engine not recording and says so.
        m_messages.clear();
        mic->refuseStart = true;
        QVERIFY(!core->StartRecording());
        QVERIFY(!core->IsRecording());
        QCOMPARE(m_messages, QStringList{"Couldn't start recording"});
        QVERIFY(!core->StopRecording());
    }

    // The learner reads the library's basic report, not the full technical one; a file the
    // library cannot make sense of still gives the library's own words.
    // The waveform of a lesson: one low/high pair per 10 ms, quiet in its gaps; stored and
    // read back whole, and anything damaged refused.
    void peaksOfALesson() {
        const std::atomic<bool> cancel{false};
        const Peaks peaks = ComputePeaks(test::Media("speech_gaps.wav"), cancel);
        QVERIFY(std::abs(peaks.Count() - int(peaks.lengthMs) / 10) <= 1);
        QCOMPARE(peaks.fileSize, QFileInfo(test::Media("speech_gaps.wav")).size());
        // The first gap (1.509 to 2.509 s) is quiet beside the speech before it.
        const auto [gapLow, gapHigh] = peaks.Range(1700, 2300);
        const auto [low, high] = peaks.Range(500, 1400);
        QVERIFY(std::max(-gapLow, gapHigh) * 10 < std::max(-low, high));
        // A boundary dropped on the last word's end (1.18 s) lands in the quiet nearby.
        auto level = [&](int ms) {
            const auto [l, h] = peaks.Range(ms, ms + 20);
            return std::max(-l, h);
        };
        QVERIFY(level(1180) > 1000);
        const int snapped = peaks.QuietestNear(1180, 100);
        QVERIFY2(level(snapped) < 200 && std::abs(snapped - 1180) <= 100,
                 qPrintable(QString::number(snapped)));
        QCOMPARE(peaks.QuietestNear(99999999, 100), 99999999); // beyond the peaks: as asked

        Peaks back;
        const QByteArray image = peaks.Serialize();
        QVERIFY(Peaks::Parse(image, back));
        QCOMPARE(back.minMax, peaks.minMax);
        QCOMPARE(back.lengthMs, peaks.lengthMs);
        QCOMPARE(back.fileSize, peaks.fileSize);
        Peaks inverted;
        inverted.minMax = {5, -5}; // a low above its high
        const QByteArray damaged[] = {image.left(image.size() - 1),
                                      image + "x",
                                      "KPKS",
                                      QByteArray(image).replace(0, 4, "RIFF"),
                                      QByteArray(image).replace(4, 1, "\x02"),
                                      inverted.Serialize()};
        for (const QByteArray& bytes : damaged)
            QVERIFY(!Peaks::Parse(bytes, back));
        QVERIFY(ComputePeaks(test::Media("text.mp3"), cancel).Empty());
    }

    // A stretch of a lesson as a file of its own: the packets copied into the same kind of
    // file where the format allows, a WAV for module music; as long as the stretch.
    void clipsKeepTheirFormat_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("extension");
        QTest::newRow("mp3") << Media("lesson.mp3") << "mp3";
        QTest::newRow("ogg") << Media("lesson.ogg") << "ogg";
        QTest::newRow("flac: decoded") << Media("lesson.flac") << "wav";
        QTest::newRow("m4a") << Media("lesson.m4a") << "m4a";
        QTest::newRow("wav") << Media("lesson.wav") << "wav";
        QTest::newRow("audio of a video") << Media("lesson_video.mp4") << "m4a";
        QTest::newRow("wma: decoded") << Media("lesson.wma") << "wav";
    }
    void clipsKeepTheirFormat() {
        QFETCH(QString, file);
        QFETCH(QString, extension);
        const QString written = CutClip(file, 500, 1500, m_dir.filePath("clip_" + extension));
        QCOMPARE(QFileInfo(written).suffix(), extension);
        std::unique_ptr<CDecoder> clip = OpenDecoder(written);
        QVERIFY(clip);
        const std::int64_t ms = clip->LengthFrames() * 1000 / clip->SampleRate();
        QVERIFY2(std::abs(ms - 1000) <= 60, qPrintable(QString::number(ms)));
        QFile::remove(written);
    }
    void clipsOfWhatNoContainerTakes() {
        QCOMPARE(QFileInfo(CutClip(m_mod, 0, 500, m_dir.filePath("mod_clip"))).suffix(),
                 QString("wav"));
        QCOMPARE(CutClip(Media("text.mp3"), 0, 500, m_dir.filePath("none")), QString());
        QCOMPARE(CutClip(Media("lesson.wav"), 500, 500, m_dir.filePath("empty")), QString());
    }

    void mediaInfoIsTheBasicReport() {
        const QString report = CMediaInfo::Report(Media("lesson.mp3"));
        QVERIFY(report.contains("MPEG Audio"));
        QVERIFY2(!report.contains("Count of stream of this kind"), qPrintable(report));
        QVERIFY(CMediaInfo::Report(Media("text.mp3")).contains("General"));
    }

    void decoderFromMemoryNeverCrashes() {
        QFile f(Media("lesson.mp3"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY(OpenDecoderFromMemory(bytes));
        // Cut (down to nothing) and damaged copies decode as far as they go.
        for (int cut : {0, 10, 200, 4000, int(bytes.size() / 3)}) {
            QByteArray damaged = bytes.left(cut);
            for (int i = 100; i < damaged.size(); i += 97)
                damaged[i] = char(damaged[i] ^ 0x5A);
            if (auto d = OpenDecoderFromMemory(damaged)) {
                float frames[2048];
                int total = 0;
                while (int n = d->Read(frames, 1024))
                    total += n;
                QVERIFY(total <= 4 * 44100); // never more than the lesson holds
            }
        }
    }

    // The pitch tracker follows a slow sweep (150 Hz rising 100 Hz a second) within 2 %;
    // the picture's trace finds where the tone begins and centres the curve on its median.
    void pitchOfASweep() {
        constexpr int rate = 44100;
        const int silent = rate * 3 / 10;
        std::vector<float> mono(std::size_t(silent), 0.0f);
        for (int i = 0; i < rate * 5 / 2; ++i) {
            const double t = double(i) / rate;
            mono.push_back(float(0.5 * std::sin(2 * M_PI * (150 * t + 50 * t * t))));
        }
        const std::vector<float> hz = TrackPitch(mono, rate);
        std::vector<double> errors;
        for (std::size_t block = 40; block + 5 < hz.size(); ++block) {
            const double t = double(block) * VoiceTrace::kBlockMs / 1000 - 0.3;
            if (t < 0.1) continue;
            const double expected = 150 + 100 * t;
            errors.push_back(std::abs(hz[block] - expected) / expected);
        }
        std::sort(errors.begin(), errors.end());
        QVERIFY(errors.size() > 200);
        const double typical = errors[errors.size() / 2];
        const double worst = errors[errors.size() * 95 / 100];
        qInfo("pitch error: median %.2f %%, 95th percentile %.2f %%", typical * 100, worst * 100);
        QVERIFY(worst < 0.02);
        const VoiceTrace trace = AnalyseVoice(mono, rate);
        QVERIFY(std::abs(trace.onset - 30) <= 1);
        QCOMPARE(trace.envelope.size(), (mono.size() + 440) / 441); // a block every 10 ms
        // Rising through the median: below it early, above it late, about a fifth each way
        // (150..400 Hz around about 275).
        QVERIFY(trace.pitch[60] < -4 && trace.pitch[250] > 4);
        QVERIFY(std::isnan(trace.pitch[10])); // silence has no pitch
        // A span of a file, as the picture reads the source sentence.
        int fileRate = 0;
        const std::vector<float> span = ReadMono(m_numbered, 1000, 1500, &fileRate);
        QCOMPARE(fileRate, 44100);
        QCOMPARE(span.size(), std::size_t(22050));
        QCOMPARE(NumberOf(span[0]), 44100 % 32000);
        // Spoken sentences: a curve within an octave of the speaker's middle, over most of
        // the speech.
        const VoiceTrace speech =
            AnalyseVoice(ReadMono(Media("speech_gaps.wav"), 0, 7000, &fileRate), fileRate);
        int loud = 0, voiced = 0;
        for (std::size_t i = 0; i < speech.envelope.size(); ++i) {
            if (!std::isnan(speech.pitch[i])) QVERIFY(std::abs(speech.pitch[i]) <= 12);
            loud += speech.envelope[i] > 0.2f;
            voiced += speech.envelope[i] > 0.2f && !std::isnan(speech.pitch[i]);
        }
        qInfo("speech: %d of %d loud blocks have a pitch", voiced, loud);
        QVERIFY(voiced * 2 > loud);
    }
};

QTEST_GUILESS_MAIN(TestAudio)
#include "tst_audio.moc"
