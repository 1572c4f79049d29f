// Follow-reading: the learner records the current sentence in their own voice, plays the
// recording, plays the source sentence, and compares the two one after the other (the
// source once, then the recording). The recording lives in the engine; this drives it and
// the transport, keeps each button's text and enabled state, the after-recording choice
// (`WhenRecordFinished`), the input level, and the two times that its 100 ms timers follow.
// The "跟读对比" panel is its view. No widgets. GUI thread.
#pragma once

#include "player/VoiceComparer.h"

#include <QObject>
#include <QTimer>

namespace kestrova {

class CAppSetting;
class CMediaCore;
class CPlaybackController;
class CSentenceModel;

class CRecordController : public QObject {
    Q_OBJECT
public:
    enum class Button { Record, PlayRecording, PlaySource, Compare, Save };
    // What follows a recording that stops: nothing, its playback, or a comparison.
    enum class AfterRecording { Manual, PlayRecording, Compare };
    static constexpr int kLevelNeutral = 50;

    CRecordController(CAppSetting& settings, CPlaybackController& playback,
                      CSentenceModel& sentences, QObject* parent = nullptr);
    ~CRecordController() override;

    // Opens the recording device (when the panel is first shown); false when there is none
    // (the engine told the learner).
    bool Init();
    bool Initialised() const { return m_initialised; }

    bool Recording() const { return m_recording; }
    bool PlayingRecording() const { return m_playingRecording; }
    bool PlayingSource() const { return m_playingSource; }
    bool Comparing() const { return m_comparing; }
    QString Text(Button button) const;
    bool IsEnabled(Button button) const;
    AfterRecording Mode() const { return m_mode; }
    int Level() const { return m_level; }
    // The last recording's length and the playback position in it, in centiseconds.
    int RecordedCs() const { return m_recordedCs; }
    int PositionCs() const { return m_positionCs; }

    // The buttons.
    void Record();
    void PlayRecording();
    void PlaySource();
    void Compare();
    // Writes the recording as a WAV file; false (and told) when it could not be written.
    bool Save(const QString& path);
    void Previous();
    void Next();
    void SetMode(AfterRecording mode);
    void SetLevel(int level);
    void ResetLevel() { SetLevel(kLevelNeutral); }

    // One step of the timers.
    void RecordingTick();
    void PlaybackTick();

    // Works out the comparison picture of the current sentence and the last recording
    // (after a recording and when the sentence changes).
    void UpdateComparison();
    CVoiceComparer& Comparer() { return m_comparer; }

Q_SIGNALS:
    // A text or an enabled state changed.
    void changed();
    void timesChanged();

private:
    void PauseMain();
    void StopSource(bool fromComparison);
    void SourceEnded();
    void Reset();
    void Enable(Button button, bool on);
    CMediaCore& Engine();

    CAppSetting& m_settings;
    CPlaybackController& m_playback;
    CSentenceModel& m_sentences;
    QTimer m_recordTimer;
    QTimer m_playTimer;
    CVoiceComparer m_comparer;
    bool m_initialised = false;
    bool m_recording = false;
    bool m_playingRecording = false;
    bool m_playingSource = false;
    bool m_comparing = false;
    unsigned m_enabled = 0;
    AfterRecording m_mode = AfterRecording::PlayRecording;
    int m_level = kLevelNeutral;
    int m_recordedCs = 0;
    int m_positionCs = 0;
};

} // namespace kestrova
