#include "KestrovaApp.h"

#include "AboutDlg.h"
#include "audio/MediaCore.h"
#include "common/AppSetting.h"
#include "common/Util.h"
#include "desktop/Mpris.h"
#include "library/Playlist.h"
#include "player/PlaylistModel.h"
#include "ui/MainFrame.h"

#include <QAction>
#include <QLocalServer>
#include <QFile>
#include <QLibraryInfo>
#include <QLocalSocket>
#include <QLocale>
#include <QTranslator>
#include <QMessageBox>

namespace kestrova {

namespace {
constexpr int kInstanceTimeoutMs = 1000;

void ShowMessageBox(MessageKind kind, const QString& text) {
    QWidget* parent = QApplication::activeWindow();
    switch (kind) {
    case MessageKind::Error:
        QMessageBox::critical(parent, QString(), text);
        break;
    case MessageKind::Warning:
        QMessageBox::warning(parent, QString(), text);
        break;
    case MessageKind::Information:
        QMessageBox::information(parent, QString(), text);
        break;
    }
}
} // namespace

CKestrovaApp::CKestrovaApp(int& argc, char** argv)
    : QApplication(argc, argv), m_settings(std::make_unique<CAppSetting>()) {
    setApplicationName(QStringLiteral("Kestrova"));
    setOrganizationName(QStringLiteral("Kestrova"));
    setQuitOnLastWindowClosed(true);
    // The interface is Chinese whatever the system's locale: Qt's own dialogs and buttons
    // too (Qt's translations, when installed), and dates such as the hard sentences' own.
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    QLocale::setDefault(chinese);
    auto* qtTexts = new QTranslator(this);
    if (qtTexts->load(chinese, QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(qtTexts);
}

CKestrovaApp::~CKestrovaApp() {
    Exit();
}

bool CKestrovaApp::SignalRunningInstance() {
    QLocalSocket socket;
    socket.connectToServer(QString::fromLatin1(kInstanceName));
    if (!socket.waitForConnected(kInstanceTimeoutMs)) return false;
    socket.write("show\n");
    socket.waitForBytesWritten(kInstanceTimeoutMs);
    socket.disconnectFromServer();
    return true;
}

bool CKestrovaApp::HoldInstance() {
    if (SignalRunningInstance()) return false;
    m_server = new QLocalServer(this);
    // A name left behind by a crashed instance is free to take.
    QLocalServer::removeServer(QString::fromLatin1(kInstanceName));
    m_server->listen(QString::fromLatin1(kInstanceName));
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* peer = m_server->nextPendingConnection()) {
            connect(peer, &QLocalSocket::readyRead, peer, [this, peer] {
                if (peer->readAll().contains("show") && m_frame) m_frame->BringToFront();
            });
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
        }
    });
    return true;
}

bool CKestrovaApp::Startup() {
    // The command line is not read: a file named there is ignored.
    if (!HoldInstance()) {
        m_settings->DisableStoreOnExit();
        return false;
    }
    SetMessageHandler(ShowMessageBox);
    const bool firstStart = !QFile::exists(ProfilePath());
    m_settings->SetProfile(ProfilePath());
    m_settings->Load();
    OfferDemoLesson(firstStart);
    // Without a sound device there is nothing to study with: say so and end.
    std::unique_ptr<CMediaCore> engine = CMediaCore::Create();
    if (!engine) {
        ShowMessage(MessageKind::Error, QStringLiteral("Can't initialize device"));
        m_settings->DisableStoreOnExit();
        std::exit(-1);
    }
    if (m_settings->ShowSplash) {
        m_splash = std::make_unique<CAboutDlg>();
        m_splash->show();
        m_splash->raise();
        m_splash->activateWindow();
        m_splash->repaint();
        processEvents();
    }
    m_frame = std::make_unique<CMainFrame>(*m_settings, std::move(engine));
    connect(m_frame.get(), &CMainFrame::activated, this, [this] { m_splash.reset(); });
    connect(m_frame.get(), &CMainFrame::closed, this, &QCoreApplication::quit, Qt::QueuedConnection);
    connect(m_frame->Action(CommandId::About), &QAction::triggered, this, &CKestrovaApp::ShowAbout);
    // Media keys and the desktop's media controls reach the study loop over the session bus
    // (nothing happens without one).
    m_mpris = std::make_unique<CMprisService>(m_frame->Session(), QDBusConnection::sessionBus());
    connect(m_mpris.get(), &CMprisService::raiseRequested, m_frame.get(), &CMainFrame::BringToFront);
    m_frame->Activate();
    return true;
}

void CKestrovaApp::ShowAbout() {
    CAboutDlg about(m_frame.get());
    about.exec();
}

void CKestrovaApp::OfferDemoLesson(bool firstStart) {
    // A newcomer's first start has something to study: the demo lesson beside the program
    // (made at build time), as the playlist's only entry, opened without playing.
    const QString demo = ResourcePath(QStringLiteral("demo/demo-lesson.ogg"));
    const QString list = CPlaylistModel::PlaylistPath();
    if (!firstStart || !QFile::exists(demo) || !playlist::Read(list).isEmpty()) return;
    playlist::Write(list, {demo});
}

int CKestrovaApp::Exit() {
    if (m_server) m_server->close(); // the instance name is free once the program ends
    m_splash.reset();
    m_mpris.reset(); // it follows the window's session
    m_frame.reset();
    m_settings.reset(); // writes every setting
    SetMessageHandler(nullptr);
    return 0;
}

} // namespace kestrova
