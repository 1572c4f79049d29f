#include "EffectPanel.h"

#include "player/EffectsController.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>
#include <functional>

namespace kestrova {

namespace {
const char* const kBandNames[] = {"31Hz", "62", "125", "250", "500",
                                  "1KHz", "2K", "4K",  "8K",  "16K"};
} // namespace

CEffectPanel::CEffectPanel(CEffectsController& effects, QWidget* parent)
    : QWidget(parent), m_effects(effects) {
    setObjectName(QStringLiteral("EffectPanel"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* audio = new QGroupBox(QString::fromUtf8("音频控制"), this);
    auto* grid = new QGridLayout(audio);
    grid->setContentsMargins(4, 4, 4, 4);
    using E = CEffectsController;
    // A row: the label resets the slider when clicked.
    auto row = [&](int r, const char* label, const char* name, int min, int max,
                   std::function<void(int)> moved, std::function<void()> reset) {
        auto* title = new QToolButton(audio);
        title->setText(QString::fromUtf8(label));
        title->setAutoRaise(true);
        title->setToolTip(QString::fromUtf8("单击恢复"));
        title->setObjectName(QString::fromLatin1(name) + "Reset");
        auto* slider = new QSlider(Qt::Horizontal, audio);
        slider->setObjectName(QString::fromLatin1(name) + "Slider");
        slider->setRange(min, max);
        grid->addWidget(title, r, 0);
        grid->addWidget(slider, r, 1);
        connect(slider, &QSlider::valueChanged, &m_effects, std::move(moved));
        connect(title, &QToolButton::clicked, this, std::move(reset));
        return slider;
    };
    m_tempo = row(
        0, "速度", "tempo", 0, 2 * E::kTempoNeutral, [this](int p) { m_effects.SetTempo(p); },
        [this] {
            if (!m_effects.ResetTempo()) Q_EMIT failed(QStringLiteral("Set tempo error"));
        });
    m_rate = row(
        1, "速率", "rate", 0, 0, [this](int p) { m_effects.SetRate(p); },
        [this] { m_effects.ResetRate(); });
    m_pitch = row(
        2, "音调", "pitch", 0, 2 * E::kPitchNeutral, [this](int p) { m_effects.SetPitch(p); },
        [this] { m_effects.ResetPitch(); });
    m_reverb = row(
        3, "混响", "reverb", 0, E::kReverbMax, [this](int p) { m_effects.SetReverb(p); },
        [this] { m_effects.ResetReverb(); });
    m_balance = row(
        4, "平衡", "balance", 0, 2 * E::kBalanceNeutral, [this](int p) { m_effects.SetBalance(p); },
        [this] { m_effects.ResetBalance(); });
    m_balance->setTickInterval(20);
    m_balance->setTickPosition(QSlider::TicksBelow);
    layout->addWidget(audio);

    auto* equaliser = new QGroupBox(QString::fromUtf8("均衡器"), this);
    auto* eq = new QVBoxLayout(equaliser);
    eq->setContentsMargins(4, 4, 4, 4);
    auto* presetRow = new QHBoxLayout;
    presetRow->addWidget(new QLabel(QString::fromUtf8("预定义"), equaliser));
    m_preset = new QComboBox(equaliser);
    m_preset->setObjectName(QStringLiteral("presetList"));
    m_preset->addItems({QString::fromUtf8("用户自定义"), QString::fromUtf8("缺省设置"),
                        QString::fromUtf8("语音")});
    presetRow->addWidget(m_preset, 1);
    eq->addLayout(presetRow);
    // The band names take two rows, every other one below, so that each has room for its
    // text under a narrow side bar.
    auto* bands = new QGridLayout;
    bands->setHorizontalSpacing(0);
    bands->setVerticalSpacing(0);
    for (int i = 0; i < E::kBands; ++i) {
        auto* slider = new QSlider(Qt::Vertical, equaliser);
        slider->setObjectName(QStringLiteral("band%1").arg(i));
        slider->setRange(0, 2 * E::kBandNeutral);
        slider->setInvertedAppearance(true); // a higher position is a lower gain
        slider->setMinimumHeight(80);
        slider->setToolTip(QString::fromLatin1(kBandNames[i]));
        auto* name = new QLabel(QString::fromLatin1(kBandNames[i]), equaliser);
        QFont small = name->font();
        small.setPointSizeF(small.pointSizeF() * 0.75);
        name->setFont(small);
        name->setAlignment(Qt::AlignCenter);
        bands->addWidget(slider, 0, 2 * i, 1, 2, Qt::AlignHCenter);
        bands->addWidget(name, 1 + i % 2, std::max(0, 2 * i - 1), 1, 4, Qt::AlignHCenter);
        connect(slider, &QSlider::valueChanged, &m_effects,
                [this, i](int p) { m_effects.SetBand(i, p); });
        m_bands.push_back(slider);
    }
    eq->addLayout(bands);
    layout->addWidget(equaliser);
    layout->addStretch(1);
    connect(m_preset, &QComboBox::activated, &m_effects,
            [this](int i) { m_effects.ChoosePreset(CEffectsController::Preset(i)); });
    connect(&m_effects, &CEffectsController::changed, this, &CEffectPanel::Show);
    Show();
}

void CEffectPanel::Show() {
    // The positions come from the controller; showing them moves nothing again.
    auto put = [](QSlider* slider, int value) {
        QSignalBlocker block(slider);
        slider->setValue(value);
    };
    put(m_tempo, m_effects.Tempo());
    {
        QSignalBlocker block(m_rate);
        m_rate->setRange(m_effects.RateMin(), m_effects.RateMax());
        m_rate->setValue(m_effects.Rate());
    }
    m_rate->setEnabled(m_effects.RateEnabled());
    put(m_pitch, m_effects.Pitch());
    put(m_reverb, m_effects.Reverb());
    put(m_balance, m_effects.Balance());
    for (int i = 0; i < CEffectsController::kBands; ++i)
        put(m_bands[std::size_t(i)], m_effects.Band(i));
    m_preset->setCurrentIndex(int(m_effects.CurrentPreset()));
}

} // namespace kestrova
