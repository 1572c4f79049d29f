#include "CtrlBar.h"

#include "common/Util.h"
#include "controls/Icons.h"
#include "controls/TimeSlider.h"
#include "player/PlaybackController.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

namespace kestrova {

CCtrlBar::CCtrlBar(CPlaybackController& controller, QWidget* parent)
    : QDockWidget(QString::fromUtf8("播放控制栏"), parent), m_controller(controller) {
    setObjectName(QStringLiteral("ControlBar"));
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetClosable);
    setAllowedAreas(Qt::TopDockWidgetArea | Qt::BottomDockWidgetArea);
    setFocusPolicy(Qt::NoFocus);

    auto* body = new QWidget(this);
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(4, 2, 4, 2);
    column->setSpacing(2);
    auto* top = new QHBoxLayout;
    m_slider = new CTimeSlider(body);
    m_slider->setObjectName(QStringLiteral("positionSlider"));
    m_slider->setRange(0, 0);
    top->addWidget(m_slider, 1);
    m_time = new QLabel(TimeText(0) + " / " + TimeText(0), body);
    m_time->setObjectName(QStringLiteral("positionText"));
    top->addWidget(m_time);
    column->addLayout(top);

    auto* row = new QHBoxLayout;
    row->setSpacing(1);
    column->addLayout(row);
    setWidget(body);
    auto add = [&](const char* text, const char* tip, CommandId id) {
        QToolButton* b = AddButton(QString::fromUtf8(text), QString::fromUtf8(tip), id);
        row->addWidget(b);
        return b;
    };
    auto icon = [&](QToolButton* b, const char* name) {
        b->setIcon(AppIcon(QString::fromLatin1(name)));
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    };
    using C = CommandId;
    icon(add("播放", "播放", C::Play), "play");
    icon(add("暂停", "暂停", C::Pause), "pause");
    icon(add("停止", "停止", C::Stop), "stop");
    icon(add("后退", "后退 2 秒", C::Back), "back");
    icon(add("前进", "前进 2 秒", C::Forward), "forward");
    icon(add("上一首", "上一首", C::PrevFile), "previous");
    icon(add("下一首", "下一首", C::NextFile), "next");
    row->addSpacing(8);
    add("◀A", "左移开始点", C::MoveStartLeft);
    add("A", "设置开始点", C::SetStart);
    add("A-B", "一键式选择复读区", C::OneKey);
    add("B", "设置结束点", C::SetEnd);
    add("B▶", "右移结束点", C::MoveEndRight);
    add("上一句", "复读上一句", C::PrevSentence);
    add("下一句", "复读下一句", C::NextSentence);
    add("清除", "清除复读区", C::ClearRegion);
    add("自动复读", "自动逐句复读", C::AutoRepeat)->setCheckable(true);
    row->addStretch(1);
    m_mute = new QToolButton(body);
    m_mute->setObjectName(QStringLiteral("muteButton"));
    m_mute->setCheckable(true);
    m_mute->setAutoRaise(true);
    m_mute->setToolTip(QString::fromUtf8("静音"));
    row->addWidget(m_mute);
    m_volume = new QSlider(Qt::Horizontal, body);
    m_volume->setObjectName(QStringLiteral("volumeSlider"));
    m_volume->setRange(0, 100);
    m_volume->setFixedWidth(90);
    row->addWidget(m_volume);

    // The slider follows the position except while the learner holds it; the release seeks.
    connect(m_slider, &QSlider::sliderMoved, &controller, &CPlaybackController::SeekTo);
    connect(m_slider, &QSlider::sliderReleased, this,
            [this] { m_controller.SeekTo(m_slider->value()); });
    connect(&controller, &CPlaybackController::positionChanged, this, [this](int p, int length) {
        if (!m_slider->isSliderDown()) ShowPosition(p, length);
    });
    connect(&controller, &CPlaybackController::regionChanged, this, &CCtrlBar::ShowRegion);
    connect(m_volume, &QSlider::valueChanged, &controller, &CPlaybackController::SetVolume);
    connect(m_mute, &QToolButton::clicked, &controller, &CPlaybackController::SetMute);
    auto showVolume = [this] {
        QSignalBlocker blockVolume(m_volume);
        QSignalBlocker blockMute(m_mute);
        m_volume->setValue(m_controller.Volume());
        m_mute->setChecked(m_controller.Muted());
        m_mute->setIcon(AppIcon(m_controller.Muted() ? QStringLiteral("mute") : QStringLiteral("volume")));
    };
    connect(&controller, &CPlaybackController::volumeChanged, this, showVolume);
    connect(&controller, &CPlaybackController::muteChanged, this, showVolume);
    connect(&controller, &CPlaybackController::commandEnabledChanged, this,
            [this](CommandId id, bool enabled) {
                if (QToolButton* b = m_buttons.value(id))
                    b->setEnabled(enabled ||
                                  (id == CommandId::AutoRepeat && m_controller.AutoRepeatOn()));
            });
    connect(&controller, &CPlaybackController::autoRepeatChanged, this,
            [this] { SyncTransport(); });
    connect(&controller, &CPlaybackController::stateChanged, this, [this] { SyncTransport(); });
    showVolume();
    ShowRegion(controller.GetRegion());
    SyncTransport();
}

void CCtrlBar::ShowRegion(const Region& r) {
    if (r.set)
        m_slider->SetSelection(r.start, r.end);
    else
        m_slider->ClearSelection();
}

QToolButton* CCtrlBar::AddButton(const QString& text, const QString& tip, CommandId id) {
    auto* b = new QToolButton(widget());
    b->setObjectName(QString::fromLatin1(Command(id).name));
    b->setText(text);
    b->setToolTip(tip);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    connect(b, &QToolButton::clicked, this, [this, id] {
        m_controller.Execute(id);
        SyncTransport(); // a checkable button that toggled itself shows the real state
    });
    m_buttons.insert(id, b);
    return b;
}

void CCtrlBar::SyncTransport() {
    const auto state = m_controller.GetState();
    m_buttons[CommandId::Play]->setDown(state == CPlaybackController::State::Playing);
    m_buttons[CommandId::Pause]->setDown(state == CPlaybackController::State::Paused);
    QToolButton* autoRepeat = m_buttons[CommandId::AutoRepeat];
    autoRepeat->setChecked(m_controller.AutoRepeatOn());
    for (auto it = m_buttons.cbegin(); it != m_buttons.cend(); ++it)
        it.value()->setEnabled(m_controller.IsEnabled(it.key()) ||
                               (it.key() == CommandId::AutoRepeat && m_controller.AutoRepeatOn()));
}

void CCtrlBar::ShowPosition(int p, int length) {
    // The slider and the time beside it always say the same.
    if (m_slider->maximum() != length) m_slider->setRange(0, length);
    m_slider->setValue(p);
    m_time->setText(TimeText(std::uint32_t(m_slider->value())) + " / " +
                    TimeText(std::uint32_t(m_slider->maximum())));
}

} // namespace kestrova
