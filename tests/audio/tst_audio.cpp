// The audio engine on the null output: formats, bad input, transport, positions in source
// time, ends of channel, stop marks, volume and the effect chain.
#include "audio/AudioOutput.h"
#include "audio/Decoder.h"
#include "audio/MediaCore.h"
#include "audio/SoundPlayer.h"
#include "common/AppSetting.h"
#include "common/Util.h"
#include "support/Fixtures.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace kestrova;
using namespace kestrova::test;

namespace {
std::unique_ptr<CMediaCore> MakeCore(const CAppSetting* settings = nullptr) {
    return std::make_unique<CMediaCore>(settings, std::make_unique<CNullAudioOutput>(false));
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
        CAppSetting settings;
        settings.Tempo = -40;
        auto core = MakeCore(&settings);
        QVERIFY(core->Load(m_mod));
        QVERIFY(core->GetLength() > 5000);
        QCOMPARE(core->Tempo(), -40.0f);
        QVERIFY(core->Play());
        Run(*core, 1000);
        QVERIFY2(qAbs(core->GetPosition() - 600) <= 10,
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

    void positionsAreSourceTimeAtSlowTempo() {
        auto core = MakeCore();
        QVERIFY(core->Load(Media("lesson.mp3")));
        QVERIFY(core->SetTempo(-40, 0, -100));
        QVERIFY(core->Play());
        Run(*core, 1000);
        QVERIFY2(qAbs(core->GetPosition() - 600) <= 2,
                 qPrintable(QString::number(core->GetPosition())));
        // A change while playing keeps the count in source time.
        QVERIFY(core->SetTempo(0, 0, -100));
        Run(*core, 1000);
        const int pos = core->GetPosition();
        QVERIFY2(pos > 1400 && pos < 1700, qPrintable(QString::number(pos)));
        QVERIFY(!MakeCore()->SetTempo(10, 0, -100)); // no channel
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
        core->SetTempo(tempo, 0, -100);
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
        core->SetAttributes(-1, 70, -101);
        int rate = 0, volume = 0, pan = 0;
        core->GetAttributes(&rate, &volume, &pan);
        QCOMPARE(rate, 44100);
        QCOMPARE(volume, 70);
        QCOMPARE(pan, 0);
        core->SetAttributes(-1, -1, -40);
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
        core->SetAttributes(-1, 50, 0);
        core->SetPosition(1000);
        QVERIFY(core->Play());
        Run(*core, 5);
        QCOMPARE(NumberOf(heard[0] * 2), 44100 % 32000);
        core->SetMute(true);
        heard.clear();
        Run(*core, 5);
        QCOMPARE(heard[0], 0.0f);
        // A volume set while muted is audible but does not replace the remembered one.
        core->SetAttributes(-1, 20, -101);
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

    void loadAppliesTempoAndPitchSettings() {
        CAppSetting settings;
        settings.Tempo = 20;
        settings.Pitch = -3;
        auto core = MakeCore(&settings);
        QVERIFY(core->Load(Media("lesson.ogg")));
        QCOMPARE(core->Tempo(), 20.0f);
        QCOMPARE(core->Pitch(), -3.0f);
        QVERIFY(core->SetTempo(-100, 0, -100)); // all unchanged
        QCOMPARE(core->Tempo(), 20.0f);
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

    void decoderFromMemoryNeverCrashes() {
        QFile f(Media("lesson.mp3"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY(OpenDecoderFromMemory(bytes));
        // Cut and damaged copies decode as far as they go.
        for (int cut : {10, 200, 4000, int(bytes.size() / 3)}) {
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
};

QTEST_GUILESS_MAIN(TestAudio)
#include "tst_audio.moc"
