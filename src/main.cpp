#include "app/KestrovaApp.h"
#include "ui/MainFrame.h"

#include <QTimer>

int main(int argc, char** argv) {
    kestrova::CKestrovaApp app(argc, argv);
    if (!app.Startup()) return 0;
    // Start-up benchmark: close again as soon as the window has been shown.
    if (qEnvironmentVariableIsSet("KESTROVA_QUIT_AFTER_START"))
        QTimer::singleShot(0, app.MainFrame(), &QWidget::close);
    const int code = app.exec();
    app.Exit();
    return code;
}
