// The options dialog's "断句设置" page: the scheme list (three built in, then the learner's
// saved ones), the background-noise and gap sliders with their number fields, automatic
// splitting and its length limit, the priority choice, and "默认", "另存为...", "删除". The
// saved schemes are written and the settings stored only when the dialog is confirmed.
// GUI thread.
#pragma once

#include "SplitSchemes.h"

#include <QWidget>
#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSlider;

namespace kestrova {

class CAppSetting;

class CSplitOptionsPage : public QWidget {
    Q_OBJECT
public:
    explicit CSplitOptionsPage(CAppSetting& settings, QWidget* parent = nullptr);
    // The name "另存为..." asks for (tests give their own); empty: cancelled.
    void SetNameAsker(std::function<QString()> ask) { m_askName = std::move(ask); }
    // False (and the message shown) when a number field is out of its range.
    bool Validate();
    void Store();
    void SaveAs();
    void Delete();

Q_SIGNALS:
    void changed();

private:
    void ApplySelected();
    int AutoIndex() const; // the automatic scheme, always the last entry
    void Show(int noise, int gap);
    QString AskName();

    CAppSetting& m_settings;
    SplitItems m_saved;
    QComboBox* m_schemes;
    QSlider* m_noise;
    QSlider* m_gap;
    QLineEdit* m_noiseText;
    QLineEdit* m_gapText;
    QCheckBox* m_useSplit;
    QLineEdit* m_length;
    QCheckBox* m_priority;
    std::function<QString()> m_askName;
};

} // namespace kestrova
