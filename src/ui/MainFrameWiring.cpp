#include "MainFrame.h"

#include "AlarmDlg.h"
#include "CommandRegistry.h"
#include "EffectPanel.h"
#include "HotkeyFilter.h"
#include "MainSiderPanel.h"
#include "MediaInfoDlg.h"
#include "MenuLayout.h"
#include "NowPlayingFrm.h"
#include "OptionsSheet.h"
#include "RadioDialogs.h"
#include "RadioPanel.h"
#include "StatusBar.h"
#include "MiniWnd.h"
#include "TabView.h"
#include "WaveformView.h"
#include "audio/MediaCore.h"
#include "common/AppSetting.h"
#include "common/Util.h"
#include "dictation/DictateSentPanel.h"
#include "dictation/DictationSession.h"
#include "dictation/DictationView.h"
#include "dictation/HardSentPanel.h"
#include "library/Bookmarks.h"
#include "library/NoteFrm.h"
#include "library/PlaylistView.h"
#include "library/UserData.h"
#include "library/WaitDlg.h"
#include "player/AlarmClock.h"
#include "player/EffectsController.h"
#include "player/PlaybackController.h"
#include "player/SentenceModel.h"
#include "player/Shortcuts.h"
#include "player/StudySession.h"
#include "repeat/CtrlBar.h"
#include "repeat/SellistView.h"
#include "subtitle/BrowseAndTranslate.h"
#include "subtitle/SubtitleModel.h"

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolBar>
#include <QUrl>

// How the main window's views, commands and status bar follow the study session: every
// connection between them is made here, once, when the window is built.

namespace kestrova {

namespace {
const QString kBlankPane(15, ' ');
} // namespace

namespace {
QString ShortcutTablePath() {
    return DataFolder() + "Shortcut.dat";
}
QString FactoryShortcutsPath() {
    return ResourcePath(QStringLiteral("sc.dat"));
}
} // namespace

void CMainFrame::LoadShortcuts() {
    // The learner's keys, and on the first start the factory set beside the program.
    if (!QFile::exists(ShortcutTablePath()) && QFile::exists(FactoryShortcutsPath()))
        QFile::copy(FactoryShortcutsPath(), ShortcutTablePath());
    ApplyShortcuts(shortcuts::Load(ShortcutTablePath()));
    AddClosingStep([this] { shortcuts::Save(ShortcutTablePath(), m_shortcuts); });
}

void CMainFrame::ApplyShortcuts(const AccelItems& table) {
    m_shortcuts = table;
    // The records flagged as system-wide hotkeys, where the desktop lets keys be grabbed; a
    // combination held elsewhere is told and still works as a window shortcut.
    if (!m_hotkeys) {
        m_hotkeys = new CHotkeyFilter(
            [this](std::uint16_t nameId) {
                if (const shortcuts::Entry* e = shortcuts::EntryOf(nameId))
                    if (QAction* a = Action(e->command); a->isEnabled()) a->trigger();
            },
            this);
        connect(m_hotkeys, &CHotkeyFilter::windowOnly, this, &CMainFrame::TellWindowOnlyHotkeys);
    }
    for (const QString& text : m_hotkeys->Register(m_shortcuts))
        m_prompts->Tell(MessageKind::Error, text);
    if (!m_hotkeys->Available()) {
        QStringList windowOnly;
        for (const ACCEL_ITEM& item : m_shortcuts)
            if (item.systemHotkey) windowOnly << item.keyText;
        TellWindowOnlyHotkeys(windowOnly);
    }
    for (const CommandInfo& info : AllCommands())
        Action(info.id)->setShortcuts(
            QKeySequence::listFromString(QString::fromLatin1(info.shortcut)));
    for (const ACCEL_ITEM& item : m_shortcuts) {
        const auto id = shortcuts::CommandOf(item.command);
        const QKeySequence keys = shortcuts::Sequence(item);
        if (!id || keys.isEmpty()) continue;
        QAction* a = Action(*id);
        QList<QKeySequence> all = a->shortcuts();
        if (!all.contains(keys)) all << keys;
        a->setShortcuts(all);
    }
    AddEditingKeys(*m_commands); // the classic editing keys stay beside the menu's
}

void CMainFrame::OpenUrlDialog() {
    COpenUrlDlg dialog(RadioHistoryPath(), this);
    if (dialog.exec() != QDialog::Accepted) return;
    SelectPage(CTabView::Radio);
    m_radio->Player().Play(dialog.Url());
}

void CMainFrame::TellWindowOnlyHotkeys(const QStringList& keyTexts) {
    // Where nothing can grab keys (no X11, no portal) or the portal bound only some, the
    // learner is told once which hotkeys stay window shortcuts.
    if (keyTexts.isEmpty() || m_toldNoHotkeys) return;
    m_toldNoHotkeys = true;
    m_prompts->Tell(MessageKind::Information,
                    QString::fromUtf8("此桌面不允许程序注册系统热键，以下热键只在本窗口中有效：") +
                        keyTexts.join(QString::fromUtf8("、")));
}

void CMainFrame::RestoreShortcuts() {
    // A missing factory set leaves the table as it is.
    if (!QFile::exists(FactoryShortcutsPath())) return;
    QFile::remove(ShortcutTablePath() + ".old");
    if (QFile::exists(ShortcutTablePath()))
        QFile::rename(ShortcutTablePath(), ShortcutTablePath() + ".old");
    if (!QFile::copy(FactoryShortcutsPath(), ShortcutTablePath())) {
        QFile::rename(ShortcutTablePath() + ".old", ShortcutTablePath());
        return;
    }
    QFile::remove(ShortcutTablePath() + ".old");
    ApplyShortcuts(shortcuts::Load(ShortcutTablePath()));
}

void CMainFrame::WireFrameCommands() {
    // Every command's action belongs to the window, so that its keys work also for the
    // commands no menu shows.
    for (const CommandInfo& info : AllCommands())
        addAction(Action(info.id));
    connect(Action(CommandId::SaveRegion), &QAction::triggered, this,
            [this] { m_session->SaveRegion(); });
    connect(Action(CommandId::MinimizeRestore), &QAction::triggered, this, [this] {
        if (isMinimized() || m_hiddenToTray)
            BringToFront();
        else
            showMinimized();
    });
    connect(Action(CommandId::OpenFile), &QAction::triggered, this, &CMainFrame::OpenFileDialog);
    connect(Action(CommandId::MiniWindow), &QAction::triggered, this, [this] {
        if (m_mini)
            ShowFullWindow();
        else
            ShowMiniWindow();
    });
    // "退出" closes even where the close box hides the window to the tray.
    connect(Action(CommandId::Exit), &QAction::triggered, this, [this] {
        m_exitRequested = true;
        close();
        m_exitRequested = false;
    });
    connect(Action(CommandId::Website), &QAction::triggered, this,
            [] { QDesktopServices::openUrl(QUrl(QString::fromLatin1(kProductSite))); });
    connect(Action(CommandId::Mail), &QAction::triggered, this,
            [] { QDesktopServices::openUrl(QUrl(QString::fromLatin1(kSupportMail))); });
    connect(Action(CommandId::Notes), &QAction::triggered, this,
            [this] { SelectPage(CTabView::Notes); });
    // The whole subtitle text and the learner's translation; playback pauses meanwhile.
    connect(Action(CommandId::FullText), &QAction::triggered, this, [this] {
        if (m_session->Engine().IsPlaying()) m_session->Controller().Execute(CommandId::Pause);
        CBrowseAndTranslate dialog(m_session->Subtitles().Items(), this);
        dialog.exec();
    });
    connect(Action(CommandId::Help), &QAction::triggered, this, [this] {
        // Where the desktop has no browser to hand the guide to, the learner is told where it is.
        const QString guide = ResourcePath(QStringLiteral("help/index.html"));
        if (!QDesktopServices::openUrl(QUrl::fromLocalFile(guide)))
            m_prompts->Tell(MessageKind::Information,
                            QString::fromUtf8("无法打开浏览器。帮助文件在：") +
                                QDir::toNativeSeparators(guide));
    });

    // The three alarms: armed again from the profile, set in "定时器", told one after
    // another in alarm order (each message box waits for the learner).
    m_alarms = std::make_unique<CAlarmClock>(m_settings, CAlarmClock::ProgramClock());
    connect(m_alarms.get(), &CAlarmClock::alarm, this,
            [this](int, const QString& text) { m_prompts->Tell(MessageKind::Information, text); });
    connect(Action(CommandId::Alarms), &QAction::triggered, this, [this] {
        CAlarmDlg dialog(*m_alarms, this);
        dialog.exec();
    });

    // The radio: "打开URL..." plays an address on the radio page, "添加电台..." adds stations.
    // Radio and lesson never talk over each other: the radio starting makes the lesson give
    // way (paused, or its loop stopped while it counts the pause between passes), and the
    // lesson sounding again stops the radio.
    connect(Action(CommandId::OpenUrl), &QAction::triggered, this, &CMainFrame::OpenUrlDialog);
    connect(Action(CommandId::AddRadio), &QAction::triggered, m_radio, &CRadioPanel::AddStations);
    connect(&m_radio->Player(), &CRadioPlayer::started, &m_session->Controller(),
            &CPlaybackController::GiveWay);
    connect(&m_session->Controller(), &CPlaybackController::stateChanged, this,
            [this](CPlaybackController::State state) {
                if (state == CPlaybackController::State::Playing) m_radio->Player().Stop();
            });

    // Not in a menu: the main panel offers it beside the product picture.
    connect(Action(CommandId::Download), &QAction::triggered, this,
            [] { QDesktopServices::openUrl(QUrl(QString::fromLatin1(kDownloadSite))); });

    for (QAction* a : {Action(CommandId::ViewToolBar), Action(CommandId::ViewControlBar),
                       Action(CommandId::ViewStatusBar), Action(CommandId::ViewWaveform),
                       Action(CommandId::ViewDictationBar), Action(CommandId::ViewFormatBar),
                       Action(CommandId::PanelMain), Action(CommandId::PanelEffects),
                       Action(CommandId::PanelRecord)})
        a->setCheckable(true);
    connect(Action(CommandId::ViewToolBar), &QAction::triggered, this,
            [this](bool on) { m_toolBar->setVisible(on); });
    connect(Action(CommandId::ViewControlBar), &QAction::triggered, this, [this](bool on) {
        m_ctrlBar->setVisible(on);
        UpdateCommandStates();
    });
    connect(Action(CommandId::ViewStatusBar), &QAction::triggered, this,
            [this](bool on) { m_statusBar->setVisible(on); });
    connect(Action(CommandId::ViewWaveform), &QAction::triggered, this,
            [this](bool on) { m_nowPlaying->Waveform()->setVisible(on); });
    connect(Action(CommandId::ViewDictationBar), &QAction::triggered, this,
            [this](bool on) { m_dictationBar->setVisible(on); });
    connect(Action(CommandId::ViewFormatBar), &QAction::triggered, this,
            [this](bool on) { m_freeText->ToolBar()->setVisible(on); });
    for (int p = 0; p < 3; ++p)
        connect(Action(kPanelCommands[std::size_t(p)]), &QAction::triggered, this,
                [this, p] { PanelCommand(p + 1); });

    m_orderGroup = new QActionGroup(this);
    const CommandId orders[] = {CommandId::OrderDefault, CommandId::OrderRepeatOne,
                                CommandId::OrderRepeatList, CommandId::OrderPlayOnce};
    for (int o = 0; o < 4; ++o) {
        QAction* a = Action(orders[o]);
        a->setCheckable(true);
        a->setChecked(RepeatOptions::From(m_settings).order == PlayOrder(o));
        m_orderGroup->addAction(a);
        connect(a, &QAction::triggered, this, [this, o] {
            RepeatOptions options = RepeatOptions::From(m_settings);
            options.order = PlayOrder(o);
            m_settings.Apply(options);
        });
    }
}

void CMainFrame::WireTransport() {
    CPlaybackController& controller = m_session->Controller();
    // Every transport command runs in the controller; it and the session push the enabled
    // state of their commands when it changes.
    for (const CommandInfo& info : AllCommands()) {
        const CommandId id = info.id;
        if (CPlaybackController::Handles(id)) {
            Action(id)->setEnabled(controller.IsEnabled(id));
            connect(Action(id), &QAction::triggered, &controller,
                    [&controller, id] { controller.Execute(id); });
        } else if (CStudySession::Handles(id)) {
            Action(id)->setEnabled(m_session->IsEnabled(id));
        } else if (CEffectsController::Handles(id)) {
            CEffectsController& effects = m_session->Effects();
            Action(id)->setEnabled(effects.IsEnabled(id));
            connect(Action(id), &QAction::triggered, &effects,
                    [&effects, id] { effects.Execute(id); });
        }
    }
    auto enable = [this](CommandId id, bool enabled) { Action(id)->setEnabled(enabled); };
    connect(&controller, &CPlaybackController::commandEnabledChanged, this, enable);
    connect(m_session.get(), &CStudySession::commandEnabledChanged, this, enable);
    connect(&m_session->Effects(), &CEffectsController::commandEnabledChanged, this, enable);
    connect(m_effectPanel, &CEffectPanel::failed, this,
            [this](const QString& text) { m_prompts->Tell(MessageKind::Error, text); });
    QAction* autoRepeat = Action(CommandId::AutoRepeat);
    autoRepeat->setCheckable(true);
    connect(&controller, &CPlaybackController::autoRepeatChanged, autoRepeat, &QAction::setChecked);
    // A checkable action toggles itself; the controller's state is what it shows.
    connect(autoRepeat, &QAction::triggered, this,
            [this, autoRepeat] { autoRepeat->setChecked(m_session->Controller().AutoRepeatOn()); });
    connect(&controller, &CPlaybackController::entryOpened, this, [this](int index) {
        if (index < 0) setWindowTitle(QString::fromLatin1(kProductTitle));
        UpdateCommandStates();
    });
    connect(&controller, &CPlaybackController::stateChanged, this,
            [this] { UpdateCommandStates(); });
    connect(&controller, &CPlaybackController::playlistReleased, this,
            [this] { setWindowTitle(QString::fromLatin1(kProductTitle)); });
    connect(m_mainPanel, &CMainSiderPanel::command, this, [this](CommandId id) {
        if (QAction* a = Action(id); a->isEnabled()) a->trigger();
    });
    for (QMenu* menu : menuBar()->findChildren<QMenu*>())
        connect(menu, &QMenu::aboutToShow, this, [this] { UpdateCommandStates(); });
    AddClosingStep([this] { m_session->SaveUserData(); });
}

void CMainFrame::WireStatusBar() {
    CPlaybackController& controller = m_session->Controller();
    // Panes 4 and 5 the region, 7 the clock or the pause between passes, 0 the loop's note;
    // they keep their width whatever they show.
    const QString time = TimeText(0);
    m_statusBar->FitPaneTo(4, {kBlankPane, time});
    m_statusBar->FitPaneTo(5, {kBlankPane, time});
    m_statusBar->FitPaneTo(
        7, {time + " / " + time, CPlaybackController::PauseText(0, 0).replace("0", "000")});
    // The bit rate of the playing file: room for three digits of kilobits, every compressed
    // file; an uncompressed one (four digits) widens it while it plays.
    m_statusBar->FitPaneTo(6, {playlist::BitRateText(QStringLiteral("000000"))});
    connect(&controller, &CPlaybackController::regionChanged, this, [this](const Region& r) {
        m_statusBar->SetPaneText(4, r.set ? TimeText(std::uint32_t(r.start)) : kBlankPane);
        m_statusBar->SetPaneText(5, r.set ? TimeText(std::uint32_t(r.end)) : kBlankPane);
    });
    connect(&controller, &CPlaybackController::positionChanged, this,
            [this](int position, int length) {
                if (!m_session->Controller().Pausing())
                    m_statusBar->SetPaneText(7, TimeText(std::uint32_t(position)) + " / " +
                                                    TimeText(std::uint32_t(length)));
            });
    connect(&controller, &CPlaybackController::pauseCounted, this, [this](int seconds, int length) {
        m_statusBar->SetPaneText(7, seconds == 0 ? QString()
                                                 : CPlaybackController::PauseText(seconds, length));
    });
    connect(&controller, &CPlaybackController::message, this,
            [this](const QString& text) { m_statusBar->SetPaneText(0, text); });
    connect(&m_session->Sentences(), &CSentenceModel::splittingProgress, this, [this](int percent) {
        SetSplittingProgress(percent);
        UpdateCommandStates();
    });
    connect(m_statusBar, &CStatusBar::cancelSplitting, this, &CMainFrame::CancelSplit);
    connect(Playlist(), &CPlaylistView::bitRateChanged, this,
            [this](const QString& text) { m_statusBar->SetPaneText(6, text); });
}

void CMainFrame::WireLists() {
    CSentenceModel& sentences = m_session->Sentences();
    CPlaylistView* playlist = Playlist();
    connect(playlist, &CPlaylistView::addFilesRequested, this, &CMainFrame::AddFilesDialog);
    connect(playlist, &CPlaylistView::titleChanged, this, &QWidget::setWindowTitle);
    connect(playlist, &CPlaylistView::addBookmarkRequested, this,
            [](const QString& path) { bookmarks::Add(path); });
    auto showInfo = [this](const QString& path) {
        CMediaInfoDlg dialog(CMediaInfoDlg::ReportFor(path), this);
        dialog.exec();
    };
    connect(playlist, &CPlaylistView::mediaInfoRequested, this, showInfo);
    connect(Action(CommandId::MediaInfo), &QAction::triggered, this,
            [this, showInfo] { showInfo(m_session->Controller().CurrentEntry()); });
    connect(Action(CommandId::Favorites), &QAction::triggered, this, [this] {
        CBookmarksDlg dialog([this](const QStringList& files) { Playlist()->PlayFiles(files); },
                             this);
        dialog.exec();
    });
    connect(Action(CommandId::Split), &QAction::triggered, this,
            [this] { m_session->StartSplit(); });
    connect(Action(CommandId::CancelSplit), &QAction::triggered, this, &CMainFrame::CancelSplit);
    connect(Action(CommandId::MergeUp), &QAction::triggered, Sellist(), &CSellistView::MergeUp);
    connect(Action(CommandId::MergeDown), &QAction::triggered, Sellist(), &CSellistView::MergeDown);
    connect(&sentences, &QAbstractItemModel::modelReset, this, [this] { UpdateCommandStates(); });
    connect(Sellist(), &CSellistView::addToHardSentences, m_hard,
            [this](std::uint32_t start, std::uint32_t end) { m_hard->Add(start, end, 99); });
    connect(m_hard, &CHardSentPanel::itemsChanged, this, [this] { UpdateCommandStates(); });
    // The library for flashcard programs: the file beside the lesson by default.
    connect(m_hard, &CHardSentPanel::exportRequested, this, [this] {
        const QString media = m_session->MediaPath();
        if (media.isEmpty()) return;
        const QFileInfo lesson(media);
        const QString path = QFileDialog::getSaveFileName(
            this, QString::fromUtf8("导出为闪卡"),
            lesson.absolutePath() + '/' + lesson.completeBaseName() + QStringLiteral(".tsv"),
            QString::fromUtf8("制表符分隔文件 (*.tsv)"));
        if (path.isEmpty()) return;
        int failed = 0;
        const int rows = m_hard->ExportFlashcards(media, path, &failed);
        if (rows < 0) return; // the writer told why
        QString told =
            QString::fromUtf8("已导出 %1 句到 %2").arg(rows).arg(QDir::toNativeSeparators(path));
        if (failed > 0) told += QString::fromUtf8("（其中 %1 句的声音未能剪出）").arg(failed);
        m_prompts->Tell(MessageKind::Information, told);
    });
    connect(Action(CommandId::ImportLrc), &QAction::triggered, this, [this] {
        ImportLrc(QFileDialog::getOpenFileName(this, QString(), QString(),
                                               QStringLiteral("LRC File (*.lrc)")));
    });
    connect(Action(CommandId::Options), &QAction::triggered, this, [this] { ShowOptions(); });
    connect(Action(CommandId::SplitSettings), &QAction::triggered, this,
            [this] { ShowOptions(COptionsSheet::Splitting); });

    // The learner's work beside the sentences: the hard sentences and the notes.
    CUserData& userData = m_session->UserData();
    userData.SetPrompts(m_prompts);
    userData.AddPiece(m_hard, CUserData::Phase::WhenModified);
    userData.AddPiece(m_notes, CUserData::Phase::Always);
    userData.AddPiece(m_freeText, CUserData::Phase::Always);
    connect(&userData, &CUserData::busyChanged, this, [this](bool on) {
        if (on && !m_waitDlg) {
            m_waitDlg = CreateWaitDlg(this);
            m_waitDlg->show();
            m_waitDlg->repaint();
        } else if (!on && m_waitDlg) {
            delete m_waitDlg;
            m_waitDlg = nullptr;
        }
    });
    connect(Action(CommandId::ExportCourseware), &QAction::triggered, this, [this] {
        const QString path = QFileDialog::getSaveFileName(
            this, QString(), QString(), QStringLiteral("Kcw File (*.kcw)"), nullptr,
            QFileDialog::DontConfirmOverwrite);
        if (path.isEmpty()) return;
        UserData()->Export(path.endsWith(".kcw", Qt::CaseInsensitive) ? path : path + ".kcw");
    });
}

void CMainFrame::WireDictation() {
    CStudySession& session = *m_session;
    CDictateSentPanel* panel = m_dictation->Panel();
    CDictationSession& dictation = session.Dictation();
    m_dictation->SetHost(&session);
    m_dictation->SetPrompts(m_prompts);
    m_hard->SetSource(&session);
    // The session locks the list and the transport while sentence dictation runs; the hard
    // sentences refuse the learner's choices as well.
    connect(m_dictation, &CDictationView::modeChanged, this, [this] {
        m_session->SetDictationMode(m_dictation->Running());
        UpdateCommandStates();
    });
    connect(&dictation, &CDictationSession::runningChanged, this, [this](bool running) {
        m_hard->SetLocked(running);
        UpdateCommandStates();
    });
    connect(&dictation, &CDictationSession::hardSentence, m_hard, &CHardSentPanel::Add);
    connect(m_dictation, &CDictationView::pageWanted, this,
            [this] { SelectPage(CTabView::Dictation); });
    connect(panel, &CDictateSentPanel::stopped, this,
            [this] { m_dictation->StopDictation(false); });

    // Dictation ends with playback, with its list, and with a cancelled split it waited for.
    auto stop = [this] {
        if (m_dictation->Running()) m_dictation->StopDictation(false);
    };
    connect(&session.Controller(), &CPlaybackController::stopped, this, stop);
    connect(&session.Sentences(), &CSentenceModel::cleared, this, stop);
    connect(&session, &CStudySession::splitCancelled, this,
            [this] { m_dictation->StopDictation(false); });
    connect(&session.Sentences(), &CSentenceModel::sentencesChanged, m_dictation,
            &CDictationView::SentencesChanged);
    connect(&session.Sentences(), &CSentenceModel::splittingProgress, this, [this](int percent) {
        if (percent == -10) m_dictation->SplittingEnded();
    });
    // The pause between passes counts down in the dictation panel.
    connect(&session.Controller(), &CPlaybackController::pauseCounted, panel,
            [panel, &dictation](int seconds, int) {
                if (dictation.Running()) panel->Info()->SetCountdown(seconds == 0 ? -1 : seconds);
            });

    connect(Action(CommandId::SentenceDictation), &QAction::triggered, this, [this] {
        m_dictation->SmartCommand();
        UpdateCommandStates();
    });
    connect(Action(CommandId::HardSentenceDictation), &QAction::triggered, this, [this] {
        m_dictation->HardCommand(m_hard->Starts());
        UpdateCommandStates();
    });
    connect(Action(CommandId::SaveDictationLrc), &QAction::triggered, panel,
            &CDictateSentPanel::SaveAsLrc);

    // Free dictation: its text is the lesson's Dictation.rtf, saved when it changed at the
    // autosave interval, when a sentence mode starts and when dictation stops.
    connect(m_dictation, &CDictationView::freeTextLoad, m_freeText, &CNoteFrm::LoadNotes);
    connect(m_dictation, &CDictationView::freeTextSave, m_freeText, &CNoteFrm::SaveNotes);
    connect(m_dictation, &CDictationView::freeTextClear, this, [this] {
        m_freeText->Editor()->clear();
        m_freeText->Editor()->document()->setModified(false);
    });
    connect(&m_settings, &CAppSetting::changed, this, [this](CAppSetting::Group group) {
        if (group == CAppSetting::Group::Dictation) m_dictation->AutosaveChanged();
    });
    connect(Action(CommandId::FreeDictation), &QAction::triggered, this, [this] {
        m_dictation->FreeCommand();
        UpdateCommandStates();
    });
    connect(Action(CommandId::SaveDictationRtf), &QAction::triggered, this, [this] {
        QFileDialog dialog(this, QString(), QString(), QStringLiteral("rtf file(*.rtf)"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("rtf"));
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            m_freeText->SaveAs(dialog.selectedFiles().first());
    });
    connect(Action(CommandId::DictationHint), &QAction::triggered, this, &CMainFrame::ShowHint);
}

CNoteFrm* CMainFrame::EditorInFront() const {
    // The notes while their page is in front; free dictation's text while it runs in front.
    if (m_tabView->currentIndex() == CTabView::Notes) return m_notes;
    if (m_tabView->currentIndex() == CTabView::Dictation && m_dictation->FreeMode())
        return m_freeText;
    return nullptr;
}

void CMainFrame::PrintEditor(QPrinter& printer) const {
    if (CNoteFrm* frm = EditorInFront()) frm->Editor()->print(&printer);
}

void CMainFrame::WireEditing() {
    // The edit commands act on the editor in front.
    auto on = [this](CommandId id, auto&& act) {
        connect(Action(id), &QAction::triggered, this, [this, act] {
            if (CNoteFrm* frm = EditorInFront()) act(frm);
        });
    };
    on(CommandId::Undo, [](CNoteFrm* f) { f->Editor()->undo(); });
    on(CommandId::Cut, [](CNoteFrm* f) { f->Editor()->cut(); });
    on(CommandId::Copy, [](CNoteFrm* f) { f->Editor()->copy(); });
    on(CommandId::Paste, [](CNoteFrm* f) { f->Editor()->paste(); });
    on(CommandId::Delete, [](CNoteFrm* f) { f->Editor()->textCursor().removeSelectedText(); });
    on(CommandId::SelectAll, [](CNoteFrm* f) { f->Editor()->selectAll(); });
    on(CommandId::FormatFont, [](CNoteFrm* f) { f->ChooseFont(); });
    // Printing the editor in front: set up once, then printed or previewed with that setup.
    on(CommandId::Print, [this](CNoteFrm*) {
        QPrintDialog dialog(m_printer.get(), this);
        if (dialog.exec() == QDialog::Accepted) PrintEditor(*m_printer);
    });
    on(CommandId::PrintPreview, [this](CNoteFrm*) {
        QPrintPreviewDialog preview(m_printer.get(), this);
        connect(&preview, &QPrintPreviewDialog::paintRequested, this,
                [this](QPrinter* printer) { PrintEditor(*printer); });
        preview.exec();
    });
    on(CommandId::PrintSetup, [this](CNoteFrm*) {
        QPageSetupDialog setup(m_printer.get(), this);
        setup.exec();
    });
    connect(m_tabView, &QTabWidget::currentChanged, this, [this] { UpdateCommandStates(); });
    for (CNoteFrm* frm : {m_notes, m_freeText})
        connect(frm->Editor(), &QTextEdit::selectionChanged, this,
                [this] { UpdateCommandStates(); });
}

} // namespace kestrova
