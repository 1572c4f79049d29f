// The about window, which is also the start-up picture: a borderless picture with the
// program's version at the bottom left and a product line at the bottom right. A left-button
// release anywhere closes it. GUI thread.
#pragma once

#include <QDialog>

class QLabel;

namespace kestrova {

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    static QString VersionText();
    static QString ProductLine();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace kestrova
