// A private PulseAudio daemon for the device tests and benchmarks, and a recorder of its
// output sink's monitor with a map from wall-clock time to recorded samples.
//
// The daemon has its own runtime and state folders under a temporary directory, loads no
// system configuration (-n), and offers two null sinks: "out" (the default output, float
// stereo at 44.1 kHz, whose monitor the recorder reads) and "mic" (whose monitor is the
// default source, so that what is played into it is what a recording captures). This
// process's PULSE_SERVER points at it, so nothing here ever reaches the learner's own sound
// server; client autospawn is off.
#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace kestrova::test {

class CPrivateSoundServer {
public:
    ~CPrivateSoundServer();
    // Starts the daemon and waits until it answers. False (with a reason) when it cannot.
    bool Start(QString* why = nullptr);
    // Kills the daemon at once (SIGKILL), as a crash or an unplugged device would.
    void Kill();
    bool Running() const;
    // Runs pactl against the daemon; true on exit code 0.
    bool Pactl(const QStringList& args) const;
    // Plays a file into a sink of the daemon (paplay), in the background.
    void PlayInto(const QString& sink, const QString& file);

private:
    qint64 MaxSinkLatencyUs() const;
    std::unique_ptr<QTemporaryDir> m_dir;
    QProcess m_daemon;
    std::vector<std::unique_ptr<QProcess>> m_players;
    std::vector<std::unique_ptr<QProcess>> m_keepers;
};

// Records a monitor source (stereo float at 44.1 kHz) through parec in the background. Every
// block that arrives is stamped with the steady clock, which maps a moment to the sample
// rendered at that moment.
class CMonitorRecorder {
public:
    ~CMonitorRecorder();
    bool Start(const QString& source = QStringLiteral("out.monitor"));
    void Stop();
    // Left+right averaged, one float per frame.
    std::vector<float> Mono() const;
    std::int64_t Frames() const;
    // The recorded frame that was being rendered at steady-clock time `ns`.
    std::int64_t FrameAt(std::int64_t ns) const;

private:
    void ReadLoop();
    FILE* m_pipe = nullptr;
    std::thread m_reader;
    mutable std::mutex m_mutex;
    std::vector<float> m_mono;
    // Lower envelope of (arrival time - frames received / rate): the recorded frame 0 was
    // rendered at that time.
    std::int64_t m_zeroNs = 0;
};

std::int64_t SteadyNs();

// Decimates by 4 (to 11025 Hz) with a box filter; the correlations below run on that.
std::vector<float> Decimate(const std::vector<float>& mono, std::size_t from = 0,
                            std::size_t count = std::size_t(-1));

struct Match {
    std::int64_t frame = -1; // in full-rate frames of the searched signal
    double correlation = 0;
};
// Finds `pattern` (full-rate mono) in `signal` (full-rate mono) with its start in
// [from, to): the place of the highest normalised correlation.
Match FindPattern(const std::vector<float>& signal, const std::vector<float>& pattern,
                  std::int64_t from, std::int64_t to);

double Rms(const std::vector<float>& mono, std::int64_t from, std::int64_t count);

// A file decoded by the program's decoder to mono at its own rate.
std::vector<float> DecodeMono(const QString& path);

} // namespace kestrova::test
