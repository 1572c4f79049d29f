// The playlist: its file, rows, sorting and removal rules.
#include "audio/MediaCore.h"
#include "audio/MediaInfo.h"
#include "common/AppSetting.h"
#include "library/Bookmarks.h"
#include "library/NoteFrm.h"
#include "library/Playlist.h"
#include "library/PlaylistView.h"
#include "library/Rtf.h"
#include "player/PlaybackController.h"
#include "player/PlaylistModel.h"
#include "support/Fixtures.h"

#include "common/Util.h"
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextList>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <memory>

using namespace kestrova;

namespace {
// The playlist view over its model and a controller on a null engine.
struct PlaylistRig {
    CAppSetting settings;
    CPlaylistModel model;
    CPlaybackController controller{
        settings, std::make_unique<CMediaCore>(std::make_unique<CNullAudioOutput>())};
    CPlaylistView view{model, controller};
    PlaylistRig() {
        settings.DisableStoreOnExit();
        controller.SetPlaylist(&model);
    }
    QTreeWidget* List() const { return view.findChild<QTreeWidget*>("fileList"); }
};
} // namespace

class TestLibrary : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<test::ScopedEnv> m_home;

    QString Touch(const QString& name, int bytes = 0) {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(QByteArray(bytes, 'x'));
        return path;
    }

private Q_SLOTS:
    void initTestCase() {
        m_home = std::make_unique<test::ScopedEnv>("KESTROVA_HOME", m_dir.path().toUtf8());
    }
    void cleanupTestCase() { m_home.reset(); }

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

    void rtfRoundTrip() {
        QTextDocument doc;
        QTextCursor c(&doc);
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        bold.setFontFamilies({"Courier New"});
        bold.setFontPointSize(14);
        c.insertText("Bold ", bold);
        QTextCharFormat red;
        red.setForeground(QColor(200, 0, 0));
        red.setFontItalic(true);
        red.setFontUnderline(true);
        red.setFontStrikeOut(true);
        c.insertText(QString::fromUtf8("中文 {braces} \\ back"), red);
        QTextBlockFormat centre;
        centre.setAlignment(Qt::AlignHCenter);
        c.insertBlock(centre);
        c.insertText("centred");
        c.insertBlock(QTextBlockFormat());
        c.createList(QTextListFormat::ListDisc);
        c.insertText("item one");
        c.insertBlock();
        c.insertText("item two");
        const QByteArray rtf = rtf::Write(doc);
        QVERIFY(rtf.startsWith("{\\rtf1"));
        QVERIFY(!rtf.contains(QString::fromUtf8("中").toUtf8())); // written as \uN
        QTextDocument back;
        QVERIFY(rtf::Read(rtf, back));
        QCOMPARE(back.blockCount(), 4);
        QCOMPARE(back.toPlainText(), doc.toPlainText());
        const QTextBlock first = back.begin();
        auto fragment = first.begin().fragment();
        QCOMPARE(fragment.charFormat().fontWeight(), int(QFont::Bold));
        QCOMPARE(fragment.charFormat().fontFamilies().toStringList().value(0),
                 QString("Courier New"));
        QCOMPARE(fragment.charFormat().fontPointSize(), 14.0);
        fragment = (++first.begin()).fragment();
        QVERIFY(fragment.charFormat().fontItalic() && fragment.charFormat().fontUnderline() &&
                fragment.charFormat().fontStrikeOut());
        QCOMPARE(fragment.charFormat().foreground().color(), QColor(200, 0, 0));
        QVERIFY(first.next().blockFormat().alignment() & Qt::AlignHCenter);
        QVERIFY(first.next().next().textList() && first.next().next().next().textList());
        // A second round trip gives the same bytes: nothing grows.
        QCOMPARE(rtf::Write(back), rtf);
        QVERIFY(!rtf::Read("not rtf", back));
    }

    void rtfFromOtherPrograms() {
        QFile f(QStringLiteral(KESTROVA_TEST_SOURCE "/fixtures/rtf/libreoffice.rtf"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QTextDocument doc;
        QVERIFY(rtf::Read(f.readAll(), doc));
        const QStringList lines = doc.toPlainText().split('\n');
        QCOMPARE(lines.value(0), QString("Lesson notes"));
        QCOMPARE(lines.value(1), QString::fromUtf8("A word in red and gone. 中文"));
        QCOMPARE(lines.value(2), QString("first point"));
        QCOMPARE(lines.value(4), QString("Right"));
        const QTextBlock title = doc.begin();
        QVERIFY(title.blockFormat().alignment() & Qt::AlignHCenter);
        QCOMPARE(title.begin().fragment().charFormat().fontWeight(), int(QFont::Bold));
        QVERIFY(title.next().next().textList());
        QVERIFY(doc.lastBlock().blockFormat().alignment() & Qt::AlignRight);
        // The red underlined word.
        for (auto it = title.next().begin(); !it.atEnd(); ++it)
            if (it.fragment().text() == "red") {
                QCOMPARE(it.fragment().charFormat().foreground().color(), QColor(201, 33, 30));
                QVERIFY(it.fragment().charFormat().fontUnderline());
            }
    }

    void notesSaveOnlyWhenChanged() {
        QDir().mkpath(DataFolder() + "Temp");
        QFile::remove(CNoteFrm::FilePath());
        CNoteFrm notes;
        notes.LoadNotes();
        SetUserDataModified(false);
        notes.SaveNotes();
        QVERIFY(!QFile::exists(CNoteFrm::FilePath())); // untouched notes write nothing
        QVERIFY(!UserDataModified());
        notes.Editor()->setPlainText(QString::fromUtf8("记住 this"));
        notes.Editor()->selectAll();
        notes.ToggleBold();
        notes.SaveNotes();
        QVERIFY(QFile::exists(CNoteFrm::FilePath()));
        QVERIFY(UserDataModified());
        notes.Editor()->selectAll();
        QFont courier("Courier New");
        courier.setPointSize(18);
        courier.setItalic(true);
        courier.setBold(true);
        notes.ApplyFont(courier); // bold ticked over an all-bold text: bold goes off
        QCOMPARE(notes.Editor()->currentCharFormat().fontPointSize(), 18.0);
        QVERIFY(notes.Editor()->currentCharFormat().fontItalic());
        QCOMPARE(notes.Editor()->currentCharFormat().fontFamilies().toStringList().value(0),
                 QString("Courier New"));
        notes.ApplyFont(courier); // and on again
        notes.SaveNotes();
        CNoteFrm again;
        again.LoadNotes();
        QCOMPARE(
            again.Editor()->document()->begin().begin().fragment().charFormat().fontPointSize(),
            18.0);
        QCOMPARE(again.Editor()->toPlainText(), QString::fromUtf8("记住 this"));
        QCOMPARE(again.Editor()->document()->begin().begin().fragment().charFormat().fontWeight(),
                 int(QFont::Bold));
        QVERIFY(!again.Editor()->document()->isModified());
    }

    // Bold, italic and underline over a selection: on when not all of it has the effect, off
    // when all of it has; the buttons show the selection's state.
    void effectsToggleOnTheWholeSelection() {
        CNoteFrm notes;
        QTextEdit* editor = notes.Editor();
        editor->setPlainText("abcd");
        QTextCursor cursor(editor->document());
        cursor.setPosition(1);
        cursor.setPosition(2, QTextCursor::KeepAnchor);
        editor->setTextCursor(cursor);
        notes.ToggleBold(); // "b" bold
        auto* bold = notes.findChild<QAction*>(QString::fromUtf8("加粗"));
        QVERIFY(bold->isChecked());
        auto boldAt = [&](int position) {
            QTextCursor at(editor->document());
            at.setPosition(position + 1);
            return at.charFormat().fontWeight() >= QFont::Bold;
        };
        editor->selectAll(); // partly bold: bold over all
        QVERIFY(!bold->isChecked());
        notes.ToggleBold();
        QVERIFY(boldAt(0) && boldAt(1) && boldAt(3));
        QVERIFY(bold->isChecked());
        notes.ToggleBold(); // all bold: off over all
        QVERIFY(!boldAt(0) && !boldAt(1) && !boldAt(3));
        notes.ToggleItalic();
        notes.ToggleUnderline();
        QVERIFY(notes.findChild<QAction*>(QString::fromUtf8("倾斜"))->isChecked());
        QVERIFY(notes.findChild<QAction*>(QString::fromUtf8("下划线"))->isChecked());
    }

    void viewCommands() {
        test::ScopedMessages messages; // the empty files cannot be played: not shown here
        PlaylistRig rig;
        CPlaylistView& view = rig.view;
        const QString a = Touch("a.mp3"), b = Touch("B.mp3"), c = Touch("c.mp3");
        view.AddFiles({c, a, b});
        QCOMPARE(rig.List()->topLevelItemCount(), 3);
        QCOMPARE(rig.List()->topLevelItem(1)->text(1), QString("0 KB"));
        // Header clicks cycle the sort.
        view.SortByHeader();
        QCOMPARE(rig.List()->headerItem()->text(0), QString::fromUtf8("文件名 ↑"));
        QCOMPARE(static_cast<QStringList>(rig.model.Paths()), (QStringList{c, b, a}));
        view.SortByHeader();
        QCOMPARE(static_cast<QStringList>(rig.model.Paths()), (QStringList{a, b, c}));
        view.AddFiles({c});
        QCOMPARE(rig.List()->headerItem()->text(0), QString::fromUtf8("文件名"));
        QCOMPARE(rig.List()->topLevelItemCount(), 4);
        // The entry opened is marked (also when it cannot be played), and follows removals.
        rig.controller.OpenEntry(2);
        QCOMPARE(rig.model.Marked(), 2);
        QVERIFY(rig.List()->topLevelItem(2)->font(0).bold());
        rig.controller.RemoveEntry(0);
        QCOMPARE(rig.controller.PlaylistIndex(), 1);
        QCOMPARE(rig.model.Marked(), 1);
        QCOMPARE(rig.List()->topLevelItemCount(), 3);
        rig.controller.RemoveAllEntries();
        QCOMPARE(rig.List()->topLevelItemCount(), 0);
        QVERIFY(rig.model.Paths().isEmpty());
    }

    // A right click over the rows opens the list's menu only while a row is selected, and then
    // with its commands on.
    void contextMenuNeedsASelectedRow_data() {
        QTest::addColumn<int>("selected");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("no row selected") << -1 << QStringList();
        QTest::newRow("row selected")
            << 1 << QStringList{"播放",     "添加文件到列表...", "从列表中移除",
                                "移除所有", "添加到收藏夹",      "音频信息..."};
    }
    void contextMenuNeedsASelectedRow() {
        QFETCH(int, selected);
        QFETCH(QStringList, shown);
        PlaylistRig rig;
        CPlaylistView& view = rig.view;
        view.AddFiles({Touch("menu-a.mp3"), Touch("menu-b.mp3")});
        view.resize(320, 200);
        view.show();
        view.SetSelectedRow(selected);
        QStringList opened;
        bool allOn = true;
        QTimer::singleShot(0, &view, [&] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                for (QAction* a : menu->actions()) {
                    opened << a->text();
                    allOn = allOn && a->isEnabled();
                }
                menu->close();
            }
        });
        const QRect firstRow = rig.List()->visualItemRect(rig.List()->topLevelItem(0));
        const QPoint at = rig.List()->viewport()->mapTo(&view, firstRow.center());
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, view.mapToGlobal(at));
        QApplication::sendEvent(&view, &event);
        QCoreApplication::processEvents();
        QCOMPARE(opened, shown);
        QVERIFY(allOn);
    }

    // Every change of the list reaches Kestrova.m3u at once, while the view still lives (a
    // program that is killed keeps it).
    void playlistIsWrittenAtEveryChange() {
        test::ScopedMessages messages; // the empty files cannot be played: not shown here
        PlaylistRig rig;
        CPlaylistView& view = rig.view;
        const QString a = Touch("w-a.mp3"), b = Touch("w-b.mp3"), c = Touch("w-c.mp3");
        const struct {
            const char* change;
            std::function<void()> make;
            QStringList saved;
        } changes[] = {
            {"open files",
             [&] {
                 view.OpenFiles({b, a});
             },
             {b, a}},
            {"add files", [&] { view.AddFiles({c}); }, {b, a, c}},
            {"sort", [&] { view.SortByHeader(); }, {c, b, a}},
            {"remove", [&] { rig.controller.RemoveEntry(1); }, {c, a}},
            {"remove all", [&] { rig.controller.RemoveAllEntries(); }, {}},
            {"play files",
             [&] {
                 view.PlayFiles({a, c});
             },
             {a, c}},
        };
        for (const auto& change : changes) {
            change.make();
            QVERIFY2(static_cast<QStringList>(playlist::Read(CPlaylistModel::PlaylistPath())) ==
                         change.saved,
                     change.change);
        }
    }
};

QTEST_MAIN(TestLibrary)
#include "tst_library.moc"
