#include "MiniWnd.h"

#include "audio/MediaCore.h"
#include "controls/Icons.h"
#include "player/PlaybackController.h"
#include "subtitle/MiniLrc.h"
#include "subtitle/SubtitleModel.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QSlider>
#include <QToolButton>

namespace kestrova {

namespace {
constexpr int kGrip = 10; // the rightmost pixels drag the window
constexpr Qt::WindowFlags kFlags = Qt::Tool | Qt::FramelessWindowHint;
} // namespace

CMiniWnd::CMiniWnd(CPlaybackController& controller, CSubtitleModel& subtitles,
                   const QString& globalFont, const QList<QAction*>& menu)
    : QWidget(nullptr, kFlags | Qt::WindowStaysOnTopHint), m_controller(controller), m_menu(menu) {
    setObjectName(QStringLiteral("MiniWnd"));
    setWindowTitle(QStringLiteral("Kestrova"));
    setMouseTracking(true); // the grip shows its cursor
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 1, kGrip + 2, 1);
    row->setSpacing(1);
    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setObjectName(QStringLiteral("miniSlider"));
    row->addWidget(m_slider, 1);
    auto button = [&](const char* name, const char* icon, const char* tip) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setIcon(AppIcon(QString::fromLatin1(icon)));
        b->setToolTip(QString::fromUtf8(tip));
        b->setAutoRaise(true);
        b->setIconSize(QSize(14, 14));
        row->addWidget(b);
        return b;
    };
    m_autoRepeat = button("miniAutoRepeat", "repeat", "自动逐句复读");
    m_autoRepeat->setCheckable(true);
    m_playPause = button("miniPlayPause", "play", "播放/暂停");
    QToolButton* stop = button("miniStop", "stop", "停止");
    QToolButton* previous = button("miniPrevious", "previous", "上一首");
    QToolButton* next = button("miniNext", "next", "下一首");
    QToolButton* lines = button("miniSubtitle", "subtitle", "显示/隐藏字幕");
    m_pin = button("miniPin", "pin", "总在最前");
    m_pin->setCheckable(true);
    m_pin->setChecked(true);
    QToolButton* full = button("miniFull", "full-window", "恢复到完整窗口");
    // On Wayland a window can neither place itself nor stay on top by itself: the compositor
    // places the strip, and the pin that could not keep its word is not offered.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) m_pin->hide();
    resize(520, 24);

    connect(m_autoRepeat, &QToolButton::clicked, this,
            [this] { Q_EMIT commandRequested(CommandId::AutoRepeat); });
    connect(m_playPause, &QToolButton::clicked, this,
            [this] { Q_EMIT commandRequested(CommandId::PlayPause); });
    connect(stop, &QToolButton::clicked, this,
            [this] { Q_EMIT commandRequested(CommandId::Stop); });
    connect(previous, &QToolButton::clicked, this,
            [this] { Q_EMIT commandRequested(CommandId::PrevFile); });
    connect(next, &QToolButton::clicked, this,
            [this] { Q_EMIT commandRequested(CommandId::NextFile); });
    connect(full, &QToolButton::clicked, this, &CMiniWnd::fullWindowRequested);
    connect(m_pin, &QToolButton::clicked, this, [this](bool on) { SetOnTop(on); });

    // The slider stands for the file in centiseconds; a value v seeks to v × 10 ms.
    connect(m_slider, &QSlider::sliderMoved, this, [this](int v) { m_controller.SeekTo(v); });
    connect(m_slider, &QSlider::valueChanged, this, [this](int v) {
        if (!m_slider->isSliderDown() && v != m_controller.Engine().GetPosition() / 10)
            m_controller.SeekTo(v);
    });
    connect(&m_controller, &CPlaybackController::positionChanged, this, &CMiniWnd::FollowPlayback);
    connect(&m_controller, &CPlaybackController::stateChanged, this, &CMiniWnd::FollowPlayback);
    // The play/pause picture changes with the state only, not at every position tick.
    connect(&m_controller, &CPlaybackController::stateChanged, this, &CMiniWnd::ShowPlayState);
    connect(&m_controller, &CPlaybackController::autoRepeatChanged, m_autoRepeat,
            &QToolButton::setChecked);

    m_lrc = new CMiniLrc(subtitles, globalFont, nullptr);
    m_lrc->setWindowFlags(kFlags | Qt::WindowStaysOnTopHint);
    connect(m_lrc, &CMiniLrc::menuRequested, this, &CMiniWnd::ShowMenu);
    connect(lines, &QToolButton::clicked, this, [this] {
        m_lrc->setVisible(!m_lrc->isVisible());
        PlaceSubtitle();
    });
    m_autoRepeat->setChecked(m_controller.AutoRepeatOn());
    FollowPlayback();
    ShowPlayState();
}

CMiniWnd::~CMiniWnd() {
    delete m_lrc;
}

void CMiniWnd::FollowPlayback() {
    CMediaCore& engine = m_controller.Engine();
    const QSignalBlocker block(m_slider);
    m_slider->setRange(0, std::max(engine.GetLength() / 10, 0));
    if (!m_slider->isSliderDown()) m_slider->setValue(engine.GetPosition() / 10);
}

void CMiniWnd::ShowPlayState() {
    m_playPause->setIcon(AppIcon(m_controller.Engine().IsPlaying() ? QStringLiteral("pause")
                                                                   : QStringLiteral("play")));
}

void CMiniWnd::SetOnTop(bool onTop) {
    // Both windows on top, or both ordinary.
    m_pin->setChecked(onTop);
    const bool shown = isVisible(), lineShown = m_lrc->isVisible();
    for (QWidget* w : {static_cast<QWidget*>(this), static_cast<QWidget*>(m_lrc)})
        w->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (shown) show();
    if (lineShown) m_lrc->show();
    PlaceSubtitle();
}

void CMiniWnd::PlaceSubtitle() {
    m_lrc->setFixedWidth(width());
    m_lrc->move(x(), y() + height());
}

void CMiniWnd::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    PlaceSubtitle();
}

void CMiniWnd::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceSubtitle();
}

void CMiniWnd::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    PlaceSubtitle();
    m_lrc->show();
}

void CMiniWnd::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_lrc->hide();
}

bool CMiniWnd::OnGrip(const QPoint& at) const {
    return at.x() >= width() - kGrip;
}

void CMiniWnd::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && OnGrip(event->position().toPoint())) {
        m_dragging = true;
        m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
    }
}

void CMiniWnd::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging) {
        move(event->globalPosition().toPoint() - m_dragOffset);
        return;
    }
    setCursor(OnGrip(event->position().toPoint()) ? Qt::SizeAllCursor : Qt::ArrowCursor);
}

void CMiniWnd::mouseReleaseEvent(QMouseEvent*) {
    m_dragging = false;
}

void CMiniWnd::contextMenuEvent(QContextMenuEvent* event) {
    ShowMenu(event->globalPos());
}

void CMiniWnd::ShowMenu(const QPoint& globalPos) {
    QMenu menu(this);
    for (QAction* a : m_menu)
        if (a)
            menu.addAction(a);
        else
            menu.addSeparator();
    menu.exec(globalPos + QPoint(91, 0));
}

} // namespace kestrova
