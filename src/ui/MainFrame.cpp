#include "MainFrame.h"

#include "CommandRegistry.h"
#include "EffectPanel.h"
#include "MainSiderPanel.h"
#include "MediaFilter.h"
#include "MenuLayout.h"
#include "RadioPanel.h"
#include "controls/Icons.h"
#include "MiniWnd.h"
#include "NowPlayingFrm.h"
#include "OptionsSheet.h"
#include "RecordPanel.h"
#include "ShortcutPage.h"
#include "SideBar.h"
#include "StatusBar.h"
#include "TabView.h"
#include "WaveformView.h"
#include "WindowPlacement.h"
#include "audio/MediaCore.h"
#include "common/AppSetting.h"
#include "dictation/DictationPage.h"
#include "dictation/DictationView.h"
#include "dictation/HardSentPanel.h"
#include "library/NoteFrm.h"
#include "library/PlaylistView.h"
#include "player/AlarmClock.h"
#include "player/PlaybackController.h"
#include "player/SentenceModel.h"
#include "player/StudySession.h"
#include "repeat/CtrlBar.h"
#include "repeat/RepeatPage.h"
#include "repeat/SellistView.h"
#include "subtitle/LrcView.h"
#include "subtitle/MiniLrc.h"

#include <QAction>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrinter>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace kestrova {

namespace {

constexpr const char* kDockSection = "DockState";
constexpr const char* kDockKey = "MainWindow";

// Questions and messages as message boxes over the main window.
class CMessageBoxPrompts : public IPrompts {
public:
    explicit CMessageBoxPrompts(QWidget* parent) : m_parent(parent) {}
    bool Ask(const QString& question) override {
        return QMessageBox::question(m_parent, QString::fromLatin1("Kestrova"), question,
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    }
    void Tell(MessageKind kind, const QString& text) override { ShowMessage(kind, text); }

private:
    QWidget* m_parent;
};

} // namespace

CMainFrame::CMainFrame(CAppSetting& settings, std::unique_ptr<CMediaCore> engine, QWidget* parent)
    : QMainWindow(parent), m_settings(settings),
      m_session(std::make_unique<CStudySession>(settings, std::move(engine))),
      m_boxes(std::make_unique<CMessageBoxPrompts>(this)), m_prompts(m_boxes.get()) {
    setObjectName(QStringLiteral("MainFrame"));
    setWindowIcon(ProductIcon());
    resize(900, 640);
    // 1. The tab view is the client area.
    m_tabView = new CTabView(this);
    setCentralWidget(m_tabView);
    // 2-4. Toolbar, control bar, side bar, status bar.
    CreateMenus();
    CreateToolBar();
    m_ctrlBar = new CCtrlBar(m_session->Controller(), this);
    m_sideBar = new CSideBar(this);
    m_nowPlaying =
        new CNowPlayingFrm(m_settings, *m_session, m_tabView->PageWidget(CTabView::NowPlaying));
    m_tabView->PageWidget(CTabView::NowPlaying)->layout()->addWidget(m_nowPlaying);
    m_mainPanel = new CMainSiderPanel(m_settings, m_sideBar->PanelWidget(CSideBar::MainPanel));
    m_sideBar->PanelWidget(CSideBar::MainPanel)->layout()->addWidget(m_mainPanel);
    m_effectPanel =
        new CEffectPanel(m_session->Effects(), m_sideBar->PanelWidget(CSideBar::EffectPanel));
    static_cast<QVBoxLayout*>(m_sideBar->PanelWidget(CSideBar::EffectPanel)->layout())
        ->insertWidget(0, m_effectPanel);
    m_recordPanel =
        new CRecordPanel(m_session->Recorder(), m_sideBar->PanelWidget(CSideBar::RecordPanel));
    static_cast<QVBoxLayout*>(m_sideBar->PanelWidget(CSideBar::RecordPanel)->layout())
        ->insertWidget(0, m_recordPanel);
    m_lrcView =
        new CLrcView(m_session->Subtitles(), m_settings.GlobalFont, m_nowPlaying->SubtitleArea());
    m_nowPlaying->SubtitleArea()->layout()->addWidget(m_lrcView);
    m_dictation = new CDictationView(m_settings, m_session->Dictation(),
                                     m_tabView->PageWidget(CTabView::Dictation));
    m_dictationBar = new QToolBar(m_tabView->PageWidget(CTabView::Dictation));
    BuildDictationBar(*m_dictationBar, *m_commands);
    m_tabView->PageWidget(CTabView::Dictation)->layout()->addWidget(m_dictationBar);
    m_tabView->PageWidget(CTabView::Dictation)->layout()->addWidget(m_dictation);
    m_hard = new CHardSentPanel(m_tabView->PageWidget(CTabView::HardSentences));
    m_tabView->PageWidget(CTabView::HardSentences)->layout()->addWidget(m_hard);
    m_freeText = new CNoteFrm(nullptr, QStringLiteral("Dictation.rtf"), 0);
    m_freeText->setObjectName(QStringLiteral("freeDictationEditor"));
    m_dictation->SetFreeEditor(m_freeText);
    m_notes = new CNoteFrm(m_tabView->PageWidget(CTabView::Notes));
    m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    m_tabView->PageWidget(CTabView::Notes)->layout()->addWidget(m_notes);
    m_radio = new CRadioPanel(RadioListPath(), m_tabView->PageWidget(CTabView::Radio));
    m_tabView->PageWidget(CTabView::Radio)->layout()->addWidget(m_radio);
    m_statusBar = new CStatusBar(this);
    setStatusBar(m_statusBar);
    // 5. Docking.
    addToolBar(Qt::TopToolBarArea, m_toolBar);
    addDockWidget(Qt::BottomDockWidgetArea, m_ctrlBar);
    addDockWidget(Qt::LeftDockWidgetArea, m_sideBar);
    // 6. Always on top.
    SetAlwaysOnTop(m_settings.AlwaysTop);
    // 7. The side-bar panel of last time.
    if (m_settings.CurrentPanel >= CSideBar::MainPanel &&
        m_settings.CurrentPanel <= CSideBar::RecordPanel)
        m_sideBar->ShowPanel(m_settings.CurrentPanel);
    else
        m_sideBar->hide();
    // 8. Dock layout.
    RestoreDockState();
    // 11. Title.
    setWindowTitle(QString::fromLatin1(kProductTitle));

    WireFrameCommands();
    LoadShortcuts();
    WireTransport();
    WireStatusBar();
    WireLists();
    WireDictation();
    WireEditing();
    connect(m_ctrlBar, &QDockWidget::visibilityChanged, this, [this] { UpdateCommandStates(); });
    connect(m_sideBar, &QDockWidget::visibilityChanged, this, [this] { UpdateCommandStates(); });
    UpdateCommandStates();
}

void CMainFrame::SetPrompts(IPrompts* prompts) {
    m_prompts = prompts ? prompts : m_boxes.get();
    m_session->UserData().SetPrompts(m_prompts);
    m_dictation->SetPrompts(m_prompts);
}

CUserData* CMainFrame::UserData() const {
    return &m_session->UserData();
}

CMainFrame::~CMainFrame() {
    // The bars report their hiding while the window goes, and the sentence list the end of a
    // splitting that it stops; nothing here is to be updated.
    for (QObject* bar : {static_cast<QObject*>(m_ctrlBar), static_cast<QObject*>(m_sideBar),
                         static_cast<QObject*>(m_toolBar), static_cast<QObject*>(m_tabView)})
        bar->disconnect(this);
    m_session->disconnect(this);
    m_session->Controller().disconnect(this);
    m_session->Sentences().disconnect(this);
    // The views go before the session they show.
    delete takeCentralWidget();
    delete m_ctrlBar;
    delete m_sideBar;
}

void CMainFrame::CreateMenus() {
    m_commands = new CCommandRegistry(this);
    m_menuItems = BuildMenuBar(*menuBar(), *m_commands);
}

void CMainFrame::CreateToolBar() {
    m_toolBar = new QToolBar(QString::fromUtf8("主窗口工具栏"), this);
    m_toolBar->setObjectName(QStringLiteral("MainToolBar"));
    BuildToolBar(*m_toolBar, *m_commands);
    connect(m_toolBar, &QToolBar::visibilityChanged, this, [this] { UpdateCommandStates(); });
}

QAction* CMainFrame::Action(CommandId id) const {
    return m_commands->Action(id);
}

QStringList CMainFrame::MenuTitles() const {
    QStringList titles;
    for (const auto& m : m_menuItems)
        titles << m.first;
    return titles;
}

QStringList CMainFrame::MenuItems(const QString& menuTitle) const {
    for (const auto& m : m_menuItems)
        if (m.first == menuTitle) return m.second;
    return {};
}

void CMainFrame::UpdateCommandStates() {
    // What the views decide (the selected row, the notes editor, the dictation page, the
    // bars shown); the controller and the session push the states of their own commands.
    if (!m_ctrlBar || !m_notes) return;
    const CSentenceModel& sentences = m_session->Sentences();
    const bool lrc = sentences.Fixed();
    const int count = sentences.Count();
    const int row = Sellist()->SelectedRow();
    Action(CommandId::MergeUp)->setEnabled(!lrc && count > 0 && row > 0);
    Action(CommandId::MergeDown)->setEnabled(!lrc && count > 0 && row >= 0 && row + 1 < count);
    // The edit and print commands act on the editor in front (notes, free dictation).
    CNoteFrm* front = EditorInFront();
    QTextEdit* editor = front ? front->Editor() : nullptr;
    const bool selection = editor && editor->textCursor().hasSelection();
    Action(CommandId::Undo)->setEnabled(editor && editor->document()->isUndoAvailable());
    Action(CommandId::Cut)->setEnabled(selection);
    Action(CommandId::Copy)->setEnabled(selection);
    Action(CommandId::Delete)->setEnabled(selection);
    Action(CommandId::Paste)->setEnabled(editor && editor->canPaste());
    for (CommandId id : {CommandId::SelectAll, CommandId::FormatFont, CommandId::Print,
                         CommandId::PrintPreview, CommandId::PrintSetup})
        Action(id)->setEnabled(editor != nullptr);
    Action(CommandId::SentenceDictation)->setCheckable(true);
    Action(CommandId::SentenceDictation)->setChecked(m_dictation->SentenceMode());
    Action(CommandId::HardSentenceDictation)->setEnabled(!m_hard->GetItems().empty());
    Action(CommandId::SaveDictationLrc)->setEnabled(m_dictation->SentenceMode());
    Action(CommandId::FreeDictation)->setCheckable(true);
    Action(CommandId::FreeDictation)->setChecked(m_dictation->FreeMode());
    Action(CommandId::FreeDictation)->setEnabled(m_session->Engine().HasChannel());
    Action(CommandId::SaveDictationRtf)->setEnabled(m_dictation->FreeMode());
    Action(CommandId::DictationHint)
        ->setEnabled(m_session->HasSubtitles() && m_dictation->Running());
    if (m_toolBar) Action(CommandId::ViewToolBar)->setChecked(m_toolBar->isVisibleTo(this));
    Action(CommandId::ViewControlBar)->setChecked(m_ctrlBar->isVisibleTo(this));
    if (m_statusBar) Action(CommandId::ViewStatusBar)->setChecked(m_statusBar->isVisibleTo(this));
    Action(CommandId::ViewWaveform)->setChecked(!m_nowPlaying->Waveform()->isHidden());
    Action(CommandId::ViewDictationBar)->setChecked(!m_dictationBar->isHidden());
    Action(CommandId::ViewFormatBar)->setChecked(!m_freeText->ToolBar()->isHidden());
    Action(CommandId::ViewDictationBar)->setChecked(!m_dictationBar->isHidden());
    Action(CommandId::ViewFormatBar)->setChecked(!m_freeText->ToolBar()->isHidden());
    for (int p = 0; p < 3; ++p)
        Action(kPanelCommands[std::size_t(p)])
            ->setChecked(m_sideBar && m_sideBar->isVisibleTo(this) &&
                         m_sideBar->CurrentPanel() == p + 1);
}

void CMainFrame::SetSplittingProgress(int percent) {
    m_statusBar->SetSplittingProgress(percent);
}

void CMainFrame::SetAlwaysOnTop(bool onTop) {
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (visible) show(); // changing a window flag hides the window
}

void CMainFrame::PanelCommand(int panel) {
    if (m_sideBar->isVisible() && m_sideBar->CurrentPanel() == panel) {
        m_sideBar->hide();
        m_settings.CurrentPanel = 0;
    } else {
        m_sideBar->ShowPanel(panel);
        m_sideBar->show();
        m_settings.CurrentPanel = panel;
    }
    UpdateCommandStates();
}

void CMainFrame::SelectPage(int page) {
    m_tabView->SelectPage(page);
}

void CMainFrame::OpenFileDialog() {
    Playlist()->OpenFiles(
        QFileDialog::getOpenFileNames(this, QString(), QString(), MediaFileFilter()));
}

void CMainFrame::Activate(unsigned showState) {
    const auto placement = WindowPlacement::FromText(
        m_settings.Profile().GetString("UserGUI", "WindowPos", QString()));
    if (placement)
        placement->ApplyTo(*this, showState);
    else if (showState == WindowPlacement::kShowMaximized)
        showMaximized();
    else
        show();
    UpdateCommandStates();
    if (!m_activated) {
        m_activated = true;
        ApplyTrayIcon();
        Q_EMIT activated();
        UserData()->CheckDataFolder(); // a folder that cannot be written is said at once
        UserData()->Recover();         // work a crash left behind goes to its file first
        Playlist()->LoadPlaylist();    // opens the remembered entry without playing it
    }
}

void CMainFrame::BringToFront() {
    if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    if (m_hiddenToTray) {
        m_hiddenToTray = false;
        ApplyTrayIcon(); // gone again unless it is always shown
    }
}

CMiniWnd* CMainFrame::MiniWindow() const {
    return m_mini;
}

void CMainFrame::ShowMiniWindow() {
    if (m_mini) return;
    if (!m_fullWindow) {
        m_fullWindow = new QAction(QString::fromUtf8("恢复到完整窗口"), this);
        connect(m_fullWindow, &QAction::triggered, this, &CMainFrame::ShowFullWindow);
    }
    const QList<QAction*> menu{Action(CommandId::OpenFile),
                               Action(CommandId::PlayPause),
                               Action(CommandId::Stop),
                               Action(CommandId::PrevFile),
                               Action(CommandId::NextFile),
                               nullptr,
                               Action(CommandId::OneKey),
                               Action(CommandId::ClearRegion),
                               Action(CommandId::BackToStart),
                               Action(CommandId::AutoRepeat),
                               Action(CommandId::PrevSentence),
                               Action(CommandId::NextSentence),
                               nullptr,
                               m_fullWindow,
                               Action(CommandId::Options),
                               Action(CommandId::Exit)};
    m_mini =
        new CMiniWnd(m_session->Controller(), m_session->Subtitles(), m_settings.GlobalFont, menu);
    connect(m_mini, &CMiniWnd::commandRequested, this, [this](CommandId id) {
        if (QAction* a = Action(id); a->isEnabled()) a->trigger();
    });
    connect(m_mini, &CMiniWnd::fullWindowRequested, this, &CMainFrame::ShowFullWindow);
    m_mini->move(m_settings.MiniLeft, m_settings.MiniTop);
    m_mini->show();
    m_mini->activateWindow();
    hide();
}

void CMainFrame::ShowFullWindow() {
    if (!m_mini) return;
    // Its corner is kept for the next time; it goes once its own click is over.
    m_settings.MiniLeft = m_mini->x();
    m_settings.MiniTop = m_mini->y();
    m_mini->hide();
    m_mini->deleteLater();
    m_mini = nullptr;
    BringToFront();
}

void CMainFrame::ApplyTrayIcon() {
    // Always shown with ShowTrayIco, else only while the window hides in the tray.
    const bool wanted =
        (m_settings.ShowTrayIco || m_hiddenToTray) && QSystemTrayIcon::isSystemTrayAvailable();
    if (wanted && !m_tray) {
        m_tray = new QSystemTrayIcon(ProductIcon(), this);
        m_trayMenu = std::make_unique<QMenu>();
        m_trayMenu->addAction(Action(CommandId::OpenFile));
        m_trayMenu->addAction(Action(CommandId::PlayPause));
        m_trayMenu->addAction(Action(CommandId::PrevFile));
        m_trayMenu->addAction(Action(CommandId::NextFile));
        m_trayMenu->addAction(Action(CommandId::Options));
        connect(m_trayMenu->addAction(QString::fromUtf8("恢复窗口")), &QAction::triggered, this,
                &CMainFrame::BringToFront);
        m_trayMenu->addAction(Action(CommandId::Exit));
        m_tray->setContextMenu(m_trayMenu.get());
        connect(m_tray, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::Trigger) BringToFront();
                });
    }
    if (!m_tray) return;
    m_tray->setToolTip(windowTitle().left(63));
    m_tray->setVisible(wanted);
}

bool CMainFrame::HideToTray() {
    // Where the desktop has no tray the window stays where it is, and the learner is told
    // once why.
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        if (!m_toldNoTray) {
            m_toldNoTray = true;
            m_prompts->Tell(MessageKind::Information,
                            QString::fromUtf8("此桌面没有系统托盘，窗口不能隐藏到托盘中。"));
        }
        return false;
    }
    m_hiddenToTray = true;
    ApplyTrayIcon();
    hide();
    return true;
}

void CMainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized() && m_settings.MinimizeToTray)
        QTimer::singleShot(0, this, [this] {
            if (isMinimized()) HideToTray();
        });
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (m_mini) { // closed from the mini window's menu: its corner is kept all the same
        m_settings.MiniLeft = m_mini->x();
        m_settings.MiniTop = m_mini->y();
    }
    // The close box hides the window to the tray when the learner chose so; "退出" closes.
    if (m_settings.CloseToTray && !m_exitRequested && HideToTray()) {
        event->ignore();
        return;
    }
    if (m_settings.PromptExit && !m_prompts->Ask(QString::fromUtf8("是否退出程序？"))) {
        event->ignore();
        return;
    }
    for (const auto& step : m_closingSteps)
        step();
    if (UserData()->LearnerStays()) {
        // The learner chose to stay with work that is not saved yet.
        event->ignore();
        return;
    }
    SavePlacement();
    m_session->Engine().Stop();
    if (m_mini) { // the program ends with it
        m_mini->hide();
        m_mini->deleteLater();
    }
    event->accept();
    Q_EMIT closed();
}

void CMainFrame::SavePlacement() {
    m_settings.Profile().SetString("UserGUI", "WindowPos", WindowPlacement::Of(*this).ToText());
    m_settings.Profile().SetString(kDockSection, kDockKey,
                                   QString::fromLatin1(saveState().toBase64()));
}

void CMainFrame::RestoreDockState() {
    const QString state = m_settings.Profile().GetString(kDockSection, kDockKey, QString());
    if (!state.isEmpty()) restoreState(QByteArray::fromBase64(state.toLatin1()));
}

void CMainFrame::AddFilesDialog() {
    Playlist()->AddFiles(
        QFileDialog::getOpenFileNames(this, QString(), QString(), MediaFileFilter()));
}

void CMainFrame::ShowOptions(int page) {
    COptionsSheet sheet(m_settings, m_shortcuts, this);
    sheet.ShowPage(COptionsSheet::Page(page));
    connect(sheet.ShortcutPage(), &CShortcutPage::restoreRequested, &sheet, [this, &sheet] {
        if (!m_prompts->Ask(QString::fromUtf8("是否全部恢复到默认值？"))) return;
        RestoreShortcuts();
        sheet.ShortcutPage()->Fill(m_shortcuts);
    });
    connect(&sheet, &COptionsSheet::applied, this,
            [this](bool fontChanged, const AccelItems& edited) {
                AccelItems table = m_shortcuts;
                shortcuts::Replace(table, edited);
                ApplyShortcuts(table);
                if (fontChanged) {
                    m_lrcView->ApplyFont(m_settings.GlobalFont);
                    if (m_mini) m_mini->Subtitle()->ApplyFont(m_settings.GlobalFont);
                }
                SetAlwaysOnTop(m_settings.AlwaysTop);
                ApplyTrayIcon();
            });
    sheet.exec();
}

void CMainFrame::CancelSplit() {
    m_session->CancelSplit();
    UpdateCommandStates();
}

void CMainFrame::ImportLrc(const QString& path) {
    if (path.isEmpty()) return;
    if (!m_session->Subtitles().Load(path))
        m_prompts->Tell(MessageKind::Error, QStringLiteral("Failed to import lrc file"));
}

void CMainFrame::ShowHint() {
    m_prompts->Tell(MessageKind::Information,
                    m_session->Reference(m_session->Sentences().Current()));
}

CSellistView* CMainFrame::Sellist() const {
    return m_nowPlaying->Sellist();
}
CPlaylistView* CMainFrame::Playlist() const {
    return m_nowPlaying->Playlist();
}

} // namespace kestrova
