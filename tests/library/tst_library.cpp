// The playlist: its file, rows, sorting and removal rules.
#include "audio/MediaInfo.h"
#include "common/AppSetting.h"
#include "library/Bookmarks.h"
#include "library/Playlist.h"
#include "library/PlaylistView.h"
#include "support/Fixtures.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using namespace kestrova;

class TestLibrary : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString Touch(const QString& name, int bytes = 0) {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(QByteArray(bytes, 'x'));
        return path;
    }

private Q_SLOTS:
    void initTestCase() { qputenv("KESTROVA_HOME", m_dir.path().toUtf8()); }

    void playlistFile() {
        const QString a = Touch(QString::fromUtf8("第一课 one.mp3"), 3000);
        const QString b = Touch("b.mp3");
        const QString list = m_dir.filePath("list.m3u");
        QFile f(list);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write((a + "\r\nabc\r\n" + m_dir.filePath("gone.mp3") + "\n" + b + "\r\n#end\r\n" + a)
                    .toUtf8());
        f.close();
        QCOMPARE(static_cast<QStringList>(playlist::Read(list)), (QStringList{a, b}));
        QVERIFY(playlist::Write(list, {b, a}));
        QCOMPARE(static_cast<QStringList>(playlist::Read(list)), (QStringList{b, a}));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(("#EXTM3U\r\n" + a).toUtf8());
        f.close();
        QVERIFY(playlist::Read(list).isEmpty());
        QVERIFY(playlist::Read(m_dir.filePath("new.m3u")).isEmpty());
        QVERIFY(QFile::exists(m_dir.filePath("new.m3u")));
        QCOMPARE(playlist::SizeText(a), QString("2 KB"));
        QCOMPARE(playlist::SizeText(m_dir.filePath("gone.mp3")), QString("?"));
        QCOMPARE(playlist::FileName(a), QString::fromUtf8("第一课 one.mp3"));
    }

    void sortIsStableAndCaseBlind() {
        CSortStringArray paths{"/x/b.mp3", "/y/A.mp3", "/z/a.mp3"};
        paths.SortByName(true);
        QCOMPARE(static_cast<QStringList>(paths),
                 (QStringList{"/y/A.mp3", "/z/a.mp3", "/x/b.mp3"}));
        paths.SortByName(false);
        QCOMPARE(static_cast<QStringList>(paths),
                 (QStringList{"/x/b.mp3", "/y/A.mp3", "/z/a.mp3"}));
        using playlist::SortState;
        QCOMPARE(playlist::NextSortState(SortState::None), SortState::Descending);
        QCOMPARE(playlist::NextSortState(SortState::Descending), SortState::Ascending);
        QCOMPARE(playlist::NextSortState(SortState::Ascending), SortState::Descending);
        QCOMPARE(playlist::HeaderText(SortState::Descending), QString::fromUtf8("文件名 ↑"));
    }

    void titleAndBitRate() {
        QCOMPARE(playlist::WindowTitle("Lesson  One", "Teacher", "/a/x.mp3"),
                 QString("Lesson One - Teacher - Kestrova Professional"));
        QCOMPARE(playlist::WindowTitle("", "", "/a/x.mp3"),
                 QString("x.mp3 - Kestrova Professional"));
        QCOMPARE(playlist::BitRateText("128000"), QString("128Kbps"));
    }

    void bookmarksFileAndDialog() {
        QFile::remove(bookmarks::FilePath());
        QVERIFY(bookmarks::Read().empty());
        QVERIFY(QFile::exists(bookmarks::FilePath()));
        const QString odd = m_dir.filePath("wow!.mp3");
        QVERIFY(bookmarks::Add(odd));
        QVERIFY(bookmarks::Add(odd));
        QVERIFY(bookmarks::Add(m_dir.filePath("b.mp3")));
        const auto list = bookmarks::Read();
        QCOMPARE(int(list.size()), 3);
        QCOMPARE(list[0].path, odd); // split at the last "!"
        QVERIFY(!list[0].added.isEmpty());
        QStringList played;
        CBookmarksDlg dialog([&](const QStringList& files) { played = files; });
        QCOMPARE(dialog.List()->topLevelItemCount(), 3);
        dialog.List()->topLevelItem(1)->setCheckState(0, Qt::Checked);
        dialog.DeleteTicked();
        const auto rest = bookmarks::Read();
        QCOMPARE(int(rest.size()), 2);
        QCOMPARE(rest[0], list[0]);
        QCOMPARE(rest[1], list[2]);
        dialog.TickAll();
        dialog.PlayTicked();
        QCOMPARE(played, (QStringList{odd, m_dir.filePath("b.mp3")}));
    }

    void mediaInformation() {
        CMediaInfo::General g;
        QVERIFY(CMediaInfo::ReadGeneral(test::Media("lesson.mp3"), g));
        QVERIFY(g.bitRate.toInt() > 100000);
        QVERIFY(CMediaInfo::Report(test::Media("lesson.mp3")).contains("MPEG Audio"));
        QVERIFY(CMediaInfo::Report(m_dir.filePath("nothing.mp3")).isEmpty());
    }

    void viewCommands() {
        CAppSetting settings;
        CPlaylistView view(settings);
        int playing = 1;
        QList<int> opened;
        CPlaylistView::Hooks hooks;
        hooks.playingIndex = [&] { return playing; };
        hooks.setPlayingIndex = [&](int i) { playing = i; };
        hooks.openEntry = [&](int i) {
            opened << i;
            playing = i;
            return i >= 0;
        };
        view.SetHooks(hooks);
        const QString a = Touch("a.mp3"), b = Touch("B.mp3"), c = Touch("c.mp3");
        view.AddFiles({c, a, b});
        QCOMPARE(view.List()->topLevelItemCount(), 3);
        QCOMPARE(view.List()->topLevelItem(1)->text(1), QString("0 KB"));
        // Header clicks cycle the sort.
        view.SortByHeader();
        QCOMPARE(view.List()->headerItem()->text(0), QString::fromUtf8("文件名 ↑"));
        QCOMPARE(static_cast<QStringList>(view.Paths()), (QStringList{c, b, a}));
        view.SortByHeader();
        QCOMPARE(static_cast<QStringList>(view.Paths()), (QStringList{a, b, c}));
        view.AddFiles({c});
        QCOMPARE(view.List()->headerItem()->text(0), QString::fromUtf8("文件名"));
        // Removing an entry above the playing one moves its index; removing it plays entry 0.
        playing = 2;
        view.Remove(0);
        QCOMPARE(playing, 1);
        QVERIFY(opened.isEmpty());
        view.Remove(1);
        QCOMPARE(opened, QList<int>{0});
        view.RemoveAll();
        QCOMPARE(opened.last(), -1);
        QVERIFY(view.Paths().isEmpty());
    }
};

QTEST_MAIN(TestLibrary)
#include "tst_library.moc"
