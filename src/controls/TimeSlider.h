// Position slider that jumps to the clicked point instead of paging, as a media player's
// position bar does. GUI thread.
#pragma once

#include <QSlider>

namespace kestrova {

class CTimeSlider : public QSlider {
    Q_OBJECT
public:
    explicit CTimeSlider(QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

} // namespace kestrova
