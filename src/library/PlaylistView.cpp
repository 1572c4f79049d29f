#include "PlaylistView.h"

#include "audio/MediaInfo.h"
#include "common/AppSetting.h"
#include "common/Util.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTreeWidget>

namespace kestrova {

CPlaylistView::CPlaylistView(CAppSetting& settings, QWidget* parent)
    : QWidget(parent), m_settings(settings) {
    setObjectName(QStringLiteral("PlaylistView"));
    m_caption = new QLabel(QString::fromUtf8(" 文件播放列表"), this);
    m_caption->setFrameStyle(QFrame::Panel | QFrame::Raised);
    m_list = new QTreeWidget(this);
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({playlist::HeaderText(m_sort), QString::fromUtf8("文件大小")});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setUniformRowHeights(true);
    m_list->setColumnWidth(0, 200);
    m_list->setColumnWidth(1, 100);
    m_list->header()->setSectionsClickable(true);
    connect(m_list->header(), &QHeaderView::sectionClicked, this, [this] { SortByHeader(); });
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        const int row = m_list->indexOfTopLevelItem(item);
        if (row >= 0 && m_hooks.openEntry) m_hooks.openEntry(row);
    });
}

CPlaylistView::~CPlaylistView() {
    SavePlaylist();
}

QString CPlaylistView::PlaylistPath() {
    return DataFolder() + "Kestrova.m3u";
}

bool CPlaylistView::LoadPlaylist() {
    m_paths = playlist::Read(PlaylistPath());
    if (m_paths.isEmpty()) return false;
    RebuildRows();
    return m_hooks.restoreLastEntry && m_hooks.restoreLastEntry(&m_paths);
}

bool CPlaylistView::SavePlaylist() {
    // Written whole at every change, so that a program that is killed keeps the list.
    return CheckWrite(PlaylistPath(), playlist::Write(PlaylistPath(), m_paths));
}

bool CPlaylistView::RebuildRows() {
    m_list->setUpdatesEnabled(false);
    m_list->clear();
    QList<QTreeWidgetItem*> rows;
    rows.reserve(m_paths.size());
    bool complete = true;
    for (const QString& path : m_paths) {
        if (path.isEmpty()) {
            complete = false;
            break;
        }
        rows << new QTreeWidgetItem(
            QStringList{playlist::FileName(path), playlist::SizeText(path)});
    }
    m_list->addTopLevelItems(rows);
    m_list->setUpdatesEnabled(true);
    return complete;
}

bool CPlaylistView::MarkPlaying(int index) {
    QTreeWidgetItem* item = m_list->topLevelItem(index);
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = m_list->topLevelItem(i);
        QFont f = row->font(0);
        if (f.bold() != (i == index)) {
            f.setBold(i == index);
            row->setFont(0, f);
            row->setFont(1, f);
        }
    }
    if (!item) {
        m_playingRow = -1;
        return false;
    }
    m_list->clearSelection();
    item->setSelected(true);
    m_playingRow = index;
    m_list->scrollToItem(item);
    const QString path = m_paths.value(index);
    CMediaInfo::General info;
    CMediaInfo::ReadGeneral(path, info);
    Q_EMIT titleChanged(playlist::WindowTitle(info.track, info.performer, path));
    Q_EMIT bitRateChanged(playlist::BitRateText(info.bitRate));
    return true;
}

void CPlaylistView::ResetHeader() {
    m_sort = playlist::SortState::None;
    m_list->headerItem()->setText(0, playlist::HeaderText(m_sort));
}

void CPlaylistView::OpenFiles(const QStringList& files) {
    if (files.isEmpty()) return;
    if (m_hooks.saveUserData) m_hooks.saveUserData();
    m_paths.clear();
    m_paths << files;
    ResetHeader();
    RebuildRows();
    SavePlaylist();
    m_settings.PlaylistIndex = 0;
    if (m_hooks.restoreLastEntry && m_hooks.restoreLastEntry(&m_paths) && m_hooks.play)
        m_hooks.play();
}

void CPlaylistView::AddFiles(const QStringList& files) {
    if (files.isEmpty()) return;
    m_paths << files;
    ResetHeader();
    RebuildRows();
    SavePlaylist();
}

void CPlaylistView::Remove(int s) {
    if (s < 0 || s >= m_paths.size()) return;
    const int p = m_hooks.playingIndex ? m_hooks.playingIndex() : -1;
    m_paths.removeAt(s);
    delete m_list->takeTopLevelItem(s);
    SavePlaylist();
    if (s != p) {
        if (p > s && m_hooks.setPlayingIndex) m_hooks.setPlayingIndex(p - 1);
        if (m_playingRow > s) --m_playingRow;
        return;
    }
    m_playingRow = -1;
    if (m_paths.isEmpty()) {
        if (m_hooks.openEntry) m_hooks.openEntry(-1);
        if (m_hooks.released) m_hooks.released();
    } else if (m_hooks.openEntry) {
        m_hooks.openEntry(0);
    }
}

void CPlaylistView::RemoveAll() {
    if (m_hooks.openEntry) m_hooks.openEntry(-1);
    m_list->clear();
    m_paths.clear();
    SavePlaylist();
    m_playingRow = -1;
    if (m_hooks.released) m_hooks.released();
}

void CPlaylistView::PlayFiles(const QStringList& files) {
    if (!files.isEmpty()) {
        RemoveAll();
        m_paths << files;
        SavePlaylist();
    }
    RebuildRows();
    m_settings.PlaylistIndex = 0;
    if (m_hooks.restoreLastEntry && m_hooks.restoreLastEntry(&m_paths) && m_hooks.play)
        m_hooks.play();
}

void CPlaylistView::SortByHeader() {
    const QString playing = m_paths.value(m_playingRow);
    m_sort = playlist::NextSortState(m_sort);
    m_list->headerItem()->setText(0, playlist::HeaderText(m_sort));
    m_paths.SortByName(m_sort == playlist::SortState::Ascending);
    SavePlaylist();
    RebuildRows();
    // The playing file is marked at its new row; the control bar's index stays as it was,
    // so previous and next still count from where the learner started.
    if (!playing.isEmpty()) {
        const int row = int(m_paths.indexOf(playing));
        if (QTreeWidgetItem* item = m_list->topLevelItem(row)) {
            m_playingRow = row;
            QFont f = item->font(0);
            f.setBold(true);
            item->setFont(0, f);
            item->setFont(1, f);
            item->setSelected(true);
        }
    }
}

int CPlaylistView::SelectedRow() const {
    const auto selected = m_list->selectedItems();
    return selected.isEmpty() ? -1 : m_list->indexOfTopLevelItem(selected.first());
}

void CPlaylistView::SetSelectedRow(int row) {
    m_list->clearSelection();
    if (QTreeWidgetItem* item = m_list->topLevelItem(row)) item->setSelected(true);
}

void CPlaylistView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_caption->setGeometry(0, 0, width(), 22);
    m_list->setGeometry(0, 23, std::max(width() - 2, 0), std::max(height() - 24, 0));
    m_list->setColumnWidth(0, std::max(width() - 105, 40));
}

void CPlaylistView::contextMenuEvent(QContextMenuEvent* event) {
    // The menu opens over the rows, and only while a row is selected.
    const QPoint inList = m_list->viewport()->mapFrom(this, event->pos());
    const int s = SelectedRow();
    if (!m_list->viewport()->rect().contains(inList) || s < 0) return;
    QMenu menu(this);
    auto add = [&](const char* text, bool enabled, auto&& action) {
        menu.addAction(QString::fromUtf8(text), this, action)->setEnabled(enabled);
    };
    add("播放", true, [this, s] {
        if (m_hooks.openEntry) m_hooks.openEntry(s);
    });
    add("添加文件到列表...", true, [this] { Q_EMIT addFilesRequested(); });
    add("从列表中移除", true, [this, s] { Remove(s); });
    add("移除所有", true, [this] { RemoveAll(); });
    add("添加到收藏夹", bool(m_hooks.addBookmark), [this, s] { m_hooks.addBookmark(s); });
    add("音频信息...", bool(m_hooks.showMediaInfo), [this, s] { m_hooks.showMediaInfo(s); });
    menu.exec(event->globalPos());
}

} // namespace kestrova
