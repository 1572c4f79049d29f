// The waveform strip of the now-playing page: the whole lesson as an overview (a click
// seeks there) over a zoomed view of ten seconds around the playing position that follows
// playback at the screen's pace. Sentences are bands (the current one stronger), the repeat
// region is outlined. In the zoomed view a band's edge is dragged to move that boundary
// (snapped to the quietest 20 ms nearby unless a modifier is held), a double-click plays
// that sentence, and a drag over the waveform draws a repeat region. With the keyboard: the
// arrows move the current sentence's nearer edge by 10 ms (Shift: 100 ms), Ctrl+Z takes the
// last move back. A view of the waveform model. GUI thread.
#pragma once

#include <QPixmap>
#include <QTimer>
#include <QWidget>

namespace kestrova {

class CWaveformModel;

class CWaveformView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kZoomSpanMs = 10000;
    static constexpr int kGrabPixels = 4;

    explicit CWaveformView(CWaveformModel& model, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {600, 120}; }

    // Where things are drawn (for the view and its tests): the two areas, and the time at
    // a point of the zoomed view and back.
    QRect OverviewRect() const;
    QRect ZoomRect() const;
    int ZoomStartMs() const;
    int ZoomTimeAt(int x) const;
    int ZoomXOf(int ms) const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int LengthMs() const;
    int PositionMs() const;
    void Follow();
    void DrawWave(QPainter& p, const QRect& area, int fromMs, int toMs) const;
    void DrawBands(QPainter& p, const QRect& area, int fromMs, int toMs) const;
    void RebuildOverview();

    CWaveformModel& m_model;
    QTimer m_frame; // the zoomed view's redraw while playing
    QPixmap m_overview;
    int m_zoomStart = 0;
    enum class Drag { None, Boundary, Region } m_drag = Drag::None;
    int m_dragRow = -1;
    int m_pressMs = 0;
    int m_pointerMs = 0;
};

} // namespace kestrova
