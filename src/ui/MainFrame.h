// The main window: toolbar, the five-page tab view, the control bar, the side bar with its
// panels, the status bar with the splitting progress, the menu bar, window placement and
// dock layout kept in the profile. It lays out the views of the study session; how they
// follow it is wired in MainFrameWiring.cpp. Commands are one QAction per command id. GUI
// thread.
#pragma once

#include "audio/MediaCore.h"
#include "common/Prompts.h"
#include "player/Commands.h"
#include "player/Shortcuts.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <vector>

class QActionGroup;
class QPrinter;
class QMenu;
class QSystemTrayIcon;
class QAction;
class QToolBar;

namespace kestrova {

class CAppSetting;
class CCtrlBar;
class CDictationView;
class CEffectPanel;
class CHotkeyFilter;
class CAlarmClock;
class CMiniWnd;
class CRecordPanel;
class CHardSentPanel;
class CLrcView;
class CUserData;
class CNoteFrm;
class CMainSiderPanel;
class CNowPlayingFrm;
class CRadioPanel;
class CPlaylistView;
class CSellistView;
class CSideBar;
class CStatusBar;
class CStudySession;
class CTabView;
class CCommandRegistry;

inline constexpr const char* kProductTitle = "Kestrova Professional";
// Neutral placeholder addresses of the product's own pages.
inline constexpr const char* kProductSite = "https://www.kestrova.example/";
inline constexpr const char* kDownloadSite = "https://www.kestrova.example/download/";
inline constexpr const char* kSupportMail = "mailto:support@kestrova.example";

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    // `engine`: the program's audio engine (a frame made without one makes its own).
    explicit CMainFrame(CAppSetting& settings, std::unique_ptr<CMediaCore> engine = nullptr,
                        QWidget* parent = nullptr);
    ~CMainFrame() override;

    // The end of start-up: places the window as saved (the stored show state unless another
    // is asked for), shows it, and tells the splash and the playlist.
    void Activate(unsigned showState = 1);
    // Shows the window when minimised (keeping its maximised state), raises and activates
    // it. A second start of the program asks for this.
    void BringToFront();
    // The notification-area icon as the settings want it; hiding the window there (false
    // where the desktop has no tray).
    void ApplyTrayIcon();
    bool HideToTray();
    bool HiddenToTray() const { return m_hiddenToTray; }
    // "切换到迷你窗口" and back; the mini window's corner is kept in the settings.
    void ShowMiniWindow();
    void ShowFullWindow();
    CMiniWnd* MiniWindow() const;

    // The one action of a command.
    QAction* Action(CommandId id) const;
    QStringList MenuTitles() const;
    QStringList MenuItems(const QString& menuTitle) const;

    CStudySession& Session() const { return *m_session; }
    CTabView* TabView() const { return m_tabView; }
    CSideBar* SideBar() const { return m_sideBar; }
    CStatusBar* StatusBarPanes() const { return m_statusBar; }
    CCtrlBar* CtrlBar() const { return m_ctrlBar; }
    CSellistView* Sellist() const;
    CPlaylistView* Playlist() const;
    CMainSiderPanel* MainPanel() const { return m_mainPanel; }
    CLrcView* LrcView() const { return m_lrcView; }
    CDictationView* DictationView() const { return m_dictation; }
    CHardSentPanel* HardSentences() const { return m_hard; }
    CUserData* UserData() const;
    CNoteFrm* Notes() const { return m_notes; }
    CNoteFrm* FreeText() const { return m_freeText; }
    // The editor the edit and print commands act on (null: none in front).
    CNoteFrm* EditorInFront() const;
    void PrintEditor(QPrinter& printer) const;
    QToolBar* MainToolBar() const { return m_toolBar; }
    CAlarmClock& Alarms() const { return *m_alarms; }
    CRadioPanel* Radio() const { return m_radio; }
    // "打开URL...": the address dialog, then the radio page plays what was entered.
    void OpenUrlDialog();

    void SetSplittingProgress(int percent);
    void SetAlwaysOnTop(bool onTop);
    // Panel commands: toggles panel 1..3 (hides the side bar when it is the one shown).
    void PanelCommand(int panel);
    void SelectPage(int page);
    void OpenFileDialog();
    void AddFilesDialog();
    // The options dialog, on its first page or another (2: the splitting page).
    void ShowOptions(int page = 0);
    void ImportLrc(const QString& path);
    // "取消自动断句": stops the splitting worker, then ends dictation through the dictation
    // view (the menu command and the status bar's cancel button).
    void CancelSplit();
    void ShowHint();

    // Steps that run when the window closes, before the placement is saved (user data of
    // the open file, the shortcut table).
    void AddClosingStep(std::function<void()> step) { m_closingSteps.push_back(std::move(step)); }
    // Questions and messages to the learner: message boxes unless replaced (tests answer).
    IPrompts& Prompts() const { return *m_prompts; }
    void SetPrompts(IPrompts* prompts);

Q_SIGNALS:
    void activated();
    // The window closed for good (not hidden to the tray). The program ends then, also when
    // the window was hidden behind the mini window or in the tray, where no last visible
    // window closes.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The side-bar panels' commands, panel 1 to 3.
    static constexpr CommandId kPanelCommands[] = {CommandId::PanelMain, CommandId::PanelEffects,
                                                   CommandId::PanelRecord};
    void CreateMenus();
    void WireFrameCommands();
    void LoadShortcuts();
    // The table's combinations on the commands' actions, beside each command's own key.
    void ApplyShortcuts(const AccelItems& table);
    void TellWindowOnlyHotkeys(const QStringList& keyTexts);
    // The factory set over the learner's table ("全部恢复").
    void RestoreShortcuts();
    void WireTransport();
    void WireStatusBar();
    void WireLists();
    void WireDictation();
    void WireEditing();
    void CreateToolBar();
    void UpdateCommandStates();
    void SavePlacement();
    void RestoreDockState();

    CAppSetting& m_settings;
    std::unique_ptr<CStudySession> m_session;
    std::unique_ptr<IPrompts> m_boxes; // the message boxes
    IPrompts* m_prompts = nullptr;
    CTabView* m_tabView = nullptr;
    QToolBar* m_toolBar = nullptr;
    CStatusBar* m_statusBar = nullptr;
    CCtrlBar* m_ctrlBar = nullptr;
    CNowPlayingFrm* m_nowPlaying = nullptr;
    CMainSiderPanel* m_mainPanel = nullptr;
    CEffectPanel* m_effectPanel = nullptr;
    CRecordPanel* m_recordPanel = nullptr;
    CLrcView* m_lrcView = nullptr;
    CDictationView* m_dictation = nullptr;
    CHardSentPanel* m_hard = nullptr;
    CNoteFrm* m_notes = nullptr;
    CNoteFrm* m_freeText = nullptr;      // free dictation's editor
    CRadioPanel* m_radio = nullptr;
    std::unique_ptr<QPrinter> m_printer; // the page setup the learner chose last
    QToolBar* m_dictationBar = nullptr;
    QSystemTrayIcon* m_tray = nullptr;
    std::unique_ptr<QMenu> m_trayMenu;
    bool m_hiddenToTray = false;
    bool m_exitRequested = false; // "退出": the close box's tray choice does not apply
    bool m_toldNoTray = false;
    QPointer<CMiniWnd> m_mini;
    QAction* m_fullWindow = nullptr; // the mini window menu's "恢复到完整窗口"
    QWidget* m_waitDlg = nullptr;
    CSideBar* m_sideBar = nullptr;
    QActionGroup* m_orderGroup = nullptr;
    CCommandRegistry* m_commands = nullptr;
    QList<QPair<QString, QStringList>> m_menuItems;
    std::vector<std::function<void()>> m_closingSteps;
    AccelItems m_shortcuts;
    CHotkeyFilter* m_hotkeys = nullptr;
    std::unique_ptr<CAlarmClock> m_alarms;
    bool m_toldNoHotkeys = false;
    bool m_activated = false;
};

} // namespace kestrova
