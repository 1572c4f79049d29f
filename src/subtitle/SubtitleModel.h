// The open file's subtitles: the LRC file found for it (Temp/audio.lrc first, else the media
// path with ".lrc"), its timed lines, the load status shown in the pane's header, and the
// line being spoken, followed twice a second from the playing position (ten times a second
// while the line has word times, for the word being spoken). A line chosen by
// the learner stops the following until playback resumes. Views (the subtitle pane, later
// the mini window's line) observe it. No widgets. GUI thread.
#pragma once

#include "Lrc.h"

#include <QObject>
#include <QTimer>

namespace kestrova {

// Where playback is: the position while playing (-1 otherwise) and the file's length.
class IPlaybackClock {
public:
    virtual ~IPlaybackClock() = default;
    virtual int PlayingPositionMs() const = 0;
    virtual int LengthMs() const = 0;
};

class CSubtitleModel : public QObject {
    Q_OBJECT
public:
    explicit CSubtitleModel(const IPlaybackClock& clock, QObject* parent = nullptr);

    // Finds, reads and distributes the subtitles of `media`. False when none could be read.
    bool Load(const QString& media);
    void Reset();
    const LrcItems& Items() const { return m_items; }
    bool HasLines() const { return !m_items.empty(); }
    QString Text(int index) const;
    // " (加载成功)" and the like after a load; empty before one.
    QString Status() const { return m_status; }
    QString LastPath() const { return m_path; }
    // The line shown as current (-1 none yet).
    int CurrentLine() const { return m_currentIndex; }
    // The word being spoken in the current line (-1 none: no word times, or between words).
    int CurrentWord() const { return m_currentWord; }
    // The text of line i with its word tags (as an LRC line carries them).
    QString TimedText(int index) const;

    void StartFollowing();
    void StopFollowing() { m_timer.stop(); }
    bool Following() const { return m_timer.isActive(); }
    // One step of the follow timer.
    void Tick();
    // The learner chose a line: following stops, and the line's sentence is to play.
    void ChooseLine(int index);

Q_SIGNALS:
    // A load succeeded (the sentences become the lines' spans) or failed (the saved
    // sentences or splitting take over).
    void loaded(const kestrova::LrcItems& items);
    void failed();
    void statusChanged(const QString& status);
    // The lines were dropped (a reset, or a load begins).
    void cleared();
    void currentLineChanged(int index);
    // After the line's change, when the word being spoken changed.
    void currentWordChanged(int line, int word);
    // The text of the line being spoken ("" when a load failed).
    void lineShown(const QString& text);
    void lineChosen(int index);

private:
    const IPlaybackClock& m_clock;
    CLrc m_lrc;
    LrcItems m_items;
    QString m_path;
    QString m_status;
    QString m_shown;
    QString m_current;
    int m_currentIndex = -1;
    int m_currentWord = -1;
    QTimer m_timer;
};

} // namespace kestrova
