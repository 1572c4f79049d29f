#include "WaveformView.h"

#include "audio/MediaCore.h"
#include "player/PlaybackController.h"
#include "player/SentenceModel.h"
#include "player/WaveformModel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace kestrova {

CWaveformView::CWaveformView(CWaveformModel& model, QWidget* parent)
    : QWidget(parent), m_model(model) {
    setObjectName(QStringLiteral("waveformView"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setMinimumHeight(60);
    m_frame.setInterval(16);
    connect(&m_frame, &QTimer::timeout, this, &CWaveformView::Follow);
    connect(&m_model, &CWaveformModel::peaksChanged, this, [this] {
        RebuildOverview();
        update();
    });
    // The bands follow every change of the list.
    CSentenceModel& sentences = m_model.Sentences();
    auto redraw = [this] {
        RebuildOverview();
        update();
    };
    connect(&sentences, &QAbstractItemModel::modelReset, this, redraw);
    connect(&sentences, &QAbstractItemModel::dataChanged, this, redraw);
    connect(&sentences, &QAbstractItemModel::rowsInserted, this, redraw);
    connect(&sentences, &CSentenceModel::currentChanged, this, [this] { update(); });
    CPlaybackController& controller = m_model.Controller();
    connect(&controller, &CPlaybackController::regionChanged, this, [this] { update(); });
    connect(&controller, &CPlaybackController::positionChanged, this, [this] { Follow(); });
    connect(&controller, &CPlaybackController::stateChanged, this, [this] {
        if (m_model.Controller().Engine().IsPlaying())
            m_frame.start();
        else
            m_frame.stop();
        Follow();
    });
}

QRect CWaveformView::OverviewRect() const {
    return {0, 0, width(), std::max(height() / 3, 16)};
}

QRect CWaveformView::ZoomRect() const {
    const QRect o = OverviewRect();
    return {0, o.bottom() + 2, width(), std::max(height() - o.height() - 2, 1)};
}

int CWaveformView::LengthMs() const {
    return std::max(m_model.Controller().Engine().GetLength(), 0);
}

int CWaveformView::PositionMs() const {
    return std::max(m_model.Controller().Engine().GetPosition(), 0);
}

int CWaveformView::ZoomStartMs() const {
    return m_zoomStart;
}

int CWaveformView::ZoomTimeAt(int x) const {
    return m_zoomStart + int(qint64(x) * kZoomSpanMs / std::max(width(), 1));
}

int CWaveformView::ZoomXOf(int ms) const {
    return int(qint64(ms - m_zoomStart) * std::max(width(), 1) / kZoomSpanMs);
}

void CWaveformView::Follow() {
    // The playing position sits at a third of the zoomed view; the view glides with it.
    const int start =
        std::clamp(PositionMs() - kZoomSpanMs / 3, 0, std::max(LengthMs() - kZoomSpanMs, 0));
    if (start != m_zoomStart || m_model.Controller().Engine().IsPlaying()) {
        m_zoomStart = start;
        update();
    }
}

void CWaveformView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    RebuildOverview();
}

void CWaveformView::RebuildOverview() {
    // The overview changes only with the peaks, the sentences and the size: drawn once into
    // a picture, so that a three-hour lesson costs nothing per frame.
    const QRect area = OverviewRect();
    if (area.width() <= 0 || area.height() <= 0) return;
    m_overview = QPixmap(area.size() * devicePixelRatioF());
    m_overview.setDevicePixelRatio(devicePixelRatioF());
    m_overview.fill(palette().color(QPalette::Base));
    QPainter p(&m_overview);
    const QRect local(QPoint(0, 0), area.size());
    DrawBands(p, local, 0, std::max(LengthMs(), 1));
    DrawWave(p, local, 0, std::max(LengthMs(), 1));
}

void CWaveformView::DrawWave(QPainter& p, const QRect& area, int fromMs, int toMs) const {
    const Peaks& peaks = m_model.GetPeaks();
    if (peaks.Empty() || toMs <= fromMs) return;
    p.setPen(palette().color(QPalette::Text));
    const int mid = area.center().y();
    const double half = area.height() / 2.0;
    for (int x = 0; x < area.width(); ++x) {
        const int t0 = fromMs + int(qint64(x) * (toMs - fromMs) / area.width());
        const int t1 = std::max(fromMs + int(qint64(x + 1) * (toMs - fromMs) / area.width()),
                                t0 + Peaks::kHopMs);
        const auto [low, high] = peaks.Range(t0, t1);
        const int y0 = mid - int(high * half / 32768.0);
        const int y1 = mid - int(low * half / 32768.0);
        p.drawLine(area.left() + x, y0, area.left() + x, std::max(y1, y0));
    }
}

void CWaveformView::DrawBands(QPainter& p, const QRect& area, int fromMs, int toMs) const {
    const CSentenceModel& sentences = m_model.Sentences();
    const int span = std::max(toMs - fromMs, 1);
    QColor band = palette().color(QPalette::Highlight);
    for (int row = 0; row < sentences.Count(); ++row) {
        const SEL_ITEM s = sentences.At(row);
        const int x0 = area.left() + int(qint64(int(s.start) * 10 - fromMs) * area.width() / span);
        const int x1 = area.left() + int(qint64(int(s.end) * 10 - fromMs) * area.width() / span);
        if (x1 < area.left() || x0 > area.right()) continue;
        band.setAlpha(row == sentences.Current() ? 110 : (row % 2 ? 28 : 50));
        p.fillRect(QRect(QPoint(x0, area.top()), QPoint(x1, area.bottom())), band);
    }
}

void CWaveformView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    const QRect overview = OverviewRect();
    if (!m_overview.isNull()) p.drawPixmap(overview.topLeft(), m_overview);
    const int length = std::max(LengthMs(), 1);
    // Where the zoomed view lies in the overview, and the playing position.
    p.setPen(palette().color(QPalette::Mid));
    const int vx0 = int(qint64(m_zoomStart) * overview.width() / length);
    const int vx1 = int(qint64(m_zoomStart + kZoomSpanMs) * overview.width() / length);
    p.drawRect(
        QRect(QPoint(vx0, overview.top()), QPoint(std::max(vx1, vx0 + 1), overview.bottom())));

    const QRect zoom = ZoomRect();
    p.fillRect(zoom, palette().color(QPalette::Base));
    const int from = m_zoomStart, to = m_zoomStart + kZoomSpanMs;
    DrawBands(p, zoom, from, to);
    DrawWave(p, zoom, from, to);
    // The repeat region, outlined.
    const Region region = m_model.Controller().GetRegion();
    if (region.set) {
        QPen pen(palette().color(QPalette::Link));
        pen.setWidth(2);
        p.setPen(pen);
        p.drawRect(QRect(QPoint(ZoomXOf(region.start * 10), zoom.top() + 1),
                         QPoint(ZoomXOf(region.end * 10), zoom.bottom() - 1)));
    }
    // A region being drawn, or a boundary being dragged.
    if (m_drag == Drag::Region) {
        QColor c = palette().color(QPalette::Link);
        c.setAlpha(60);
        p.fillRect(QRect(QPoint(ZoomXOf(m_pressMs), zoom.top()),
                         QPoint(ZoomXOf(m_pointerMs), zoom.bottom()))
                       .normalized(),
                   c);
    } else if (m_drag == Drag::Boundary) {
        p.setPen(QPen(palette().color(QPalette::Highlight), 2));
        p.drawLine(ZoomXOf(m_pointerMs), zoom.top(), ZoomXOf(m_pointerMs), zoom.bottom());
    }
    // The playing position.
    p.setPen(QPen(Qt::red, 1));
    const int px = ZoomXOf(PositionMs());
    p.drawLine(px, zoom.top(), px, zoom.bottom());
    const int ox = int(qint64(PositionMs()) * overview.width() / length);
    p.drawLine(ox, overview.top(), ox, overview.bottom());
    if (hasFocus()) {
        p.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void CWaveformView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint at = event->position().toPoint();
    if (OverviewRect().contains(at)) {
        const int ms = int(qint64(at.x()) * LengthMs() / std::max(width(), 1));
        m_model.Controller().SeekTo(ms / 10);
        return;
    }
    m_pressMs = m_pointerMs = ZoomTimeAt(at.x());
    const int tolerance = kGrabPixels * kZoomSpanMs / std::max(width(), 1);
    m_dragRow = m_model.BoundaryNear(m_pressMs, tolerance);
    m_drag = m_dragRow >= 0 && !m_model.Sentences().Fixed() ? Drag::Boundary : Drag::Region;
}

void CWaveformView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (m_drag == Drag::None) {
        // The edges that move show it.
        const int tolerance = kGrabPixels * kZoomSpanMs / std::max(width(), 1);
        const bool edge = ZoomRect().contains(at) && !m_model.Sentences().Fixed() &&
                          m_model.BoundaryNear(ZoomTimeAt(at.x()), tolerance) >= 0;
        setCursor(edge ? Qt::SizeHorCursor : Qt::ArrowCursor);
        return;
    }
    m_pointerMs = ZoomTimeAt(at.x());
    update();
}

void CWaveformView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_drag == Drag::None) return;
    const Drag drag = m_drag;
    m_drag = Drag::None;
    m_pointerMs = ZoomTimeAt(event->position().toPoint().x());
    // A click (a double-click's first, say) moves nothing: only a drag of a few pixels does.
    const bool moved = std::abs(m_pointerMs - m_pressMs) >= 3 * kZoomSpanMs / std::max(width(), 1);
    if (drag == Drag::Boundary && moved)
        m_model.DragBoundary(m_dragRow, m_pointerMs, event->modifiers() == Qt::NoModifier);
    else if (drag == Drag::Region && moved)
        m_model.DrawRegion(m_pressMs, m_pointerMs);
    update();
}

void CWaveformView::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (!ZoomRect().contains(at)) return;
    m_drag = Drag::None;
    const int row = m_model.SentenceAt(ZoomTimeAt(at.x()));
    if (row >= 0) m_model.Sentences().SelectSentence(row);
}

bool CWaveformView::event(QEvent* event) {
    // Its own keys win over the window's shortcuts while the strip has the focus.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool arrow = (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right) &&
                           (key->modifiers() & ~Qt::ShiftModifier & ~Qt::KeypadModifier) == 0;
        if (arrow || key->matches(QKeySequence::Undo)) {
            event->accept();
            return true;
        }
    }
    return QWidget::event(event);
}

void CWaveformView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Undo)) {
        m_model.Sentences().UndoBoundary();
        return;
    }
    const int step = event->modifiers() & Qt::ShiftModifier ? 100 : 10;
    if (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right) {
        m_model.NudgeBoundary(PositionMs(), event->key() == Qt::Key_Left ? -step : step);
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace kestrova
