// One-shot player for prompt sounds (right/wrong answers, the end-of-pass prompt). Plays a
// sound file by path without blocking the GUI thread; the "then" form calls back on the GUI
// thread when the sound has ended (or at once when it cannot be played). With the null
// backend a sound ends as soon as it starts. GUI thread only.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace kestrova {

class CMediaCore;

class CSoundPlayer : public QObject {
    Q_OBJECT
public:
    explicit CSoundPlayer(QObject* parent = nullptr);
    ~CSoundPlayer() override;

    void Play(const QString& path);
    void PlayThen(const QString& path, std::function<void()> done);
    void StopSound();

private:
    void Finish();
    std::unique_ptr<CMediaCore> m_core;
    std::function<void()> m_done;
};

} // namespace kestrova
