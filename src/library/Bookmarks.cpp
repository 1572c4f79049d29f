#include "Bookmarks.h"

#include "common/StdioFileEx.h"
#include "common/Util.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kestrova {

namespace bookmarks {

QString FilePath() {
    return DataFolder() + "Bookmarks.ini";
}

std::vector<Bookmark> Read() {
    std::vector<Bookmark> list;
    QStringList lines;
    CStdioFileEx::ReadLinesOrCreate(FilePath(), lines);
    for (const QString& line : lines) {
        if (line.isEmpty()) continue;
        const qsizetype cut = line.lastIndexOf('!');
        if (cut <= 0)
            list.push_back(Bookmark{line, QString()});
        else
            list.push_back(Bookmark{line.left(cut), line.mid(cut + 1)});
    }
    return list;
}

bool Write(const std::vector<Bookmark>& list) {
    QStringList lines;
    for (const Bookmark& b : list)
        lines << b.path + '!' + b.added;
    return CStdioFileEx::WriteLines(FilePath(), lines);
}

bool Add(const QString& path) {
    std::vector<Bookmark> list = Read();
    list.push_back(Bookmark{path, LocalTimeText()});
    return Write(list);
}

} // namespace bookmarks

CBookmarksDlg::CBookmarksDlg(std::function<void(const QStringList&)> play, QWidget* parent)
    : QDialog(parent), m_play(std::move(play)) {
    setWindowTitle(QString::fromUtf8("收藏夹"));
    auto* layout = new QVBoxLayout(this);
    m_list = new QTreeWidget(this);
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({QString::fromUtf8("路径"), QString::fromUtf8("添加时间")});
    m_list->setColumnWidth(0, 350);
    m_list->setColumnWidth(1, 150);
    for (const Bookmark& b : bookmarks::Read()) {
        auto* row = new QTreeWidgetItem(QStringList{b.path, b.added});
        row->setCheckState(0, Qt::Unchecked);
        m_list->addTopLevelItem(row);
    }
    layout->addWidget(m_list);
    auto* buttons = new QHBoxLayout;
    auto button = [&](const char* text, auto&& action) {
        auto* b = new QPushButton(QString::fromUtf8(text), this);
        connect(b, &QPushButton::clicked, this, action);
        buttons->addWidget(b);
    };
    button("全部选中", [this] { TickAll(); });
    button("删除选中", [this] { DeleteTicked(); });
    button("播放选中", [this] { PlayTicked(); });
    button("取消", [this] { reject(); });
    layout->addLayout(buttons);
    resize(560, 360);
}

void CBookmarksDlg::TickAll() {
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        m_list->topLevelItem(i)->setCheckState(0, Qt::Checked);
}

void CBookmarksDlg::DeleteTicked() {
    for (int i = m_list->topLevelItemCount() - 1; i >= 0; --i)
        if (m_list->topLevelItem(i)->checkState(0) == Qt::Checked)
            delete m_list->takeTopLevelItem(i);
    std::vector<Bookmark> rest;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        rest.push_back(
            Bookmark{m_list->topLevelItem(i)->text(0), m_list->topLevelItem(i)->text(1)});
    bookmarks::Write(rest);
}

void CBookmarksDlg::PlayTicked() {
    if (m_list->topLevelItemCount() == 0) return;
    QStringList ticked;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        if (m_list->topLevelItem(i)->checkState(0) == Qt::Checked)
            ticked << m_list->topLevelItem(i)->text(0);
    if (m_play) m_play(ticked);
    accept();
}

} // namespace kestrova
