// The playlist pane (" 文件播放列表"): the lessons with their sizes, the playing entry
// marked, `Kestrova.m3u` read at start-up and written when the view goes, sorting by name,
// and the list commands. Playing is the control bar's; the view reaches it through hooks
// the main frame wires. GUI thread.
#pragma once

#include "Playlist.h"

#include <QWidget>
#include <functional>

class QLabel;
class QTreeWidget;

namespace kestrova {

class CAppSetting;

class CPlaylistView : public QWidget {
    Q_OBJECT
public:
    struct Hooks {
        std::function<bool(int index)> openEntry; // the control bar's Open entry
        std::function<int()> playingIndex;        // the control bar's index
        std::function<void(int)> setPlayingIndex;
        std::function<bool(const QStringList* paths)> restoreLastEntry;
        std::function<void()> play;
        std::function<void()> saveUserData;
        std::function<void()> released; // the list emptied: clear the views
        std::function<void(int index)> addBookmark;
        std::function<void(int index)> showMediaInfo;
    };

    explicit CPlaylistView(CAppSetting& settings, QWidget* parent = nullptr);
    ~CPlaylistView() override;

    void SetHooks(Hooks hooks) { m_hooks = std::move(hooks); }
    const Hooks& GetHooks() const { return m_hooks; }
    static QString PlaylistPath();

    const CSortStringArray& Paths() const { return m_paths; }
    bool LoadPlaylist();
    bool SavePlaylist(); // at every change of the list; false when it could not be written
    bool RebuildRows();
    bool MarkPlaying(int index);
    int PlayingRow() const { return m_playingRow; }
    QTreeWidget* List() const { return m_list; }

    // The open command with the chosen files (empty: nothing happens).
    void OpenFiles(const QStringList& files);
    void AddFiles(const QStringList& files);
    void Remove(int row);
    void RemoveAll();
    // The bookmarks' play command: the ticked files replace the list (none ticked: the
    // list stays) and play from its first entry.
    void PlayFiles(const QStringList& files);
    void SortByHeader();
    playlist::SortState SortState() const { return m_sort; }
    int SelectedRow() const;
    void SetSelectedRow(int row);

Q_SIGNALS:
    void titleChanged(const QString& title);
    void bitRateChanged(const QString& text);
    void addFilesRequested();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void ResetHeader();
    CAppSetting& m_settings;
    Hooks m_hooks;
    CSortStringArray m_paths;
    int m_playingRow = -1;
    playlist::SortState m_sort = playlist::SortState::None;
    QLabel* m_caption;
    QTreeWidget* m_list;
};

} // namespace kestrova
