// The now-playing page: the sentence list beside the playlist in the upper pane, the
// waveform strip, and the subtitle area below. Pane sizes come from the settings. GUI
// thread.
#pragma once

#include <QSplitter>

namespace kestrova {

class CAppSetting;
class CPlaylistView;
class CSellistView;
class CStudySession;
class CWaveformView;

class CNowPlayingFrm : public QSplitter {
    Q_OBJECT
public:
    CNowPlayingFrm(CAppSetting& settings, CStudySession& session, QWidget* parent = nullptr);
    CSellistView* Sellist() const { return m_sellist; }
    CPlaylistView* Playlist() const { return m_playlist; }
    // Where the subtitle view goes.
    QWidget* SubtitleArea() const { return m_subtitles; }
    CWaveformView* Waveform() const { return m_waveform; }

private:
    CSellistView* m_sellist;
    CPlaylistView* m_playlist;
    CWaveformView* m_waveform;
    QWidget* m_subtitles;
};

} // namespace kestrova
