// The now-playing page: the sentence list beside the playlist in the upper pane, and the
// subtitle area below. Pane sizes come from the settings. GUI thread.
#pragma once

#include <QSplitter>

namespace kestrova {

class CAppSetting;
class CPlaylistView;
class CSellistView;
class CStudySession;

class CNowPlayingFrm : public QSplitter {
    Q_OBJECT
public:
    CNowPlayingFrm(CAppSetting& settings, CStudySession& session, QWidget* parent = nullptr);
    CSellistView* Sellist() const { return m_sellist; }
    CPlaylistView* Playlist() const { return m_playlist; }
    // Where the subtitle view goes.
    QWidget* SubtitleArea() const { return m_subtitles; }

private:
    CSellistView* m_sellist;
    CPlaylistView* m_playlist;
    QWidget* m_subtitles;
};

} // namespace kestrova
