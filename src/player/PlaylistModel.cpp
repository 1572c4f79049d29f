#include "PlaylistModel.h"

#include "common/Util.h"

namespace kestrova {

CPlaylistModel::CPlaylistModel(QObject* parent) : QAbstractListModel(parent) {}

int CPlaylistModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count();
}

QVariant CPlaylistModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= Count()) return {};
    const QString& path = m_paths[index.row()];
    switch (role) {
    case Qt::DisplayRole:
        return playlist::FileName(path);
    case PathRole:
        return path;
    case SizeRole:
        return playlist::SizeText(path);
    case MarkedRole:
        return index.row() == m_marked;
    default:
        return {};
    }
}

QString CPlaylistModel::PlaylistPath() {
    return DataFolder() + "Kestrova.m3u";
}

bool CPlaylistModel::Mark(int row) {
    const bool valid = row >= 0 && row < Count();
    const int marked = valid ? row : -1;
    if (marked != m_marked) {
        m_marked = marked;
        Q_EMIT markedChanged(marked);
    }
    return valid;
}

bool CPlaylistModel::Load() {
    SetPaths(playlist::Read(PlaylistPath()));
    return !m_paths.isEmpty();
}

bool CPlaylistModel::Save() {
    // Written whole at every change, so that a program that is killed keeps the list.
    return CheckWrite(PlaylistPath(), playlist::Write(PlaylistPath(), m_paths));
}

void CPlaylistModel::SetPaths(const QStringList& paths) {
    beginResetModel();
    m_paths.clear();
    m_paths << paths;
    m_marked = -1;
    m_cursor = -1;
    endResetModel();
}

void CPlaylistModel::Append(const QStringList& paths) {
    if (paths.isEmpty()) return;
    beginInsertRows(QModelIndex(), Count(), Count() + int(paths.size()) - 1);
    m_paths << paths;
    endInsertRows();
}

void CPlaylistModel::RemoveAt(int row) {
    if (row < 0 || row >= Count()) return;
    beginRemoveRows(QModelIndex(), row, row);
    m_paths.removeAt(row);
    endRemoveRows();
    if (m_cursor > row) --m_cursor;
    if (m_marked > row)
        --m_marked;
    else if (m_marked == row)
        m_marked = -1;
}

void CPlaylistModel::Sort(bool ascending) {
    const QString marked = m_paths.value(m_marked);
    beginResetModel();
    m_paths.SortByName(ascending);
    m_marked = marked.isEmpty() ? -1 : int(m_paths.indexOf(marked));
    endResetModel();
}

} // namespace kestrova
