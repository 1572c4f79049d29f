#include "Fixtures.h"

#include "common/Util.h"

#include "common/AppSetting.h"
#include "common/Wav.h"

#include <QFile>
#include <QTest>
#include <QtEndian>
#include <algorithm>
#include <cmath>

namespace kestrova::test {

QString MediaDir() {
    const QString dir = qEnvironmentVariable("KESTROVA_MEDIA");
    return dir.isEmpty() ? QStringLiteral("media") : dir;
}

QByteArray ReadFileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteFileBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QString Media(const QString& name) {
    return MediaDir() + '/' + name;
}

namespace {
void Put16(QByteArray& b, quint16 v) {
    b.append(char(v >> 8));
    b.append(char(v & 0xFF));
}
void PutLe(QByteArray& b, quint32 v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}
} // namespace

void WriteTinyMod(const QString& path) {
    QByteArray mod(20, '\0');
    mod.replace(0, 9, "kestrova!");
    const int sampleWords = 1000;
    for (int s = 0; s < 31; ++s) {
        QByteArray header(22, '\0');
        if (s == 0) header.replace(0, 6, "square");
        mod += header;
        Put16(mod, s == 0 ? sampleWords : 0);
        mod.append(char(0));               // finetune
        mod.append(char(s == 0 ? 64 : 0)); // volume
        Put16(mod, 0);
        Put16(mod, 1);
    }
    mod.append(char(1));   // song length
    mod.append(char(127)); // restart
    mod += QByteArray(128, '\0');
    mod += "M.K.";
    QByteArray pattern(64 * 4 * 4, '\0');
    const int period = 428;
    for (int row = 0; row < 64; row += 16) {
        char* cell = pattern.data() + row * 16;
        cell[0] = char(((1 & 0xF0)) | ((period >> 8) & 0x0F));
        cell[1] = char(period & 0xFF);
        cell[2] = char((1 & 0x0F) << 4);
        cell[3] = 0;
    }
    mod += pattern;
    QByteArray sample(sampleWords * 2, '\0');
    for (int i = 0; i < sample.size(); ++i)
        sample[i] = char((i / 16) % 2 ? 90 : -90);
    mod += sample;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(mod);
}

void WriteNumberedWav(const QString& path, int frames, int rate, int channels) {
    QByteArray data;
    data.reserve(frames * 2 * channels);
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            PutLe(data, quint32(i % 32000), 2);
    const QByteArray wav = PcmWav(data, rate, channels);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(wav);
}

int NumberOf(float sample) {
    return int(std::lround(double(sample) * 32768.0));
}

void WriteChirpWav(const QString& path, int seconds) {
    constexpr int kRate = 44100;
    QByteArray data;
    double phase = 0;
    for (int i = 0; i < seconds * kRate; ++i) {
        phase += 2 * M_PI * (200.0 + 1000.0 * i / kRate) / kRate;
        const auto v = quint32(quint16(qint16(std::lround(0.5 * 32767 * std::sin(phase)))));
        PutLe(data, v, 2);
        PutLe(data, v, 2);
    }
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(PcmWav(data, kRate, 2));
}

double ChirpSourceMs(double frequency) {
    return frequency - 200.0;
}

double FrequencyAt(const std::vector<float>& mono, std::int64_t at, int rate) {
    const std::int64_t half = rate / 200;
    const std::int64_t from = std::max<std::int64_t>(at - half, 1);
    const std::int64_t to = std::min<std::int64_t>(at + half, std::int64_t(mono.size()));
    double first = -1;
    double last = -1;
    int count = 0;
    for (std::int64_t i = from; i < to; ++i) {
        const float a = mono[std::size_t(i - 1)];
        const float b = mono[std::size_t(i)];
        if (a < 0 && b >= 0) {
            const double x = double(i - 1) + double(-a) / double(b - a);
            if (first < 0) first = x;
            last = x;
            ++count;
        }
    }
    return count > 1 ? rate * (count - 1) / (last - first) : 0;
}

void AddDamagedIntegerRows() {
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("value");
    for (const auto& key : CAppSetting::LoadOrder()) {
        if (key.type != CAppSetting::Type::Int && key.type != CAppSetting::Type::IntFlag) continue;
        for (int value : {INT_MAX, INT_MIN, -1})
            QTest::addRow("%s=%d", key.name, value) << key.section << key.name << value;
    }
}

ScopedEnv::ScopedEnv(const char* name, const QByteArray& value) : m_name(name) {
    if (qEnvironmentVariableIsSet(name)) m_before = qgetenv(name);
    qputenv(name, value);
}

ScopedEnv::~ScopedEnv() {
    if (m_before)
        qputenv(m_name.constData(), *m_before);
    else
        qunsetenv(m_name.constData());
}

ScopedMessages::ScopedMessages() {
    SetMessageHandler([this](MessageKind, const QString& text) { texts << text; });
}

ScopedMessages::~ScopedMessages() {
    SetMessageHandler(nullptr);
}

} // namespace kestrova::test
