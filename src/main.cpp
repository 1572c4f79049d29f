#include "app/KestrovaApp.h"

int main(int argc, char** argv) {
    kestrova::CKestrovaApp app(argc, argv);
    if (!app.Startup()) return 0;
    const int code = app.exec();
    app.Exit();
    return code;
}
