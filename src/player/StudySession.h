// One study session: the playback controller with the sentence, subtitle and playlist
// models, the learner's user data of the open entry, and the rules that join them (an opened
// file loads its subtitles, whose lines become the sentences; without them the saved
// sentences are read, or the file is split when the settings allow it; sentence dictation
// locks the list and the transport). It is what dictation works with. The windows make
// their views of these objects and connect to their signals; nothing here knows a widget.
// GUI thread.
#pragma once

#include "dictation/DictationHost.h"
#include "library/UserData.h"
#include "player/CommandStates.h"
#include "player/PlaybackController.h"
#include "subtitle/SubtitleModel.h"

#include <QObject>
#include <memory>

namespace kestrova {

class CAppSetting;
class CDictationSession;
class CEffectsController;
class CRecordController;
class CMediaCore;
class CPlaylistModel;
class CSentenceModel;
class CWaveformModel;

class CStudySession : public QObject,
                      public IDictationHost,
                      private IEntryStore,
                      private IWorkPiece,
                      private IPlaybackClock {
    Q_OBJECT
public:
    CStudySession(CAppSetting& settings, std::unique_ptr<CMediaCore> engine,
                  QObject* parent = nullptr);
    ~CStudySession() override;

    CPlaybackController& Controller() { return *m_controller; }
    CSentenceModel& Sentences() { return *m_sentences; }
    CSubtitleModel& Subtitles() { return *m_subtitles; }
    CPlaylistModel& Playlist() { return *m_playlist; }
    CUserData& UserData() { return *m_userData; }
    CDictationSession& Dictation() { return *m_dictation; }
    CEffectsController& Effects() { return *m_effects; }
    CRecordController& Recorder() { return *m_recorder; }
    CWaveformModel& Waveform() { return *m_waveform; }
    CMediaCore& Engine();

    // Splitting of the open file: the command, the rule for a file opened without
    // sentences, and cancelling (which ends a dictation waiting for it).
    void StartSplit() override;
    // "保存复读区": the region becomes a sentence of the list, in order.
    void SaveRegion();
    bool AutoSplitIfAllowed();
    void CancelSplit();
    // The session's own commands (splitting, importing subtitles, exporting courseware, the
    // notes, media information, starting sentence dictation) and their enabled state, pushed
    // through `commandEnabledChanged` when it changes.
    static bool Handles(CommandId id);
    bool IsEnabled(CommandId id) const;

    // While sentence dictation runs the list refuses the learner's choices and the
    // transport keeps the commands that would leave the sentence off. `on`: a dictation
    // mode (sentence or free) is on, and the pause between passes is dictation's.
    void SetDictationMode(bool on);
    bool SentenceDictationRunning() const;
    // The open file's work is packed beside it (before another file opens, at close).
    void SaveUserData();

    // What dictation works with.
    int SentenceCount() const override;
    std::uint32_t SentenceStart(int i) const override;
    std::uint32_t SentenceEnd(int i) const override;
    int CurrentSentence() const override;
    bool PlaySentence(int i, bool own) override;
    QString Reference(int i) const override;
    QString TimedReference(int i) const override;
    bool HasSubtitles() const override;
    bool IsSplitting() const override;
    void StopAutoRepeat() override;
    void StopPlayback() override;
    void StartPlayback() override;
    QString MediaPath() const override;
    bool ReloadSubtitles(const QString& media) override;

Q_SIGNALS:
    // Splitting was cancelled by the learner: a dictation waiting for it ends.
    void splitCancelled();
    void commandEnabledChanged(kestrova::CommandId id, bool enabled);

private:
    void UpdateCommands();
    void FollowDictation();
    bool SaveBeforeLeaving() override;
    QString LoadEntry(const QString& entry) override;
    void EntryReleased() override;
    bool WritePiece() override;
    int PlayingPositionMs() const override;
    int LengthMs() const override;

    CAppSetting& m_settings;
    std::unique_ptr<CPlaylistModel> m_playlist;
    std::unique_ptr<CSentenceModel> m_sentences;
    std::unique_ptr<CUserData> m_userData;
    std::unique_ptr<CPlaybackController> m_controller;
    std::unique_ptr<CSubtitleModel> m_subtitles;
    std::unique_ptr<CDictationSession> m_dictation;
    std::unique_ptr<CEffectsController> m_effects;
    std::unique_ptr<CRecordController> m_recorder;
    std::unique_ptr<CWaveformModel> m_waveform;
    bool m_dictationMode = false;
    CCommandStates m_commands;
};

} // namespace kestrova
