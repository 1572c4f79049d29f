#include "TimeSlider.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

namespace kestrova {

CTimeSlider::CTimeSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {}

void CTimeSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && width() > 0) {
        const int value = QStyle::sliderValueFromPosition(minimum(), maximum(),
                                                          int(event->position().x()), width());
        setSliderPosition(value);
        Q_EMIT sliderMoved(value);
        Q_EMIT sliderReleased();
    }
    QSlider::mousePressEvent(event);
}

} // namespace kestrova

namespace kestrova {

void CTimeSlider::SetSelection(int start, int end) {
    if (end <= start) start = end = 0;
    if (start == m_selStart && end == m_selEnd) return;
    m_selStart = start;
    m_selEnd = end;
    update();
}

void CTimeSlider::paintEvent(QPaintEvent* event) {
    QSlider::paintEvent(event);
    if (!HasSelection() || maximum() <= minimum()) return;
    const int x0 = QStyle::sliderPositionFromValue(minimum(), maximum(), m_selStart, width());
    const int x1 = QStyle::sliderPositionFromValue(minimum(), maximum(), m_selEnd, width());
    QPainter p(this);
    QColor c = palette().color(QPalette::Highlight);
    c.setAlpha(110);
    p.fillRect(QRect(x0, height() / 2 - 3, std::max(x1 - x0, 2), 6), c);
}

} // namespace kestrova
