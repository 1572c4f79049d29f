// The playlist pane (" 文件播放列表"): a view of the playlist model with the lessons' sizes,
// the playing entry marked, sorting by name from the header, and the list commands, which
// go to the playback controller (opening, removing) or out as signals (bookmarks, media
// information, adding files). GUI thread.
#pragma once

#include "library/Playlist.h"

#include <QWidget>

class QLabel;
class QTreeWidget;

namespace kestrova {

class CAppSetting;
class CPlaybackController;
class CPlaylistModel;

class CPlaylistView : public QWidget {
    Q_OBJECT
public:
    CPlaylistView(CPlaylistModel& model, CPlaybackController& controller,
                  QWidget* parent = nullptr);

    CPlaylistModel& Model() { return m_model; }
    // Reads the list file at start-up and opens the remembered entry without playing it.
    bool LoadPlaylist();
    // The open command with the chosen files (empty: nothing happens).
    void OpenFiles(const QStringList& files);
    void AddFiles(const QStringList& files);
    // The bookmarks' play command: the ticked files replace the list (none ticked: the
    // list stays) and play from its first entry.
    void PlayFiles(const QStringList& files);
    void SortByHeader();
    void SetSelectedRow(int row);

Q_SIGNALS:
    void titleChanged(const QString& title);
    void bitRateChanged(const QString& text);
    void addFilesRequested();
    void addBookmarkRequested(const QString& path);
    void mediaInfoRequested(const QString& path);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    int SelectedRow() const;
    void Rebuild();
    void ShowMarked(int row);
    void ResetHeader();

    CPlaylistModel& m_model;
    CPlaybackController& m_controller;
    playlist::SortState m_sort = playlist::SortState::None;
    QLabel* m_caption;
    QTreeWidget* m_list;
};

} // namespace kestrova
