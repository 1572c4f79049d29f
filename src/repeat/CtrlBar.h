// The control bar: owns the audio engine, the repeat region (A-B loop, centiseconds), the
// transport buttons, the position slider with the region shown as its selection, volume and
// mute, the automatic sentence-by-sentence repeat, and the three timers (position 100 ms,
// clock 100 ms, pause 1000 ms). Every transport command of the program ends here. A pass over
// the region ends exactly at the region's end through the engine's stop mark. Other parts of
// the program are reached through hooks and signals that the main frame wires. GUI thread.
#pragma once

#include <QDockWidget>
#include <QStringList>
#include <functional>
#include <memory>

class QLabel;
class QSlider;
class QTimer;
class QToolButton;

namespace kestrova {

class CAppSetting;
class CMediaCore;
class CSellistView;
class CSoundPlayer;
class CTimeSlider;

class CCtrlBar : public QDockWidget {
    Q_OBJECT
public:
    enum class Command {
        Play,
        Pause,
        PlayPause,
        Stop,
        Back,
        Forward,
        BackToStart,
        SetStart,
        SetEnd,
        OneKey,
        MoveStartLeft,
        MoveEndRight,
        ClearRegion,
        PrevFile,
        NextFile,
        Mute,
        VolumeUp,
        VolumeDown,
        AutoRepeat,
        PrevSentence,
        NextSentence
    };

    // What the bar asks of parts that live elsewhere; every hook may be left empty.
    struct Hooks {
        // Before another file opens; false: the open file's work is not safe, it stays open.
        std::function<bool()> saveUserData;
        std::function<QString(const QString& entry)> loadUserData; // gives the media path
        std::function<void(const QString& media)> loadSubtitles;   // after the engine opened it
        std::function<bool()> dictationRunning;                    // sentence dictation in progress
        std::function<bool()> anyDictationRunning;                 // sentence or free dictation
        std::function<void(bool, bool)> stopDictation;
        std::function<bool()> recordSourceEnded;
        std::function<void(bool opened)> effectsFileChanged;
        std::function<void(int seconds)> dictationCountdown; // -1 empties it
    };

    explicit CCtrlBar(CAppSetting& settings, std::unique_ptr<CMediaCore> engine = nullptr,
                      QWidget* parent = nullptr);
    ~CCtrlBar() override;

    void SetHooks(Hooks hooks) { m_hooks = std::move(hooks); }
    const Hooks& GetHooks() const { return m_hooks; }
    void SetSentenceList(CSellistView* list) { m_sellist = list; }

    CMediaCore& Engine() { return *m_engine; }
    bool IsEnabled(Command command) const;
    // Runs a command when it is enabled.
    void Execute(Command command);

    // Operations of the bar.
    bool OpenEntry(int index);
    bool OpenCurrentEntry();
    void SetRegion(std::uint32_t start, std::uint32_t end);
    bool RestoreLastEntry(const QStringList* paths);
    void SetPlaylist(const QStringList* paths) { m_paths = paths; }
    // The playlist moved the playing entry (an entry above it was removed).
    void SetPlaylistIndex(int index) { m_index = index; }
    QString PlaylistEntry() const {
        return m_paths && m_index >= 0 && m_index < m_paths->size() ? m_paths->at(m_index)
                                                                    : QString();
    }
    void ResetPauseCounter() { m_pauseSeconds = 0; }
    // Clears the region whatever the command's enabled rule says: a list rebuilt while
    // dictation runs must not keep the region of a sentence that is gone.
    void ClearRegion();

    bool RegionSet() const { return m_regionSet; }
    double RegionStart() const { return m_start; }
    double RegionEnd() const { return m_end; }
    int OneKeyState() const { return m_oneKey; }
    int RepeatCounter() const { return m_counter; }
    int PlaylistIndex() const { return m_index; }
    int PauseSeconds() const { return m_pauseSeconds; }
    bool PauseTimerRunning() const;
    bool AutoRepeatOn() const;
    bool Muted() const;
    int Volume() const;
    CTimeSlider* Slider() const { return m_slider; }
    void SetVolume(int volume);
    // Re-reads every command's enabled state (the sentence list changed, for one).
    void RefreshCommands() { UpdateButtons(); }
    // The widest texts the bar writes into status pane 4, 5 or 7; '0' stands for any digit.
    static QStringList PaneTexts(int pane);

    // Algorithms run by the timers; public so that they can be driven directly.
    void PositionTick();
    void ClockTick();
    void PauseTick();
    // The slider moved by the learner to p (centiseconds).
    void SliderMovedTo(int p);

Q_SIGNALS:
    // A status-bar pane of the main frame: 4 start, 5 end, 7 clock or pause, 0 messages.
    void paneText(int pane, const QString& text);
    // The entry at `index` was opened (the playlist marks it); -1 released the file.
    void entryOpened(int index);
    void commandStatesChanged();
    // Normal playback goes on (Play, a new region, the region cleared, automatic repeat
    // switched on): views that follow the position follow it again.
    void playbackResumed();

private:
    bool Play();
    void Pause();
    void Stop();
    void Reset();
    void SetStartPoint();
    void SetEndPoint();
    void StepFile(int step);
    void MuteToggled(bool muted);
    void SwitchAutoRepeat(bool fromMenu);
    void OnRegionEnd();
    bool PlayEnd();
    bool OnEngineEnd(int kind);
    void ShowRegion();
    // Puts the slider at p (centiseconds) and the time beside it to match.
    void ShowPosition(int p);
    void ShowPassMessage();
    void ApplyStopMark();
    void StartPauseTimer();
    void StopPauseTimer();
    void Post(Command command);
    bool HasFile() const;
    bool Dictating() const { return m_hooks.dictationRunning && m_hooks.dictationRunning(); }
    bool AnyDictation() const {
        return m_hooks.anyDictationRunning && m_hooks.anyDictationRunning();
    }
    void UpdateButtons();
    QToolButton* AddButton(const QString& text, const QString& tip, Command command);

    CAppSetting& m_settings;
    std::unique_ptr<CMediaCore> m_engine;
    std::unique_ptr<CSoundPlayer> m_prompt;
    Hooks m_hooks;
    CSellistView* m_sellist = nullptr;
    const QStringList* m_paths = nullptr;
    double m_start = 0;
    double m_end = 0;
    bool m_regionSet = false;
    bool m_deviceLostShown = false;
    int m_oneKey = 0;
    int m_counter = 0;
    int m_index = -1;
    int m_pauseSeconds = 0;
    QTimer* m_positionTimer;
    QTimer* m_clockTimer;
    QTimer* m_pauseTimer;
    CTimeSlider* m_slider;
    QSlider* m_volume;
    QLabel* m_time;
    QToolButton* m_play = nullptr;
    QToolButton* m_pause = nullptr;
    QToolButton* m_mute = nullptr;
    QToolButton* m_autoRepeat = nullptr;
    QList<QPair<QToolButton*, Command>> m_buttons;
    std::uint64_t m_lastStates = ~std::uint64_t(0);
};

} // namespace kestrova
