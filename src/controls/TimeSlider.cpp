#include "TimeSlider.h"

#include <QMouseEvent>
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
