// The learner's work kept per media file: packing, unpacking, courseware, and every way of
// not losing it (missing archiver, crash, unwritable folder, two files of one name,
// hostile archives).
#include "common/AppSetting.h"
#include "common/Util.h"
#include "library/UserData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <archive.h>
#include <archive_entry.h>

using namespace kestrova;

namespace {
void Write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
}
QByteArray Read(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}
QStringList Members(const QString& archive) {
    QTemporaryDir out;
    QProcess::execute(CUserData::ArchiverPath(), {"e", "-O+", archive, out.path()});
    QStringList names = QDir(out.path()).entryList(QDir::Files);
    names.sort();
    return names;
}
} // namespace

class TestUserData : public QObject {
    Q_OBJECT
    QTemporaryDir m_home;
    QTemporaryDir m_media;
    CAppSetting m_settings;
    QString m_entry;
    QStringList m_told;
    int m_released = 0;
    std::unique_ptr<CUserData> m_data;

    // A lesson's work as the pieces' owners would write it.
    void Work(const QByteArray& sentences) {
        Write(CUserData::TempFolder() + "/sellist.ist", sentences);
        SetUserDataModified(true);
    }

private Q_SLOTS:
    void initTestCase() {
        qputenv("KESTROVA_HOME", m_home.path().toUtf8());
        m_settings.AutoSaveCourseware = true;
        m_settings.DisableStoreOnExit();
        QVERIFY(QFile::exists(CUserData::ArchiverPath()));
    }
    void init() {
        m_told.clear();
        m_data = std::make_unique<CUserData>(m_settings);
        CUserData::Hooks hooks;
        hooks.currentEntry = [this] { return m_entry; };
        hooks.releaseChannel = [this] { ++m_released; };
        hooks.tell = [this](const QString& t) { m_told << t; };
        hooks.ask = [](const QString&) { return false; };
        m_data->SetHooks(hooks);
        RemoveFolderContents(CUserData::TempFolder(), false);
    }

    void saveAndLoadBesideTheFile() {
        m_entry = m_media.filePath(QString::fromUtf8("第 1 课.mp3"));
        Write(m_entry, "mp3");
        m_data->LoadUserData(QString());
        QCOMPARE(Read(CUserData::TempFolder() + "/Info.ini"), m_entry.toUtf8());
        Work("1!412\r\n");
        QVERIFY(m_data->SaveUserData());
        const QString kud = m_media.filePath(QString::fromUtf8("第 1 课.kud"));
        QCOMPARE(Members(kud), (QStringList{"Info.ini", "sellist.ist"}));
        QVERIFY(QDir(CUserData::TempFolder()).isEmpty());
        // Nothing changed: no archive is written, the old one stays as it is.
        const QDateTime before = QFileInfo(kud).lastModified();
        m_data->LoadUserData(QString());
        QCOMPARE(Read(CUserData::TempFolder() + "/sellist.ist"), QByteArray("1!412\r\n"));
        QTest::qWait(20);
        QVERIFY(!m_data->SaveUserData());
        QCOMPARE(QFileInfo(kud).lastModified(), before);
        QVERIFY(m_told.isEmpty());
    }

    void missingArchiverLosesNothing() {
        m_entry = m_media.filePath("first.mp3");
        Write(m_entry, "mp3");
        m_data->LoadUserData(QString());
        Work("7!8\r\n");
        qputenv("KESTROVA_PACK", "/nonexistent/kestrova-pack");
        QVERIFY(!m_data->SaveUserData());
        qunsetenv("KESTROVA_PACK");
        QCOMPARE(m_told.size(), 1);
        QVERIFY(m_told[0].contains("first.mp3"));
        QVERIFY(!QFile::exists(m_media.filePath("first.kud")));
        // The next successful save packs the waiting work into its own file.
        qputenv("KESTROVA_PACK", qgetenv("KESTROVA_PACK_REAL"));
        m_entry = m_media.filePath("second.mp3");
        Write(m_entry, "mp3");
        m_data->LoadUserData(QString());
        Work("1!2\r\n");
        QVERIFY(m_data->SaveUserData());
        QCOMPARE(Members(m_media.filePath("first.kud")), (QStringList{"Info.ini", "sellist.ist"}));
        QCOMPARE(Members(m_media.filePath("second.kud")), (QStringList{"Info.ini", "sellist.ist"}));
    }

    void crashLeftoversArePackedAtStart() {
        const QString media = m_media.filePath("crashed.mp3");
        Write(media, "mp3");
        Write(CUserData::TempFolder() + "/Info.ini", media.toUtf8());
        Write(CUserData::TempFolder() + "/hardSent.dat", "1!100!200!1!x\r\n");
        m_data->Recover();
        QCOMPARE(Members(m_media.filePath("crashed.kud")),
                 (QStringList{"Info.ini", "hardSent.dat"}));
        QVERIFY(QDir(CUserData::TempFolder()).isEmpty());
    }

    void unwritableFolderUsesTheUserFolder() {
        m_entry = "/proc/kestrova-lesson.mp3"; // a folder no one writes into
        m_data->LoadUserData(QString());
        Work("5!6\r\n");
        QVERIFY(m_data->SaveUserData());
        const QString archive = m_data->ArchiveFor(m_entry);
        QVERIFY(archive.startsWith(DataFolder() + "UserData/"));
        QVERIFY(QFile::exists(archive));
        QCOMPARE(m_told.size(), 1); // told once where it went
        m_data->LoadUserData(QString());
        QCOMPARE(Read(CUserData::TempFolder() + "/sellist.ist"), QByteArray("5!6\r\n"));
        Work("5!7\r\n");
        QVERIFY(m_data->SaveUserData());
        QCOMPARE(m_told.size(), 1);
    }

    void twoFilesOfOneName() {
        const QString mp3 = m_media.filePath("lesson1.mp3"), wav = m_media.filePath("lesson1.wav");
        Write(mp3, "mp3");
        Write(wav, "wav");
        m_entry = mp3;
        m_data->LoadUserData(QString());
        Work("1!100\r\n");
        QVERIFY(m_data->SaveUserData());
        m_entry = wav;
        m_data->LoadUserData(QString());
        QVERIFY(!QFile::exists(CUserData::TempFolder() + "/sellist.ist")); // not the mp3's work
        QCOMPARE(m_told.size(), 1);
        Work("2!200\r\n");
        QVERIFY(m_data->SaveUserData());
        QVERIFY(QFile::exists(m_media.filePath("lesson1.wav.kud")));
        m_entry = mp3;
        m_data->LoadUserData(QString());
        QCOMPARE(Read(CUserData::TempFolder() + "/sellist.ist"), QByteArray("1!100\r\n"));
    }

    void coursewareExportAndOpen() {
        m_entry = m_media.filePath("course.mp3");
        Write(m_entry, "the media");
        Write(m_media.filePath("course.lrc"), "[00:01.00]hi\r\n");
        m_data->LoadUserData(QString());
        Work("1!2\r\n");
        const QString kcw = m_media.filePath("course.kcw");
        QVERIFY(m_data->Export(kcw));
        QCOMPARE(Members(kcw), (QStringList{"Info.ini", "audio.dat", "audio.lrc", "sellist.ist"}));
        // The copies are not left for the file's own user data.
        QVERIFY(!QFile::exists(CUserData::TempFolder() + "/audio.dat"));
        QVERIFY(QFile::exists(CUserData::TempFolder() + "/sellist.ist"));
        // Opening the courseware plays its own copy; its work goes back into it.
        m_entry = kcw;
        QCOMPARE(m_data->LoadUserData(kcw), CUserData::TempFolder() + "/audio.dat");
        QCOMPARE(Read(CUserData::TempFolder() + "/audio.dat"), QByteArray("the media"));
        Work("9!9\r\n");
        QVERIFY(m_data->SaveUserData());
        QVERIFY(!QFile::exists(m_media.filePath("course.kud")));
        QCOMPARE(Members(kcw).size(), 4);
    }

    void hostileArchiveWritesNothingOutside() {
        const QString evil = m_media.filePath("evil.kcw");
        archive* a = archive_write_new();
        archive_write_set_format_zip(a);
        archive_write_open_filename(a, evil.toUtf8().constData());
        auto add = [&](const char* name, int type, const char* data) {
            archive_entry* e = archive_entry_new();
            archive_entry_set_pathname(e, name);
            archive_entry_set_filetype(e, unsigned(type));
            archive_entry_set_perm(e, 0644);
            if (type == AE_IFLNK) archive_entry_set_symlink(e, "/etc/passwd");
            archive_entry_set_size(e, type == AE_IFREG ? la_int64_t(strlen(data)) : 0);
            archive_write_header(a, e);
            if (type == AE_IFREG) archive_write_data(a, data, strlen(data));
            archive_entry_free(e);
        };
        add("../../escaped.txt", AE_IFREG, "x");
        add((m_media.path() + "/absolute.txt").toUtf8().constData(), AE_IFREG, "x");
        add("sub/inner.txt", AE_IFREG, "x");
        add("C:evil.txt", AE_IFREG, "x");
        add("link", AE_IFLNK, "");
        add("fine.txt", AE_IFREG, "fine");
        archive_write_close(a);
        archive_write_free(a);
        QTemporaryDir out;
        QString error;
        QCOMPARE(m_data->RunArchiver({"e", "-O+", evil, out.path()}, &error), 2);
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::System | QDir::Hidden),
                 QStringList{"fine.txt"});
        QVERIFY(!QFile::exists(m_media.filePath("absolute.txt")));
        QVERIFY(!QFile::exists(QDir(out.path()).absoluteFilePath("../../escaped.txt")));
        QVERIFY(error.contains("escaped"));
    }

    void archiveBombIsRefused() {
        // 100 MB of zeros deflate to a few hundred KB.
        const QString bomb = m_media.filePath("bomb.kcw");
        archive* a = archive_write_new();
        archive_write_set_format_zip(a);
        archive_write_open_filename(a, bomb.toUtf8().constData());
        archive_entry* e = archive_entry_new();
        archive_entry_set_pathname(e, "zeros.dat");
        archive_entry_set_filetype(e, AE_IFREG);
        archive_entry_set_perm(e, 0644);
        archive_entry_set_size(e, 100 << 20);
        archive_write_header(a, e);
        archive_entry_free(e);
        const QByteArray zeros(1 << 20, '\0');
        for (int i = 0; i < 100; ++i)
            archive_write_data(a, zeros.constData(), size_t(zeros.size()));
        archive_write_close(a);
        archive_write_free(a);
        QVERIFY(QFileInfo(bomb).size() < (2 << 20));
        QTemporaryDir out;
        QString error;
        const int rc = m_data->RunArchiver({"e", "-O+", bomb, out.path()}, &error);
        QVERIFY(rc != 0 && rc != 2);
        QVERIFY(error.contains("too much"));
        QVERIFY(QDir(out.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }
};

QTEST_MAIN(TestUserData)
#include "tst_userdata.moc"
