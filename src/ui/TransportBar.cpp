#include "TransportBar.h"

#include "audio/MediaCore.h"
#include "common/AppSetting.h"
#include "common/Util.h"
#include "controls/TimeSlider.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

namespace kestrova {

CTransportBar::CTransportBar(CAppSetting& settings, QWidget* parent)
    : QDockWidget(QString::fromUtf8("播放控制栏"), parent), m_settings(settings),
      m_core(std::make_unique<CMediaCore>(&settings)) {
    setObjectName(QStringLiteral("ControlBar"));
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetClosable);
    setAllowedAreas(Qt::TopDockWidgetArea | Qt::BottomDockWidgetArea);
    auto* body = new QWidget(this);
    auto* row = new QHBoxLayout(body);
    row->setContentsMargins(4, 2, 4, 2);
    auto button = [&](QStyle::StandardPixmap icon, const char* tip) {
        auto* b = new QToolButton(body);
        b->setIcon(style()->standardIcon(icon));
        b->setToolTip(QString::fromUtf8(tip));
        b->setAutoRaise(true);
        row->addWidget(b);
        return b;
    };
    m_open = button(QStyle::SP_DialogOpenButton, "打开文件");
    m_play = button(QStyle::SP_MediaPlay, "播放/暂停");
    m_stop = button(QStyle::SP_MediaStop, "停止");
    m_slider = new CTimeSlider(body);
    m_slider->setObjectName(QStringLiteral("positionSlider"));
    m_slider->setRange(0, 0);
    row->addWidget(m_slider, 1);
    m_time = new QLabel(PositionText(), body);
    m_time->setObjectName(QStringLiteral("positionText"));
    row->addWidget(m_time);
    setWidget(body);

    m_core->SetAttributes(-1, m_settings.Volume, -101);
    connect(m_open, &QToolButton::clicked, this, &CTransportBar::openRequested);
    connect(m_play, &QToolButton::clicked, this, &CTransportBar::PlayPause);
    connect(m_stop, &QToolButton::clicked, this, &CTransportBar::StopPlayback);
    connect(m_slider, &QSlider::sliderReleased, this, [this] {
        m_core->SetPosition(m_slider->value() * 10);
        Tick();
    });
    m_timer = new QTimer(this);
    m_timer->setInterval(100);
    connect(m_timer, &QTimer::timeout, this, &CTransportBar::Tick);
    m_timer->start();
}

CTransportBar::~CTransportBar() = default;

bool CTransportBar::OpenFile(const QString& path) {
    if (!m_core->Load(path)) {
        Tick();
        return false;
    }
    m_core->SetAttributes(-1, m_settings.Volume, -101);
    if (m_settings.Mute) m_core->SetMute(true);
    m_slider->setRange(0, m_core->GetLength() / 10);
    m_core->Play(false);
    Tick();
    Q_EMIT fileOpened(path);
    return true;
}

void CTransportBar::PlayPause() {
    if (m_core->IsPlaying())
        m_core->Pause();
    else
        m_core->Play(false);
    Tick();
}

void CTransportBar::StopPlayback() {
    m_core->Stop();
    Tick();
}

QString CTransportBar::PositionText() const {
    const auto pos = std::uint32_t(m_core->GetPosition() / 10);
    const auto len = std::uint32_t(m_core->GetLength() / 10);
    return TimeText(pos) + " / " + TimeText(len);
}

void CTransportBar::Tick() {
    if (!m_slider->isSliderDown()) m_slider->setValue(m_core->GetPosition() / 10);
    m_time->setText(PositionText());
    m_play->setIcon(
        style()->standardIcon(m_core->IsPlaying() ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
}

} // namespace kestrova
