// The study loop's transport: owns the audio engine and the prompt player, the repeat region
// (centiseconds), the one-key steps, the passes over the region with the pauses between
// them, automatic sentence-by-sentence repeat, volume and mute, the play order and the
// playlist cursor, and every transport command with its enabled rule. A pass ends exactly at
// the region's end through the engine's stop mark. Every surface (the control bar, menus,
// and later the tray, mini window, hotkeys and media keys) runs commands by id and follows
// the signals; the controller never reaches into a view. No widgets. GUI thread.
#pragma once

#include "common/Options.h"
#include "player/CommandStates.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

class QTimer;

namespace kestrova {

class CAppSetting;
class CMediaCore;
class CPlaylistModel;
class CSentenceModel;
class CSoundPlayer;

// The repeat region in centiseconds; `set` false: none (start 0, end the file's length).
struct Region {
    int start = 0;
    int end = 0;
    bool set = false;
    bool operator==(const Region&) const = default;
};

// The one-key command's steps: press to set the start, press to set the end, press to clear.
enum class OneKeyStep { None, StartSet, RegionSet };

// Where the loop saves and loads the learner's work of the entry it leaves or opens.
class IEntryStore {
public:
    virtual ~IEntryStore() = default;
    // Before another file opens; false: the open file's work is not safe, it stays open.
    virtual bool SaveBeforeLeaving() = 0;
    // Unpacks the work of the entry about to open; for a courseware (.kcw), the media in it
    // to open.
    virtual QString LoadEntry(const QString& entry) = 0;
    // The open entry was let go without another one opening.
    virtual void EntryReleased() = 0;
};

class CPlaybackController : public QObject {
    Q_OBJECT
public:
    enum class State { NoFile, Stopped, Playing, Paused };

    // `engine`: the program's audio engine (null: the one KESTROVA_AUDIO names, or a silent
    // one when there is no device).
    CPlaybackController(CAppSetting& settings, std::unique_ptr<CMediaCore> engine,
                        QObject* parent = nullptr);
    ~CPlaybackController() override;

    void SetSentences(CSentenceModel* sentences);
    void SetPlaylist(CPlaylistModel* playlist) { m_playlist = playlist; }
    void SetEntryStore(IEntryStore* store) { m_store = store; }

    CMediaCore& Engine() { return *m_engine; }
    const CMediaCore& Engine() const { return *m_engine; }

    // The transport commands this controller carries out.
    static bool Handles(CommandId id);
    bool IsEnabled(CommandId id) const;
    // Runs a command when it is enabled.
    void Execute(CommandId id);
    void Play() { Execute(CommandId::Play); }

    State GetState() const;
    // The region as it stands; a view made later starts from it, then follows regionChanged.
    Region GetRegion() const { return m_region; }
    bool AutoRepeatOn() const { return m_autoRepeat; }
    bool Muted() const { return m_muted; }
    int Volume() const { return m_volume; }
    bool Pausing() const; // counting the pause between passes

    // Sentence dictation runs (its commands are off, the pause between passes counts for
    // it); `any`: sentence or free dictation runs.
    void SetDictating(bool sentence, bool any);

    // Operations.
    bool OpenEntry(int index);
    bool RestoreLastEntry();
    // The list was replaced by these files: the work of the open one is saved, the first
    // opens and plays.
    void PlayNewList(const QStringList& files);
    void RemoveEntry(int row);
    void RemoveAllEntries();
    QString CurrentEntry() const;
    int PlaylistIndex() const;
    // A chosen sentence's span becomes the region and plays; 0 keeps that end of the file.
    void SetRegion(std::uint32_t start, std::uint32_t end);
    // The current sentence's edges moved: a set region takes them, playback goes on.
    void MoveRegionEdges(std::uint32_t start, std::uint32_t end);
    // Clears the region whatever the command's enabled rule says: a list rebuilt while
    // dictation runs must not keep the region of a sentence that is gone.
    void ClearRegion();
    void SetVolume(int volume);
    void SetMute(bool muted);
    // Automatic repeat lets go (another part takes over playback); the region stays.
    void ReleaseAutoRepeat();
    // Another player takes the sound (the radio): playback pauses, and a pause between passes
    // that is counting ends in a stop, so that no next pass sounds over it.
    void GiveWay();
    // The learner seeks to p (centiseconds): the slider released, a click on the waveform.
    void SeekTo(int p);
    // A listener of `passEnded` keeps playback at the region's start (the recorder takes
    // over); valid only inside that signal.
    void HoldAfterPass() { m_hold = true; }

    // One step of the timers: the position (100 ms) and the pause between passes (1 s).
    void PositionTick();
    void PauseTick();

    // Texts of the status bar for the loop.
    // "第 2/3 遍", and the pass's tempo when automatic repeat steps it ("第 2/3 遍 −15%").
    static QString PassText(int pass, int of, std::optional<int> tempo = std::nullopt);
    static QString PauseText(int seconds, int length);
    static QString DeviceLostText();

Q_SIGNALS:
    void stateChanged(kestrova::CPlaybackController::State state);
    // The heard position in centiseconds, and the file's length; the only poll.
    void positionChanged(int position, int length);
    void regionChanged(const kestrova::Region& region);
    // Pass k of n begins (automatic repeat shows it).
    void passChanged(int pass, int of);
    // A pass over the region ended; listeners may call HoldAfterPass.
    void passEnded();
    // The pause between passes: seconds counted and its length (-1 held); 0, 0: it is over.
    void pauseCounted(int seconds, int length);
    // The loop's note for the status bar ("" clears it).
    void message(const QString& text);
    void commandEnabledChanged(kestrova::CommandId id, bool enabled);
    void autoRepeatChanged(bool on);
    void volumeChanged(int volume);
    void muteChanged(bool muted);
    // The entry at `index` was opened (the playlist marks it); -1 released the file.
    void entryOpened(int index);
    // A file opened in the engine (subtitles load, effects apply), or was let go.
    void fileOpened(const QString& media);
    void fileReleased();
    // The playlist was emptied: the views of the file clear.
    void playlistReleased();
    // Playback was stopped and reset (a running dictation ends).
    void stopped();
    // Normal playback goes on (Play, a new region, the region cleared, automatic repeat
    // switched on): views that follow the position follow it again.
    void playbackResumed();

private:
    bool DoPlay();
    void Pause();
    void Stop();
    void Reset();
    void SetStartPoint();
    void SetEndPoint();
    void StepFile(int step);
    void SwitchAutoRepeat();
    bool OpenCurrentEntry();
    void OnRegionEnd();
    bool PlayEnd();
    void EmitRegion();
    void ShowPosition(int p);
    void ShowPassMessage();
    int PassNumber() const;
    std::optional<int> PassTempo() const;
    void ApplyPassTempo();
    void RestoreTempo();
    void EndAutoRepeat(); // off, tempo back, told; no command refresh
    void ApplyStopMark();
    void StartPauseTimer();
    void StopPauseTimer();
    void Post(CommandId id);
    bool PassHeld();
    void PlayPrompt();
    bool HasFile() const;
    int LengthCs() const;
    int EntryCount() const;
    void UpdateCommands();

    CAppSetting& m_settings;
    std::unique_ptr<CMediaCore> m_engine;
    std::unique_ptr<CSoundPlayer> m_prompt;
    CSentenceModel* m_sentences = nullptr;
    CPlaylistModel* m_playlist = nullptr;
    IEntryStore* m_store = nullptr;
    QString m_openEntry; // the entry opened last: a sort moves the cursor's entry, not this
    Region m_region;
    OneKeyStep m_oneKey = OneKeyStep::None;
    int m_counter = 0; // passes still to go over the region, this one included
    int m_pauseSeconds = 0;
    int m_volume = 0;
    bool m_muted = false;
    bool m_autoRepeat = false;
    bool m_deviceLost = false;
    bool m_dictating = false;
    bool m_anyDictation = false;
    bool m_hold = false;
    bool m_passTempos = false; // a pass of automatic repeat has its own tempo
    State m_state = State::NoFile;
    QTimer* m_positionTimer;
    QTimer* m_pauseTimer;
    CCommandStates m_commands;
};

} // namespace kestrova
