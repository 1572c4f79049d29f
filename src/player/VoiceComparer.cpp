#include "VoiceComparer.h"

#include <QMetaObject>

namespace kestrova {

CVoiceComparer::CVoiceComparer(QObject* parent) : QObject(parent) {}

CVoiceComparer::~CVoiceComparer() {
    ++m_generation;
    if (m_thread.joinable()) m_thread.join();
}

void CVoiceComparer::Compare(const QString& media, int startMs, int endMs,
                             const QByteArray& recording) {
    ++m_generation;
    m_pending = Request{media, startMs, endMs, recording};
    // One run at a time: a running one is superseded and hands over when it ends, so that
    // the window never waits for it.
    if (!m_running) StartPending();
}

void CVoiceComparer::StartPending() {
    if (!m_pending) return;
    if (m_thread.joinable()) m_thread.join(); // ended already: its result was posted
    const Request request = *m_pending;
    m_pending.reset();
    const unsigned generation = m_generation.load();
    m_running = true;
    m_thread = std::thread([this, request, generation] {
        int rate = 0;
        const std::vector<float> sentence =
            ReadMono(request.media, request.startMs, request.endMs, &rate);
        const VoiceTrace source = AnalyseVoice(sentence, rate);
        const VoiceTrace voice = AnalyseVoice(RecordingMono(request.recording), 44100);
        QMetaObject::invokeMethod(
            this,
            [this, source, voice, generation] {
                m_running = false;
                if (generation == m_generation.load()) Q_EMIT ready(source, voice);
                StartPending();
            },
            Qt::QueuedConnection);
    });
}

} // namespace kestrova
