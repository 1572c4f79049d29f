// The side bar's "音效控制" page: a view of the effects controller. "音频控制" holds the
// tempo, rate, pitch, reverb and balance sliders, each with a label that resets it when
// clicked; "均衡器" holds the preset list and the ten band sliders. GUI thread.
#pragma once

#include <QWidget>
#include <vector>

class QComboBox;
class QSlider;

namespace kestrova {

class CEffectsController;

class CEffectPanel : public QWidget {
    Q_OBJECT
public:
    explicit CEffectPanel(CEffectsController& effects, QWidget* parent = nullptr);

Q_SIGNALS:
    // The tempo could not be set back ("Set tempo error").
    void failed(const QString& text);

private:
    void Show();

    CEffectsController& m_effects;
    QSlider* m_tempo;
    QSlider* m_rate;
    QSlider* m_pitch;
    QSlider* m_reverb;
    QSlider* m_balance;
    std::vector<QSlider*> m_bands;
    QComboBox* m_preset;
};

} // namespace kestrova
