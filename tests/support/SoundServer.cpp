#include "SoundServer.h"

#include "audio/Decoder.h"

#include <QDir>
#include <QFile>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

namespace kestrova::test {

namespace {
constexpr int kRate = 44100;
constexpr int kDecimation = 4;
pid_t g_parecPid = 0;
} // namespace

std::int64_t SteadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// ---------------------------------------------------------------- daemon

CPrivateSoundServer::~CPrivateSoundServer() {
    for (auto& p : m_players)
        p->kill(), p->waitForFinished(1000);
    Kill();
}

bool CPrivateSoundServer::Start(QString* why) {
    if (!m_dir) {
        // A short folder name: the server's socket path must stay within the socket limit.
        m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/pa-XXXXXX");
        const QString root = m_dir->path();
        for (const char* sub : {"run", "state", "home"})
            QDir(root).mkpath(QString::fromLatin1(sub));
        QFile conf(root + "/client.conf");
        conf.open(QIODevice::WriteOnly);
        conf.write("autospawn = no\n");
        conf.close();
        // This process (and SDL, pactl, parec and paplay started from it) talks only to the
        // private daemon.
        qputenv("PULSE_SERVER", ("unix:" + root + "/native").toUtf8());
        qputenv("PULSE_CLIENTCONFIG", (root + "/client.conf").toUtf8());
        qputenv("PULSE_RUNTIME_PATH", (root + "/run").toUtf8());
        qputenv("PULSE_STATE_PATH", (root + "/state").toUtf8());
        qunsetenv("KESTROVA_AUDIO");
    }
    const QString root = m_dir->path();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", root + "/home");
    env.insert("XDG_RUNTIME_DIR", root + "/run");
    env.remove("DBUS_SESSION_BUS_ADDRESS");
    m_daemon.setProcessEnvironment(env);
    m_daemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_daemon.setStandardOutputFile(QProcess::nullDevice());
    m_daemon.setStandardErrorFile(root + "/daemon.log", QIODevice::Append);
    m_daemon.start("pulseaudio",
                   {"-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
                    "--system=no", "--disable-shm=yes", "-F", "/dev/null", "-L",
                    "module-native-protocol-unix socket=" + root + "/native auth-anonymous=1", "-L",
                    "module-null-sink sink_name=out rate=44100 format=float32le channels=2", "-L",
                    "module-null-sink sink_name=mic rate=44100 format=s16le channels=2"});
    if (!m_daemon.waitForStarted(5000)) {
        if (why) *why = "pulseaudio did not start: " + m_daemon.errorString();
        return false;
    }
    for (int i = 0; i < 100; ++i) {
        if (Pactl({"set-default-source", "mic.monitor"}) && Pactl({"set-default-sink", "out"})) {
            // An idle null sink renders up to its maximum latency (2 s) ahead, and a stream
            // that joins waits until that time has passed, which no sound card does. A
            // low-latency reader on each monitor keeps the sinks running as a card would.
            for (const char* monitor : {"out.monitor", "mic.monitor"}) {
                auto keeper = std::make_unique<QProcess>();
                keeper->setStandardOutputFile(QProcess::nullDevice());
                keeper->start("parec", {"--latency-msec=5", "-d", monitor});
                keeper->waitForStarted(5000);
                m_keepers.push_back(std::move(keeper));
            }
            // Ready once the sinks have played out what they rendered ahead while idle.
            for (int k = 0; k < 150 && MaxSinkLatencyUs() > 50000; ++k)
                QThread::msleep(20);
            return true;
        }
        if (m_daemon.state() != QProcess::Running) break;
        QThread::msleep(50);
    }
    if (why) {
        QFile log(root + "/daemon.log");
        log.open(QIODevice::ReadOnly);
        *why = "the private sound server did not answer: " + QString::fromUtf8(log.readAll());
    }
    Kill();
    return false;
}

void CPrivateSoundServer::Kill() {
    for (auto& k : m_keepers)
        k->kill(), k->waitForFinished(1000);
    m_keepers.clear();
    if (m_daemon.state() == QProcess::NotRunning) return;
    m_daemon.kill();
    m_daemon.waitForFinished(5000);
}

// The largest "Latency: N usec" of the sinks (what they have rendered ahead).
qint64 CPrivateSoundServer::MaxSinkLatencyUs() const {
    QProcess p;
    p.start("pactl", {"list", "sinks"});
    if (!p.waitForFinished(5000)) return -1;
    qint64 most = -1;
    for (const QByteArray& line : p.readAllStandardOutput().split('\n')) {
        const QByteArray t = line.trimmed();
        if (t.startsWith("Latency:"))
            most = std::max(most, t.mid(8).trimmed().split(' ')[0].toLongLong());
    }
    return most;
}

bool CPrivateSoundServer::Running() const {
    return m_daemon.state() == QProcess::Running;
}

bool CPrivateSoundServer::Pactl(const QStringList& args) const {
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start("pactl", args);
    return p.waitForFinished(5000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

void CPrivateSoundServer::PlayInto(const QString& sink, const QString& file) {
    auto p = std::make_unique<QProcess>();
    p->start("paplay", {"-d", sink, file});
    p->waitForStarted(5000);
    m_players.push_back(std::move(p));
}

// ---------------------------------------------------------------- monitor recorder

CMonitorRecorder::~CMonitorRecorder() {
    Stop();
}

bool CMonitorRecorder::Start(const QString& source) {
    Stop();
    int fds[2];
    if (pipe(fds) != 0) return false;
    const QByteArray dev = source.toUtf8();
    const pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
        dup2(fds[1], 1);
        close(fds[0]);
        close(fds[1]);
        execlp("parec", "parec", "--raw", "--format=float32le", "--rate=44100", "--channels=2",
               "--latency-msec=5", "-d", dev.constData(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    g_parecPid = pid;
    m_pipe = fdopen(fds[0], "rb");
    {
        std::lock_guard lock(m_mutex);
        m_mono.clear();
        m_zeroNs = 0;
    }
    m_reader = std::thread([this] { ReadLoop(); });
    // Recording has begun once the first block arrived.
    for (int i = 0; i < 200 && Frames() == 0; ++i)
        QThread::msleep(10);
    return Frames() > 0;
}

void CMonitorRecorder::Stop() {
    if (!m_pipe) return;
    if (g_parecPid > 0) {
        ::kill(g_parecPid, SIGTERM);
        waitpid(g_parecPid, nullptr, 0);
        g_parecPid = 0;
    }
    if (m_reader.joinable()) m_reader.join();
    fclose(m_pipe);
    m_pipe = nullptr;
}

void CMonitorRecorder::ReadLoop() {
    std::vector<float> block(2 * 256);
    std::size_t pending = 0; // bytes of a partly read frame
    std::vector<char> bytes(block.size() * sizeof(float));
    for (;;) {
        const ssize_t n = read(fileno(m_pipe), bytes.data() + pending, bytes.size() - pending);
        if (n <= 0) break;
        const std::int64_t now = SteadyNs();
        pending += std::size_t(n);
        const std::size_t frames = pending / (2 * sizeof(float));
        std::memcpy(block.data(), bytes.data(), frames * 2 * sizeof(float));
        const std::size_t rest = pending - frames * 2 * sizeof(float);
        std::memmove(bytes.data(), bytes.data() + frames * 2 * sizeof(float), rest);
        pending = rest;
        std::lock_guard lock(m_mutex);
        for (std::size_t i = 0; i < frames; ++i)
            m_mono.push_back(0.5f * (block[2 * i] + block[2 * i + 1]));
        // Everything received so far was rendered no later than now.
        const std::int64_t zero = now - std::int64_t(m_mono.size()) * 1000000000 / kRate;
        if (m_zeroNs == 0 || zero < m_zeroNs) m_zeroNs = zero;
    }
}

std::vector<float> CMonitorRecorder::Mono() const {
    std::lock_guard lock(m_mutex);
    return m_mono;
}

std::int64_t CMonitorRecorder::Frames() const {
    std::lock_guard lock(m_mutex);
    return std::int64_t(m_mono.size());
}

std::int64_t CMonitorRecorder::FrameAt(std::int64_t ns) const {
    std::lock_guard lock(m_mutex);
    return (ns - m_zeroNs) * kRate / 1000000000;
}

// ---------------------------------------------------------------- analysis

std::vector<float> Decimate(const std::vector<float>& mono, std::size_t from, std::size_t count) {
    from = std::min(from, mono.size());
    count = std::min(count, mono.size() - from);
    std::vector<float> out(count / kDecimation);
    for (std::size_t i = 0; i < out.size(); ++i) {
        float sum = 0;
        for (int k = 0; k < kDecimation; ++k)
            sum += mono[from + i * kDecimation + std::size_t(k)];
        out[i] = sum / kDecimation;
    }
    return out;
}

Match FindPattern(const std::vector<float>& signal, const std::vector<float>& pattern,
                  std::int64_t from, std::int64_t to) {
    Match best;
    from = std::max<std::int64_t>(from, 0);
    to = std::min<std::int64_t>(to, std::int64_t(signal.size()) - std::int64_t(pattern.size()));
    if (to <= from) return best;
    const std::vector<float> p = Decimate(pattern);
    const std::vector<float> s =
        Decimate(signal, std::size_t(from), std::size_t(to - from) + pattern.size());
    double pe = 0;
    for (float v : p)
        pe += double(v) * v;
    // Energy of each window of the signal from prefix sums.
    std::vector<double> prefix(s.size() + 1, 0.0);
    for (std::size_t i = 0; i < s.size(); ++i)
        prefix[i + 1] = prefix[i] + double(s[i]) * s[i];
    for (std::size_t off = 0; off + p.size() <= s.size(); ++off) {
        double dot = 0;
        for (std::size_t i = 0; i < p.size(); ++i)
            dot += double(p[i]) * s[off + i];
        const double se = prefix[off + p.size()] - prefix[off];
        const double c = pe > 0 && se > 0 ? dot / std::sqrt(pe * se) : 0;
        if (c > best.correlation) {
            best.correlation = c;
            best.frame = from + std::int64_t(off) * kDecimation;
        }
    }
    // The decimated search finds the place within a few frames; noise-like sound only
    // correlates at the exact frame, so look there at the full rate.
    const std::int64_t coarse = best.frame;
    for (std::int64_t at = coarse - kDecimation; coarse >= 0 && at <= coarse + kDecimation; ++at) {
        if (at < 0 || at + std::int64_t(pattern.size()) > std::int64_t(signal.size())) continue;
        double dot = 0, pe2 = 0, se2 = 0;
        for (std::size_t i = 0; i < pattern.size(); ++i) {
            const double x = pattern[i];
            const double y = signal[std::size_t(at) + i];
            dot += x * y;
            pe2 += x * x;
            se2 += y * y;
        }
        const double c = pe2 > 0 && se2 > 0 ? dot / std::sqrt(pe2 * se2) : 0;
        if (at == coarse - kDecimation || c > best.correlation) {
            best.correlation = c;
            best.frame = at;
        }
    }
    return best;
}

double Rms(const std::vector<float>& mono, std::int64_t from, std::int64_t count) {
    double sum = 0;
    std::int64_t n = 0;
    for (std::int64_t i = std::max<std::int64_t>(from, 0);
         i < std::min<std::int64_t>(from + count, std::int64_t(mono.size())); ++i, ++n)
        sum += double(mono[std::size_t(i)]) * mono[std::size_t(i)];
    return n ? std::sqrt(sum / double(n)) : 0;
}

std::vector<float> DecodeMono(const QString& path) {
    std::vector<float> mono;
    auto decoder = OpenDecoder(path);
    if (!decoder) return mono;
    std::vector<float> block(2 * 4096);
    for (int n; (n = decoder->Read(block.data(), 4096)) > 0;)
        for (int i = 0; i < n; ++i)
            mono.push_back(0.5f * (block[std::size_t(2 * i)] + block[std::size_t(2 * i + 1)]));
    return mono;
}

} // namespace kestrova::test
