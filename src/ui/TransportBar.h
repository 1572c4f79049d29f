// A provisional transport bar so that a lesson can be opened and heard: open, play/pause,
// stop, a position slider and the position text. It owns the audio engine. The control bar
// with the repeat region takes its place. GUI thread.
#pragma once

#include <QDockWidget>
#include <memory>

class QLabel;
class QTimer;
class QToolButton;

namespace kestrova {

class CAppSetting;
class CMediaCore;
class CTimeSlider;

class CTransportBar : public QDockWidget {
    Q_OBJECT
public:
    explicit CTransportBar(CAppSetting& settings, QWidget* parent = nullptr);
    ~CTransportBar() override;

    CMediaCore& Core() { return *m_core; }
    bool OpenFile(const QString& path);
    void PlayPause();
    void StopPlayback();
    QString PositionText() const;

Q_SIGNALS:
    void fileOpened(const QString& path);
    void openRequested();

private:
    void Tick();
    CAppSetting& m_settings;
    std::unique_ptr<CMediaCore> m_core;
    QToolButton* m_open;
    QToolButton* m_play;
    QToolButton* m_stop;
    CTimeSlider* m_slider;
    QLabel* m_time;
    QTimer* m_timer;
};

} // namespace kestrova
