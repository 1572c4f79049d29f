#include "SoundPlayer.h"

#include "AudioOutput.h"
#include "MediaCore.h"

#include <QTimer>

namespace kestrova {

CSoundPlayer::CSoundPlayer(QObject* parent) : QObject(parent) {}

CSoundPlayer::~CSoundPlayer() = default;

void CSoundPlayer::Play(const QString& path) {
    PlayThen(path, nullptr);
}

void CSoundPlayer::PlayThen(const QString& path, std::function<void()> done) {
    StopSound();
    m_done = std::move(done);
    if (!NullAudioRequested()) {
        if (!m_core) {
            m_core = CMediaCore::Create(); // none without a device: the sound is skipped
            if (m_core) {
                m_core->SetReportErrors(false);
                m_core->SetPlayEndHandler([this](CMediaCore::EndKind) {
                    QTimer::singleShot(0, this, [this] { Finish(); });
                    return true;
                });
            }
        }
        if (m_core && m_core->Load(path) && m_core->Play(false)) return;
    }
    QTimer::singleShot(0, this, [this] { Finish(); });
}

void CSoundPlayer::StopSound() {
    if (m_core) m_core->Stop();
    m_done = nullptr;
}

void CSoundPlayer::Finish() {
    auto done = std::move(m_done);
    m_done = nullptr;
    if (done) done();
}

} // namespace kestrova
