#include "QtAudioOutput.h"

#include "FrameRing.h"

#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>
#include <QTimer>
#include <chrono>
#include <cstring>

namespace kestrova {

namespace {
std::int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
} // namespace

// The sink's pull source: copies frames out of the ring; silence when it is empty (the
// heard counter is capped by the engine at what was really written).
class CRingDevice final : public QIODevice {
public:
    std::atomic<CFrameRing*> ring{nullptr};

protected:
    qint64 readData(char* data, qint64 maxlen) override {
        const std::size_t frames = std::size_t(maxlen) / (2 * sizeof(float));
        auto* out = reinterpret_cast<float*>(data);
        CFrameRing* r = ring.load(std::memory_order_acquire);
        const std::size_t got = r ? r->Read(out, frames) : 0;
        std::memset(out + 2 * got, 0, (frames - got) * 2 * sizeof(float));
        return qint64(frames * 2 * sizeof(float));
    }
    qint64 writeData(const char*, qint64) override { return -1; }
    qint64 bytesAvailable() const override { return 1 << 20; }
    bool isSequential() const override { return true; }
};

CQtAudioOutput::CQtAudioOutput(const QAudioDevice& device) : m_device(device) {
    m_thread.setObjectName("kestrova-audio-out");
    m_thread.start(QThread::TimeCriticalPriority);
}

CQtAudioOutput::~CQtAudioOutput() {
    Stop();
    RunOnThread([this] {
        delete m_timer;
        delete m_sink;
        delete m_source;
        m_timer = nullptr;
        m_sink = nullptr;
        m_source = nullptr;
    });
    m_thread.quit();
    m_thread.wait();
}

QList<QAudioDevice> CQtAudioOutput::Candidates() {
    QList<QAudioDevice> devices;
    const QAudioDevice def = QMediaDevices::defaultAudioOutput();
    if (!def.isNull()) devices << def;
    for (const QAudioDevice& d : QMediaDevices::audioOutputs())
        if (d != def) devices << d;
    return devices;
}

void CQtAudioOutput::RunOnThread(const std::function<void()>& work) {
    QObject context;
    context.moveToThread(&m_thread);
    QMetaObject::invokeMethod(&context, work, Qt::BlockingQueuedConnection);
}

bool CQtAudioOutput::Open(int rate) {
    bool ok = false;
    RunOnThread([&] {
        if (m_sink && m_rate == rate) {
            ok = true;
            return;
        }
        delete m_sink;
        m_sink = nullptr;
        QAudioFormat format;
        format.setSampleRate(rate);
        format.setChannelCount(2);
        format.setSampleFormat(QAudioFormat::Float);
        if (!m_device.isFormatSupported(format)) return;
        m_rate = rate;
        m_sink = new QAudioSink(m_device, format);
        // About 60 ms in the device: low enough that seeks and pauses feel immediate.
        m_sink->setBufferSize(qsizetype(rate * 2 * sizeof(float) * 60 / 1000));
        if (!m_source) {
            m_source = new CRingDevice;
            m_source->open(QIODevice::ReadOnly);
        }
        if (!m_timer) {
            m_timer = new QTimer;
            m_timer->setTimerType(Qt::PreciseTimer);
            m_timer->setInterval(5);
            QObject::connect(m_timer, &QTimer::timeout, [this] { Sample(); });
            m_timer->start();
        }
        ok = true;
    });
    return ok;
}

bool CQtAudioOutput::Start(CFrameRing* ring) {
    bool ok = false;
    RunOnThread([&] {
        if (!m_sink) return;
        m_sink->stop();
        m_source->ring.store(ring, std::memory_order_release);
        m_playedUs = 0;
        m_sampledAtNs = NowNs();
        m_sink->start(m_source);
        ok = m_sink->error() == QAudio::NoError;
        m_error = int(m_sink->error());
        m_active = ok;
    });
    return ok;
}

void CQtAudioOutput::Stop() {
    RunOnThread([&] {
        m_active = false;
        if (m_sink) m_sink->stop();
        if (m_source) m_source->ring.store(nullptr, std::memory_order_release);
    });
}

void CQtAudioOutput::Suspend() {
    RunOnThread([&] {
        if (m_sink) m_sink->suspend();
        Sample();
        m_active = false;
    });
}

void CQtAudioOutput::Resume() {
    RunOnThread([&] {
        if (m_sink) m_sink->resume();
        m_sampledAtNs = NowNs();
        m_active = true;
    });
}

void CQtAudioOutput::Sample() {
    if (!m_sink || !m_active) return;
    m_playedUs = m_sink->processedUSecs();
    m_sampledAtNs = NowNs();
}

std::int64_t CQtAudioOutput::PlayedFrames() const {
    std::int64_t us = m_playedUs.load();
    if (m_active) {
        // Between two samples the device keeps playing at its rate.
        const std::int64_t since = (NowNs() - m_sampledAtNs.load()) / 1000;
        us += std::min<std::int64_t>(std::max<std::int64_t>(since, 0), 10000);
    }
    return us * m_rate / 1000000;
}

std::unique_ptr<CAudioOutput> CreateAudioOutput() {
    const QString choice = qEnvironmentVariable("KESTROVA_AUDIO");
    if (choice == "null") return std::make_unique<CNullAudioOutput>(false);
    if (choice == "null:untimed") return std::make_unique<CNullAudioOutput>(true);
    if (choice == "null:realtime")
        return std::make_unique<CNullAudioOutput>(CNullAudioOutput::Mode::Realtime);
    for (const QAudioDevice& device : CQtAudioOutput::Candidates()) {
        auto out = std::make_unique<CQtAudioOutput>(device);
        if (out->Open(44100) || out->Open(48000)) return out;
    }
    return nullptr;
}

} // namespace kestrova
