#include "MainFrame.h"

#include "CommandRegistry.h"

#include "MainSiderPanel.h"
#include "MediaFilter.h"
#include "MediaInfoDlg.h"
#include "NowPlayingFrm.h"
#include "SideBar.h"
#include "StatusBar.h"
#include "TabView.h"
#include "WindowPlacement.h"
#include "audio/MediaCore.h"
#include "common/AppSetting.h"
#include "common/Util.h"
#include "dictation/DictateSentPanel.h"
#include "dictation/DictationPage.h"
#include "dictation/DictationSession.h"
#include "dictation/DictationView.h"
#include "dictation/HardSentPanel.h"
#include "library/Bookmarks.h"
#include "library/NoteFrm.h"
#include "library/PlaylistView.h"
#include "library/UserData.h"
#include "library/WaitDlg.h"
#include "player/PlaybackController.h"
#include "player/SentenceModel.h"
#include "player/StudySession.h"
#include "subtitle/SubtitleModel.h"
#include "repeat/CtrlBar.h"
#include "repeat/RepeatPage.h"
#include "repeat/SellistView.h"
#include "subtitle/LrcView.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QIcon>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

namespace kestrova {

namespace {

constexpr const char* kTitle = "Kestrova Professional";
constexpr const char* kDockSection = "DockState";
constexpr const char* kDockKey = "MainWindow";

// The menu bar: each menu's items by command id, with separators and submenus.
struct MenuEntry {
    enum Kind { Item, Separator, Submenu, EndSubmenu } kind;
    CommandId id = CommandId::OpenFile;
    const char* title = nullptr; // a submenu's
};
constexpr MenuEntry Item(CommandId id) {
    return {MenuEntry::Item, id, nullptr};
}
constexpr MenuEntry kSeparator{MenuEntry::Separator};
constexpr MenuEntry Submenu(const char* title) {
    return {MenuEntry::Submenu, CommandId::OpenFile, title};
}
constexpr MenuEntry kEndSubmenu{MenuEntry::EndSubmenu};
struct MenuDef {
    const char* title;
    std::vector<MenuEntry> entries;
};
using C = CommandId;
const CommandId kPanelCommands[] = {C::PanelMain, C::PanelEffects, C::PanelRecord};
const std::vector<MenuDef> kMenus = {
    {"文件(&F)",
     {Item(C::OpenFile), Item(C::OpenUrl), Item(C::Favorites), Item(C::ImportLrc),
      Item(C::SaveDictationLrc), Item(C::ExportCourseware), Item(C::SaveDictationRtf), kSeparator,
      Item(C::Print), Item(C::PrintPreview), Item(C::PrintSetup), kSeparator, Item(C::MediaInfo),
      kSeparator, Item(C::Exit)}},
    {"编辑(&E)",
     {Item(C::Undo), kSeparator, Item(C::Cut), Item(C::Copy), Item(C::Paste), Item(C::Delete),
      kSeparator, Item(C::SelectAll), kSeparator, Item(C::FormatFont)}},
    {"视图(&V)",
     {Item(C::ViewToolBar), Item(C::ViewDictationBar), Item(C::ViewFormatBar),
      Item(C::ViewControlBar), Item(C::ViewStatusBar), kSeparator, Submenu("任务窗格"),
      Item(C::PanelMain), Item(C::PanelEffects), Item(C::PanelRecord), kEndSubmenu, kSeparator,
      Item(C::MiniWindow)}},
    {"播放(&P)",
     {Item(C::PlayPause),
      Item(C::Stop),
      Item(C::Back),
      Item(C::Forward),
      kSeparator,
      Item(C::PrevFile),
      Item(C::NextFile),
      kSeparator,
      Submenu("播放顺序"),
      Item(C::OrderDefault),
      Item(C::OrderRepeatOne),
      Item(C::OrderRepeatList),
      Item(C::OrderPlayOnce),
      kEndSubmenu,
      kSeparator,
      Item(C::OneKey),
      Item(C::SetStart),
      Item(C::SetEnd),
      Item(C::MoveStartLeft),
      Item(C::MoveEndRight),
      Item(C::ClearRegion),
      Item(C::BackToStart),
      kSeparator,
      Item(C::AutoRepeat),
      Item(C::PrevSentence),
      Item(C::NextSentence),
      kSeparator,
      Submenu("音量(&L)"),
      Item(C::VolumeUp),
      Item(C::VolumeDown),
      kEndSubmenu}},
    {"操作(&O)",
     {Submenu("开始听写"), Item(C::FreeDictation), Item(C::SentenceDictation),
      Item(C::HardSentenceDictation), kEndSubmenu, kSeparator, Item(C::Split), Item(C::CancelSplit),
      Item(C::SplitSettings), kSeparator, Item(C::MergeUp), Item(C::MergeDown), kSeparator,
      Item(C::DictationHint)}},
    {"工具(&T)",
     {Item(C::AddRadio), kSeparator, Item(C::Notes), Item(C::FullText), Item(C::Alarms), kSeparator,
      Item(C::Options)}},
    {"帮助(&H)", {Item(C::Help), Item(C::Website), Item(C::Mail), kSeparator, Item(C::About)}},
};

// Commands shown in the menus that have no handler yet: they stay disabled.
const CommandId kNotYet[] = {
    C::OpenUrl,          C::SaveDictationRtf, C::Print,      C::PrintPreview,  C::PrintSetup,
    C::ViewDictationBar, C::ViewFormatBar,    C::MiniWindow, C::FreeDictation, C::SplitSettings,
    C::AddRadio,         C::FullText,         C::Alarms,     C::Help};
bool NotYet(CommandId id) {
    return std::find(std::begin(kNotYet), std::end(kNotYet), id) != std::end(kNotYet);
}

// The program's icon: the colours and the letter of the about picture on a rounded square,
// drawn at the sizes a desktop asks for.
QIcon ProductIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient sky(0, 0, size, size);
        sky.setColorAt(0, QColor(0x1d, 0x4e, 0x89));
        sky.setColorAt(1, QColor(0x2a, 0x9d, 0x8f));
        p.setPen(Qt::NoPen);
        p.setBrush(sky);
        p.drawRoundedRect(QRectF(0, 0, size, size), size * 0.18, size * 0.18);
        QFont letter;
        letter.setPixelSize(std::max(10, size * 3 / 4));
        letter.setBold(true);
        p.setFont(letter);
        p.setPen(Qt::white);
        p.drawText(QRect(0, 0, size, size), Qt::AlignCenter, QStringLiteral("K"));
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

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

const QString kBlankPane(15, ' ');

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
    m_nowPlaying = new CNowPlayingFrm(m_settings, *m_session,
                                      m_tabView->PageWidget(CTabView::NowPlaying));
    m_tabView->PageWidget(CTabView::NowPlaying)->layout()->addWidget(m_nowPlaying);
    m_mainPanel = new CMainSiderPanel(m_settings, m_sideBar->PanelWidget(CSideBar::MainPanel));
    m_sideBar->PanelWidget(CSideBar::MainPanel)->layout()->addWidget(m_mainPanel);
    m_lrcView = new CLrcView(m_session->Subtitles(), m_settings.GlobalFont,
                             m_nowPlaying->SubtitleArea());
    m_nowPlaying->SubtitleArea()->layout()->addWidget(m_lrcView);
    m_dictation = new CDictationView(m_settings, m_tabView->PageWidget(CTabView::Dictation));
    m_tabView->PageWidget(CTabView::Dictation)->layout()->addWidget(m_dictation);
    m_hard = new CHardSentPanel(m_tabView->PageWidget(CTabView::HardSentences));
    m_tabView->PageWidget(CTabView::HardSentences)->layout()->addWidget(m_hard);
    m_notes = new CNoteFrm(m_tabView->PageWidget(CTabView::Notes));
    m_tabView->PageWidget(CTabView::Notes)->layout()->addWidget(m_notes);
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
    setWindowTitle(QString::fromLatin1(kTitle));

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
}

void CMainFrame::CreateMenus() {
    m_commands = new CCommandRegistry(this);
    for (const MenuDef& def : kMenus) {
        const QString title = QString::fromUtf8(def.title);
        QMenu* top = menuBar()->addMenu(title);
        top->setToolTipsVisible(true); // the splitting commands have tooltips of their own
        QMenu* menu = top;
        QStringList items;
        for (const MenuEntry& e : def.entries) {
            switch (e.kind) {
            case MenuEntry::Separator:
                menu->addSeparator();
                break;
            case MenuEntry::Submenu:
                menu = top->addMenu(QString::fromUtf8(e.title));
                menu->setToolTipsVisible(true);
                items << QString::fromUtf8(e.title);
                break;
            case MenuEntry::EndSubmenu:
                menu = top;
                break;
            case MenuEntry::Item:
                QAction* a = Action(e.id);
                a->setEnabled(!NotYet(e.id));
                menu->addAction(a);
                items << CommandLabel(e.id);
                break;
            }
        }
        m_menuItems.append({title, items});
    }
    // The classic editing keys work beside the ones the menu shows.
    const std::pair<CommandId, QKeySequence> editKeys[] = {
        {CommandId::Copy, QKeySequence(Qt::CTRL | Qt::Key_Insert)},
        {CommandId::Cut, QKeySequence(Qt::SHIFT | Qt::Key_Delete)},
        {CommandId::Paste, QKeySequence(Qt::SHIFT | Qt::Key_Insert)},
        {CommandId::Undo, QKeySequence(Qt::ALT | Qt::Key_Backspace)}};
    for (const auto& [id, key] : editKeys) {
        QAction* a = Action(id);
        a->setShortcuts({a->shortcut(), key});
    }

    connect(Action(CommandId::OpenFile), &QAction::triggered, this, &CMainFrame::OpenFileDialog);
    connect(Action(CommandId::Exit), &QAction::triggered, this, &QWidget::close);
    connect(Action(CommandId::Website), &QAction::triggered, this,
            [] { QDesktopServices::openUrl(QUrl(QString::fromLatin1(kProductSite))); });
    connect(Action(CommandId::Mail), &QAction::triggered, this,
            [] { QDesktopServices::openUrl(QUrl(QString::fromLatin1(kSupportMail))); });
    connect(Action(CommandId::Notes), &QAction::triggered, this,
            [this] { SelectPage(CTabView::Notes); });

    // Not in a menu: the main panel offers it beside the product picture.
    connect(Action(CommandId::Download), &QAction::triggered, this,
            [] { QDesktopServices::openUrl(QUrl(QString::fromLatin1(kDownloadSite))); });

    for (QAction* a : {Action(CommandId::ViewToolBar), Action(CommandId::ViewControlBar),
                       Action(CommandId::ViewStatusBar), Action(CommandId::PanelMain),
                       Action(CommandId::PanelEffects), Action(CommandId::PanelRecord)})
        a->setCheckable(true);
    connect(Action(CommandId::ViewToolBar), &QAction::triggered, this,
            [this](bool on) { m_toolBar->setVisible(on); });
    connect(Action(CommandId::ViewControlBar), &QAction::triggered, this, [this](bool on) {
        m_ctrlBar->setVisible(on);
        UpdateCommandStates();
    });
    connect(Action(CommandId::ViewStatusBar), &QAction::triggered, this,
            [this](bool on) { m_statusBar->setVisible(on); });
    for (int p = 0; p < 3; ++p)
        connect(Action(kPanelCommands[p]), &QAction::triggered, this,
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

void CMainFrame::CreateToolBar() {
    m_toolBar = new QToolBar(QString::fromUtf8("主窗口工具栏"), this);
    m_toolBar->setObjectName(QStringLiteral("MainToolBar"));
    m_toolBar->setIconSize(QSize(22, 22));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    struct Button {
        std::optional<CommandId> action; // none: a separator
        QStyle::StandardPixmap icon;
    };
    const Button buttons[] = {
        {CommandId::OpenFile, QStyle::SP_DialogOpenButton},
        {CommandId::SaveDictationLrc, QStyle::SP_DialogSaveButton},
        {CommandId::SaveDictationRtf, QStyle::SP_DriveFDIcon},
        {CommandId::ImportLrc, QStyle::SP_FileDialogContentsView},
        {std::nullopt, {}},
        {CommandId::FreeDictation, QStyle::SP_FileDialogDetailedView},
        {CommandId::SentenceDictation, QStyle::SP_FileDialogListView},
        {CommandId::Notes, QStyle::SP_FileIcon},
        {std::nullopt, {}},
        {CommandId::Print, QStyle::SP_ComputerIcon},
        {CommandId::Options, QStyle::SP_FileDialogInfoView},
        {std::nullopt, {}},
        {CommandId::About, QStyle::SP_MessageBoxInformation},
    };
    for (const Button& b : buttons) {
        if (!b.action) {
            m_toolBar->addSeparator();
            continue;
        }
        QAction* a = Action(*b.action);
        a->setIcon(style()->standardIcon(b.icon));
        a->setToolTip(CommandLabel(*b.action).remove("..."));
        m_toolBar->addAction(a);
    }
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
    // The frame's own commands; the transport's come from the playback controller.
    if (!m_ctrlBar || !m_notes) return;
    const bool fileOpen = m_session->Engine().HasChannel();
    const CSentenceModel& sentences = m_session->Sentences();
    const bool lrc = sentences.Fixed();
    const int count = sentences.Count();
    const int row = Sellist()->SelectedRow();
    Action(CommandId::MergeUp)->setEnabled(!lrc && count > 0 && row > 0);
    Action(CommandId::MergeDown)->setEnabled(!lrc && count > 0 && row >= 0 && row + 1 < count);
    Action(CommandId::Split)->setEnabled(fileOpen);
    Action(CommandId::CancelSplit)->setEnabled(sentences.IsSplitting());
    Action(CommandId::ImportLrc)->setEnabled(fileOpen);
    Action(CommandId::ExportCourseware)->setEnabled(fileOpen);
    // The edit commands act on the notes while their page is in front.
    const bool notes = m_tabView->currentIndex() == CTabView::Notes;
    QTextEdit* editor = m_notes->Editor();
    const bool selection = notes && editor->textCursor().hasSelection();
    Action(CommandId::Undo)->setEnabled(notes && editor->document()->isUndoAvailable());
    Action(CommandId::Cut)->setEnabled(selection);
    Action(CommandId::Copy)->setEnabled(selection);
    Action(CommandId::Delete)->setEnabled(selection);
    Action(CommandId::Paste)->setEnabled(notes && editor->canPaste());
    Action(CommandId::SelectAll)->setEnabled(notes);
    Action(CommandId::FormatFont)->setEnabled(notes);
    Action(CommandId::MediaInfo)->setEnabled(m_session->Controller().PlaylistIndex() >= 0);
    Action(CommandId::SentenceDictation)->setEnabled(fileOpen);
    Action(CommandId::SentenceDictation)->setCheckable(true);
    Action(CommandId::SentenceDictation)->setChecked(m_dictation->SentenceMode());
    Action(CommandId::HardSentenceDictation)->setEnabled(!m_hard->GetItems().empty());
    Action(CommandId::SaveDictationLrc)->setEnabled(m_dictation->SentenceMode());
    Action(CommandId::DictationHint)->setEnabled(m_session->HasSubtitles() && m_dictation->Running());
    Action(CommandId::Notes)->setEnabled(fileOpen);
    if (m_toolBar) Action(CommandId::ViewToolBar)->setChecked(m_toolBar->isVisibleTo(this));
    Action(CommandId::ViewControlBar)->setChecked(m_ctrlBar->isVisibleTo(this));
    if (m_statusBar) Action(CommandId::ViewStatusBar)->setChecked(m_statusBar->isVisibleTo(this));
    for (int p = 0; p < 3; ++p)
        Action(kPanelCommands[p])
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
}

void CMainFrame::closeEvent(QCloseEvent* event) {
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
    event->accept();
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

void CMainFrame::ShowOptions() {
    QDialog dialog(this);
    dialog.setWindowTitle(QString::fromUtf8("设置"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* tabs = new QTabWidget(&dialog);
    auto* repeat = new CRepeatPage(m_settings, tabs);
    auto* dictation = new CDictationPage(m_settings, tabs);
    tabs->addTab(repeat, QString::fromUtf8("复读设置"));
    tabs->addTab(dictation, QString::fromUtf8("听写设置"));
    layout->addWidget(tabs);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted) return;
    repeat->Store();
    dictation->Store();
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

void CMainFrame::WireTransport() {
    CPlaybackController& controller = m_session->Controller();
    // Every transport command runs in the controller, which pushes its enabled state.
    for (const CommandInfo& info : AllCommands()) {
        if (!CPlaybackController::Handles(info.id)) continue;
        const CommandId id = info.id;
        QAction* a = Action(id);
        a->setEnabled(controller.IsEnabled(id));
        connect(a, &QAction::triggered, &controller, [&controller, id] { controller.Execute(id); });
    }
    connect(&controller, &CPlaybackController::commandEnabledChanged, this,
            [this](CommandId id, bool enabled) { Action(id)->setEnabled(enabled); });
    QAction* autoRepeat = Action(CommandId::AutoRepeat);
    autoRepeat->setCheckable(true);
    connect(&controller, &CPlaybackController::autoRepeatChanged, autoRepeat,
            &QAction::setChecked);
    // A checkable action toggles itself; the controller's state is what it shows.
    connect(autoRepeat, &QAction::triggered, this, [this, autoRepeat] {
        autoRepeat->setChecked(m_session->Controller().AutoRepeatOn());
    });
    connect(&controller, &CPlaybackController::entryOpened, this, [this](int index) {
        if (index < 0) setWindowTitle(QString::fromLatin1(kTitle));
        UpdateCommandStates();
    });
    connect(&controller, &CPlaybackController::stateChanged, this,
            [this] { UpdateCommandStates(); });
    connect(&controller, &CPlaybackController::playlistReleased, this,
            [this] { setWindowTitle(QString::fromLatin1(kTitle)); });
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
        m_statusBar->SetPaneText(
            7, seconds == 0 ? QString() : CPlaybackController::PauseText(seconds, length));
    });
    connect(&controller, &CPlaybackController::message, this,
            [this](const QString& text) { m_statusBar->SetPaneText(0, text); });
    connect(&m_session->Sentences(), &CSentenceModel::splittingProgress, this,
            [this](int percent) {
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
    connect(Action(CommandId::Split), &QAction::triggered, this, [this] { m_session->StartSplit(); });
    connect(Action(CommandId::CancelSplit), &QAction::triggered, this, &CMainFrame::CancelSplit);
    connect(Action(CommandId::MergeUp), &QAction::triggered, Sellist(), &CSellistView::MergeUp);
    connect(Action(CommandId::MergeDown), &QAction::triggered, Sellist(),
            &CSellistView::MergeDown);
    connect(&sentences, &QAbstractItemModel::modelReset, this, [this] { UpdateCommandStates(); });
    connect(Sellist(), &CSellistView::addToHardSentences, m_hard,
            [this](std::uint32_t start, std::uint32_t end) { m_hard->Add(start, end, 99); });
    connect(m_hard, &CHardSentPanel::itemsChanged, this, [this] { UpdateCommandStates(); });
    connect(Action(CommandId::ImportLrc), &QAction::triggered, this, [this] {
        ImportLrc(QFileDialog::getOpenFileName(this, QString(), QString(),
                                               QStringLiteral("LRC File (*.lrc)")));
    });
    connect(Action(CommandId::Options), &QAction::triggered, this, &CMainFrame::ShowOptions);

    // The learner's work beside the sentences: the hard sentences and the notes.
    CUserData& userData = m_session->UserData();
    userData.SetPrompts(m_prompts);
    userData.AddPiece(m_hard, CUserData::Phase::WhenModified);
    userData.AddPiece(m_notes, CUserData::Phase::Always);
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
    CDictationSession& dictation = panel->Session();
    m_dictation->SetHost(&session);
    m_dictation->SetPrompts(m_prompts);
    m_hard->SetSource(&session);
    // While sentence dictation runs, the list, the hard sentences and the transport's
    // leaving commands refuse the learner; any dictation counts its own pause.
    auto follow = [this, &dictation] {
        const bool sentence = dictation.Running();
        m_session->SetDictationRunning(sentence, m_dictation->Running());
        m_hard->SetLocked(sentence);
        UpdateCommandStates();
    };
    connect(&dictation, &CDictationSession::runningChanged, this, follow);
    connect(m_dictation, &CDictationView::modeChanged, this, follow);
    connect(&dictation, &CDictationSession::hardSentence, m_hard, &CHardSentPanel::Add);
    connect(m_dictation, &CDictationView::pageWanted, this,
            [this] { SelectPage(CTabView::Dictation); });
    connect(panel, &CDictateSentPanel::stopped, this, [this] { m_dictation->StopDictation(false); });

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
    connect(Action(CommandId::DictationHint), &QAction::triggered, this, &CMainFrame::ShowHint);
}

void CMainFrame::WireEditing() {
    // The edit commands act on the notes.
    QTextEdit* editor = m_notes->Editor();
    connect(Action(CommandId::Undo), &QAction::triggered, editor, &QTextEdit::undo);
    connect(Action(CommandId::Cut), &QAction::triggered, editor, &QTextEdit::cut);
    connect(Action(CommandId::Copy), &QAction::triggered, editor, &QTextEdit::copy);
    connect(Action(CommandId::Paste), &QAction::triggered, editor, &QTextEdit::paste);
    connect(Action(CommandId::Delete), &QAction::triggered, editor,
            [editor] { editor->textCursor().removeSelectedText(); });
    connect(Action(CommandId::SelectAll), &QAction::triggered, editor, &QTextEdit::selectAll);
    connect(Action(CommandId::FormatFont), &QAction::triggered, m_notes, &CNoteFrm::ChooseFont);
    connect(m_tabView, &QTabWidget::currentChanged, this, [this] { UpdateCommandStates(); });
    connect(editor, &QTextEdit::selectionChanged, this, [this] { UpdateCommandStates(); });
}

} // namespace kestrova
