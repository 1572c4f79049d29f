// The application shell and the main frame, offscreen: start-up and exit with the profile,
// the single instance, the frame's pages, menus, status bar, side bar, placement and the
// provisional transport.
#include "app/AboutDlg.h"
#include "app/KestrovaApp.h"
#include "audio/AudioOutput.h"
#include "audio/MediaCore.h"
#include "common/AppSetting.h"
#include "common/FontText.h"
#include "common/Options.h"
#include "common/Util.h"
#include "dictation/DictateSentPanel.h"
#include "dictation/DictationSession.h"
#include "dictation/DictationView.h"
#include "dictation/HardSentPanel.h"
#include "library/NoteFrm.h"
#include "library/PlaylistView.h"
#include "player/AlarmClock.h"
#include "player/PlaybackController.h"
#include "player/PlaylistModel.h"
#include "player/SentenceModel.h"
#include "player/Shortcuts.h"
#include "player/StudySession.h"
#include "player/WaveformModel.h"
#include "repeat/CtrlBar.h"
#include "repeat/SellistView.h"
#include "subtitle/BrowseAndTranslate.h"
#include "subtitle/Lrc.h"
#include "subtitle/LrcView.h"
#include "subtitle/MiniLrc.h"
#include "subtitle/SubtitleModel.h"
#include "support/Fixtures.h"
#include "controls/Icons.h"
#include "ui/AlarmDlg.h"
#include "ui/MainFrame.h"
#include "ui/MainSiderPanel.h"
#include "ui/MiniWnd.h"
#include "ui/OptionsSheet.h"
#include "ui/RadioDialogs.h"
#include "ui/RadioPanel.h"
#include "ui/ShortcutPage.h"
#include "ui/SideBar.h"
#include "ui/StatusBar.h"
#include "ui/TabView.h"
#include "ui/VoiceCompareView.h"
#include "ui/WaveformView.h"
#include "ui/WindowPlacement.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPrinter>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QSystemTrayIcon>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTextEdit>
#include <QTimeEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <functional>
#include <memory>
#include <unistd.h>

using namespace kestrova;

namespace {
QString ProfileText(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QString::fromUtf8(f.readAll());
}

// A lesson with a three-line subtitle file beside it, in `folder`; its path.
QString LessonWithSubtitles(const QString& folder) {
    const QString lesson = folder + "/lesson.wav";
    QFile::copy(test::Media("lesson.wav"), lesson);
    QFile lrcFile(folder + "/lesson.lrc");
    lrcFile.open(QIODevice::WriteOnly);
    lrcFile.write("[00:00.00]Hello.\r\n[00:01.00]A short lesson.\r\n[00:02.00]Repeat.\r\n");
    return lesson;
}

// A main window over a fresh home with a subtitled lesson opened (not split; questions
// answered yes); `tune` sets the settings before the window reads them.
struct LessonWindow {
    QTemporaryDir home;
    test::ScopedEnv homeEnv{"KESTROVA_HOME", home.path().toUtf8()};
    CAppSetting settings;
    test::TestPrompts prompts;
    std::unique_ptr<CMainFrame> frame;
    explicit LessonWindow(const std::function<void(CAppSetting&)>& tune = {}) {
        settings.UseSplit = false;
        if (tune) tune(settings);
        prompts.answer = [](const QString&) { return true; };
        frame = std::make_unique<CMainFrame>(settings);
        frame->SetPrompts(&prompts);
        frame->Activate();
        frame->Playlist()->OpenFiles({LessonWithSubtitles(home.path())});
    }
};

// Status-bar pane 0..7 ("pane<n>"); null for any other.
QLabel* Pane(const CStatusBar* bar, int pane) {
    return bar->findChild<QLabel*>(QStringLiteral("pane%1").arg(pane));
}
} // namespace

// Takes the addresses the program hands to the desktop, instead of a browser.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl& url) { urls << url; }
};

class TestUi : public QObject {
    Q_OBJECT
    QTemporaryDir m_home;
    std::unique_ptr<test::ScopedEnv> m_homeEnv;

private Q_SLOTS:
    void initTestCase() {
        m_homeEnv = std::make_unique<test::ScopedEnv>("KESTROVA_HOME", m_home.path().toUtf8());
    }
    void cleanupTestCase() { m_homeEnv.reset(); }

    void startupAndExitWriteTheProfile() {
        auto* app = static_cast<CKestrovaApp*>(QCoreApplication::instance());
        QVERIFY(!QFile::exists(ProfilePath()));
        QVERIFY(app->Startup());
        CMainFrame* frame = app->MainFrame();
        QVERIFY(frame && frame->isVisible());
        QCOMPARE(frame->windowTitle(), QString("Kestrova Professional"));
        // The splash went at activation.
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY(!(w->objectName() == "AboutDlg" && w->isVisible()));
        // While it runs, a second start is told to go away after signalling it.
        QVERIFY(CKestrovaApp::SignalRunningInstance());
        // The window closing for good ends the program, wherever it was hidden: the program
        // listens (seen by taking its connection away, as this test ends it by hand).
        QVERIFY(QObject::disconnect(frame, &CMainFrame::closed, app, nullptr));
        frame->close();
        app->Exit();
        const QString text = ProfileText(ProfilePath());
        for (const auto& key : CAppSetting::StoreOrder())
            QVERIFY2(text.contains(QString(key.name) + "="), key.name);
        QVERIFY(text.indexOf("[General]") < text.indexOf("[UserGUI]"));
        QVERIFY(text.contains("WindowPos="));
        QVERIFY(text.contains("[DockState]"));
        QVERIFY(!CKestrovaApp::SignalRunningInstance());
    }

    void secondInstanceExitsAndShowsTheFirst() {
        // A stand-in first instance listens under the program's name.
        QLocalServer server;
        QLocalServer::removeServer(kInstanceName);
        QVERIFY(server.listen(kInstanceName));
        QTemporaryDir home;
        QProcess second;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KESTROVA_HOME", home.path());
        second.setProcessEnvironment(env);
        second.start(QCoreApplication::applicationDirPath() + "/../kestrova", {"lesson.mp3"});
        QVERIFY(second.waitForStarted());
        QVERIFY(server.waitForNewConnection(10000));
        QLocalSocket* peer = server.nextPendingConnection();
        QVERIFY(peer->waitForReadyRead(5000));
        QVERIFY(peer->readAll().startsWith("show"));
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitCode(), 0);
        QVERIFY(!QFile::exists(home.filePath("Kestrova.ini"))); // read and wrote no settings
    }

    void frameLayout() {
        CAppSetting settings;
        CMainFrame frame(settings);
        QCOMPARE(frame.TabView()->count(), 5);
        const QStringList captions = {"正在播放", "逆向听写", "难点句库", "学习笔记", "网络电台"};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(frame.TabView()->tabText(i), captions[i]);
        frame.SelectPage(3);
        QCOMPARE(frame.TabView()->currentIndex(), 3);
        QCOMPARE(frame.SideBar()->width(), CSideBar::kWidth);
        QCOMPARE(frame.MenuTitles(), (QStringList{"文件(&F)", "编辑(&E)", "视图(&V)", "播放(&P)",
                                                  "操作(&O)", "工具(&T)", "帮助(&H)"}));
        QCOMPARE(frame.MenuItems("帮助(&H)"),
                 (QStringList{"帮助...", "访问网站...", "发送邮件给作者...", "关于 Kestrova..."}));
        const QStringList file = frame.MenuItems("文件(&F)");
        QCOMPARE(file.first(), QString("打开文件..."));
        QCOMPARE(file.last(), QString("退出"));
        QCOMPARE(frame.Action(CommandId::OpenFile)->shortcut(), QKeySequence("Ctrl+O"));
        // Commands of later parts are shown, greyed.
        QVERIFY(!frame.Action(CommandId::ExportCourseware)->isEnabled());
        QVERIFY(!frame.Action(CommandId::Notes)->isEnabled()); // no file open yet
        QVERIFY(frame.Action(CommandId::OrderDefault)->isChecked());
        frame.Action(CommandId::OrderRepeatList)->trigger();
        QCOMPARE(settings.Order, 2);
        QVERIFY(!frame.Action(CommandId::OrderDefault)->isChecked());
    }

    void statusBarAndSplittingProgress() {
        CAppSetting settings;
        CMainFrame frame(settings);
        frame.show();
        CStatusBar* bar = frame.StatusBarPanes();
        QVERIFY(Pane(bar, 7) && !Pane(bar, 8));
        QVERIFY(Pane(bar, 4)->minimumWidth() > Pane(bar, 6)->minimumWidth());
        auto* progress = bar->findChild<QProgressBar*>("splitProgress");
        auto* cancel = bar->findChild<QToolButton*>("cancelSplitButton");
        QVERIFY(progress->isHidden());
        frame.SetSplittingProgress(0);
        QVERIFY(!progress->isHidden() && !cancel->isHidden());
        frame.SetSplittingProgress(60);
        QCOMPARE(progress->value(), 60);
        QVERIFY(progress->width() > 0);
        QVERIFY(progress->geometry().right() < cancel->geometry().left());
        QCOMPARE(cancel->geometry().right(), Pane(bar, 0)->rect().right());
        frame.SetSplittingProgress(-10);
        QVERIFY(progress->isHidden() && cancel->isHidden());
    }

    void statusPanesKeepTheirPlaces() {
        CAppSetting settings;
        CMainFrame frame(settings);
        frame.show();
        CStatusBar* bar = frame.StatusBarPanes();
        auto places = [&] {
            QCoreApplication::processEvents();
            QList<QRect> rects;
            for (int pane = 4; pane < CStatusBar::kPaneCount; ++pane)
                rects << Pane(bar, pane)->geometry();
            return rects;
        };
        // What the control bar writes: the region, then the clock or the pause between passes.
        bar->SetPaneText(4, QString(15, ' '));
        bar->SetPaneText(5, QString(15, ' '));
        bar->SetPaneText(7, "00:01.50 / 00:03.00");
        const QList<QRect> before = places();
        const QStringList pane7 = {QString::fromUtf8("句间暂停:1/5"),
                                   QString::fromUtf8("句间暂停:10/10"), QString(),
                                   "08:48.88 / 59:59.99"};
        for (const QString& text : pane7) {
            bar->SetPaneText(7, text);
            QCOMPARE(places(), before);
        }
        bar->SetPaneText(4, "01:05.07");
        bar->SetPaneText(5, "58:48.88");
        QCOMPARE(places(), before);
        // The bit rate of whatever compressed file plays.
        for (const char* text : {"128Kbps", "", "64Kbps", "320Kbps", "999Kbps"}) {
            bar->SetPaneText(6, QString::fromLatin1(text));
            QCOMPARE(places(), before);
        }
    }

    // One action per command id, found by id and by its stable name; the table's order is
    // the ids' order, so a command never answers for another.
    void commandsByIdAndName() {
        CAppSetting settings;
        CMainFrame frame(settings);
        QSet<QString> names;
        for (std::size_t i = 0; i < AllCommands().size(); ++i) {
            const CommandInfo& c = AllCommands()[i];
            QCOMPARE(std::size_t(c.id), i);
            const QString name = QString::fromLatin1(c.name);
            QVERIFY2(!names.contains(name), c.name);
            names.insert(name);
            QCOMPARE(CommandByName(name), std::optional<CommandId>(c.id));
            QCOMPARE(frame.Action(c.id)->text(), QString::fromUtf8(c.label));
        }
        QVERIFY(!CommandByName("no.such.command"));
        // The menus list their commands by label.
        QVERIFY(frame.MenuItems("播放(&P)").contains(CommandLabel(CommandId::AutoRepeat)));
    }

    void splittingCommandTooltips_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("tip");
        QTest::newRow("split") << "split.start"
                               << "分析当前音频文件中的句子，并将句子加到选择列表中";
        QTest::newRow("cancel") << "split.cancel"
                                << "如果自动断句占用太多时间，取消断句";
    }
    void splittingCommandTooltips() {
        QFETCH(QString, command);
        QFETCH(QString, tip);
        CAppSetting settings;
        CMainFrame frame(settings);
        QAction* action = frame.Action(*CommandByName(command));
        QCOMPARE(action->toolTip(), tip);
        int menus = 0;
        for (QObject* holder : action->associatedObjects())
            if (auto* menu = qobject_cast<QMenu*>(holder)) {
                ++menus;
                QVERIFY(menu->toolTipsVisible());
            }
        QVERIFY(menus > 0);
    }

    // "取消自动断句", from the menu or the status bar's button, ends dictation as well.
    void cancelSplittingEndsDictation_data() {
        QTest::addColumn<bool>("fromMenu");
        QTest::newRow("menu command") << true;
        QTest::newRow("status bar button") << false;
    }
    // The side bar's two sound pages: the main panel's links open them; the follow-reading
    // buttons say what they do through a record -> compare cycle, and the effect sliders
    // reach the playing channel.
    void soundPagesOfTheSideBar() {
        QTemporaryDir home;
        test::ScopedEnv homeEnv("KESTROVA_HOME", home.path().toUtf8());
        CAppSetting settings;
        settings.UseSplit = false;
        settings.Volume = 100;
        settings.WhenRecordFinished = 0;
        CMainFrame frame(settings);
        frame.Activate();
        frame.Playlist()->OpenFiles({LessonWithSubtitles(home.path())});
        CMediaCore& engine = frame.Session().Engine();
        auto* panel = frame.MainPanel();
        Q_EMIT panel->command(CommandId::PanelEffects);
        QCOMPARE(frame.SideBar()->CurrentPanel(), int(CSideBar::EffectPanel));
        auto* tempo = frame.SideBar()->findChild<QSlider*>("tempoSlider");
        QVERIFY(tempo && tempo->isVisible());
        tempo->setValue(30);
        QCOMPARE(engine.Tempo(), -30.0f);
        frame.SideBar()->findChild<QToolButton*>("tempoReset")->click();
        QCOMPARE(tempo->value(), 60);
        QCOMPARE(engine.Tempo(), 0.0f);
        auto* rate = frame.SideBar()->findChild<QSlider*>("rateSlider");
        QCOMPARE(rate->minimum(), 30869);
        QCOMPARE(rate->maximum(), 57330);
        frame.Action(CommandId::SlowDown)->trigger();
        QCOMPARE(tempo->value(), 54);

        Q_EMIT panel->command(CommandId::PanelRecord);
        QCOMPARE(frame.SideBar()->CurrentPanel(), int(CSideBar::RecordPanel));
        auto button = [&](const char* name) {
            return frame.SideBar()->findChild<QPushButton*>(QString::fromLatin1(name));
        };
        QVERIFY(!button("playRecordingButton")->isEnabled() && !button("saveButton")->isEnabled());
        frame.Session().Sentences().SelectSentence(1);
        button("recordButton")->click();
        QCOMPARE(button("recordButton")->text(), QString::fromUtf8("停止录音"));
        QVERIFY(!button("playSourceButton")->isEnabled());
        std::vector<std::uint8_t> voice(88200, 0);
        engine.NullCapture()->Feed(voice.data(), voice.size());
        button("recordButton")->click();
        QCOMPARE(button("recordButton")->text(), QString::fromUtf8("录音"));
        QVERIFY(button("saveButton")->isEnabled() && button("compareButton")->isEnabled());
        QTRY_VERIFY(frame.SideBar()->findChild<CVoiceCompareView*>()->HasTraces());
        button("compareButton")->click();
        QCOMPARE(button("compareButton")->text(), QString::fromUtf8("停止对比"));
        QCOMPARE(button("playSourceButton")->text(), QString::fromUtf8("停止播放"));
        engine.NullOutput()->Advance(1100); // the sentence, then its recording
        QTRY_COMPARE(button("playRecordingButton")->text(), QString::fromUtf8("停止播放"));
        QCOMPARE(button("playSourceButton")->text(), QString::fromUtf8("播放原音"));
        engine.RecordingNullOutput()->Advance(600);
        QTRY_COMPARE(button("compareButton")->text(), QString::fromUtf8("对比播放"));
        QVERIFY(button("recordButton")->isEnabled());
        QVERIFY(frame.close());
        QCOMPARE(settings.Tempo, -6);
    }

    // The keys: the factory set on the first start, each record's combination on its
    // command's action (the menus show it), a key pressed runs the command, and the table is
    // written back at close.
    void shortcutsFromTheTable() {
        QTemporaryDir home;
        test::ScopedEnv homeEnv("KESTROVA_HOME", home.path().toUtf8());
        const QString table = home.filePath("Shortcut.dat");
        CAppSetting settings;
        settings.UseSplit = false;
        {
            CMainFrame frame(settings);
            frame.Activate();
            QVERIFY(QFile::exists(table)); // the factory set, copied
            QVERIFY(frame.Action(CommandId::PlayPause)
                        ->shortcuts()
                        .contains(QKeySequence("Ctrl+Alt+P")));
            QVERIFY(frame.Action(CommandId::SlowDown)
                        ->shortcuts()
                        .contains(QKeySequence("Ctrl+Alt+-")));
            frame.Playlist()->OpenFiles({LessonWithSubtitles(home.path())});
            CMediaCore& engine = frame.Session().Engine();
            QVERIFY(engine.IsPlaying());
            QApplication::setActiveWindow(&frame);
            QTest::keyClick(&frame, Qt::Key_P, Qt::ControlModifier | Qt::AltModifier);
            QVERIFY(engine.IsPaused());
            QVERIFY(frame.close());
        }
        // The learner's own table: a key text with a space, and no factory copy over it; a
        // system hotkey where nothing can grab keys (offscreen) is told once and works in the
        // window.
        {
            QVERIFY(test::WriteFileBytes(table, "121 32789 77 25 Ctrl+Alt+M 1 \n"));
            test::TestPrompts prompts;
            test::ScopedMessages messages;
            CMainFrame flagged(settings);
            QVERIFY(messages.texts.filter("Ctrl+Alt+M").size() == 1);
            flagged.SetPrompts(&prompts);
            QVERIFY(flagged.Action(CommandId::MinimizeRestore)
                        ->shortcuts()
                        .contains(QKeySequence("Ctrl+Alt+M")));
            QVERIFY(flagged.close());
        }
        QVERIFY(test::WriteFileBytes(table, "117 32785 33 9 Ctrl+Page Up 0 \n"));
        CMainFrame frame(settings);
        QVERIFY(
            frame.Action(CommandId::PlayPause)->shortcuts().contains(QKeySequence("Ctrl+PgUp")));
        QVERIFY(
            !frame.Action(CommandId::Back)->shortcuts().contains(QKeySequence("Ctrl+Alt+Left")));
        QVERIFY(frame.close());
        QCOMPARE(test::ReadFileBytes(table), QByteArray("117 32785 33 9 Ctrl+Page Up 0 \n"));
    }

    // The shortcut page: "设置" shows a row's new keys at once; a row set twice keeps the
    // second setting, and rows set in any order all reach the records OK takes.
    void shortcutPageSetsRows() {
        const AccelItems table =
            shortcuts::Load(QCoreApplication::applicationDirPath() + "/sc.dat");
        QVERIFY(!table.empty());
        CShortcutPage page(table);
        auto* list = page.findChild<QTreeWidget*>("shortcutList");
        QCOMPARE(list->topLevelItemCount(), int(shortcuts::Set().size()));
        auto row = [&](std::uint16_t nameId) {
            for (int i = 0; i < list->topLevelItemCount(); ++i)
                if (list->topLevelItem(i)->data(0, Qt::UserRole).toUInt() == nameId)
                    return list->topLevelItem(i);
            return static_cast<QTreeWidgetItem*>(nullptr);
        };
        QCOMPARE(row(117)->text(1), QString("Ctrl+Alt+P"));
        auto* key = page.findChild<QComboBox*>("keyList");
        auto set = [&](std::uint16_t nameId, bool ctrl, bool shift, const char* keyName) {
            list->setCurrentItem(row(nameId));
            page.findChild<QCheckBox*>("ctrlCheck")->setChecked(ctrl);
            page.findChild<QCheckBox*>("shiftCheck")->setChecked(shift);
            page.findChild<QCheckBox*>("altCheck")->setChecked(false);
            key->setCurrentIndex(key->findText(QString::fromLatin1(keyName)));
            page.findChild<QPushButton*>("setButton")->click();
        };
        set(121, true, false, "F5"); // the last row of the list first
        set(117, true, true, "F5");
        set(117, false, true, "Page Up");
        QCOMPARE(row(117)->text(1), QString("Shift+Page Up"));
        QCOMPARE(page.Edited().size(), std::size_t(2));
        QCOMPARE(page.Edited()[0].keyText, QString("Ctrl+F5"));
        QCOMPARE(page.Edited()[1].keyText, QString("Shift+Page Up"));
        // Choosing a row shows its keys.
        list->setCurrentItem(row(121));
        QVERIFY(page.findChild<QCheckBox*>("ctrlCheck")->isChecked());
        QCOMPARE(key->currentText(), QString("F5"));
    }

    // The options dialog: pages filled from the settings; a change enables Apply, which
    // stores every page (twice when pressed twice) and writes the autostart entry each time;
    // the default font is stored as its text; Cancel keeps every setting.
    void optionsDialog() {
        QTemporaryDir config;
        test::ScopedEnv xdg("XDG_CONFIG_HOME", config.path().toUtf8());
        CAppSetting settings;
        settings.DisableStoreOnExit();
        settings.AlwaysTop = false;
        settings.RepeatAmount = 3;
        {
            COptionsSheet sheet(settings, {});
            auto* apply = sheet.findChild<QPushButton*>("applyButton");
            QVERIFY(!apply->isEnabled());
            sheet.findChild<QCheckBox*>("autoRun")->click();
            QVERIFY(apply->isEnabled());
            sheet.findChild<QPushButton*>("defaultFont")->click();
            QSignalSpy applied(&sheet, &COptionsSheet::applied);
            apply->click();
            QVERIFY(!apply->isEnabled());
            QCOMPARE(applied.size(), 1);
            QVERIFY(applied[0][0].toBool()); // the font changed
            QVERIFY(settings.AutoRun);
            QVERIFY(QFile::exists(config.filePath("autostart/Kestrova.desktop")));
            QFont font;
            QVERIFY(FontFromText(settings.GlobalFont, font));
            QCOMPARE(font.family(), QString("Verdana"));
            QCOMPARE(settings.RepeatAmount, 3); // the repeat page stored what it showed
            QFile::remove(config.filePath("autostart/Kestrova.desktop"));
            sheet.Apply(); // again: stored again, the entry written again
            QVERIFY(QFile::exists(config.filePath("autostart/Kestrova.desktop")));
            sheet.findChild<QCheckBox*>("alwaysTop")->click();
            sheet.reject();
        }
        QVERIFY(!settings.AlwaysTop); // Cancel keeps it
    }

    void cancelSplittingEndsDictation() {
        QFETCH(bool, fromMenu);
        QTemporaryDir home;
        test::ScopedEnv homeEnv("KESTROVA_HOME", home.path().toUtf8());
        CAppSetting settings;
        settings.UseSplit = false;
        CMainFrame frame(settings);
        frame.Activate();
        frame.Playlist()->OpenFiles({LessonWithSubtitles(home.path())});
        QCOMPARE(frame.Session().Sentences().Count(), 3);
        frame.Action(CommandId::SentenceDictation)->trigger();
        QVERIFY(frame.DictationView()->SentenceMode() &&
                frame.Session().SentenceDictationRunning());
        if (fromMenu) {
            // Enabled while a split runs; whether one still runs is not this test's concern.
            frame.Action(CommandId::CancelSplit)->setEnabled(true);
            frame.Action(CommandId::CancelSplit)->trigger();
        } else {
            frame.StatusBarPanes()->findChild<QToolButton*>("cancelSplitButton")->click();
        }
        QVERIFY(!frame.DictationView()->Running());
        QVERIFY(!frame.Session().SentenceDictationRunning());
        QVERIFY(!frame.Session().Sentences().IsSplitting());
        QVERIFY(frame.close());
    }

    // The classic editing keys beside the menu's own, on the notes page.
    void editingKeysBesideTheMenu_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QKeySequence>("key");
        QTest::newRow("copy") << "edit.copy" << QKeySequence(Qt::CTRL | Qt::Key_Insert);
        QTest::newRow("cut") << "edit.cut" << QKeySequence(Qt::SHIFT | Qt::Key_Delete);
        QTest::newRow("paste") << "edit.paste" << QKeySequence(Qt::SHIFT | Qt::Key_Insert);
        QTest::newRow("undo") << "edit.undo" << QKeySequence(Qt::ALT | Qt::Key_Backspace);
    }
    void editingKeysBesideTheMenu() {
        QFETCH(QString, command);
        QFETCH(QKeySequence, key);
        CAppSetting settings;
        CMainFrame frame(settings);
        frame.show();
        frame.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        frame.SelectPage(CTabView::Notes);
        QGuiApplication::clipboard()->setText("pasted");
        QTextEdit* editor = frame.Notes()->Editor();
        editor->insertPlainText("hello");
        editor->selectAll();
        QAction* action = frame.Action(*CommandByName(command));
        QVERIFY(action->isEnabled());
        QSignalSpy fired(action, &QAction::triggered);
        // Keys reach the window while the editor does not hold the focus (it has them too).
        QTabBar* tabs = frame.TabView()->tabBar();
        tabs->setFocus();
        QTest::keySequence(tabs, key);
        QCOMPARE(fired.size(), 1);
    }

    // The icon set: every drawing renders at button sizes (fainter when disabled); the window,
    // the toolbar, the control bar and the mini window use it, and the side bar shows the
    // product's picture when the learner put no logo.gif beside the program.
    void iconSet() {
        const QStringList names = AppIconNames();
        QVERIFY(names.contains("play") && names.contains("kestrova"));
        const auto ink = [](const QImage& image) {
            double sum = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) sum += qAlpha(image.pixel(x, y));
            return sum;
        };
        for (const QString& name : names) {
            const QIcon icon = AppIcon(name);
            QVERIFY2(!icon.isNull(), qPrintable(name));
            for (int side : {16, 24}) {
                const double normal = ink(icon.pixmap(side, side).toImage());
                const double disabled = ink(icon.pixmap(QSize(side, side), QIcon::Disabled).toImage());
                QVERIFY2(normal > 0 && disabled < normal * 0.5, qPrintable(name));
            }
        }
        QVERIFY(AppIcon("no-such-icon").isNull());

        CAppSetting settings;
        settings.DisableStoreOnExit();
        CMainFrame frame(settings);
        QVERIFY(!frame.windowIcon().isNull());
        QVERIFY(!frame.windowIcon().availableSizes().isEmpty());
        for (QAction* a : frame.MainToolBar()->actions())
            QVERIFY2(a->isSeparator() || !a->icon().isNull(), qPrintable(a->text()));
        auto* bar = frame.findChild<CCtrlBar*>();
        using C = CommandId;
        for (CommandId id : {C::Play, C::Pause, C::Stop, C::Back, C::Forward, C::PrevFile, C::NextFile})
            QVERIFY(!bar->findChild<QToolButton*>(QString::fromLatin1(Command(id).name))->icon().isNull());
        QVERIFY(!bar->findChild<QToolButton*>("muteButton")->icon().isNull());
        QVERIFY(!frame.MainPanel()->findChild<QLabel*>("logo")->pixmap().isNull());
    }

    // The picture of the main panel opens the product's page, as "访问网站..." does.
    // "定时器": opened from the settings, a text field enabled only when its alarm is ticked;
    // OK with only alarm 3 ticked turns 1 and 2 off and keeps their times; OK with none
    // ticked stops the check. The frame tells an alarm's text; "帮助..." opens the guide.
    void alarmDialogAndHelp() {
        CAppSetting settings;
        settings.DisableStoreOnExit();
        settings.bAlarm1 = true;
        settings.strAlarm1 = "06:15:00";
        settings.strAlarm2 = "7:30:00";
        settings.strAlarmTxt3 = QString::fromUtf8("背单词");
        CAlarmClock clock(settings, [] { return QDateTime(QDate(2026, 1, 1), QTime(6, 0)); });
        {
            CAlarmDlg dialog(clock);
            auto* on1 = dialog.findChild<QCheckBox*>("alarmOn1");
            auto* text2 = dialog.findChild<QLineEdit*>("alarmText2");
            QVERIFY(on1->isChecked());
            QCOMPARE(dialog.findChild<QTimeEdit*>("alarmTime1")->time(), QTime(6, 15));
            QCOMPARE(dialog.findChild<QTimeEdit*>("alarmTime2")->time(), QTime(7, 30));
            QVERIFY(!text2->isEnabled());
            dialog.findChild<QCheckBox*>("alarmOn2")->setChecked(true);
            QVERIFY(text2->isEnabled());
            dialog.findChild<QCheckBox*>("alarmOn2")->setChecked(false);
            on1->setChecked(false);
            dialog.findChild<QCheckBox*>("alarmOn3")->setChecked(true);
            dialog.findChild<QTimeEdit*>("alarmTime3")->setTime(QTime(21, 0, 5));
            dialog.accept();
        }
        QVERIFY(!settings.bAlarm1 && !settings.bAlarm2 && settings.bAlarm3);
        QCOMPARE(settings.strAlarm1, QString("06:15:00"));
        QCOMPARE(settings.strAlarm3, QString("21:00:05"));
        QCOMPARE(settings.strAlarmTxt3, QString::fromUtf8("背单词"));
        QVERIFY(clock.Checking());
        {
            CAlarmDlg dialog(clock);
            dialog.findChild<QCheckBox*>("alarmOn3")->setChecked(false);
            dialog.accept();
        }
        QVERIFY(!clock.Checking() && !settings.bAlarm3);

        CMainFrame frame(settings);
        test::TestPrompts prompts;
        frame.SetPrompts(&prompts);
        QVERIFY(frame.Action(CommandId::Alarms)->isEnabled());
        Q_EMIT frame.Alarms().alarm(1, QString::fromUtf8("该听写了"));
        QCOMPARE(prompts.told, QStringList{QString::fromUtf8("该听写了")});
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler("file", &catcher, "open");
        auto unset = qScopeGuard([] { QDesktopServices::unsetUrlHandler("file"); });
        frame.Action(CommandId::Help)->trigger();
        QCOMPARE(catcher.urls.size(), 1);
        QVERIFY(catcher.urls[0].isLocalFile());
        QVERIFY(catcher.urls[0].path().endsWith("/help/index.html"));
        // No browser to hand it to: told where it is.
        QDesktopServices::unsetUrlHandler("file");
        {
            test::ScopedEnv noPath("PATH", "/nonexistent");
            test::ScopedEnv noBrowser("BROWSER", "");
            test::ScopedEnv noDefault("DEFAULT_BROWSER", "");
            frame.Action(CommandId::Help)->trigger();
        }
        QVERIFY(prompts.told.last().endsWith("/help/index.html"));
    }

    // The station list: a last name without an address is a row that plays nothing; deleting
    // rebuilds the rows from the stations and writes the file; "添加" twice then "添加并退出"
    // adds exactly those two, "取消" after "添加" adds none; a missing file starts empty.
    void radioStations() {
        QTemporaryDir home;
        const QString list = home.filePath("Data/rl.kdp");
        QDir().mkpath(home.filePath("Data"));
        QVERIFY(test::WriteFileBytes(list, "BBC\r\nhttp://a.example/bbc\r\nVOA\r\nhttp://b.example/voa\r\nOrphan\r\n"));
        CRadioPanel panel(list);
        QCOMPARE(panel.Stations().Rows(), (QStringList{"BBC", "VOA", "Orphan"}));
        QCOMPARE(panel.List()->topLevelItemCount(), 3);
        QCOMPARE(panel.Stations().Count(), 2);
        auto* status = panel.findChild<QLabel*>("radioStatus");
        QVERIFY(status->text().contains(QString::fromUtf8("双击")));
        panel.PlayRow(2);
        QVERIFY(panel.Player().Url().isEmpty());
        // The view says why an address cannot play.
        panel.Player().Play("   ", "Blank");
        QCOMPARE(status->text(), QString::fromUtf8("无法播放：地址无效"));
        QCOMPARE(panel.findChild<QLabel*>("radioName")->text(), QString("Blank"));
        panel.List()->setCurrentItem(panel.List()->topLevelItem(0));
        panel.DeleteStation();
        QCOMPARE(panel.Stations().Rows(), QStringList{"VOA"});
        QCOMPARE(test::ReadFileBytes(list), QByteArray("VOA\r\nhttp://b.example/voa\r\n"));
        panel.resize(900, 300);
        panel.show();
        QCOMPARE(panel.List()->width(), 500);
        QCOMPARE(panel.findChild<CRadioPlayerView*>()->geometry(), QRect(500, 0, 400, 300));
        QCOMPARE(panel.List()->columnWidth(0), 490);

        // Drives the add-station dialog: `names` added one by one, then `finish` pressed.
        const auto addThrough = [&](const QStringList& names, const char* finish) {
            QString count;
            QTimer::singleShot(0, [&] {
                auto* dialog = qobject_cast<CAddRadioDlg*>(QApplication::activeModalWidget());
                if (!dialog) return;
                for (const QString& name : names) {
                    dialog->findChild<QLineEdit*>("stationName")->setText(name);
                    dialog->findChild<QLineEdit*>("stationUrl")->setText("http://" + name + ".example/");
                    dialog->findChild<QPushButton*>("addButton")->click();
                }
                dialog->findChild<QLineEdit*>("stationName")->setText("typed, not added");
                count = dialog->findChild<QLabel*>("stationCount")->text();
                if (QByteArray(finish) == "addAndExitButton")
                    dialog->findChild<QPushButton*>(finish)->click();
                else
                    dialog->reject();
            });
            panel.AddStations();
            return count;
        };
        QCOMPARE(addThrough({"one", "two"}, "addAndExitButton"), QString::fromUtf8("已添加电台数：2"));
        QCOMPARE(panel.Stations().Rows(), (QStringList{"VOA", "one", "two"}));
        QCOMPARE(test::ReadFileBytes(list), QByteArray("VOA\r\nhttp://b.example/voa\r\none\r\n"
                                                       "http://one.example/\r\ntwo\r\nhttp://two.example/\r\n"));
        addThrough({"three"}, "cancel");
        QCOMPARE(panel.Stations().Count(), 3);

        QFile::remove(list);
        CRadioPanel empty(list);
        QCOMPARE(empty.List()->topLevelItemCount(), 0);
        QVERIFY(QFile::exists(list));
    }

    // "打开URL...": the same address entered twice is kept twice and offered twice; the radio
    // page comes to the front and plays it; the lesson pauses while the radio plays, and the
    // lesson's Play stops the radio. An empty field cannot be confirmed.
    void openUrlAndTheLessonGivesWay() {
        test::ScopedEnv noSound("PULSE_SERVER", "unix:/nonexistent"); // the radio never reaches a speaker here
        LessonWindow window;
        CMainFrame& frame = *window.frame;
        QTRY_VERIFY(frame.Session().Engine().IsPlaying());
        const QString address = "http://127.0.0.1:9/live";
        QStringList offered;
        const auto enter = [&](const QString& text) {
            QTimer::singleShot(0, [&, text] {
                auto* dialog = qobject_cast<COpenUrlDlg*>(QApplication::activeModalWidget());
                if (!dialog) return;
                offered.clear();
                for (int i = 0; i < dialog->Field()->count(); ++i) offered << dialog->Field()->itemText(i);
                auto* ok = dialog->findChild<QPushButton*>("okButton");
                QVERIFY(!ok->isEnabled());
                dialog->Field()->setEditText(text);
                QVERIFY(ok->isEnabled());
                ok->click();
            });
            frame.Action(CommandId::OpenUrl)->trigger();
        };
        QVERIFY(frame.Action(CommandId::OpenUrl)->isEnabled());
        enter(address);
        QCOMPARE(frame.findChild<CTabView*>()->currentIndex(), int(CTabView::Radio));
        QCOMPARE(frame.Radio()->Player().Url(), address);
        QVERIFY(!frame.Session().Engine().IsPlaying());
        enter(address);
        QCOMPARE(offered, QStringList{address});
        QCOMPARE(test::ReadFileBytes(RadioHistoryPath()), (address + "\r\n" + address + "\r\n").toUtf8());
        QCOMPARE(COpenUrlDlg(RadioHistoryPath()).Field()->count(), 2); // offered twice now
        QCOMPARE(frame.Radio()->Player().GetState(), CRadioPlayer::State::Connecting);
        frame.Session().Controller().Execute(CommandId::Play);
        QVERIFY(frame.Session().Engine().IsPlaying());
        QCOMPARE(frame.Radio()->Player().GetState(), CRadioPlayer::State::Stopped);
        QVERIFY(frame.Action(CommandId::AddRadio)->isEnabled());
        frame.Radio()->Player().Stop();
        QVERIFY(frame.close());
    }

    // "全文浏览与翻译": without subtitles the message, and the saved translation all the same;
    // 取消 after typing leaves the file as it was; 保存译文 writes it and marks the work;
    // from the menu, playback pauses and the whole subtitle text is shown.
    void fullTextAndTranslation() {
        QTemporaryDir home;
        test::ScopedEnv homeEnv("KESTROVA_HOME", home.path().toUtf8());
        QDir().mkpath(DataFolder() + "Temp");
        const QString file = DataFolder() + "Temp/translate.dat";
        QVERIFY(test::WriteFileBytes(file, "saved\r\r\n"));
        {
            test::ScopedMessages messages;
            CBrowseAndTranslate dialog(LrcItems{});
            QCOMPARE(messages.texts,
                     QStringList{QString::fromUtf8("LRC文件不存在，无法全文浏览！")});
            auto* box = dialog.findChild<QPlainTextEdit*>("translation");
            QCOMPARE(box->toPlainText(), QString("saved"));
            QTest::keyClicks(box, " and changed");
            dialog.findChild<QPushButton*>("cancel")->click();
        }
        QCOMPARE(test::ReadFileBytes(file), QByteArray("saved\r\r\n"));
        SetUserDataModified(false);
        {
            CBrowseAndTranslate dialog(LrcItems{{0, 100, "Hello.", {}}});
            auto* box = dialog.findChild<QPlainTextEdit*>("translation");
            box->moveCursor(QTextCursor::End);
            box->insertPlainText(QString::fromUtf8("，你好")); // typed, as an input method does
            dialog.findChild<QPushButton*>("saveTranslation")->click();
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
        }
        QCOMPARE(test::ReadFileBytes(file), QString::fromUtf8("saved，你好\r\r\n").toUtf8());
        QVERIFY(UserDataModified());

        CAppSetting settings;
        settings.UseSplit = false;
        test::TestPrompts prompts;
        prompts.answer = [](const QString&) { return true; };
        CMainFrame frame(settings);
        frame.SetPrompts(&prompts);
        frame.Activate();
        frame.Playlist()->OpenFiles({LessonWithSubtitles(home.path())});
        QTRY_VERIFY(frame.Session().Subtitles().HasLines());
        if (!frame.Session().Engine().IsPlaying())
            frame.Session().Controller().Execute(CommandId::PlayPause);
        QVERIFY(frame.Session().Engine().IsPlaying());
        QString shown;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<CBrowseAndTranslate*>(QApplication::activeModalWidget());
            if (!dialog) return;
            shown = dialog->findChild<QTextEdit*>("fullText")->toPlainText();
            dialog->reject();
        });
        QVERIFY(frame.Action(CommandId::FullText)->isEnabled());
        frame.Action(CommandId::FullText)->trigger();
        QCOMPARE(shown, QString("Hello.\n\nA short lesson.\n\nRepeat.\n\n"));
        QVERIFY(!frame.Session().Engine().IsPlaying());
        QVERIFY(frame.close());
    }

    // Free dictation: it plays the first sentence and shows the editor; the text is saved as
    // the lesson's Dictation.rtf at the autosave tick (when changed), when sentence dictation
    // starts, and comes back when free mode starts again; "听写另存为RTF文件..." only in free
    // mode; a new autosave interval restarts the running timer.
    void freeDictation() {
        LessonWindow window([](CAppSetting& s) { s.AutoSave = 1; });
        CMainFrame& frame = *window.frame;
        CAppSetting& settings = window.settings;
        QTRY_VERIFY(frame.Session().Subtitles().HasLines());
        frame.Session().Controller().Execute(CommandId::Stop);
        QVERIFY(!frame.Action(CommandId::SaveDictationRtf)->isEnabled());
        frame.Action(CommandId::FreeDictation)->trigger();
        QVERIFY(frame.DictationView()->FreeMode());
        QVERIFY(frame.Action(CommandId::FreeDictation)->isChecked());
        QVERIFY(frame.Action(CommandId::SaveDictationRtf)->isEnabled());
        QCOMPARE(frame.TabView()->currentIndex(), int(CTabView::Dictation));
        QCOMPARE(frame.Session().Sentences().Current(), 0);
        QVERIFY(frame.Session().Engine().IsPlaying());
        auto* timer = frame.DictationView()->findChild<QTimer*>("autosaveTimer");
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 60000);
        const QString file = DataFolder() + "Temp/Dictation.rtf";
        QTextEdit* editor = frame.FreeText()->Editor();
        QCOMPARE(frame.focusWidget(), editor); // the learner types at once
        // The tick writes a changed text only.
        timer->setInterval(10);
        QTest::qWait(50);
        QVERIFY(!QFile::exists(file));
        QTest::keyClicks(editor, "Hello\tthere");
        QTRY_VERIFY(QFile::exists(file));
        QVERIFY(test::ReadFileBytes(file).contains("Hello\\tab there"));
        // A new interval restarts the running timer.
        DictationOptions options = DictationOptions::From(settings);
        options.autosaveMinutes = 5;
        settings.Apply(options);
        QCOMPARE(timer->interval(), 300000);
        // Sentence dictation saves the text first and leaves free mode with an empty editor.
        QTest::keyClicks(editor, " again");
        frame.Action(CommandId::SentenceDictation)->trigger();
        QVERIFY(!frame.DictationView()->FreeMode() && frame.DictationView()->SentenceMode());
        QVERIFY(test::ReadFileBytes(file).contains("again"));
        QVERIFY(editor->toPlainText().isEmpty());
        QVERIFY(!timer->isActive());
        frame.Action(CommandId::SentenceDictation)->trigger();
        frame.Action(CommandId::FreeDictation)->trigger();
        QCOMPARE(editor->toPlainText(), QString("Hello\tthere again"));
        // The edit and print commands act on the editor in front; printed, the text is there.
        QCOMPARE(frame.EditorInFront(), frame.FreeText());
        QVERIFY(frame.Action(CommandId::PrintPreview)->isEnabled());
        QTemporaryDir pdf;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf.filePath("free.pdf"));
        frame.PrintEditor(printer);
        QProcess text;
        text.start("pdftotext", {pdf.filePath("free.pdf"), "-"});
        QVERIFY(text.waitForFinished(20000));
        QVERIFY(text.readAllStandardOutput().contains("Hello"));
        // The dictation toolbar and the formatting toolbar, hidden and shown from the View menu.
        auto* bar = frame.findChild<QToolBar*>("dictationBar");
        QVERIFY(bar && !bar->isHidden());
        QVERIFY(frame.Action(CommandId::ViewDictationBar)->isChecked());
        frame.Action(CommandId::ViewDictationBar)->trigger();
        QVERIFY(bar->isHidden());
        frame.Action(CommandId::ViewFormatBar)->trigger();
        QVERIFY(frame.FreeText()->ToolBar()->isHidden());
        frame.Action(CommandId::ViewFormatBar)->trigger();
        QVERIFY(!frame.FreeText()->ToolBar()->isHidden());
        frame.Action(CommandId::FreeDictation)->trigger(); // again: stops
        QVERIFY(!frame.DictationView()->Running());
        QVERIFY(!frame.EditorInFront());
        QVERIFY(!frame.Action(CommandId::Print)->isEnabled());
        QVERIFY(frame.close());
    }

    // Where the desktop has no tray (offscreen has none), minimising and the close box behave
    // as without the tray choices, and the learner is told once why.
    void noTrayMeansNoHiding() {
        QTemporaryDir home;
        test::ScopedEnv homeEnv("KESTROVA_HOME", home.path().toUtf8());
        CAppSetting settings;
        settings.MinimizeToTray = true;
        settings.CloseToTray = true;
        settings.ShowTrayIco = true;
        test::TestPrompts prompts;
        CMainFrame frame(settings);
        frame.SetPrompts(&prompts);
        frame.Activate();
        QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
        frame.showMinimized();
        QTRY_COMPARE(prompts.told.size(), 1);
        QVERIFY(!frame.HiddenToTray() && !frame.isHidden());
        frame.showNormal();
        frame.showMinimized();
        QTest::qWait(20);
        QCOMPARE(prompts.told.size(), 1);
        QVERIFY(frame.close()); // the close box closes
    }

    // The mini window: it replaces the main window at its stored corner; its slider seeks
    // (a value v to v × 10 ms), its buttons send their commands, the subtitle line sits under
    // it; back to the full window its corner is kept, and also when the program is left from
    // its menu.
    void miniWindow() {
        LessonWindow window([](CAppSetting& s) {
            s.MiniLeft = 40;
            s.MiniTop = 50;
        });
        CMainFrame& frame = *window.frame;
        const CAppSetting& settings = window.settings;
        QTRY_VERIFY(frame.Session().Subtitles().HasLines());
        QVERIFY(frame.Action(CommandId::MiniWindow)->isEnabled());
        frame.Action(CommandId::MiniWindow)->trigger();
        CMiniWnd* mini = frame.MiniWindow();
        QVERIFY(mini && mini->isVisible() && frame.isHidden());
        QCOMPARE(mini->pos(), QPoint(40, 50));
        QCOMPARE(mini->Subtitle()->pos(), QPoint(40, 50 + mini->height()));
        mini->findChild<QSlider*>("miniSlider")->setValue(123);
        QCOMPARE(frame.Session().Engine().GetPosition(), 1230);
        mini->findChild<QToolButton*>("miniAutoRepeat")->click();
        QVERIFY(frame.Session().Controller().AutoRepeatOn());
        QVERIFY(mini->findChild<QToolButton*>("miniAutoRepeat")->isChecked());
        mini->findChild<QToolButton*>("miniStop")->click();
        QVERIFY(frame.Session().Engine().IsStopped());
        mini->move(70, 80);
        mini->findChild<QToolButton*>("miniFull")->click();
        QVERIFY(!frame.MiniWindow() && frame.isVisible());
        QCOMPARE(QPoint(settings.MiniLeft, settings.MiniTop), QPoint(70, 80));
        // Left from the mini window's menu: the corner is kept.
        frame.Action(CommandId::MiniWindow)->trigger();
        frame.MiniWindow()->move(90, 100);
        QPointer<CMiniWnd> last = frame.MiniWindow();
        QSignalSpy closed(&frame, &CMainFrame::closed);
        frame.Action(CommandId::Exit)->trigger();
        QCOMPARE(QPoint(settings.MiniLeft, settings.MiniTop), QPoint(90, 100));
        QTRY_VERIFY(!last); // it goes with the program
        // The program ends although no visible window closed.
        QCOMPARE(closed.count(), 1);
    }

    void logoOpensTheProductPage() {
        CAppSetting settings;
        CMainFrame frame(settings);
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler("https", &catcher, "open");
        auto unset = qScopeGuard([] { QDesktopServices::unsetUrlHandler("https"); });
        frame.Action(CommandId::Website)->trigger();
        QCOMPARE(catcher.urls, QList<QUrl>{QUrl(QString::fromLatin1(kProductSite))});
        catcher.urls.clear();
        auto* logo = frame.MainPanel()->findChild<QLabel*>("logo");
        logo->resize(40, 40);
        QTest::mouseClick(logo, Qt::LeftButton, {}, logo->rect().center());
        QCOMPARE(catcher.urls, QList<QUrl>{QUrl(QString::fromLatin1(kProductSite))});
        QTest::mouseClick(logo, Qt::RightButton, {}, logo->rect().center());
        QCOMPARE(catcher.urls.size(), 1);
    }

    void panelCommands() {
        CAppSetting settings;
        settings.CurrentPanel = 2;
        CMainFrame frame(settings);
        frame.show();
        QVERIFY(frame.SideBar()->isVisible());
        QCOMPARE(frame.SideBar()->CurrentPanel(), 2);
        QVERIFY(frame.Action(CommandId::PanelEffects)->isChecked());
        frame.Action(CommandId::PanelEffects)->trigger();
        QVERIFY(!frame.SideBar()->isVisible());
        QCOMPARE(settings.CurrentPanel, 0);
        frame.Action(CommandId::PanelRecord)->trigger();
        QVERIFY(frame.SideBar()->isVisible());
        QCOMPARE(settings.CurrentPanel, 3);
        QVERIFY(frame.Action(CommandId::PanelRecord)->isChecked() &&
                !frame.Action(CommandId::PanelMain)->isChecked());

        CAppSetting none;
        none.CurrentPanel = 0;
        CMainFrame bare(none);
        bare.show();
        QVERIFY(!bare.SideBar()->isVisible());
    }

    void mainPanelRepeatLists() {
        CAppSetting settings;
        settings.RepeatAmount = 5;
        settings.PauseFinish = true;
        settings.PauseFinishIndex = 2;
        CMainFrame frame(settings);
        CMainSiderPanel* panel = frame.MainPanel();
        auto* count = panel->findChild<QComboBox*>("countList");
        auto* pause = panel->findChild<QComboBox*>("pauseList");
        QCOMPARE(count->currentText(), QString::fromUtf8("五次"));
        QCOMPARE(pause->currentText(), QString::fromUtf8("五秒"));
        count->setCurrentIndex(6);
        Q_EMIT count->activated(6);
        QCOMPARE(settings.RepeatAmount, 20);
        pause->setCurrentIndex(0);
        Q_EMIT pause->activated(0);
        QVERIFY(!settings.PauseFinish);
        QCOMPARE(CMainSiderPanel::DictionaryUrl("hello").toString(),
                 QString("https://dict.kestrova.example/search/?q=hello"));
    }

    void windowPlacementText() {
        QVERIFY(!WindowPlacement::FromText("0,1,-1,-1,-1,-1,10,20,510"));
        QVERIFY(!WindowPlacement::FromText("0,1,-1,-1,-1,-1,10,20,510,x"));
        QVERIFY(!WindowPlacement::FromText(""));
        const auto p = WindowPlacement::FromText("2,3,-1,-1,-8,-8,10,20,510,420");
        QVERIFY(p);
        QCOMPARE(p->flags, 2u);
        QCOMPARE(p->showCmd, 3u);
        QCOMPARE(p->normal, QRect(10, 20, 500, 400));
        QCOMPARE(p->ToText(), QString("2,3,-1,-1,-8,-8,10,20,510,420"));
    }

    void placementIsSavedAndApplied() {
        const QString placed = "0,1,-1,-1,-1,-1,40,50,1040,650";
        const QSize placedSize = WindowPlacement::FromText(placed)->normal.size();
        CAppSetting settings;
        settings.Profile().SetString("UserGUI", "WindowPos", placed);
        {
            CMainFrame frame(settings);
            frame.Activate();
            QCOMPARE(frame.normalGeometry().size(), placedSize);
            frame.setWindowState(Qt::WindowMinimized);
            QVERIFY(frame.close());
        }
        const auto saved =
            WindowPlacement::FromText(settings.Profile().GetString("UserGUI", "WindowPos", ""));
        QVERIFY(saved);
        QCOMPARE(saved->showCmd, WindowPlacement::kShow); // minimised is stored as "show"
        QCOMPARE(saved->normal.size(), placedSize);
        // A malformed placement leaves the default size: that of a frame never placed.
        settings.Profile().SetString("UserGUI", "WindowPos", "1,2,3");
        CMainFrame other(settings);
        other.Activate();
        CAppSetting unplaced;
        CMainFrame fresh(unplaced);
        fresh.Activate();
        QCOMPARE(other.size(), fresh.size());
        QVERIFY(other.size() != placedSize);
    }

    void exitQuestion() {
        CAppSetting settings;
        settings.PromptExit = true;
        bool answer = false;
        test::TestPrompts prompts;
        CMainFrame frame(settings);
        frame.show();
        prompts.answer = [&](const QString&) { return answer; };
        frame.SetPrompts(&prompts);
        const QStringList& asked = prompts.asked;
        int steps = 0;
        frame.AddClosingStep([&] { ++steps; });
        QVERIFY(!frame.close());
        QCOMPARE(asked, QStringList{"是否退出程序？"});
        QCOMPARE(steps, 0);
        QVERIFY(!settings.Profile().Contains("UserGUI", "WindowPos"));
        QVERIFY(frame.isVisible());
        answer = true;
        QVERIFY(frame.close());
        QCOMPARE(steps, 1);
        QVERIFY(settings.Profile().Contains("UserGUI", "WindowPos"));
    }

    void alwaysOnTop() {
        CAppSetting settings;
        settings.AlwaysTop = true;
        CMainFrame frame(settings);
        QVERIFY(frame.windowFlags() & Qt::WindowStaysOnTopHint);
        frame.SetAlwaysOnTop(false);
        QVERIFY(!(frame.windowFlags() & Qt::WindowStaysOnTopHint));
    }

    void openedLessonPlaysAndRestoresAtNextStart() {
        QTemporaryDir home;
        test::ScopedEnv homeEnv("KESTROVA_HOME", home.path().toUtf8());
        const QStringList lessons = {test::Media("lesson.mp3"), test::Media("lesson.wav")};
        {
            CAppSetting settings;
            settings.Volume = 80;
            settings.UseSplit = false;
            CMainFrame frame(settings);
            frame.Activate();
            frame.Playlist()->OpenFiles(lessons);
            CMediaCore& core = frame.Session().Engine();
            QVERIFY(core.IsPlaying());
            QCOMPARE(frame.windowTitle(), QString("lesson.mp3 - Kestrova Professional"));
            int volume = 0;
            core.GetAttributes(nullptr, &volume, nullptr);
            QCOMPARE(volume, 80);
            QVERIFY(frame.Action(CommandId::Notes)->isEnabled());
            core.NullOutput()->Advance(1500);
            frame.Session().Controller().PositionTick();
            QVERIFY(Pane(frame.StatusBarPanes(), 7)->text().startsWith("00:01.50 / 00:03.0"));
            frame.Action(CommandId::NextFile)->trigger();
            QCOMPARE(frame.Session().Controller().PlaylistIndex(), 1);
            QVERIFY(core.IsPlaying());
            frame.Action(CommandId::PlayPause)->trigger();
            QVERIFY(core.IsPaused());
            frame.Action(CommandId::Stop)->trigger();
            QVERIFY(core.IsStopped());
            QCOMPARE(core.GetPosition(), 0);
            QVERIFY(frame.close());
        }
        // The next start opens the entry of last time, without playing it.
        CAppSetting restored;
        restored.PlaylistIndex = 1;
        CMainFrame frame(restored);
        frame.Activate();
        QCOMPARE(static_cast<const QStringList&>(frame.Session().Playlist().Paths()), lessons);
        QCOMPARE(frame.Session().Controller().PlaylistIndex(), 1);
        QVERIFY(frame.Session().Engine().HasChannel());
        QVERIFY(frame.Session().Engine().IsStopped());
    }

    // A data folder that cannot be written is told at start, not found out at the first save
    // (root only: a read-only bind mount, taken down however the test ends).
    void readOnlyDataFolderIsToldAtStart() {
        if (geteuid() != 0) QSKIP("needs root for a read-only mount");
        QTemporaryDir home;
        if (QProcess::execute("mount", {"--bind", home.path(), home.path()}) != 0)
            QSKIP("cannot mount here");
        auto unmount = qScopeGuard([&] { QProcess::execute("umount", {home.path()}); });
        QCOMPARE(QProcess::execute("mount", {"-o", "remount,bind,ro", home.path()}), 0);
        test::ScopedEnv homeEnv("KESTROVA_HOME", home.path().toUtf8());
        test::ScopedMessages told;
        CAppSetting settings;
        settings.DisableStoreOnExit();
        CMainFrame frame(settings);
        frame.Activate();
        QCOMPARE(told.texts.filter(QDir::toNativeSeparators(home.path())).size(), 1);
    }

    void sentenceListKeepsItsWidth() {
        QTemporaryDir home;
        test::ScopedEnv homeEnv("KESTROVA_HOME", home.path().toUtf8());
        // One start of the program: the width the sentence list shows, and the one stored.
        auto run = [&](int width) {
            CAppSetting settings;
            settings.SetProfile(ProfilePath());
            settings.Load();
            if (width > 0) settings.MLSplitWidth = width;
            CMainFrame frame(settings);
            frame.Activate();
            QCoreApplication::processEvents();
            const int shown = frame.Sellist()->width();
            frame.close();
            return std::pair(shown, settings.MLSplitWidth);
        };
        const int chosen = 246; // a width the learner dragged the list to, not the default
        QCOMPARE(run(chosen), std::pair(chosen, chosen));
        QCOMPARE(run(0), std::pair(chosen, chosen));
        QCOMPARE(run(0), std::pair(chosen, chosen));
    }

    void sentenceListIsReadableAtTheDefaultWidth() {
        QTemporaryDir home; // no playlist of earlier tests
        test::ScopedEnv homeEnv("KESTROVA_HOME", home.path().toUtf8());
        // A font in which the headers need more than their share (47 %) of the default width,
        // as a Chinese font does.
        const QFont normal = QApplication::font();
        auto restore = qScopeGuard([&] { QApplication::setFont(normal); });
        QFont large = normal;
        large.setPointSizeF(normal.pointSizeF() * 2);
        QApplication::setFont(large);
        CAppSetting settings;
        settings.Load(); // the defaults
        const int defaultWidth = settings.MLSplitWidth;
        CMainFrame frame(settings);
        frame.Activate();
        CSellistView* list = frame.Sellist();
        // Enough sentences for the vertical scroll bar to show beside the columns.
        SentenceArray sentences = {{0, 4888}, {4888, 358888}};
        for (std::uint32_t i = 0; i < 60; ++i)
            sentences.push_back({358888 + i * 100, 358988 + i * 100});
        frame.Session().Sentences().SetSentences(sentences);
        QCoreApplication::processEvents();
        auto* tree = list->findChild<QTreeWidget*>("sentenceList");
        QHeaderView* header = tree->header();
        QVERIFY(header->sectionSizeHint(1) > defaultWidth * 47 / 100);
        QFont bold = tree->font(); // the current row's
        bold.setBold(true);
        for (int column = 0; column < 2; ++column)
            tree->topLevelItem(1)->setFont(column, bold);
        // Both headers and the current row's times show in full.
        for (int column = 0; column < 2; ++column) {
            const int needed =
                std::max(header->sectionSizeHint(column),
                         static_cast<QAbstractItemView*>(tree)->sizeHintForColumn(column));
            QVERIFY(tree->columnWidth(column) >= needed);
            QVERIFY(header->sectionViewportPosition(column) + needed <= tree->viewport()->width());
        }
        QVERIFY(tree->verticalScrollBar()->isVisible());
        QVERIFY(!tree->horizontalScrollBar()->isVisible());
    }

    void subtitlesFollowAgainWhenPlaybackResumes_data() {
        QTest::addColumn<QString>("resume");
        for (const char* row : {"line clicked", "play", "sentence chosen", "next sentence",
                                "region cleared", "automatic repeat"})
            QTest::newRow(row) << QString::fromLatin1(row);
    }
    void subtitlesFollowAgainWhenPlaybackResumes() {
        QFETCH(QString, resume);
        QTemporaryDir home;
        test::ScopedEnv homeEnv("KESTROVA_HOME", home.path().toUtf8());
        const QString lesson = home.filePath("lesson.wav");
        QVERIFY(QFile::copy(test::Media("lesson.wav"), lesson));
        QFile lrcFile(home.filePath("lesson.lrc"));
        QVERIFY(lrcFile.open(QIODevice::WriteOnly));
        lrcFile.write("[00:00.00]Hello.\r\n[00:01.00]A short lesson.\r\n[00:02.00]Repeat.\r\n");
        lrcFile.close();
        CAppSetting settings;
        settings.UseSplit = false;
        CMainFrame frame(settings);
        frame.Activate();
        frame.Playlist()->OpenFiles({lesson});
        CLrcView* lrc = frame.LrcView();
        CSentenceModel& list = frame.Session().Sentences();
        CPlaybackController& c = frame.Session().Controller();
        CSubtitleModel& subtitles = frame.Session().Subtitles();
        QCOMPARE(list.Count(), 3);
        QVERIFY(subtitles.Following());
        auto click = [&](int line) {
            Q_EMIT lrc->findChild<QTextBrowser*>("subtitleBox")
                ->anchorClicked(QUrl(QStringLiteral("#%1").arg(line)));
        };
        if (resume == "line clicked") {
            click(1); // while playing: the line's sentence becomes the region
            QCOMPARE(list.Current(), 1);
        } else {
            if (resume == "play") c.Execute(CommandId::Pause);
            if (resume == "region cleared" || resume == "next sentence") list.SelectSentence(0);
            // While dictation holds the list a click chooses nothing: the view stops following.
            list.SetLocked(true);
            click(1);
            list.SetLocked(false);
            QVERIFY(!subtitles.Following());
            if (resume == "play") c.Execute(CommandId::Play);
            if (resume == "sentence chosen") list.SelectSentence(2);
            if (resume == "next sentence") c.Execute(CommandId::NextSentence);
            if (resume == "region cleared") c.Execute(CommandId::ClearRegion);
            if (resume == "automatic repeat") c.Execute(CommandId::AutoRepeat);
        }
        QVERIFY(c.Engine().IsPlaying());
        QVERIFY(subtitles.Following());
        QVERIFY(frame.close());
    }

    // The waveform strip under the mouse and the keyboard: an edge dragged moves that
    // boundary, a double-click plays the sentence under it, a drag over the waveform draws a
    // region, the arrows nudge the current sentence's nearer edge and Ctrl+Z takes it back.
    void waveformStripEditsTheSentences() {
        QTemporaryDir home;
        test::ScopedEnv homeEnv("KESTROVA_HOME", home.path().toUtf8());
        const QString lesson = home.filePath("gaps.wav");
        QVERIFY(QFile::copy(test::Media("speech_gaps.wav"), lesson));
        CAppSetting settings;
        settings.UseSplit = false;
        test::TestPrompts prompts;
        prompts.answer = [](const QString&) { return true; };
        CMainFrame frame(settings);
        frame.SetPrompts(&prompts);
        frame.Activate();
        frame.Playlist()->OpenFiles({lesson});
        CSentenceModel& sentences = frame.Session().Sentences();
        sentences.SetSentences({{0, 150}, {150, 470}, {470, 720}});
        auto* view = frame.findChild<CWaveformView*>("waveformView");
        QVERIFY(view && view->isVisible());
        QTRY_VERIFY(!frame.Session().Waveform().GetPeaks().Empty());
        QVERIFY(!view->grab().isNull()); // drawn without a fault
        frame.Session().Controller().Execute(CommandId::Stop);
        QCOMPARE(view->ZoomStartMs(), 0);
        const int y = view->ZoomRect().center().y();
        // An edge dragged with Shift held lands where it is let go.
        const int edge = view->ZoomXOf(1500);
        QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, {edge + 1, y});
        QTest::mouseMove(view, {edge + 40, y});
        QTest::mouseRelease(view, Qt::LeftButton, Qt::ShiftModifier, {edge + 40, y});
        QCOMPARE(int(sentences.At(1).start), view->ZoomTimeAt(edge + 40) / 10);
        QCOMPARE(sentences.At(0).end, sentences.At(1).start);
        // A double-click on an edge moves nothing.
        const std::uint32_t moved = sentences.At(1).start;
        QTest::mouseDClick(view, Qt::LeftButton, Qt::NoModifier,
                           {view->ZoomXOf(int(moved) * 10), y});
        QCOMPARE(sentences.At(1).start, moved);
        // A double-click plays the sentence under it.
        QTest::mouseDClick(view, Qt::LeftButton, Qt::NoModifier, {view->ZoomXOf(6000), y});
        QCOMPARE(sentences.Current(), 2);
        QVERIFY(frame.Session().Engine().IsPlaying());
        frame.Session().Controller().Execute(CommandId::PlayPause); // paused in it
        // The arrows, then Ctrl+Z.
        view->setFocus();
        const std::uint32_t start = sentences.At(2).start;
        QTest::keyClick(view, Qt::Key_Left, Qt::ShiftModifier);
        QCOMPARE(sentences.At(2).start, start - 10);
        QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(sentences.At(2).start, start);
        // A drag over the waveform away from every edge draws a region.
        QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, {view->ZoomXOf(2000), y});
        QTest::mouseMove(view, {view->ZoomXOf(3000), y});
        QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, {view->ZoomXOf(3000), y});
        const Region region = frame.Session().Controller().GetRegion();
        QVERIFY(region.set);
        QVERIFY(std::abs(region.start - 200) <= 2 && std::abs(region.end - 300) <= 2);
        // Hidden and shown from the View menu.
        frame.Action(CommandId::ViewWaveform)->trigger();
        QVERIFY(view->isHidden());
        frame.Action(CommandId::ViewWaveform)->trigger();
        QVERIFY(!view->isHidden());
        QVERIFY(frame.close());
    }

    // Word-timed subtitles: dictation checks against the clean text, and the LRC saved from
    // it keeps the word times of the lines dictated.
    void wordTimedLinesAreDictatedClean() {
        QTemporaryDir home;
        test::ScopedEnv homeEnv("KESTROVA_HOME", home.path().toUtf8());
        const QString lesson = home.filePath("words.wav");
        QVERIFY(QFile::copy(test::Media("speech_gaps.wav"), lesson));
        test::WriteFileBytes(home.filePath("words.lrc"),
                             "[00:00.50] <00:00.60> Line <00:01.00> one\n"
                             "[00:02.00]<00:02.10>Second <00:02.60>line\n"
                             "[00:04.00]<00:04.20>three<00:04.90>\n");
        CAppSetting settings;
        settings.UseSplit = false;
        settings.IgnoreCase = 1;
        settings.RedoError = false;
        test::TestPrompts prompts;
        prompts.answer = [](const QString&) { return true; };
        CMainFrame frame(settings);
        frame.SetPrompts(&prompts);
        frame.Activate();
        frame.Playlist()->OpenFiles({lesson});
        QTRY_COMPARE(frame.Session().Sentences().Count(), 3);
        QCOMPARE(frame.Session().Reference(0), QString("Line one"));
        frame.Action(CommandId::SentenceDictation)->trigger();
        CDictateSentPanel* panel = frame.DictationView()->Panel();
        auto* answer = panel->findChild<QTextEdit*>("answerEdit");
        // Right as the subtitles stand, then right ignoring case: a right answer is kept as the
        // subtitle has it; the third is not dictated.
        for (const char* typed : {"Line one", "second line"}) {
            answer->setPlainText(QString::fromLatin1(typed));
            panel->Submit();
        }
        QCOMPARE(panel->findChild<QTreeWidget*>()->topLevelItem(1)->text(2),
                 QString("Second line"));
        QVERIFY(frame.HardSentences()->GetItems().empty()); // neither was wrong
        frame.Action(CommandId::SaveDictationLrc)->trigger();
        QCOMPARE(QString::fromUtf8(test::ReadFileBytes(home.filePath("words.lrc"))),
                 QString("[00:00.50]<00:00.60>Line <00:01.00>one\r\n"
                         "[00:02.00]<00:02.10>Second <00:02.60>line\r\n"
                         "[00:04.00]\r\n"));
        frame.Action(CommandId::SentenceDictation)->trigger();
        QVERIFY(frame.close());
    }

    void dictationThroughTheFrame() {
        QTemporaryDir home;
        test::ScopedEnv homeEnv("KESTROVA_HOME", home.path().toUtf8());
        // A lesson without subtitles: split at opening, dictated, saved as LRC.
        const QString lesson = home.filePath("talk.wav");
        QVERIFY(QFile::copy(test::Media("speech_gaps.wav"), lesson));
        CAppSetting settings;
        settings.UseSplit = true;
        settings.AudioLength = 200;
        settings.SentenceDist = 28;
        settings.BackgroundNoise = 980;
        settings.IgnoreSpaces = 1;
        settings.ToHardSent = 2;
        settings.RedoError = true;
        settings.Volume = 50;
        test::TestPrompts prompts;
        CMainFrame frame(settings);
        prompts.answer = [](const QString&) { return true; };
        frame.SetPrompts(&prompts);
        const QStringList& questions = prompts.asked;
        frame.Activate();
        frame.Playlist()->OpenFiles({lesson});
        QTRY_COMPARE(frame.Session().Sentences().Count(), 3); // the splitting worker's list arrived
        frame.Action(CommandId::SentenceDictation)->trigger();
        CDictateSentPanel* panel = frame.DictationView()->Panel();
        auto* answer = panel->findChild<QTextEdit*>("answerEdit");
        QVERIFY(frame.DictationView()->SentenceMode());
        QVERIFY(frame.Session().SentenceDictationRunning());
        QCOMPARE(frame.TabView()->currentIndex(), 1);
        QVERIFY(!frame.Session().Controller().IsEnabled(CommandId::Stop));
        for (const char* typed : {"the cat", "learning", "repeat"}) {
            answer->setPlainText(QString::fromLatin1(typed));
            panel->Submit();
        }
        QCOMPARE(questions.last(),
                 QString::fromUtf8("（智能听写模式）听写完成，是否将听写保存为LRC文件？"));
        QVERIFY(!frame.Session().SentenceDictationRunning());
        QVERIFY(frame.Session().Subtitles().HasLines());
        CLrc saved;
        QVERIFY(saved.Load(home.filePath("talk.lrc")));
        QCOMPARE(int(saved.Records().size()), 3);
        QCOMPARE(saved.Records()[1]->text, QString("learning"));

        // With subtitles: wrong answers fill the hard-sentence library at the threshold.
        frame.Action(CommandId::SentenceDictation)->trigger();
        QVERIFY(frame.Session().SentenceDictationRunning());
        answer->setPlainText("wrong");
        panel->Submit();
        panel->Submit();
        QCOMPARE(int(frame.HardSentences()->GetItems().size()), 1);
        QVERIFY(frame.Action(CommandId::HardSentenceDictation)->isEnabled());
        frame.Action(CommandId::SentenceDictation)
            ->trigger(); // again: stops dictation and playback
        QVERIFY(!frame.DictationView()->SentenceMode());
        QVERIFY(frame.Session().Engine().IsStopped());
        QVERIFY(frame.close());
        // The work went into the lesson's user data beside it, and Temp is empty again.
        QVERIFY(QFile::exists(home.filePath("talk.kud")));
        QVERIFY(!QFile::exists(home.filePath("Temp/hardSent.dat")));
        QTemporaryDir out;
        QCOMPARE(QProcess::execute(qEnvironmentVariable("KESTROVA_PACK"),
                                   {"e", "-O+", home.filePath("talk.kud"), out.path()}),
                 0);
        QVERIFY(QFile::exists(out.filePath("hardSent.dat")));
        QVERIFY(QFile::exists(out.filePath("sellist.ist")));
    }

    void workSurvivesSigkill() {
        // The program splits a lesson at start (its work, written at once), is killed, and
        // the next start packs that work into the lesson's user data.
        QTemporaryDir home;
        const QString lesson = home.filePath("killed.wav");
        QVERIFY(QFile::copy(test::Media("speech_gaps.wav"), lesson));
        QFile m3u(home.filePath("Kestrova.m3u"));
        QVERIFY(m3u.open(QIODevice::WriteOnly));
        m3u.write((lesson + "\r\n").toUtf8());
        m3u.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KESTROVA_HOME", home.path());
        env.insert("KESTROVA_AUDIO", "null");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        const QString program = QCoreApplication::applicationDirPath() + "/../kestrova";
        QProcess first;
        first.setProcessEnvironment(env);
        first.start(program, {});
        QVERIFY(first.waitForStarted());
        const QString sentences = home.filePath("Temp/sellist.ist");
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(sentences).size() > 0, 20000);
        first.kill(); // SIGKILL: no closing steps run
        QVERIFY(first.waitForFinished());
        QVERIFY(!QFile::exists(home.filePath("killed.kud")));
        QProcess second;
        env.insert("KESTROVA_QUIT_AFTER_START", "1");
        second.setProcessEnvironment(env);
        second.start(program, {});
        QVERIFY(second.waitForFinished(30000));
        QCOMPARE(second.exitCode(), 0);
        QTemporaryDir out;
        QCOMPARE(QProcess::execute(qEnvironmentVariable("KESTROVA_PACK"),
                                   {"e", "-O+", home.filePath("killed.kud"), out.path()}),
                 0);
        QFile saved(out.filePath("sellist.ist"));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll().count('\n'), 3);
    }

    void aboutWindow() {
        CAboutDlg about;
        QCOMPARE(CAboutDlg::VersionText(), QString("Version : 0.1.0.1"));
        QCOMPARE(about.findChild<QLabel*>("versionLabel")->text(), CAboutDlg::VersionText());
        about.show();
        QSignalSpy closed(&about, &QDialog::finished);
        QTest::mouseClick(&about, Qt::LeftButton, {}, QPoint(30, 30));
        QCOMPARE(closed.size(), 1);
    }
};

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("KESTROVA_AUDIO", "null");
    CKestrovaApp app(argc, argv);
    TestUi tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_ui.moc"
