#include "PlaylistView.h"

#include "audio/MediaInfo.h"
#include "player/PlaybackController.h"
#include "player/PlaylistModel.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTreeWidget>

namespace kestrova {

CPlaylistView::CPlaylistView(CPlaylistModel& model, CPlaybackController& controller,
                             QWidget* parent)
    : QWidget(parent), m_model(model), m_controller(controller) {
    setObjectName(QStringLiteral("PlaylistView"));
    m_caption = new QLabel(QString::fromUtf8(" 文件播放列表"), this);
    m_caption->setFrameStyle(QFrame::Panel | QFrame::Raised);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("fileList"));
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
        if (row >= 0) m_controller.OpenEntry(row);
    });
    connect(&m_model, &QAbstractItemModel::modelReset, this, &CPlaylistView::Rebuild);
    connect(&m_model, &QAbstractItemModel::rowsInserted, this, &CPlaylistView::Rebuild);
    connect(&m_model, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex&, int first, int last) {
                for (int r = last; r >= first; --r)
                    delete m_list->takeTopLevelItem(r);
            });
    connect(&m_model, &CPlaylistModel::markedChanged, this, &CPlaylistView::ShowMarked);
    connect(&m_controller, &CPlaybackController::entryOpened, this, [this](int index) {
        if (index >= 0) m_model.Mark(index);
    });
    Rebuild();
}

bool CPlaylistView::LoadPlaylist() {
    if (!m_model.Load()) return false;
    return m_controller.RestoreLastEntry();
}

void CPlaylistView::Rebuild() {
    m_list->setUpdatesEnabled(false);
    m_list->clear();
    QList<QTreeWidgetItem*> rows;
    rows.reserve(m_model.Count());
    for (const QString& path : m_model.Paths()) {
        if (path.isEmpty()) break;
        rows << new QTreeWidgetItem(
            QStringList{playlist::FileName(path), playlist::SizeText(path)});
    }
    m_list->addTopLevelItems(rows);
    m_list->setUpdatesEnabled(true);
    const int marked = m_model.Marked();
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = m_list->topLevelItem(i);
        QFont f = row->font(0);
        f.setBold(i == marked);
        row->setFont(0, f);
        row->setFont(1, f);
        row->setSelected(i == marked);
    }
}

void CPlaylistView::ShowMarked(int index) {
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = m_list->topLevelItem(i);
        QFont f = row->font(0);
        if (f.bold() != (i == index)) {
            f.setBold(i == index);
            row->setFont(0, f);
            row->setFont(1, f);
        }
    }
    QTreeWidgetItem* item = m_list->topLevelItem(index);
    if (!item) return;
    m_list->clearSelection();
    item->setSelected(true);
    m_list->scrollToItem(item);
    const QString path = m_model.Path(index);
    CMediaInfo::General info;
    CMediaInfo::ReadGeneral(path, info);
    Q_EMIT titleChanged(playlist::WindowTitle(info.track, info.performer, path));
    Q_EMIT bitRateChanged(playlist::BitRateText(info.bitRate));
}

void CPlaylistView::ResetHeader() {
    m_sort = playlist::SortState::None;
    m_list->headerItem()->setText(0, playlist::HeaderText(m_sort));
}

void CPlaylistView::OpenFiles(const QStringList& files) {
    if (files.isEmpty()) return;
    ResetHeader();
    m_controller.PlayNewList(files);
}

void CPlaylistView::AddFiles(const QStringList& files) {
    if (files.isEmpty()) return;
    ResetHeader();
    m_model.Append(files);
    m_model.Save();
}

void CPlaylistView::PlayFiles(const QStringList& files) {
    if (files.isEmpty()) {
        m_controller.PlayNewList(m_model.Paths());
        return;
    }
    m_controller.RemoveAllEntries();
    m_controller.PlayNewList(files);
}

void CPlaylistView::SortByHeader() {
    m_sort = playlist::NextSortState(m_sort);
    m_list->headerItem()->setText(0, playlist::HeaderText(m_sort));
    // The playing file is marked at its new row; the controller's cursor stays as it was,
    // so previous and next still count from where the learner started.
    m_model.Sort(m_sort == playlist::SortState::Ascending);
    m_model.Save();
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
    auto add = [&](const char* text, auto&& action) {
        menu.addAction(QString::fromUtf8(text), this, action);
    };
    const QString path = m_model.Path(s);
    add("播放", [this, s] { m_controller.OpenEntry(s); });
    add("添加文件到列表...", [this] { Q_EMIT addFilesRequested(); });
    add("从列表中移除", [this, s] { m_controller.RemoveEntry(s); });
    add("移除所有", [this] { m_controller.RemoveAllEntries(); });
    add("添加到收藏夹", [this, path] { Q_EMIT addBookmarkRequested(path); });
    add("音频信息...", [this, path] { Q_EMIT mediaInfoRequested(path); });
    menu.exec(event->globalPos());
}

} // namespace kestrova
