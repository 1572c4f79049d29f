// Helpers shared by the test executables: where the generated media fixtures are, a
// module-music file and a sample-numbered WAV written on the spot.
#pragma once

#include "common/Prompts.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace kestrova::test {

// Folder of the media made by tests/fixtures/make_fixtures.sh (KESTROVA_MEDIA, set by CTest).
QString MediaDir();
// A whole file's bytes (empty when it cannot be read), and a whole file written.
QByteArray ReadFileBytes(const QString& path);
bool WriteFileBytes(const QString& path, const QByteArray& bytes);
QString Media(const QString& name);

// A small ProTracker module: one pattern with a square-wave note, about 7.7 s long.
void WriteTinyMod(const QString& path);

// A 16-bit PCM WAV whose sample i holds the value i % 32000 on both channels (mono when
// `channels` is 1), so that any heard sample tells which source frame it was.
void WriteNumberedWav(const QString& path, int frames, int rate = 44100, int channels = 2);
// The source frame (mod 32000) a heard float sample of such a file came from.
int NumberOf(float sample);

// Test data rows (section, key, value) of every integer key of the profile with the values
// that probing found harmful: INT_MAX, INT_MIN and -1.
void AddDamagedIntegerRows();

// A 44.1 kHz stereo sine sweeping up from 200 Hz by 1000 Hz a second: its frequency anywhere,
// even slowed down without changing pitch, tells the source millisecond it came from.
void WriteChirpWav(const QString& path, int seconds);
double ChirpSourceMs(double frequency);
// The frequency of a sine around frame `at` (±5 ms) of a mono signal, from its rising zero
// crossings; 0 when there are too few.
double FrequencyAt(const std::vector<float>& mono, std::int64_t at, int rate = 44100);

// An environment variable set for a scope; what it was before (or its absence) comes back
// however the scope is left, a failed check included.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    QByteArray m_name;
    std::optional<QByteArray> m_before;
};

// The program's messages collected for a scope instead of shown; the scope's end restores
// the default handler.
class ScopedMessages {
public:
    ScopedMessages();
    ~ScopedMessages();
    ScopedMessages(const ScopedMessages&) = delete;
    ScopedMessages& operator=(const ScopedMessages&) = delete;
    QStringList texts;
};

// Questions answered by `answer` (no by default) and every question and message kept.
class TestPrompts : public IPrompts {
public:
    bool Ask(const QString& question) override {
        asked << question;
        return answer && answer(question);
    }
    void Tell(MessageKind, const QString& text) override {
        told << text;
        if (alsoInto) *alsoInto << text;
    }
    std::function<bool(const QString&)> answer;
    QStringList asked;
    QStringList told;
    QStringList* alsoInto = nullptr; // a list of the test's that collects messages too
};

} // namespace kestrova::test
