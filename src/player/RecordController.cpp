#include "RecordController.h"

#include "PlaybackController.h"
#include "SentenceModel.h"
#include "audio/MediaCore.h"
#include "common/AppSetting.h"

namespace kestrova {

namespace {
using B = CRecordController::Button;
unsigned Bit(B button) {
    return 1u << unsigned(button);
}
} // namespace

CRecordController::CRecordController(CAppSetting& settings, CPlaybackController& playback,
                                     CSentenceModel& sentences, QObject* parent)
    : QObject(parent), m_settings(settings), m_playback(playback), m_sentences(sentences) {
    m_mode = settings.WhenRecordFinished >= 0 && settings.WhenRecordFinished <= 2
                 ? AfterRecording(settings.WhenRecordFinished)
                 : AfterRecording::PlayRecording;
    m_recordTimer.setInterval(100);
    m_playTimer.setInterval(100);
    connect(&m_recordTimer, &QTimer::timeout, this, &CRecordController::RecordingTick);
    connect(&m_playTimer, &QTimer::timeout, this, &CRecordController::PlaybackTick);
    // The source sentence ends at its region's end (or the file's): a comparison goes on
    // with the recording, and playback stays at the sentence's start.
    connect(&playback, &CPlaybackController::passEnded, this, &CRecordController::SourceEnded);
    connect(&playback, &CPlaybackController::fileOpened, this, &CRecordController::Reset);
    connect(&playback.Engine(), &CMediaCore::recordingPlayEnded, this, [this] {
        if (m_playingRecording) PlayRecording();
    });
    connect(&sentences, &CSentenceModel::currentChanged, this,
            &CRecordController::UpdateComparison);
    Reset();
}

CRecordController::~CRecordController() {
    if (m_recording) Engine().StopRecording();
}

CMediaCore& CRecordController::Engine() {
    return m_playback.Engine();
}

bool CRecordController::Init() {
    m_initialised = Engine().InitRecording();
    if (m_initialised) Engine().SetInputLevel(m_level);
    return m_initialised;
}

QString CRecordController::Text(Button button) const {
    switch (button) {
    case B::Record:
        return QString::fromUtf8(m_recording ? "停止录音" : "录音");
    case B::PlayRecording:
        return QString::fromUtf8(m_playingRecording ? "停止播放" : "播放录音");
    case B::PlaySource:
        return QString::fromUtf8(m_playingSource ? "停止播放" : "播放原音");
    case B::Compare:
        return QString::fromUtf8(m_comparing ? "停止对比" : "对比播放");
    case B::Save:
        return QString::fromUtf8("保存录音");
    }
    return {};
}

bool CRecordController::IsEnabled(Button button) const {
    return m_enabled & Bit(button);
}

void CRecordController::Enable(Button button, bool on) {
    m_enabled = on ? m_enabled | Bit(button) : m_enabled & ~Bit(button);
}

void CRecordController::PauseMain() {
    // The buttons take over playback: the main one pauses, automatic repeat lets go.
    m_playback.Execute(CommandId::Pause);
    m_playback.ReleaseAutoRepeat();
}

void CRecordController::Record() {
    if (m_recording) {
        m_recordTimer.stop();
        Engine().StopRecording();
        m_recording = false;
        RecordingTick();
        UpdateComparison();
        for (B b : {B::PlaySource, B::PlayRecording, B::Compare, B::Save})
            Enable(b, true);
        Enable(B::PlayRecording, Engine().HasRecording());
        Enable(B::Compare, Engine().HasRecording());
        Enable(B::Save, Engine().HasRecording());
        Q_EMIT changed();
        if (m_mode == AfterRecording::PlayRecording && Engine().HasRecording())
            PlayRecording();
        else if (m_mode == AfterRecording::Compare && Engine().HasRecording())
            Compare();
        return;
    }
    if (!m_initialised && !Init()) return;
    PauseMain();
    // A refused start was told by the engine; the button stays as it was.
    if (!Engine().StartRecording()) return;
    m_recording = true;
    m_recordedCs = 0;
    m_recordTimer.start();
    for (B b : {B::PlaySource, B::PlayRecording, B::Compare, B::Save})
        Enable(b, false);
    Q_EMIT changed();
    Q_EMIT timesChanged();
}

void CRecordController::PlayRecording() {
    if (m_playingRecording) {
        m_playTimer.stop();
        m_playingRecording = false;
        Engine().PlayRecording(false);
        for (B b : {B::Record, B::PlaySource, B::Compare, B::Save})
            Enable(b, true);
        m_comparing = false;
        Q_EMIT changed();
        return;
    }
    if (!Engine().HasRecording()) return;
    PauseMain();
    if (!Engine().PlayRecording(true)) return;
    m_playingRecording = true;
    m_positionCs = 0;
    m_playTimer.start();
    for (B b : {B::Record, B::PlaySource, B::Save})
        Enable(b, false);
    Q_EMIT changed();
}

void CRecordController::StopSource(bool fromComparison) {
    m_playback.Execute(CommandId::Pause);
    m_playingSource = false;
    if (!fromComparison) m_comparing = false;
    Enable(B::PlayRecording, Engine().HasRecording());
    Enable(B::Record, true);
    Q_EMIT changed();
}

void CRecordController::PlaySource() {
    if (m_playingSource) {
        StopSource(false);
        return;
    }
    PauseMain();
    // The sentence chosen plays again from its start; without one, the region (or the
    // file) from its start.
    const int current = m_sentences.Current();
    if (current >= 0) {
        m_sentences.Choose(current);
    } else {
        m_playback.Engine().SetPosition(m_playback.GetRegion().start * 10);
        m_playback.Execute(CommandId::Play);
    }
    m_playingSource = true;
    Enable(B::PlaySource, true);
    Enable(B::PlayRecording, false);
    Enable(B::Record, false);
    Q_EMIT changed();
}

void CRecordController::SourceEnded() {
    if (!m_playingSource) return;
    m_playback.HoldAfterPass();
    StopSource(true);
    if (m_comparing) PlayRecording();
}

void CRecordController::Compare() {
    if (m_comparing) {
        if (m_playingSource) StopSource(false);
        if (m_playingRecording) PlayRecording();
        m_comparing = false;
        Q_EMIT changed();
        return;
    }
    if (!Engine().HasRecording()) return;
    if (m_playingRecording) PlayRecording();
    m_comparing = true;
    PlaySource();
}

bool CRecordController::Save(const QString& path) {
    if (!Engine().HasRecording() || path.isEmpty()) return false;
    return Engine().SaveRecording(path);
}

void CRecordController::Previous() {
    m_sentences.Previous();
    m_playingSource = false;
    PlaySource();
}

void CRecordController::Next() {
    m_sentences.Next();
    m_playingSource = false;
    PlaySource();
}

void CRecordController::SetMode(AfterRecording mode) {
    m_mode = mode;
    m_settings.WhenRecordFinished = int(mode); // stored at once
}

void CRecordController::SetLevel(int level) {
    m_level = std::clamp(level, 0, 100);
    Engine().SetInputLevel(m_level);
    Q_EMIT changed();
}

void CRecordController::Reset() {
    // A file opened: the last recording belongs to another sentence.
    Enable(B::Record, true);
    Enable(B::PlaySource, true);
    Enable(B::PlayRecording, false);
    Enable(B::Compare, false);
    Enable(B::Save, false);
    Q_EMIT changed();
}

void CRecordController::UpdateComparison() {
    if (!Engine().HasRecording() || !Engine().HasChannel()) return;
    // The sentence chosen, else the region; without either there is nothing to hold the
    // recording against.
    int startCs = 0;
    int endCs = 0;
    const int current = m_sentences.Current();
    if (current >= 0 && current < m_sentences.Count()) {
        startCs = int(m_sentences.At(current).start);
        endCs = int(m_sentences.At(current).end);
    } else if (const Region region = m_playback.GetRegion(); region.set) {
        startCs = region.start;
        endCs = region.end;
    } else {
        return;
    }
    m_comparer.Compare(Engine().FileName(), startCs * 10, endCs * 10, Engine().RecordingImage());
}

void CRecordController::RecordingTick() {
    m_recordedCs = Engine().GetRecordedLength() / 10;
    Q_EMIT timesChanged();
}

void CRecordController::PlaybackTick() {
    m_positionCs = std::min(Engine().GetRecordingPosition() / 10, m_recordedCs);
    Q_EMIT timesChanged();
}

} // namespace kestrova
