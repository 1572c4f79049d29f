// The control bar: a view of the playback controller. The transport buttons (each named after
// its command) run commands by id and take their enabled state from the controller; the position
// slider shows the position with the repeat region as its selection, and a learner's drag seeks
// when it is released; volume and mute follow the controller both ways. GUI thread.
#pragma once

#include "player/Commands.h"

#include <QDockWidget>
#include <QHash>

class QLabel;
class QSlider;
class QToolButton;

namespace kestrova {

class CPlaybackController;
struct Region;
class CTimeSlider;

class CCtrlBar : public QDockWidget {
    Q_OBJECT
public:
    explicit CCtrlBar(CPlaybackController& controller, QWidget* parent = nullptr);

    CPlaybackController& Controller() { return m_controller; }

private:
    QToolButton* AddButton(const QString& text, const QString& tip, CommandId id);
    void ShowPosition(int p, int length);
    void ShowRegion(const Region& region);
    void SyncTransport();

    CPlaybackController& m_controller;
    CTimeSlider* m_slider;
    QSlider* m_volume;
    QLabel* m_time;
    QToolButton* m_mute = nullptr;
    QHash<CommandId, QToolButton*> m_buttons;
};

} // namespace kestrova
