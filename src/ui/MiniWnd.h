// The mini window: a thin always-on-top strip with the position slider and eight buttons
// (automatic repeat, play/pause, stop, previous and next file, the subtitle line shown or
// not, on top or not, back to the full window), a grip that drags it, and the one-line
// subtitle strip kept just under it. Its buttons and menu only send command ids; it follows
// the playback controller. GUI thread.
#pragma once

#include "player/Commands.h"

#include <QList>
#include <QWidget>

class QAction;
class QSlider;
class QToolButton;

namespace kestrova {

class CMiniLrc;
class CPlaybackController;
class CSubtitleModel;

class CMiniWnd : public QWidget {
    Q_OBJECT
public:
    // `menu`: the commands of its context menu, in order (null: a separator).
    CMiniWnd(CPlaybackController& controller, CSubtitleModel& subtitles, const QString& globalFont,
             const QList<QAction*>& menu);
    ~CMiniWnd() override;
    CMiniLrc* Subtitle() const { return m_lrc; }
    void SetOnTop(bool onTop);

Q_SIGNALS:
    void commandRequested(kestrova::CommandId id);
    void fullWindowRequested();

protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void ShowMenu(const QPoint& globalPos);
    void FollowPlayback();
    void ShowPlayState();
    void PlaceSubtitle();
    bool OnGrip(const QPoint& at) const;

    CPlaybackController& m_controller;
    QList<QAction*> m_menu;
    QSlider* m_slider;
    QToolButton* m_autoRepeat;
    QToolButton* m_playPause;
    QToolButton* m_pin;
    CMiniLrc* m_lrc;
    bool m_dragging = false;
    QPoint m_dragOffset;
};

} // namespace kestrova
