// User-data benchmarks: packing and unpacking a lesson's work (500 sentences, 100 KiB of
// notes, dictation text; each under 300 ms), and exporting a courseware of a long lesson
// against a plain copy of its media file (ratio target <= 1.5).
// Usage: bench_userdata LONG.mp3
#include "common/AppSetting.h"
#include "common/Util.h"
#include "library/UserData.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace kestrova;
using Clock = std::chrono::steady_clock;

namespace {
double Ms(Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}
double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
void Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) return 2;
    QTemporaryDir home, work;
    qputenv("KESTROVA_HOME", home.path().toUtf8());
    CAppSetting settings;
    settings.AutoSaveCourseware = true;
    settings.DisableStoreOnExit();
    CUserData data(settings);

    const QString temp = CUserData::TempFolder();
    QDir().mkpath(temp);
    QByteArray sentences;
    for (int i = 0; i < 500; ++i)
        sentences += QByteArray::number(i * 300) + '!' + QByteArray::number(i * 300 + 300) + "\r\n";
    QByteArray notes = "{\\rtf1\\ansi ";
    while (notes.size() < 100 * 1024)
        notes += "Notes about the lesson, with {\\b bold} words.\\par ";
    notes += '}';
    Write(temp + "/sellist.ist", sentences);
    Write(temp + "/Note.rtf", notes);
    Write(temp + "/Dictation.rtf", notes.left(20000));
    Write(temp + "/Info.ini", "/lesson.mp3");

    std::vector<double> pack, unpack;
    for (int i = 0; i < 7; ++i) {
        const QString kud = work.filePath(QStringLiteral("lesson%1.kud").arg(i));
        auto t = Clock::now();
        data.RunArchiver({"a", "-O+", kud, temp}, nullptr);
        pack.push_back(Ms(t));
        QTemporaryDir out;
        t = Clock::now();
        data.RunArchiver({"e", "-O+", kud, out.path()}, nullptr);
        unpack.push_back(Ms(t));
    }
    std::printf("user data of a lesson: pack %.1f ms, unpack %.1f ms (each target < 300)\n",
                Median(pack), Median(unpack));

    const QString media = QString::fromLocal8Bit(argv[1]);
    std::vector<double> copy, exportMs;
    for (int i = 0; i < 5; ++i) {
        const QString target = work.filePath("copy.mp3");
        QFile::remove(target);
        auto t = Clock::now();
        QFile::copy(media, target);
        copy.push_back(Ms(t));
        QFile::remove(temp + "/audio.dat");
        QFile::remove(temp + "/audio.lrc");
        QFile::remove(work.filePath("lesson.kcw"));
        data.SetCurrentEntry(media);
        t = Clock::now();
        data.Export(work.filePath("lesson.kcw"));
        exportMs.push_back(Ms(t));
    }
    std::printf(
        "courseware export of %s: %.1f ms, plain copy %.1f ms, ratio %.2f (target <= 1.5)\n",
        qPrintable(QFileInfo(media).fileName()), Median(exportMs), Median(copy),
        Median(exportMs) / Median(copy));
    return 0;
}
