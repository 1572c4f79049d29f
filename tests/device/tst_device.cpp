// The engine through a real sound server: a private PulseAudio daemon whose null sink's
// monitor is recorded and compared with the source by cross-correlation. These run in real
// time (a few seconds each): what the learner hears after every kind of jump, the reported
// position against the heard sound, region ends, a storm of seeks, the server going away,
// and capture from the microphone.
#include "audio/MediaCore.h"
#include "audio/SdlAudio.h"
#include "common/AppSetting.h"
#include "common/Util.h"
#include "common/Wav.h"
#include "player/EffectsController.h"
#include "player/PlaybackController.h"
#include "player/PlaylistModel.h"
#include "player/RecordController.h"
#include "player/SentenceModel.h"
#include "support/Fixtures.h"
#include "support/SoundServer.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtEndian>
#include <cmath>

using namespace kestrova;
using namespace kestrova::test;

namespace {
constexpr int kRate = 44100;
std::int64_t Frames(double ms) {
    return std::int64_t(ms * kRate / 1000.0);
}
double Ms(std::int64_t frames) {
    return double(frames) * 1000.0 / kRate;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 1e9 : v[v.size() / 2];
}
} // namespace

class TestDevice : public QObject {
    Q_OBJECT
    CPrivateSoundServer m_server;
    QTemporaryDir m_dir;
    QString m_speech; // three spoken sentences over a faint noise floor
    std::vector<float> m_speechMono;
    QString m_lesson;
    std::vector<float> m_lessonMono;
    QString m_chirp;
    QStringList m_messages;

    // One moment the test did something, and the source place the learner should hear then.
    struct Jump {
        const char* what;
        std::int64_t atNs;
        double sourceMs;
        const std::vector<float>* source;
        double limitMs = 100;
    };

    std::unique_ptr<CMediaCore> MakeCore() {
        return std::make_unique<CMediaCore>(std::make_unique<CSdlAudioOutput>());
    }

    // Each jump is heard within 100 ms, as the source from the place it went to.
    void VerifyJumps(const CMonitorRecorder& rec, const std::vector<Jump>& jumps) {
        const std::vector<float> heard = rec.Mono();
        for (const Jump& j : jumps) {
            const std::vector<float>& src = *j.source;
            const auto from = std::size_t(Frames(j.sourceMs));
            const std::vector<float> pattern(src.begin() + std::ptrdiff_t(from),
                                             src.begin() + std::ptrdiff_t(from + Frames(250)));
            const std::int64_t at = rec.FrameAt(j.atNs);
            const Match m = FindPattern(heard, pattern, at - Frames(30), at + Frames(400));
            const double delay = Ms(m.frame - at);
            qInfo("%s: heard after %.1f ms, correlation %.3f", j.what, delay, m.correlation);
            QVERIFY2(m.correlation >= 0.9, j.what);
            QVERIFY2(delay <= j.limitMs, j.what);
        }
    }

private Q_SLOTS:
    void initTestCase() {
        QString why;
        QVERIFY2(m_server.Start(&why), qPrintable(why));
        m_speech = Media("speech_gaps.wav");
        m_lesson = Media("lesson.wav");
        m_speechMono = DecodeMono(m_speech);
        m_lessonMono = DecodeMono(m_lesson);
        QVERIFY(m_speechMono.size() > std::size_t(Frames(6000)));
        m_chirp = m_dir.filePath("chirp.wav");
        WriteChirpWav(m_chirp, 6);
        SetMessageHandler([this](MessageKind, const QString& text) { m_messages << text; });
    }
    void init() {
        m_messages.clear();
        if (!m_server.Running()) QVERIFY(m_server.Start());
    }

    void playIsHeardAtTheVolumeSet() {
        auto core = MakeCore();
        CMonitorRecorder rec;
        QVERIFY(rec.Start());
        QVERIFY(core->Load(m_speech));
        core->SetVolume(50);
        const std::int64_t t0 = SteadyNs();
        QVERIFY(core->Play());
        QTest::qWait(3000);
        rec.Stop();
        const std::vector<float> heard = rec.Mono();
        const std::vector<float> pattern(m_speechMono.begin() + Frames(500),
                                         m_speechMono.begin() + Frames(2500));
        const std::int64_t at = rec.FrameAt(t0) + Frames(500);
        const Match m = FindPattern(heard, pattern, at - Frames(20), at + Frames(300));
        qInfo("first sound after %.1f ms, correlation %.3f", Ms(m.frame - at), m.correlation);
        QVERIFY(m.correlation >= 0.9);
        const double level =
            Rms(heard, m.frame, Frames(2000)) / Rms(m_speechMono, Frames(500), Frames(2000));
        QVERIFY2(std::abs(level - 0.5) < 0.05, qPrintable(QString::number(level)));
        QVERIFY(m_messages.isEmpty());
    }

    // Every way of jumping that once silenced the device for good.
    void everyJumpIsHeard() {
        auto core = MakeCore();
        CMonitorRecorder rec;
        QVERIFY(rec.Start());
        std::vector<Jump> jumps;
        auto jump = [&](const char* what, double sourceMs, const std::vector<float>& src,
                        const std::function<void()>& act) {
            jumps.push_back({what, SteadyNs(), sourceMs, &src});
            act();
        };
        QVERIFY(core->Load(m_speech));
        jump("play", 0, m_speechMono, [&] { core->Play(); });
        QTest::qWait(700);
        jump("seek forward", 4000, m_speechMono, [&] { core->SetPosition(4000); });
        QTest::qWait(700);
        jump("seek back", 1000, m_speechMono, [&] { core->SetPosition(1000); });
        QTest::qWait(700);
        // A sentence chosen: its end becomes the stop mark, playback goes to its start.
        const int s2 = 2509;
        const int e2 = 4634;
        jump("sentence chosen", s2, m_speechMono, [&] {
            core->SetStopMark(e2);
            core->SetPosition(s2);
            core->Play();
        });
        QTest::qWait(600);
        // Automatic repeat over a short region: three passes, one second apart.
        const int a = 2600;
        const int b = 3400;
        int passes = 0;
        core->SetPlayEndHandler([&](CMediaCore::EndKind) {
            if (++passes < 3)
                QTimer::singleShot(1000, core.get(), [&] {
                    jump("next pass", a, m_speechMono, [&] {
                        core->SetPosition(a);
                        core->Play();
                    });
                });
            return false;
        });
        jump("first pass", a, m_speechMono, [&] {
            core->SetStopMark(b);
            core->SetPosition(a);
            core->Play();
        });
        QTRY_COMPARE_WITH_TIMEOUT(passes, 3, 6000);
        core->SetPlayEndHandler(nullptr);
        core->SetStopMark(-1);
        jump("play after the passes", a, m_speechMono, [&] {
            core->SetPosition(a);
            core->Play();
        });
        QTest::qWait(500);
        core->Pause();
        const double pausedAt = core->GetPosition();
        QTest::qWait(300);
        jump("pause then play", pausedAt, m_speechMono, [&] { core->Play(); });
        QTest::qWait(500);
        core->Stop();
        QTest::qWait(300);
        jump("stop then play", 0, m_speechMono, [&] { core->Play(); });
        QTest::qWait(500);
        jump("another file", 0, m_lessonMono, [&] {
            core->Load(m_lesson);
            core->Play();
        });
        QTest::qWait(600);
        rec.Stop();
        VerifyJumps(rec, jumps);
        QVERIFY(m_messages.isEmpty());
    }

    void positionIsWhatIsHeard() {
        auto core = MakeCore();
        CMonitorRecorder rec;
        QVERIFY(rec.Start());
        QVERIFY(core->Load(m_chirp));
        QVERIFY(core->Play());
        std::vector<std::pair<std::int64_t, int>> normal;
        std::vector<std::pair<std::int64_t, int>> slow;
        QTest::qWait(800);
        for (int i = 0; i < 12; ++i) {
            QTest::qWait(90);
            normal.emplace_back(SteadyNs(), core->GetPosition());
        }
        QVERIFY(core->SetTempo(-40));
        QTest::qWait(800);
        for (int i = 0; i < 12; ++i) {
            QTest::qWait(90);
            slow.emplace_back(SteadyNs(), core->GetPosition());
        }
        rec.Stop();
        const std::vector<float> heard = rec.Mono();
        for (const auto* samples : {&normal, &slow}) {
            std::vector<double> errors;
            for (auto [ns, ms] : *samples) {
                errors.push_back(ChirpSourceMs(FrequencyAt(heard, rec.FrameAt(ns))) - ms);
            }
            const double median = Median(errors);
            qInfo("%s tempo: median heard - reported %.1f ms",
                  samples == &normal ? "normal" : "-40 %", median);
            QVERIFY(std::abs(median) <= 20);
        }
    }

    // The tempo slider at its ends: 40 % and 160 % of the source's speed, pitch kept, as
    // heard on the monitor (the chirp's frequency tells the source time).
    void tempoSliderIsHeard() {
        CAppSetting settings;
        settings.DisableStoreOnExit();
        settings.Volume = 100;
        CPlaylistModel playlist;
        CPlaybackController playback(settings, MakeCore());
        playback.SetPlaylist(&playlist);
        playlist.SetPaths({m_chirp});
        CEffectsController effects(settings, playback);
        QVERIFY(playback.OpenEntry(0));
        CMonitorRecorder rec;
        QVERIFY(rec.Start());
        // Ten moments of each run, a tenth of a second apart.
        std::vector<std::pair<int, std::vector<std::int64_t>>> runs;
        for (int slider : {0, 2 * CEffectsController::kTempoNeutral}) {
            playback.Engine().SetPosition(1000);
            effects.SetTempo(slider);
            playback.Execute(CommandId::Play);
            QTest::qWait(400);
            std::vector<std::int64_t> moments;
            for (int i = 0; i < 10; ++i) {
                moments.push_back(SteadyNs());
                QTest::qWait(100);
            }
            runs.push_back({slider, moments});
            playback.Execute(CommandId::Pause);
        }
        rec.Stop();
        const std::vector<float> heard = rec.Mono();
        for (const auto& [slider, moments] : runs) {
            // The median of the source time heard per wall time between moments half a second
            // apart (stretching plays short pieces at the source's speed: a shorter span
            // would measure the pieces, not their progress).
            std::vector<double> speeds;
            for (std::size_t i = 5; i < moments.size(); ++i) {
                const double source =
                    ChirpSourceMs(FrequencyAt(heard, rec.FrameAt(moments[i]))) -
                    ChirpSourceMs(FrequencyAt(heard, rec.FrameAt(moments[i - 5])));
                speeds.push_back(source / (double(moments[i] - moments[i - 5]) / 1e6));
            }
            const double speed = Median(speeds);
            qInfo("tempo slider %d: %.3f of the source's speed", slider, speed);
            QVERIFY(std::abs(speed - (slider == 0 ? 0.4 : 1.6)) < 0.05);
        }
    }

    void passEndsAtTheRegionEnd() {
        auto core = MakeCore();
        CMonitorRecorder rec;
        QVERIFY(rec.Start());
        QVERIFY(core->Load(m_speech));
        // The mark falls inside the second sentence: its next word must not be heard.
        const int a = 2600;
        const int b = 3300;
        QSignalSpy reached(core.get(), &CMediaCore::stopMarkReached);
        core->SetStopMark(b);
        core->SetPosition(a);
        QVERIFY(core->Play());
        QTRY_COMPARE_WITH_TIMEOUT(reached.size(), 1, 3000);
        QTest::qWait(400);
        rec.Stop();
        const std::vector<float> heard = rec.Mono();
        const std::vector<float> tail(m_speechMono.begin() + Frames(b - 250),
                                      m_speechMono.begin() + Frames(b));
        const Match m = FindPattern(heard, tail, 0, std::int64_t(heard.size()));
        QVERIFY(m.correlation >= 0.9);
        const std::int64_t end = m.frame + Frames(250);
        const double after = Rms(heard, end + Frames(3), Frames(250));
        const double words = Rms(m_speechMono, Frames(b), Frames(250));
        qInfo("after the mark %.5f, the words that follow %.5f", after, words);
        QVERIFY(after < 0.001 && words > 0.02);
    }

    void aStormOfSeeksThenPlay() {
        auto core = MakeCore();
        QVERIFY(core->Load(m_speech));
        QVERIFY(core->Play());
        for (int i = 0; i < 200; ++i) {
            core->SetPosition((i * 7919) % 7000);
            QTest::qWait(10);
        }
        core->Pause();
        CMonitorRecorder rec;
        QVERIFY(rec.Start());
        std::vector<Jump> jumps;
        jumps.push_back({"play after 200 seeks", SteadyNs(), 2000, &m_speechMono});
        core->SetPosition(2000);
        QVERIFY(core->Play());
        QTest::qWait(600);
        rec.Stop();
        VerifyJumps(rec, jumps);
    }

    void serverGoneAndBack() {
        auto core = MakeCore();
        QSignalSpy lost(core.get(), &CMediaCore::deviceLost);
        QVERIFY(core->Load(m_speech));
        QVERIFY(core->Play());
        QTest::qWait(500);
        m_server.Kill();
        QTRY_COMPARE_WITH_TIMEOUT(lost.size(), 1, 5000);
        QVERIFY(core->IsPaused());
        const int at = core->GetPosition();
        QVERIFY2(at > 200 && at < 2000, qPrintable(QString::number(at)));
        QVERIFY(!core->Play()); // no server: Play tries, fails, and says so again
        QCOMPARE(lost.size(), 2);
        QVERIFY(m_server.Start());
        CMonitorRecorder rec;
        QVERIFY(rec.Start());
        std::vector<Jump> jumps;
        // This Play first connects to the server again, which takes a moment more.
        jumps.push_back(
            {"play after the server came back", SteadyNs(), double(at), &m_speechMono, 300});
        QVERIFY(core->Play());
        QTest::qWait(600);
        rec.Stop();
        VerifyJumps(rec, jumps);
    }

    void captureFromTheMicrophone() {
        auto core = MakeCore();
        QVERIFY(core->InitRecording());
        const std::int64_t t0 = SteadyNs();
        QVERIFY(core->StartRecording());
        m_server.PlayInto("mic", m_speech);
        QTest::qWait(2500);
        QVERIFY(core->StopRecording());
        const double wallMs = double(SteadyNs() - t0) / 1e6;
        const QByteArray image = core->RecordingImage();
        auto le32 = [&](int at) { return qFromLittleEndian<quint32>(image.constData() + at); };
        QCOMPARE(le32(4), quint32(image.size() - 8));
        QCOMPARE(le32(40), quint32(image.size() - 44));
        QCOMPARE(image.mid(0, 4), QByteArray("RIFF"));
        const double recordedMs = double(image.size() - 44) / 176400 * 1000;
        qInfo("recorded %.1f ms in %.1f ms", recordedMs, wallMs);
        QVERIFY(std::abs(recordedMs - wallMs) <= 50);
        QCOMPARE(core->GetRecordedLength(), int(recordedMs));
        std::vector<float> captured;
        for (qsizetype i = 44; i + 3 < image.size(); i += 4) {
            const auto l = qFromLittleEndian<qint16>(image.constData() + i);
            const auto r = qFromLittleEndian<qint16>(image.constData() + i + 2);
            captured.push_back(float(l + r) / 65536.0f);
        }
        const std::vector<float> pattern(m_speechMono.begin() + Frames(200),
                                         m_speechMono.begin() + Frames(1200));
        const Match m = FindPattern(captured, pattern, 0, std::int64_t(captured.size()));
        qInfo("captured speech correlation %.3f", m.correlation);
        QVERIFY(m.correlation >= 0.9);
        // What was captured plays back through the device.
        QSignalSpy ended(core.get(), &CMediaCore::recordingPlayEnded);
        QVERIFY(core->PlayRecording(true));
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 5000);
        QVERIFY(m_messages.isEmpty());
    }

    // Follow-reading through the server: what the learner says into the microphone is
    // recorded, and a comparison plays the source sentence once, then the recording.
    void compareTheSentenceWithTheRecording() {
        CAppSetting settings;
        settings.DisableStoreOnExit();
        settings.Volume = 100;
        CPlaylistModel playlist;
        CSentenceModel sentences;
        CPlaybackController playback(settings, MakeCore());
        playback.SetPlaylist(&playlist);
        playback.SetSentences(&sentences);
        playlist.SetPaths({m_speech});
        CRecordController recorder(settings, playback, sentences);
        recorder.SetMode(CRecordController::AfterRecording::Manual);
        QVERIFY(playback.OpenEntry(0));
        const int s2 = 2509;
        const int e2 = 4634;
        sentences.SetSentences({{0, 250}, {s2 / 10, e2 / 10}});
        sentences.SelectSentence(1);
        QVERIFY(recorder.Init());
        recorder.Record();
        QVERIFY(recorder.Recording());
        m_server.PlayInto("mic", m_lesson); // the learner speaks
        QTest::qWait(2000);
        recorder.Record();
        QVERIFY(recorder.IsEnabled(CRecordController::Button::Compare));
        CMonitorRecorder rec;
        QVERIFY(rec.Start());
        const std::int64_t t0 = SteadyNs();
        recorder.Compare();
        QTRY_VERIFY_WITH_TIMEOUT(recorder.PlayingRecording(), 4000);
        const std::int64_t t1 = SteadyNs();
        QTRY_VERIFY_WITH_TIMEOUT(!recorder.Comparing(), 4000);
        rec.Stop();
        QVERIFY(!playback.Engine().IsPlaying());
        const std::vector<float> heard = rec.Mono();
        const std::vector<float> source(m_speechMono.begin() + Frames(s2),
                                        m_speechMono.begin() + Frames(s2 + 500));
        const Match first =
            FindPattern(heard, source, rec.FrameAt(t0) - Frames(30), rec.FrameAt(t0) + Frames(400));
        qInfo("source sentence: heard after %.1f ms, correlation %.3f",
              Ms(first.frame - rec.FrameAt(t0)), first.correlation);
        QVERIFY(first.correlation >= 0.9);
        // The recording starts with the lesson as it came through the microphone.
        const std::vector<float> spoken(m_lessonMono.begin() + Frames(300),
                                        m_lessonMono.begin() + Frames(1000));
        const Match second =
            FindPattern(heard, spoken, rec.FrameAt(t1) - Frames(100), std::int64_t(heard.size()));
        qInfo("recording: correlation %.3f", second.correlation);
        QVERIFY(second.correlation >= 0.8);
        QVERIFY(second.frame > first.frame + Frames(e2 - s2 - 100));
        QVERIFY(m_messages.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDevice)
#include "tst_device.moc"
