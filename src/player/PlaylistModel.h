// The playlist as a list model: the lesson paths in list order, `Kestrova.m3u` written at
// every change, the playing entry (the controller's cursor: previous and next count from
// it) and the row marked as playing in the view, which a sort moves while the cursor stays.
// No widgets. GUI thread.
#pragma once

#include "library/Playlist.h"

#include <QAbstractListModel>

namespace kestrova {

class CPlaylistModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role { PathRole = Qt::UserRole + 1, SizeRole, MarkedRole };

    explicit CPlaylistModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    static QString PlaylistPath();
    const CSortStringArray& Paths() const { return m_paths; }
    int Count() const { return int(m_paths.size()); }
    QString Path(int row) const { return m_paths.value(row); }

    // The playing entry: -1 none. Moving it does not move the marked row.
    int Cursor() const { return m_cursor; }
    void SetCursor(int index) { m_cursor = index; }
    QString CursorPath() const { return m_paths.value(m_cursor); }
    // The row the view shows as playing (-1 none); false when there is no such row.
    bool Mark(int row);
    int Marked() const { return m_marked; }

    // The list file; false when it holds nothing.
    bool Load();
    bool Save(); // false when it could not be written (told once)
    void SetPaths(const QStringList& paths);
    void Append(const QStringList& paths);
    // Removes a row; the cursor and the marked row follow the rows after it.
    void RemoveAt(int row);
    // Sorts by file name; the marked row follows its file, the cursor stays.
    void Sort(bool ascending);

Q_SIGNALS:
    void markedChanged(int row);

private:
    CSortStringArray m_paths;
    int m_cursor = -1;
    int m_marked = -1;
};

} // namespace kestrova
