// Position slider that jumps to the clicked point instead of paging, as a media player's
// position bar does, and shows a selected span (the repeat region). GUI thread.
#pragma once

#include <QSlider>

namespace kestrova {

class CTimeSlider : public QSlider {
    Q_OBJECT
public:
    explicit CTimeSlider(QWidget* parent = nullptr);

    // A highlighted span of the groove (the repeat region); end <= start clears it.
    void SetSelection(int start, int end);
    void ClearSelection() { SetSelection(0, 0); }
    bool HasSelection() const { return m_selEnd > m_selStart; }
    int SelectionStart() const { return m_selStart; }
    int SelectionEnd() const { return m_selEnd; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int m_selStart = 0;
    int m_selEnd = 0;
};

} // namespace kestrova
