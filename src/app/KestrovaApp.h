// The application object: holds the single instance, fixes where the profile lives, reads
// the settings, shows the start-up picture, creates the main frame, and at exit writes the
// settings back. GUI thread.
#pragma once

#include <QApplication>
#include <memory>

class QLocalServer;

namespace kestrova {

class CAboutDlg;
class CAppSetting;
class CMainFrame;
class CMprisService;

inline constexpr const char* kInstanceName = "__KESTROVA_PRO__";

class CKestrovaApp : public QApplication {
    Q_OBJECT
public:
    CKestrovaApp(int& argc, char** argv);
    ~CKestrovaApp() override;

    // False for a second instance (which has asked the first to come forward) or when the
    // main frame cannot be made; the process then ends.
    bool Startup();
    // The exit step: the settings are written as their object goes.
    int Exit();

    CAppSetting& Settings() { return *m_settings; }
    CMainFrame* MainFrame() const { return m_frame.get(); }

    // Asks a running instance to show itself. True when one answered.
    static bool SignalRunningInstance();

private:
    bool HoldInstance();
    void OfferDemoLesson(bool firstStart);
    void ShowAbout();
    std::unique_ptr<CAppSetting> m_settings;
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<CMprisService> m_mpris; // made after the window, gone before it
    std::unique_ptr<CAboutDlg> m_splash;
    QLocalServer* m_server = nullptr;
};

} // namespace kestrova
