// "复读设置": the repeat options (prompt sound, pause after each pass and its length, passes
// per sentence, cancelling the repeat by dragging outside the region, the breakpoint move
// step). It stands as its own dialog until the options dialog holds it as a page. GUI thread.
#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace kestrova {

class CAppSetting;

class CRepeatPage : public QWidget {
    Q_OBJECT
public:
    explicit CRepeatPage(CAppSetting& settings, QWidget* parent = nullptr);

    // Writes the page into the settings (what the dialog's OK does).
    void Store();

Q_SIGNALS:
    void stored();

private:
    CAppSetting& m_settings;
    QCheckBox* m_prompt;
    QLineEdit* m_path;
    QCheckBox* m_pause;
    QComboBox* m_pauseLength;
    QComboBox* m_count;
    QCheckBox* m_cancel;
    QComboBox* m_step;
    QLineEdit* m_passTempos;
};

} // namespace kestrova
