// kestrova-pack on its own: names in any language whatever the caller's locale, members that
// cannot be written, the member limit and the short report of skipped members, extraction
// that changes nothing when it fails, an archive flushed to the disk before and after it
// replaces the old one, and no leftovers of a killed run in an archive.
#include "support/Fixtures.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <archive.h>
#include <archive_entry.h>

using namespace kestrova::test;

namespace {

struct Member {
    QByteArray name;
    QByteArray data;
    int type = AE_IFREG;
};

// A ZIP archive of the members, written by the library directly (so that it may hold what
// kestrova-pack itself would never write). Members are stored, not compressed.
void MakeArchive(const QString& path, const QList<Member>& members) {
    archive* a = archive_write_new();
    archive_write_set_format_zip(a);
    archive_write_zip_set_compression_store(a);
    QVERIFY(archive_write_open_filename(a, QFile::encodeName(path).constData()) == ARCHIVE_OK);
    for (const Member& m : members) {
        archive_entry* e = archive_entry_new();
        archive_entry_set_pathname_utf8(e, m.name.constData());
        archive_entry_set_filetype(e, unsigned(m.type));
        archive_entry_set_perm(e, 0644);
        archive_entry_set_size(e, m.type == AE_IFREG ? la_int64_t(m.data.size()) : 0);
        archive_write_header(a, e);
        if (m.type == AE_IFREG) archive_write_data(a, m.data.constData(), size_t(m.data.size()));
        archive_entry_free(e);
    }
    archive_write_close(a);
    archive_write_free(a);
}

struct Run {
    int code = -1;
    QString err;
};

// kestrova-pack as the program runs it, here in the C locale, the one a desktop session
// without a language setting gives.
Run Pack(const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("LANG");
    env.remove("LANGUAGE");
    env.insert("LC_ALL", "C");
    p.setProcessEnvironment(env);
    p.start(qEnvironmentVariable("KESTROVA_PACK_REAL"), args);
    if (!p.waitForFinished(120000)) return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardError())};
}

QStringList Entries(const QString& folder) {
    QStringList names =
        QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    names.sort();
    return names;
}

} // namespace

Q_DECLARE_METATYPE(Member)

class TestPack : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(QFile::exists(qEnvironmentVariable("KESTROVA_PACK_REAL"))); }

    // Names in any language come out as they went in; a name this file system cannot hold
    // is skipped and reported, and the rest is extracted.
    void namesWhateverTheLocale_data() {
        QTest::addColumn<QList<Member>>("members");
        QTest::addColumn<int>("code");
        QTest::addColumn<QStringList>("extracted");
        QTest::addColumn<QString>("reported");
        const QByteArray chinese = QString::fromUtf8("课文笔记.rtf").toUtf8();
        const QByteArray longName = QByteArray(300, 'n') + ".txt";
        QTest::newRow("Chinese name")
            << QList<Member>{{chinese, "notes"}, {"a.txt", "a"}} << 0
            << QStringList{"a.txt", QString::fromUtf8("课文笔记.rtf")} << QString();
        QTest::newRow("accented name")
            << QList<Member>{{QString::fromUtf8("leçon été.txt").toUtf8(), "x"}} << 0
            << QStringList{QString::fromUtf8("leçon été.txt")} << QString();
        QTest::newRow("name too long for the file system")
            << QList<Member>{{"a.txt", "a"}, {longName, "x"}, {chinese, "notes"}} << 2
            << QStringList{"a.txt", QString::fromUtf8("课文笔记.rtf")} << "nnnnnnnn";
    }
    void namesWhateverTheLocale() {
        QFETCH(QList<Member>, members);
        QFETCH(int, code);
        QFETCH(QStringList, extracted);
        QFETCH(QString, reported);
        QTemporaryDir dir;
        const QString archive = dir.filePath("lesson.kud");
        MakeArchive(archive, members);
        const QString out = dir.filePath("Temp");
        QDir().mkpath(out);
        const Run run = Pack({"e", "-O+", archive, out});
        QCOMPARE(run.code, code);
        QCOMPARE(Entries(out), extracted);
        if (!reported.isEmpty()) QVERIFY2(run.err.contains(reported), qPrintable(run.err));
        // Packed again, the names survive the round trip.
        const QString again = dir.filePath("again.kud");
        QCOMPARE(Pack({"a", "-O+", again, out}).code, 0);
        const QString back = dir.filePath("back");
        QDir().mkpath(back);
        QCOMPARE(Pack({"e", "-O+", again, back}).code, 0);
        QCOMPARE(Entries(back), extracted);
    }

    // Every member counts toward the limit, skipped ones too, and the report of skipped
    // members names how many and only the first few.
    void skippedMembersCountAndAreReportedShortly_data() {
        QTest::addColumn<int>("unsafe");
        QTest::addColumn<int>("code");
        QTest::addColumn<QStringList>("extracted");
        QTest::newRow("a hundred unsafe names") << 100 << 2 << QStringList{"fine.txt", "old.txt"};
        QTest::newRow("over the limit in unsafe names") << 5000 << 1 << QStringList{"old.txt"};
    }
    void skippedMembersCountAndAreReportedShortly() {
        QFETCH(int, unsafe);
        QFETCH(int, code);
        QFETCH(QStringList, extracted);
        QTemporaryDir dir;
        QList<Member> members;
        for (int i = 0; i < unsafe; ++i)
            members.append(Member{"../escape" + QByteArray::number(i) + ".txt", "x"});
        members.append(Member{"fine.txt", "fine"});
        const QString archive = dir.filePath("hostile.kcw");
        MakeArchive(archive, members);
        const QString out = dir.filePath("Temp");
        QDir().mkpath(out);
        WriteFileBytes(out + "/old.txt", "old");
        const Run run = Pack({"e", "-O+", archive, out});
        QCOMPARE(run.code, code);
        QVERIFY2(run.err.size() < 1000, qPrintable(run.err.left(1000)));
        if (code == 2) {
            QVERIFY(run.err.contains(QString("skipped %1 members").arg(unsafe)));
            QVERIFY(run.err.contains("../escape0.txt"));
            QVERIFY(run.err.contains(QString("and %1 more").arg(unsafe - 5)));
        } else {
            QVERIFY(run.err.contains("too many members"));
        }
        QCOMPARE(Entries(out), extracted);
    }

    // An archive that fails half-way (a damaged member after a good one) changes nothing in
    // the folder: the good member does not replace the file there.
    void failedExtractionLeavesTheFolderAsItWas() {
        QTemporaryDir dir;
        const QString archive = dir.filePath("damaged.kud");
        MakeArchive(archive, {{"sellist.ist", "new work"}, {"Note.rtf", QByteArray(4000, 'B')}});
        QByteArray bytes = ReadFileBytes(archive);
        const qsizetype at = bytes.indexOf(QByteArray(4000, 'B'));
        QVERIFY(at > 0);
        bytes[at + 2000] = 'C'; // the stored member no longer matches its checksum
        WriteFileBytes(archive, bytes);
        const QString out = dir.filePath("Temp");
        QDir().mkpath(out);
        WriteFileBytes(out + "/sellist.ist", "work before");
        const Run run = Pack({"e", "-O+", archive, out});
        QCOMPARE(run.code, 1);
        QCOMPARE(Entries(out), QStringList{"sellist.ist"});
        QCOMPARE(ReadFileBytes(out + "/sellist.ist"), QByteArray("work before"));
    }

    // The new archive reaches the disk before it takes the old one's name, and the rename
    // before the archiver ends (the caller empties the folder just packed): a power loss
    // leaves the old archive or the new one, never an empty one.
    void packIsFlushedBeforeAndAfterTheRename() {
        QTemporaryDir dir;
        const QString folder = dir.filePath("Temp");
        QDir().mkpath(folder);
        WriteFileBytes(folder + "/sellist.ist", "work");
        const QString archive = dir.filePath("lesson.kud");
        const QString log = dir.filePath("sync.log");
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LD_PRELOAD", KESTROVA_SYNC_PROBE);
        env.insert("KESTROVA_SYNC_LOG", log);
        // The probe comes before the sanitizer runtime in the preload list.
        env.insert("ASAN_OPTIONS", "detect_leaks=0:verify_asan_link_order=0");
        p.setProcessEnvironment(env);
        p.start(qEnvironmentVariable("KESTROVA_PACK_REAL"), {"a", "-O+", archive, folder});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 0);
        const QString tmp = archive + ".kestrova-tmp";
        const QStringList lines =
            QString::fromUtf8(ReadFileBytes(log)).split('\n', Qt::SkipEmptyParts);
        const qsizetype flushed = lines.indexOf("fsync " + tmp);
        const qsizetype renamed = lines.indexOf("rename " + tmp + " " + archive);
        const qsizetype folderFlushed = lines.lastIndexOf("fsync " + dir.path());
        QVERIFY2(flushed >= 0 && renamed > flushed && folderFlushed > renamed,
                 qPrintable(lines.join(" | ")));
    }

    // A killed run leaves temporary files: they never become members of an archive, and the
    // next run clears them away.
    void leftoversOfAKilledRunAreNotPacked() {
        QTemporaryDir dir;
        const QString folder = dir.filePath("Temp");
        QDir().mkpath(folder + "/.kestrova-extract-AbC123");
        WriteFileBytes(folder + "/sellist.ist", "work");
        WriteFileBytes(folder + "/Note.rtf.kestrova-tmp", "half a file");
        WriteFileBytes(folder + "/.kestrova-extract-AbC123/Note.rtf", "half a file");
        const QString archive = dir.filePath("lesson.kud");
        WriteFileBytes(archive + ".kestrova-tmp", "half an archive");
        QCOMPARE(Pack({"a", "-O+", archive, folder}).code, 0);
        QVERIFY(!QFile::exists(archive + ".kestrova-tmp"));
        QCOMPARE(Entries(dir.path()), (QStringList{"Temp", "lesson.kud"}));
        const QString out = dir.filePath("out");
        QDir().mkpath(out);
        QCOMPARE(Pack({"e", "-O+", archive, out}).code, 0);
        QCOMPARE(Entries(out), QStringList{"sellist.ist"});
        // Extracting into the folder of the killed run clears its leftovers.
        QCOMPARE(Pack({"e", "-O+", archive, folder}).code, 0);
        QCOMPARE(Entries(folder), QStringList{"sellist.ist"});
    }
};

QTEST_MAIN(TestPack)
#include "tst_pack.moc"
