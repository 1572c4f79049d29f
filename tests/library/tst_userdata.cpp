// The learner's work kept per media file: packing, unpacking, courseware, and every way of
// not losing it (missing archiver, crash, unwritable folder, two files of one name,
// hostile archives).
#include "common/AppSetting.h"
#include "common/Util.h"
#include "library/UserData.h"
#include "support/Fixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <archive.h>
#include <archive_entry.h>
#include <functional>
#include <optional>
#include <unistd.h>

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
// A mount for the length of a test, taken down however the test ends (root only).
struct Mount {
    QString where;
    bool mounted = false;
    // A read-only view of `folder` over itself.
    static std::unique_ptr<Mount> ReadOnly(const QString& folder) {
        auto m = std::make_unique<Mount>();
        m->where = folder;
        m->mounted = QProcess::execute("mount", {"--bind", folder, folder}) == 0;
        if (m->mounted && QProcess::execute("mount", {"-o", "remount,bind,ro", folder}) != 0)
            return nullptr; // the destructor takes the bind down
        return m->mounted ? std::move(m) : nullptr;
    }
    // A small tmpfs on `folder`.
    static std::unique_ptr<Mount> Tmpfs(const QString& folder, const QString& size) {
        auto m = std::make_unique<Mount>();
        m->where = folder;
        m->mounted =
            QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=" + size, "tmpfs", folder}) == 0;
        return m->mounted ? std::move(m) : nullptr;
    }
    ~Mount() {
        if (mounted) QProcess::execute("umount", {where});
    }
};
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
    QTemporaryDir m_bin;
    std::unique_ptr<test::ScopedEnv> m_homeEnv, m_packEnv;
    std::optional<test::ScopedEnv> m_fakePack; // a test's stand-in archiver, until cleanup()
    std::optional<test::ScopedMessages> m_messages; // what the learner is told, per test
    int m_released = 0;
    std::function<bool(const QString&)> m_ask;
    std::function<bool()> m_writePieces, m_saveNotes;
    std::unique_ptr<CUserData> m_data;

    // An archiver standing in for kestrova-pack: a shell script with the given body ($1 the
    // command, $3 the archive, $4 the folder).
    void FakeArchiver(const QByteArray& body) {
        static int made = 0;
        const QString path = m_bin.filePath(QString("pack%1.sh").arg(++made));
        Write(path, "#!/bin/sh\n" + body + "\n");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_fakePack.emplace("KESTROVA_PACK", path.toUtf8());
    }
    // Every message of the test so far, told through the prompts or the message handler.
    QStringList& Told() { return m_messages->texts; }
    QString TempFile(const QString& name) { return CUserData::TempFolder() + '/' + name; }
    void SetEntry(const QString& entry) {
        m_entry = entry;
        m_data->SetCurrentEntry(entry);
    }

    // The pieces the rest of the program would write: notes at every save, the others when
    // there is work; each fails when the test says so.
    struct Piece : IWorkPiece {
        std::function<bool()>* write;
        explicit Piece(std::function<bool()>* w) : write(w) {}
        bool WritePiece() override { return !*write || (*write)(); }
    };
    Piece m_notes{&m_saveNotes};
    Piece m_pieces{&m_writePieces};
    test::TestPrompts m_prompts;

    // A lesson's work as the pieces' owners would write it.
    void Work(const QByteArray& sentences) {
        Write(CUserData::TempFolder() + "/sellist.ist", sentences);
        SetUserDataModified(true);
    }

private Q_SLOTS:
    void initTestCase() {
        m_homeEnv = std::make_unique<test::ScopedEnv>("KESTROVA_HOME", m_home.path().toUtf8());
        m_packEnv =
            std::make_unique<test::ScopedEnv>("KESTROVA_PACK", qgetenv("KESTROVA_PACK_REAL"));
        m_settings.AutoSaveCourseware = true;
        m_settings.DisableStoreOnExit();
        QVERIFY(QFile::exists(CUserData::ArchiverPath()));
    }
    void cleanupTestCase() {
        m_packEnv.reset();
        m_homeEnv.reset();
    }
    void init() {
        m_settings.AutoSaveCourseware = true;
        m_ask = nullptr;
        m_writePieces = m_saveNotes = nullptr;
        m_data = std::make_unique<CUserData>(m_settings);
        m_data->SetCurrentEntry(m_entry);
        m_data->AddPiece(&m_notes, CUserData::Phase::Always);
        m_data->AddPiece(&m_pieces, CUserData::Phase::WhenModified);
        m_prompts.answer = [this](const QString& q) { return m_ask && m_ask(q); };
        m_data->SetPrompts(&m_prompts);
        connect(m_data.get(), &CUserData::releaseRequested, this, [this] { ++m_released; });
        RemoveFolderContents(CUserData::TempFolder(), false);
        m_messages.emplace();
        m_prompts.alsoInto = &m_messages->texts;
    }
    void cleanup() {
        m_prompts.alsoInto = nullptr;
        m_messages.reset();
        m_fakePack.reset();
    }

    void saveAndLoadBesideTheFile() {
        SetEntry(m_media.filePath(QString::fromUtf8("第 1 课.mp3")));
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
        QVERIFY(Told().isEmpty());
    }

    void missingArchiverLosesNothing() {
        SetEntry(m_media.filePath("first.mp3"));
        Write(m_entry, "mp3");
        m_data->LoadUserData(QString());
        Work("7!8\r\n");
        {
            test::ScopedEnv missing("KESTROVA_PACK", "/nonexistent/kestrova-pack");
            QVERIFY(!m_data->SaveUserData());
        }
        QCOMPARE(Told().size(), 1);
        QVERIFY(Told()[0].contains("first.mp3"));
        QVERIFY(!QFile::exists(m_media.filePath("first.kud")));
        // The next successful save packs the waiting work into its own file.
        SetEntry(m_media.filePath("second.mp3"));
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
        SetEntry("/proc/kestrova-lesson.mp3"); // a folder no one writes into
        m_data->LoadUserData(QString());
        Work("5!6\r\n");
        QVERIFY(m_data->SaveUserData());
        const QString archive = m_data->ArchiveFor(m_entry);
        QVERIFY(archive.startsWith(DataFolder() + "UserData/"));
        QVERIFY(QFile::exists(archive));
        QCOMPARE(Told().size(), 1); // told once where it went
        m_data->LoadUserData(QString());
        QCOMPARE(Read(CUserData::TempFolder() + "/sellist.ist"), QByteArray("5!6\r\n"));
        Work("5!7\r\n");
        QVERIFY(m_data->SaveUserData());
        QCOMPARE(Told().size(), 1);
    }

    void twoFilesOfOneName() {
        const QString mp3 = m_media.filePath("lesson1.mp3"), wav = m_media.filePath("lesson1.wav");
        Write(mp3, "mp3");
        Write(wav, "wav");
        SetEntry(mp3);
        m_data->LoadUserData(QString());
        Work("1!100\r\n");
        QVERIFY(m_data->SaveUserData());
        SetEntry(wav);
        m_data->LoadUserData(QString());
        QVERIFY(!QFile::exists(CUserData::TempFolder() + "/sellist.ist")); // not the mp3's work
        QCOMPARE(Told().size(), 1);
        Work("2!200\r\n");
        QVERIFY(m_data->SaveUserData());
        QVERIFY(QFile::exists(m_media.filePath("lesson1.wav.kud")));
        SetEntry(mp3);
        m_data->LoadUserData(QString());
        QCOMPARE(Read(CUserData::TempFolder() + "/sellist.ist"), QByteArray("1!100\r\n"));
    }

    void coursewareExportAndOpen() {
        SetEntry(m_media.filePath("course.mp3"));
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
        // The export did not save the file's own work: leaving the file packs it beside it.
        QVERIFY(m_data->SaveUserData());
        const QString kud = m_media.filePath("course.kud");
        QCOMPARE(Members(kud), (QStringList{"Info.ini", "sellist.ist"}));
        const QDateTime packed = QFileInfo(kud).lastModified();
        // Opening the courseware plays its own copy; its work goes back into it.
        SetEntry(kcw);
        QCOMPARE(m_data->LoadUserData(kcw), CUserData::TempFolder() + "/audio.dat");
        QCOMPARE(Read(CUserData::TempFolder() + "/audio.dat"), QByteArray("the media"));
        Work("9!9\r\n");
        QVERIFY(m_data->SaveUserData());
        QCOMPARE(QFileInfo(kud).lastModified(), packed); // no course.kud made for the .kcw
        QCOMPARE(Members(kcw).size(), 4);
    }

    // A save that failed (full disk) leaves its work waiting; when the file opens again the
    // learner sees that work, and what they make next is what the archive ends up holding.
    void pendingWorkIsTakenInWhenTheFileOpens() {
        SetEntry(m_media.filePath("pending.mp3"));
        Write(m_entry, "mp3");
        m_data->LoadUserData(QString());
        Work("W0\r\n");
        QVERIFY(m_data->SaveUserData());
        m_data->LoadUserData(QString());
        Work("W1\r\n");
        {
            test::ScopedEnv missing("KESTROVA_PACK", "/nonexistent/kestrova-pack");
            QVERIFY(!m_data->SaveUserData());
        }
        m_data->LoadUserData(QString());
        QCOMPARE(Read(TempFile("sellist.ist")), QByteArray("W1\r\n"));
        QVERIFY(UserDataModified()); // not in the archive yet
        Work("W2\r\n");
        QVERIFY(m_data->SaveUserData());
        m_data->LoadUserData(QString());
        QCOMPARE(Read(TempFile("sellist.ist")), QByteArray("W2\r\n"));
        // Taken in while nothing else changed, it is still packed at the next save.
        m_data->LoadUserData(QString());
        Work("W3\r\n");
        {
            test::ScopedEnv missing("KESTROVA_PACK", "/nonexistent/kestrova-pack");
            QVERIFY(!m_data->SaveUserData());
        }
        m_data->LoadUserData(QString());
        QVERIFY(m_data->SaveUserData());
        QVERIFY(QDir(DataFolder() + "Pending").isEmpty());
        m_data->LoadUserData(QString());
        QCOMPARE(Read(TempFile("sellist.ist")), QByteArray("W3\r\n"));
    }

    // A piece that cannot be written: the save is not a success, the learner hears of it, the
    // rest is packed, and the previous good copy of the piece is what the archive keeps.
    void pieceThatFailsToWriteIsNoSuccess_data() {
        QTest::addColumn<bool>("notesFail");
        QTest::newRow("sentence list") << false;
        QTest::newRow("notes") << true;
    }
    void pieceThatFailsToWriteIsNoSuccess() {
        QFETCH(bool, notesFail);
        SetEntry(m_media.filePath(QString("piece-%1.mp3").arg(notesFail)));
        Write(m_entry, "mp3");
        m_data->LoadUserData(QString());
        Work("good\r\n");
        QVERIFY(m_data->SaveUserData());
        m_data->LoadUserData(QString());
        SetUserDataModified(!notesFail); // unwritten notes are unsaved work on their own
        (notesFail ? m_saveNotes : m_writePieces) = [] { return false; };
        const int released = m_released;
        QVERIFY(!m_data->SaveUserData()); // "leave the file anyway?" No
        // What failed lives only in the program: the file stays open and its work unsaved.
        QVERIFY(m_data->WorkAtRisk() && m_data->LearnerStays());
        QVERIFY(UserDataModified());
        QCOMPARE(m_released, released);
        // Leaving all the same packs what could be written.
        m_ask = [](const QString& q) { return q.contains(QString::fromUtf8("仍要离开")); };
        QVERIFY(!m_data->SaveUserData());
        QVERIFY(!m_data->WorkAtRisk());
        QCOMPARE(m_released, released + 1);
        m_ask = nullptr;
        m_data->LoadUserData(QString());
        QCOMPARE(Read(TempFile("sellist.ist")), QByteArray("good\r\n"));
        QVERIFY(QFileInfo(m_data->ArchiveFor(m_entry)).lastModified().isValid());
    }

    // A real full data folder (root only): nothing in Temp is truncated, the learner is told
    // once which file failed, and the work is packed once there is room again.
    void fullDataFolderLosesNothing() {
        if (geteuid() != 0) QSKIP("needs root for a tmpfs");
        QTemporaryDir home;
        auto disk = Mount::Tmpfs(home.path(), "256k");
        if (!disk) QSKIP("tmpfs cannot be mounted here");
        test::ScopedEnv fullHome("KESTROVA_HOME", home.path().toUtf8());
        SetEntry(m_media.filePath("full.mp3"));
        Write(m_entry, "mp3");
        m_data->LoadUserData(QString());
        Work("W0\r\n");
        {
            QFile filler(home.filePath("filler")); // the disk is full from here on
            QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
            const QByteArray block(4096, 'x');
            while (filler.write(block) == block.size()) {
            }
        }
        m_writePieces = [this] {
            const QString path = TempFile("sellist.ist");
            return CheckWrite(path, WriteWholeFile(path, QByteArray(64 * 1024, 's')));
        };
        QVERIFY(!m_data->SaveUserData());
        QCOMPARE(Told().filter("sellist.ist").size(), 1);
        QFile::remove(home.filePath("filler"));
        m_writePieces = nullptr;
        m_data->LoadUserData(QString());
        QCOMPARE(Read(TempFile("sellist.ist")), QByteArray("W0\r\n"));
        QCOMPARE(Read(TempFile("Info.ini")), m_entry.toUtf8());
        RemoveFolderContents(home.path(), false);
    }

    // Work that can be neither packed nor set aside stays in Temp, and goes to its own file
    // before another file's work is unpacked there (root only: a read-only Pending folder).
    void workThatCannotBeSetAsideStaysInTemp() {
        if (geteuid() != 0) QSKIP("needs root for a read-only mount");
        const QString pending = DataFolder() + "Pending";
        QDir().mkpath(pending);
        auto ro = Mount::ReadOnly(pending);
        if (!ro) QSKIP("cannot mount read-only here");
        SetEntry(m_media.filePath("stuck.mp3"));
        Write(m_entry, "mp3");
        m_data->LoadUserData(QString());
        Work("stuck\r\n");
        {
            test::ScopedEnv missing("KESTROVA_PACK", "/nonexistent/kestrova-pack");
            QVERIFY(!m_data->SaveUserData());
        }
        QCOMPARE(Read(TempFile("sellist.ist")), QByteArray("stuck\r\n"));
        ro.reset();
        SetEntry(m_media.filePath("next.mp3"));
        Write(m_entry, "mp3");
        m_data->LoadUserData(QString());
        QVERIFY(!QFile::exists(TempFile("sellist.ist"))); // not the next file's work
        QCOMPARE(Members(m_media.filePath("stuck.kud")), (QStringList{"Info.ini", "sellist.ist"}));
        SetEntry(m_media.filePath("stuck.mp3"));
        m_data->LoadUserData(QString());
        QCOMPARE(Read(TempFile("sellist.ist")), QByteArray("stuck\r\n"));
    }

    // Work that can neither be packed nor set aside (the archiver fails, and a file stands
    // where the pending folder would go) stays in Temp: the next file does not open over it,
    // and its own save does not write over it, until the work is safe.
    void workAtRiskIsNeverOverwritten() {
        SetEntry(m_media.filePath("risk.mp3"));
        Write(m_entry, "mp3");
        m_data->LoadUserData(QString());
        Work("at risk\r\n");
        const QString pending = DataFolder() + "Pending";
        QDir(pending).removeRecursively();
        Write(pending, "in the way");
        auto restore = qScopeGuard([&] { QFile::remove(pending); });
        std::optional<test::ScopedEnv> missing{std::in_place, "KESTROVA_PACK",
                                               "/nonexistent/kestrova-pack"};
        const int released = m_released;
        QVERIFY(!m_data->SaveUserData());
        QVERIFY(m_data->WorkAtRisk());
        QCOMPARE(m_released, released); // the file stays open, its channel with it
        QCOMPARE(Read(TempFile("sellist.ist")), QByteArray("at risk\r\n"));
        // Another file opens all the same (the program keeps the first one open; see the
        // control bar): its work is not loaded over Temp, and its save writes nothing there.
        SetEntry(m_media.filePath("other.mp3"));
        Write(m_entry, "mp3");
        m_data->LoadUserData(QString());
        QVERIFY(m_data->WorkAtRisk());
        SetUserDataModified(true);
        QVERIFY(!m_data->SaveUserData());
        QCOMPARE(Read(TempFile("sellist.ist")), QByteArray("at risk\r\n"));
        // Once the archiver works again the work goes to its own file.
        restore.dismiss();
        QFile::remove(pending);
        missing.reset();
        m_data->LoadUserData(QString());
        QVERIFY(!m_data->WorkAtRisk());
        QCOMPARE(Members(m_media.filePath("risk.kud")), (QStringList{"Info.ini", "sellist.ist"}));
    }

    // A full lesson folder (root only: a small tmpfs): the work goes to the per-user folder
    // and comes back from there.
    void fullLessonFolderSavesInTheUserFolder() {
        if (geteuid() != 0) QSKIP("needs root for a tmpfs");
        QTemporaryDir lessons;
        auto disk = Mount::Tmpfs(lessons.path(), "64k");
        if (!disk) QSKIP("tmpfs cannot be mounted here");
        SetEntry(lessons.filePath("c.mp3"));
        Write(m_entry, "mp3");
        {
            QFile filler(lessons.filePath("filler"));
            QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
            const QByteArray block(4096, 'x');
            while (filler.write(block) == block.size()) {
            }
        }
        m_data->LoadUserData(QString());
        Work("kept\r\n");
        QVERIFY(m_data->SaveUserData());
        QCOMPARE(Told().size(), 1); // told where it went
        QVERIFY(!QFile::exists(lessons.filePath("c.kud")));
        m_data->LoadUserData(QString());
        QCOMPARE(Read(TempFile("sellist.ist")), QByteArray("kept\r\n"));
        RemoveFolderContents(lessons.path(), false);
    }

    // A piece that keeps failing is told once, with its file; after a good write a new
    // failure is told again.
    void failedWriteIsToldOnce() {
        const QString path = m_media.filePath("piece.dat");
        const bool results[] = {false, false, true, false, false};
        const int toldAfter[] = {1, 1, 1, 2, 2};
        for (size_t i = 0; i < std::size(results); ++i) {
            QCOMPARE(CheckWrite(path, results[i], "why"), results[i]);
            QCOMPARE(Told().size(), toldAfter[i]);
        }
        QVERIFY(Told()[0].contains(QDir::toNativeSeparators(path)) && Told()[0].contains("why"));
        QVERIFY(CheckWrite(path, true));
    }

    // A data folder that cannot be written is said at start (root only: a read-only mount).
    void readOnlyDataFolderIsReported() {
        QVERIFY(m_data->CheckDataFolder());
        QVERIFY(Told().isEmpty());
        if (geteuid() != 0) QSKIP("needs root for a read-only mount");
        QTemporaryDir home;
        auto ro = Mount::ReadOnly(home.path());
        if (!ro) QSKIP("cannot mount read-only here");
        bool writable = true;
        {
            test::ScopedEnv readOnlyHome("KESTROVA_HOME", home.path().toUtf8());
            writable = m_data->CheckDataFolder();
        }
        QVERIFY(!writable);
        QCOMPARE(Told().size(), 1);
        QVERIFY(Told()[0].contains(QDir::toNativeSeparators(home.path())));
    }

    // A lesson folder that became read-only: its own .kud is still read, the work goes to the
    // per-user folder, and when the folder is writable again the newer per-user copy is read.
    void readOnlyLessonFolderReadsTheNewer() {
        if (geteuid() != 0) QSKIP("needs root for a read-only mount");
        QTemporaryDir lessons;
        SetEntry(lessons.filePath("b.mp3"));
        Write(m_entry, "mp3");
        m_data->LoadUserData(QString());
        Work("W0\r\n");
        QVERIFY(m_data->SaveUserData());
        {
            auto ro = Mount::ReadOnly(lessons.path());
            if (!ro) QSKIP("cannot mount read-only here");
            m_data->LoadUserData(QString());
            QCOMPARE(Read(TempFile("sellist.ist")), QByteArray("W0\r\n"));
            Work("W1\r\n");
            QVERIFY(m_data->SaveUserData());
            QVERIFY(m_data->ArchiveFor(m_entry).startsWith(DataFolder() + "UserData/b-"));
        }
        m_data->LoadUserData(QString());
        QCOMPARE(Read(TempFile("sellist.ist")), QByteArray("W1\r\n"));
        Work("W2\r\n");
        QVERIFY(m_data->SaveUserData());
        QCOMPARE(m_data->ArchiveFor(m_entry), lessons.filePath("b.kud"));
        m_data->LoadUserData(QString());
        QCOMPARE(Read(TempFile("sellist.ist")), QByteArray("W2\r\n"));
    }

    // An export is a copy: the lesson's own work is still packed beside it afterwards,
    // whether the export ran or the learner said No to it.
    void exportLeavesTheOwnWorkUnsaved_data() {
        QTest::addColumn<bool>("autoSave");
        QTest::addColumn<QList<bool>>("answers"); // to the save questions, in order
        QTest::addColumn<bool>("exported");
        QTest::newRow("saved without asking") << true << QList<bool>{} << true;
        QTest::newRow("export answered yes") << false << QList<bool>{true, true} << true;
        QTest::newRow("export answered no") << false << QList<bool>{false, true} << false;
    }
    void exportLeavesTheOwnWorkUnsaved() {
        QFETCH(bool, autoSave);
        QFETCH(QList<bool>, answers);
        QFETCH(bool, exported);
        SetEntry(m_media.filePath(QString("export-%1.mp3").arg(QTest::currentDataTag())));
        Write(m_entry, "mp3");
        m_data->LoadUserData(QString());
        Work("mine\r\n");
        m_settings.AutoSaveCourseware = autoSave;
        m_ask = [&answers](const QString&) { return !answers.isEmpty() && answers.takeFirst(); };
        const QString kcw = m_media.filePath(QString("export-%1.kcw").arg(QTest::currentDataTag()));
        QCOMPARE(m_data->Export(kcw), exported);
        QCOMPARE(QFile::exists(kcw), exported);
        QVERIFY(UserDataModified());
        QVERIFY(m_data->SaveUserData());
        m_data->LoadUserData(QString());
        QCOMPARE(Read(TempFile("sellist.ist")), QByteArray("mine\r\n"));
    }

    // Unpacking that skips many members tells the learner how many and the first few names,
    // never the whole list.
    void manySkippedMembersGiveAShortMessage() {
        SetEntry(m_media.filePath("skipped.mp3"));
        Write(m_entry, "mp3");
        Write(m_media.filePath("skipped.kud"), "an archive");
        FakeArchiver("printf '1!2\\r\\n' > \"$4/sellist.ist\"\n"
                     "seq 1 20000 | sed 's/^/unsafe member name number /' >&2\nexit 2");
        m_data->LoadUserData(QString());
        QCOMPARE(Read(TempFile("sellist.ist")), QByteArray("1!2\r\n"));
        QCOMPARE(Told().size(), 1);
        QVERIFY2(Told()[0].size() < 1000, qPrintable(QString::number(Told()[0].size())));
        QVERIFY(Told()[0].contains("20000"));
        QVERIFY(Told()[0].contains("unsafe member name number 1"));
    }

    // The archiver's own short report counts every skipped member, not its lines.
    void skippedCountIsTheArchiversCount() {
        const QString report = "kestrova-pack: skipped 4000 members:\n"
                               "  \"../a\": not a plain file name\n"
                               "  \"../b\": not a plain file name\n"
                               "  and 3998 more\n";
        const QString text = CUserData::SkippedSummary(report);
        QVERIFY2(text.startsWith(QString::fromUtf8("4000 项已跳过")), qPrintable(text));
        QVERIFY(text.contains("\"../b\""));
        QVERIFY(text.endsWith(QString::fromUtf8("另有 3998 项")));
        QVERIFY(CUserData::SkippedSummary("kestrova-pack: skipped 1 member:\n  \"x\": too long\n")
                    .startsWith(QString::fromUtf8("1 项已跳过")));
    }

    // A failed extraction (any exit but 0 and 2) leaves Temp as it was: nothing half-extracted
    // in it, and work of this file that was still there stays.
    void failedExtractionLeavesTempAsItWas_data() {
        QTest::addColumn<QByteArray>("ending");
        QTest::addColumn<bool>("leftover");
        QTest::newRow("exit 1") << QByteArray("exit 1") << false;
        QTest::newRow("exit 1 over unsaved work") << QByteArray("exit 1") << true;
        QTest::newRow("exit 3 over unsaved work") << QByteArray("exit 3") << true;
        QTest::newRow("killed over unsaved work") << QByteArray("kill -9 $$") << true;
    }
    void failedExtractionLeavesTempAsItWas() {
        QFETCH(QByteArray, ending);
        QFETCH(bool, leftover);
        SetEntry(m_media.filePath("broken.mp3"));
        Write(m_entry, "mp3");
        Write(m_media.filePath("broken.kud"), "an archive");
        if (leftover) {
            Write(TempFile("Info.ini"), m_entry.toUtf8());
            Write(TempFile("sellist.ist"), "newest\r\n");
        }
        FakeArchiver("echo half > \"$4/sellist.ist\"; echo half > \"$4/hardSent.dat\"\n"
                     "echo 'cannot write a member' >&2\n" +
                     ending);
        m_data->LoadUserData(QString());
        QCOMPARE(Told().size(), 1);
        QVERIFY(Told()[0].contains("broken.mp3"));
        QStringList expected{"Info.ini"};
        if (leftover) expected << "sellist.ist";
        QCOMPARE(QDir(CUserData::TempFolder()).entryList(QDir::Files), expected);
        if (leftover) QCOMPARE(Read(TempFile("sellist.ist")), QByteArray("newest\r\n"));
        QCOMPARE(UserDataModified(), leftover);
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
