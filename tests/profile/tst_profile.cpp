// Damaged profiles: every integer key holding the values probing found harmful (INT_MAX,
// INT_MIN, -1) loads, and the program built on it starts, opens a lesson and runs the
// commands, panels and pages that use those numbers as indexes and counts, offscreen, with
// nothing for the sanitizers to report.
#include "app/KestrovaApp.h"
#include "common/AppSetting.h"
#include "common/Util.h"
#include "library/PlaylistView.h"
#include "player/PlaybackController.h"
#include "player/StudySession.h"
#include "support/Fixtures.h"
#include "ui/MainFrame.h"
#include "ui/MainSiderPanel.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <climits>

using namespace kestrova;
using namespace kestrova::test;

class TestProfile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void damagedIntegersAreHarmless_data() { AddDamagedIntegerRows(); }
    void damagedIntegersAreHarmless() {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(int, value);
        QTemporaryDir home;
        ScopedEnv homeEnv("KESTROVA_HOME", home.path().toUtf8());
        {
            QFile f(ProfilePath());
            QVERIFY(f.open(QIODevice::WriteOnly));
            // The pause after each pass is on, so that its length index is used.
            f.write(QStringLiteral("[Repeat]\r\nPauseFinish=1\r\n[%1]\r\n%2=%3\r\n")
                        .arg(section, key)
                        .arg(value)
                        .toUtf8());
        }
        CAppSetting settings;
        settings.SetProfile(ProfilePath());
        settings.Load();
        settings.DisableStoreOnExit();
        {
            test::TestPrompts prompts; // every question answered no
            CMainFrame frame(settings);
            frame.SetPrompts(&prompts);
            frame.Activate();
            frame.Playlist()->OpenFiles({test::Media("lesson.mp3")});
            CPlaybackController* bar = &frame.Session().Controller();
            // The side panels, each shown (their lists and sliders take the numbers).
            for (int panel : {1, 2, 3, 1})
                frame.PanelCommand(panel);
            frame.MainPanel()->SyncFromSettings();
            // A pass over a region, its repeat count, the moving steps and the pauses.
            bar->SetRegion(50, 150);
            bar->Execute(CommandId::AutoRepeat);
            bar->Execute(CommandId::MoveStartLeft);
            bar->Execute(CommandId::MoveEndRight);
            for (int i = 0; i < 3; ++i)
                bar->PauseTick();
            bar->PositionTick();
            bar->Execute(CommandId::VolumeUp);
            bar->Execute(CommandId::NextFile);
            // Every page: dictation, hard sentences, notes, radio.
            for (int page = 0; page < 5; ++page)
                frame.SelectPage(page);
            QApplication::processEvents();
        }
    }
};

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("KESTROVA_AUDIO", "null");
    CKestrovaApp app(argc, argv);
    TestProfile tests;
    return QTest::qExec(&tests, argc, argv);
}
#include "tst_profile.moc"
