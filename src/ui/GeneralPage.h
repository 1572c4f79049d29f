// The options dialog's "常规选项" page: the eight general choices and the subtitle font
// ("AaBbCcXxYyZz" in it, "选择字体", "恢复默认字体"). Its values are its own until Store.
// GUI thread.
#pragma once

#include <QFont>
#include <QWidget>

class QCheckBox;
class QLabel;

namespace kestrova {

class CAppSetting;

class CGeneralPage : public QWidget {
    Q_OBJECT
public:
    explicit CGeneralPage(CAppSetting& settings, QWidget* parent = nullptr);
    // Copies the choices into the settings, writes or removes the run-at-logon entry, and
    // when the font changed stores its text. True when the font changed (the views follow).
    bool Store();
    // The font the learner chose (also what the file dialog gave).
    void SetFont(const QFont& font);

Q_SIGNALS:
    void changed();

private:
    CAppSetting& m_settings;
    QCheckBox* m_boxes[8];
    QLabel* m_sample;
    QFont m_font;
    bool m_fontChanged = false;
};

} // namespace kestrova
