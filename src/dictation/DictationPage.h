// "听写设置": the dictation options (answer checking, prompt sounds, redoing wrong sentences,
// the hard-sentence threshold, the pause between sentences). A page of the options dialog. GUI
// thread.
#pragma once

#include <QWidget>

class QCheckBox;
class QSlider;
class QSpinBox;

namespace kestrova {

class CAppSetting;

class CDictationPage : public QWidget {
    Q_OBJECT
public:
    explicit CDictationPage(CAppSetting& settings, QWidget* parent = nullptr);
    void Store();

private:
    CAppSetting& m_settings;
    QCheckBox* m_case;
    QCheckBox* m_spaces;
    QCheckBox* m_punc;
    QCheckBox* m_abbr;
    QCheckBox* m_right;
    QCheckBox* m_error;
    QCheckBox* m_redo;
    QSpinBox* m_hard;
    QSlider* m_interval;
    QSpinBox* m_autosave;
};

} // namespace kestrova
