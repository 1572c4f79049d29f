#include "PlaybackController.h"

#include "PlaylistModel.h"
#include "SentenceModel.h"
#include "audio/MediaCore.h"
#include "audio/SoundPlayer.h"
#include "common/AppSetting.h"
#include "common/Util.h"

#include <QTimer>
#include <cmath>

namespace kestrova {

namespace {
constexpr int kJumpMs = 2000;
constexpr int kPauseSeconds[] = {1, 3, 5, 10};

using C = CommandId;
// The commands of the transport.
constexpr CommandId kCommands[] = {
    C::Play,        C::Pause,        C::PlayPause,   C::Stop,   C::Back,          C::Forward,
    C::BackToStart, C::SetStart,     C::SetEnd,      C::OneKey, C::MoveStartLeft, C::MoveEndRight,
    C::ClearRegion, C::PrevFile,     C::NextFile,    C::Mute,   C::VolumeUp,      C::VolumeDown,
    C::AutoRepeat,  C::PrevSentence, C::NextSentence};

// The program makes the engine and ends when there is no device; a controller made without
// one (its tests, a frame on its own) gets the engine of KESTROVA_AUDIO, or a silent one.
std::unique_ptr<CMediaCore> MakeEngine() {
    if (auto engine = CMediaCore::Create()) return engine;
    return std::make_unique<CMediaCore>(
        std::make_unique<CNullAudioOutput>(CNullAudioOutput::Mode::Realtime));
}
} // namespace

CPlaybackController::CPlaybackController(CAppSetting& settings, std::unique_ptr<CMediaCore> engine,
                                         QObject* parent)
    : QObject(parent), m_settings(settings), m_engine(engine ? std::move(engine) : MakeEngine()),
      m_prompt(std::make_unique<CSoundPlayer>()), m_commands(kCommands) {
    m_volume = std::clamp(m_settings.Volume, 0, 100);
    m_muted = m_settings.Mute;
    m_positionTimer = new QTimer(this);
    m_positionTimer->setInterval(100);
    m_pauseTimer = new QTimer(this);
    m_pauseTimer->setInterval(1000);
    connect(m_positionTimer, &QTimer::timeout, this, &CPlaybackController::PositionTick);
    connect(m_pauseTimer, &QTimer::timeout, this, &CPlaybackController::PauseTick);
    // New repeat options (a pause of another length, for one): the pause counts again.
    connect(&m_settings, &CAppSetting::changed, this, [this](CAppSetting::Group group) {
        if (group == CAppSetting::Group::Repeat) m_pauseSeconds = 0;
    });
    m_engine->SetPlayEndHandler([this](CMediaCore::EndKind kind) {
        if (kind == CMediaCore::EndKind::StopMark) {
            OnRegionEnd();
            return false;
        }
        return PlayEnd();
    });
    // The engine has paused; the next Play opens the device again.
    connect(m_engine.get(), &CMediaCore::deviceLost, this, [this] {
        m_positionTimer->stop();
        StopPauseTimer(); // a pause between passes would only try again without sound
        m_deviceLost = true;
        Q_EMIT message(DeviceLostText());
        UpdateCommands();
    });
    UpdateCommands();
}

CPlaybackController::~CPlaybackController() {
    const int index = PlaylistIndex();
    m_settings.PlaylistIndex = index == -1 ? 0 : index;
    m_engine->SetPlayEndHandler(nullptr);
}

void CPlaybackController::SetSentences(CSentenceModel* sentences) {
    if (m_sentences) m_sentences->disconnect(this);
    m_sentences = sentences;
    if (!sentences) return;
    connect(sentences, &CSentenceModel::sentenceChosen, this, &CPlaybackController::SetRegion);
    connect(sentences, &CSentenceModel::boundaryMoved, this, &CPlaybackController::MoveRegionEdges);
    // A list replaced or emptied drops the region of the old one.
    connect(sentences, &QAbstractItemModel::modelReset, this, [this] {
        ClearRegion();
        UpdateCommands();
    });
    connect(sentences, &CSentenceModel::currentChanged, this, [this] { UpdateCommands(); });
}

QString CPlaybackController::PassText(int pass, int of, std::optional<int> tempo) {
    QString text = QString::fromUtf8("第 %1/%2 遍").arg(pass).arg(of);
    if (!tempo) return text;
    // The pass's tempo with a true minus sign: "第 2/3 遍 −15%".
    const QString sign = *tempo < 0 ? QString(QChar(0x2212)) : *tempo > 0 ? "+" : QString();
    return text + " " + sign + QString::number(std::abs(*tempo)) + "%";
}
QString CPlaybackController::PauseText(int seconds, int length) {
    return QString::fromUtf8("句间暂停:") + QString::number(seconds) +
           (length < 0 ? QString() : "/" + QString::number(length));
}
QString CPlaybackController::DeviceLostText() {
    return QString::fromUtf8("声音设备已断开，按“播放”重新连接");
}

bool CPlaybackController::HasFile() const {
    return m_engine->HasChannel();
}
int CPlaybackController::LengthCs() const {
    return HasFile() ? m_engine->GetLength() / 10 : 0;
}
bool CPlaybackController::Pausing() const {
    return m_pauseTimer->isActive();
}
int CPlaybackController::EntryCount() const {
    return m_playlist ? m_playlist->Count() : 0;
}
int CPlaybackController::PlaylistIndex() const {
    return m_playlist ? m_playlist->Cursor() : -1;
}
QString CPlaybackController::CurrentEntry() const {
    return m_openEntry;
}

CPlaybackController::State CPlaybackController::GetState() const {
    if (!HasFile()) return State::NoFile;
    if (m_engine->IsPlaying()) return State::Playing;
    if (m_engine->IsPaused()) return State::Paused;
    return State::Stopped;
}

void CPlaybackController::SetDictating(bool sentence, bool any) {
    m_dictating = sentence;
    m_anyDictation = any || sentence;
    UpdateCommands();
}

bool CPlaybackController::Handles(CommandId id) {
    return CCommandStates(kCommands).Holds(id);
}

bool CPlaybackController::IsEnabled(CommandId c) const {
    const bool file = HasFile();
    const bool stopped = m_engine->IsStopped();
    switch (c) {
    case C::Play:
        return file && !m_engine->IsPlaying();
    case C::Pause:
        return file && !stopped && !m_engine->IsPaused();
    case C::PlayPause:
        return file;
    case C::Stop:
        return file && !stopped && !m_dictating;
    case C::Back:
    case C::Forward:
    case C::SetStart:
    case C::SetEnd:
    case C::BackToStart:
        return file && !stopped;
    case C::OneKey:
        return file && m_engine->IsPlaying() && !m_dictating;
    case C::MoveStartLeft:
        return m_region.set && m_region.start != 0;
    case C::MoveEndRight:
        return file && m_region.set && m_region.end != LengthCs();
    case C::ClearRegion:
        return file && m_region.set && !m_dictating;
    case C::PrevFile:
        return PlaylistIndex() >= 1;
    case C::NextFile:
        return PlaylistIndex() != -1 && PlaylistIndex() < EntryCount() - 1;
    case C::Mute:
    case C::VolumeUp:
    case C::VolumeDown:
        return true;
    case C::AutoRepeat:
        return file && m_sentences && m_sentences->Count() >= 1 && !m_anyDictation;
    case C::PrevSentence:
        return m_sentences && m_sentences->CanPrevious();
    case C::NextSentence:
        return m_sentences && m_sentences->CanNext();
    default:
        return false;
    }
}

void CPlaybackController::Execute(CommandId c) {
    // Automatic repeat is switched off whenever it is on, even when it could not start now.
    if (!IsEnabled(c) && !(c == C::AutoRepeat && m_autoRepeat)) {
        UpdateCommands();
        return;
    }
    switch (c) {
    case C::Play:
        DoPlay();
        break;
    case C::Pause:
        Pause();
        break;
    case C::PlayPause:
        if (m_engine->IsPlaying())
            Pause();
        else
            DoPlay();
        break;
    case C::Stop:
        Stop();
        break;
    case C::Back:
    case C::Forward: {
        const int t = m_engine->GetPosition() + (c == C::Back ? -kJumpMs : kJumpMs);
        const double cs = std::floor(double(t) / 10.0);
        if (c == C::Back ? cs >= m_region.start : cs <= m_region.end) {
            m_engine->SetPosition(t);
            ShowPosition(t / 10);
        }
        break;
    }
    case C::BackToStart:
        m_engine->SetPosition(m_region.start * 10);
        break;
    case C::SetStart:
        SetStartPoint();
        break;
    case C::SetEnd:
        SetEndPoint();
        break;
    case C::OneKey:
        if (m_oneKey == OneKeyStep::None) {
            SetStartPoint();
            m_oneKey = OneKeyStep::StartSet;
        } else if (m_oneKey == OneKeyStep::StartSet) {
            SetEndPoint();
        } else {
            ClearRegion();
        }
        break;
    case C::MoveStartLeft:
        m_region.start = std::max(0, m_region.start - RepeatOptions::From(m_settings).moveStepCs);
        EmitRegion();
        ApplyStopMark();
        break;
    case C::MoveEndRight:
        m_region.end =
            std::min(LengthCs(), m_region.end + RepeatOptions::From(m_settings).moveStepCs);
        EmitRegion();
        ApplyStopMark();
        break;
    case C::ClearRegion:
        ClearRegion();
        break;
    case C::PrevFile:
        StepFile(-1);
        break;
    case C::NextFile:
        StepFile(+1);
        break;
    case C::Mute:
        SetMute(!m_muted);
        break;
    case C::VolumeUp:
        SetVolume(std::min(100, m_volume + 5));
        break;
    case C::VolumeDown:
        SetVolume(std::max(0, m_volume - 5));
        break;
    case C::AutoRepeat:
        SwitchAutoRepeat();
        break;
    case C::PrevSentence:
        m_sentences->Previous();
        break;
    case C::NextSentence:
        m_sentences->Next();
        break;
    default:
        break;
    }
    UpdateCommands();
}

bool CPlaybackController::DoPlay() {
    if (!HasFile()) return false;
    if (!m_engine->Play(false)) {
        UpdateCommands();
        return false;
    }
    if (!m_positionTimer->isActive()) m_positionTimer->start();
    StopPauseTimer();
    UpdateCommands();
    if (m_deviceLost) {
        m_deviceLost = false; // the sound is back
        Q_EMIT message(QString());
    }
    // Play pressed in the pause between passes starts the next pass: the count says so.
    ShowPassMessage();
    Q_EMIT playbackResumed();
    return true;
}

void CPlaybackController::Pause() {
    if (m_engine->IsPlaying()) {
        m_positionTimer->stop();
        m_engine->Pause();
        ShowPosition(m_engine->GetPosition() / 10); // where it was paused, not the last tick
    }
    UpdateCommands();
}

void CPlaybackController::Stop() {
    m_engine->Stop();
    Reset();
}

void CPlaybackController::Reset() {
    Q_EMIT stopped(); // a running dictation ends first, before its sentence is let go
    m_positionTimer->stop();
    StopPauseTimer();
    ClearRegion();
    Q_EMIT regionChanged(m_region);
    ShowPosition(0);
    if (m_sentences) m_sentences->StopSplit();
    UpdateCommands();
}

void CPlaybackController::ClearRegion() {
    if (!m_region.set) return;
    EndAutoRepeat();
    m_region = Region{0, LengthCs(), false};
    m_oneKey = OneKeyStep::None;
    Q_EMIT regionChanged(m_region);
    Q_EMIT message(QString());
    if (m_sentences) m_sentences->SelectSentence(-1);
    StopPauseTimer();
    ApplyStopMark();
    UpdateCommands();
    Q_EMIT playbackResumed();
}

void CPlaybackController::EmitRegion() {
    Q_EMIT regionChanged(m_region);
}

void CPlaybackController::ShowPosition(int p) {
    // The one place that reports the position, so that every view of it agrees (after a
    // stop, the end of the file, or in the pause between passes).
    const int length = LengthCs();
    p = std::clamp(p, 0, length);
    Q_EMIT positionChanged(p, length);
}

void CPlaybackController::ApplyStopMark() {
    if (!HasFile()) return;
    const int endMs = m_region.end * 10;
    // A region that ends with the file ends through the channel's own end, which hands over
    // to the play order when the last pass is done.
    if (m_region.set && endMs < m_engine->GetLength())
        m_engine->SetStopMark(endMs);
    else
        m_engine->SetStopMark(-1);
}

void CPlaybackController::MoveRegionEdges(std::uint32_t start, std::uint32_t end) {
    // The sentence being repeated got new edges: the region follows without a jump.
    if (!m_region.set) return;
    m_region.start = int(start);
    m_region.end = int(end);
    EmitRegion();
    ApplyStopMark();
}

void CPlaybackController::SetStartPoint() {
    if (!m_engine->IsPlaying()) return;
    m_region.start = m_engine->GetPosition() / 10;
    m_region.set = true;
    m_oneKey = OneKeyStep::RegionSet;
    EmitRegion();
    ApplyStopMark();
}

void CPlaybackController::SetEndPoint() {
    if (!m_engine->IsPlaying()) return;
    m_region.end = m_engine->GetPosition() / 10;
    m_region.set = true;
    m_oneKey = OneKeyStep::RegionSet;
    EmitRegion();
    ApplyStopMark();
    m_engine->SetPosition(m_region.start * 10);
}

void CPlaybackController::SetRegion(std::uint32_t start, std::uint32_t end) {
    m_region.start = start != 0 ? int(start) : 0;
    m_region.end = end != 0 ? int(end) : LengthCs();
    m_region.set = true;
    EmitRegion();
    ApplyStopMark();
    m_counter = RepeatOptions::From(m_settings).passes;
    ApplyPassTempo();
    if (end != 0) m_engine->SetPosition(m_region.start * 10);
    m_oneKey = OneKeyStep::RegionSet;
    // Play tells the pass count itself; a region chosen while playing tells it here.
    if (!m_engine->IsPlaying())
        DoPlay();
    else
        ShowPassMessage();
    UpdateCommands();
    Q_EMIT playbackResumed();
}

int CPlaybackController::PassNumber() const {
    const int passes = RepeatOptions::From(m_settings).passes;
    return std::clamp(passes - m_counter + 1, 1, std::max(passes, 1));
}

std::optional<int> CPlaybackController::PassTempo() const {
    const RepeatOptions o = RepeatOptions::From(m_settings);
    if (!m_autoRepeat || o.passTempos.empty()) return std::nullopt;
    return o.passTempos[std::min(std::size_t(PassNumber()), o.passTempos.size()) - 1];
}

void CPlaybackController::ApplyPassTempo() {
    // Set while playback waits at the region's start, so that the whole pass has it.
    const std::optional<int> tempo = PassTempo();
    if (!tempo || !HasFile()) return;
    m_engine->SetTempo(float(*tempo));
    m_passTempos = true;
}

void CPlaybackController::RestoreTempo() {
    // Automatic repeat is over: the tempo slider's value again.
    if (!m_passTempos) return;
    m_passTempos = false;
    if (HasFile()) m_engine->SetTempo(float(m_settings.Tempo));
}

void CPlaybackController::ShowPassMessage() {
    // The lost device's note stays until the sound is back.
    const int passes = RepeatOptions::From(m_settings).passes;
    if (m_deviceLost || !m_autoRepeat || passes <= 0) return;
    const int pass = PassNumber();
    Q_EMIT passChanged(pass, passes);
    Q_EMIT message(PassText(pass, passes, PassTempo()));
}

bool CPlaybackController::OpenEntry(int index) {
    Stop();
    if (m_store && !m_store->SaveBeforeLeaving()) {
        UpdateCommands();
        return false;
    }
    if (m_playlist) m_playlist->SetCursor(index);
    if (index < 0) {
        m_engine->Free();
        m_openEntry.clear();
        if (m_store) m_store->EntryReleased();
        Q_EMIT fileReleased();
        Q_EMIT entryOpened(-1);
        UpdateCommands();
        return false;
    }
    if (!OpenCurrentEntry()) {
        UpdateCommands();
        return false;
    }
    DoPlay();
    return true;
}

bool CPlaybackController::OpenCurrentEntry() {
    const int index = PlaylistIndex();
    if (index < 0 || index >= EntryCount()) return false;
    const QString entry = m_playlist->Path(index);
    m_openEntry = entry;
    const QString loaded = m_store ? m_store->LoadEntry(entry) : QString();
    const QString media = entry.endsWith(".kcw", Qt::CaseInsensitive) ? loaded : entry;
    if (m_sentences) m_sentences->Clear();
    // The playlist marks the entry even when it fails, so the learner sees which one it was.
    const bool ok = m_engine->Load(media);
    Q_EMIT entryOpened(index);
    if (!ok) {
        ShowPosition(0);
        return false;
    }
    // The learner's tempo and pitch apply to every file opened.
    m_engine->SetTempoAndPitch(float(m_settings.Tempo), float(m_settings.Pitch));
    m_region = Region{0, LengthCs(), false};
    ShowPosition(0);
    m_engine->SetVolume(m_volume);
    if (m_muted) m_engine->SetMute(true);
    Q_EMIT fileOpened(media);
    UpdateCommands();
    return true;
}

bool CPlaybackController::RestoreLastEntry() {
    Stop();
    const int count = EntryCount();
    const int index = m_settings.PlaylistIndex >= 0 && m_settings.PlaylistIndex < count
                          ? m_settings.PlaylistIndex
                          : 0;
    if (m_playlist) m_playlist->SetCursor(index);
    const bool ok = OpenCurrentEntry();
    UpdateCommands();
    return ok;
}

void CPlaybackController::PlayNewList(const QStringList& files) {
    // The open file's work is saved first; while it is not safe the list stays as it is.
    if (!m_playlist || (m_store && !m_store->SaveBeforeLeaving())) return;
    m_playlist->SetPaths(files);
    m_playlist->Save();
    m_settings.PlaylistIndex = 0;
    if (RestoreLastEntry()) Execute(C::Play);
}

void CPlaybackController::RemoveEntry(int row) {
    if (!m_playlist || row < 0 || row >= m_playlist->Count()) return;
    // The playing entry is let go first; a file whose work is not safe stays, and so does
    // its entry.
    const bool playing = row == m_playlist->Cursor();
    if (playing && !OpenEntry(-1) && HasFile()) return;
    m_playlist->RemoveAt(row);
    m_playlist->Save();
    if (!playing) {
        UpdateCommands();
        return;
    }
    if (m_playlist->Count() == 0)
        Q_EMIT playlistReleased();
    else
        OpenEntry(0);
}

void CPlaybackController::RemoveAllEntries() {
    if (!OpenEntry(-1) && HasFile()) return;
    if (m_playlist) {
        m_playlist->SetPaths({});
        m_playlist->Save();
    }
    Q_EMIT playlistReleased();
    UpdateCommands();
}

void CPlaybackController::StepFile(int step) {
    // After a failed open the cursor stays on the failed entry: the playlist shows which
    // file it was, and the next press goes on from there.
    const int target = PlaylistIndex() + step;
    if (target < 0 || target >= EntryCount()) return;
    OpenEntry(target);
}

void CPlaybackController::SetMute(bool muted) {
    m_engine->SetMute(muted);
    m_settings.Mute = muted;
    if (m_muted == muted) return;
    m_muted = muted;
    Q_EMIT muteChanged(muted);
}

void CPlaybackController::SetVolume(int volume) {
    volume = std::clamp(volume, 0, 100);
    // Moving the volume releases the mute.
    if (m_muted) {
        m_muted = false;
        m_settings.Mute = false;
        Q_EMIT muteChanged(false);
    }
    m_engine->SetVolume(volume);
    m_settings.Volume = volume;
    if (m_volume == volume) return;
    m_volume = volume;
    Q_EMIT volumeChanged(volume);
}

void CPlaybackController::EndAutoRepeat() {
    if (!m_autoRepeat) return;
    m_autoRepeat = false;
    RestoreTempo();
    Q_EMIT autoRepeatChanged(false);
}

void CPlaybackController::ReleaseAutoRepeat() {
    if (!m_autoRepeat) return;
    EndAutoRepeat();
    UpdateCommands();
}

void CPlaybackController::GiveWay() {
    if (m_engine->IsPlaying())
        Execute(C::Pause);
    else if (Pausing())
        Execute(C::Stop);
}

void CPlaybackController::SeekTo(int p) {
    if (!HasFile()) return;
    int shown = p;
    const bool clears = RepeatOptions::From(m_settings).seekOutsideClears;
    // At or past the region's end counts as past it: a seek to the end itself would start
    // playback on the stop mark and run on beyond the region.
    if (m_region.set && p >= m_region.end) {
        if (clears) {
            ClearRegion();
            m_engine->SetPosition(p * 10);
        } else {
            shown = m_region.end;
        }
    } else if (m_region.set && p < m_region.start) {
        if (clears) {
            ClearRegion();
            m_engine->SetPosition(p * 10);
        } else {
            m_engine->SetPosition(m_region.start * 10);
        }
    } else {
        m_engine->SetPosition(p * 10);
    }
    ShowPosition(shown);
}

void CPlaybackController::SwitchAutoRepeat() {
    if (m_sentences && m_sentences->IsSplitting()) {
        Q_EMIT autoRepeatChanged(m_autoRepeat); // a button that toggled itself goes back
        return;
    }
    if (m_autoRepeat) {
        ClearRegion();
        EndAutoRepeat(); // ClearRegion leaves it on when no region was set
    } else {
        m_autoRepeat = true;
        Q_EMIT autoRepeatChanged(true);
        m_counter = RepeatOptions::From(m_settings).passes;
        Q_EMIT playbackResumed();
        if (m_sentences) {
            const int current = m_sentences->Current();
            m_sentences->SelectSentence(current < 0 ? 0 : current);
        }
    }
    UpdateCommands();
}

bool CPlaybackController::PassHeld() {
    m_hold = false;
    Q_EMIT passEnded();
    const bool held = m_hold;
    m_hold = false;
    return held;
}

void CPlaybackController::PlayPrompt() {
    const RepeatOptions o = RepeatOptions::From(m_settings);
    if (o.promptAfterPass && !o.promptSound.isEmpty()) m_prompt->Play(o.promptSound);
}

void CPlaybackController::OnRegionEnd() {
    const RepeatOptions o = RepeatOptions::From(m_settings);
    m_engine->Pause();
    PlayPrompt();
    --m_counter;
    ApplyPassTempo();
    m_engine->SetPosition(m_region.start * 10);
    if (PassHeld()) {
        UpdateCommands();
        return;
    }
    if (!Pausing() && ((m_dictating && o.dictationPause != 0) || o.pauseAfterPass)) {
        StartPauseTimer();
        PauseTick();
        return;
    }
    if (m_autoRepeat && m_counter <= 0 && m_sentences && m_sentences->CanNext()) {
        m_sentences->Next();
        return;
    }
    DoPlay();
}

bool CPlaybackController::PlayEnd() {
    const RepeatOptions o = RepeatOptions::From(m_settings);
    if (PassHeld()) {
        m_engine->SetPosition(m_region.start * 10);
        Pause();
        return false;
    }
    if (m_region.set && m_counter > 0) {
        PlayPrompt();
        if (!m_autoRepeat) {
            m_engine->SetPosition(m_region.start * 10);
            DoPlay();
            return false;
        }
        if (--m_counter > 0) {
            ApplyPassTempo();
            m_engine->SetPosition(m_region.start * 10);
            if (!Pausing() && o.dictationPause != 0 && (m_dictating || o.pauseAfterPass)) {
                m_engine->Pause();
                StartPauseTimer();
            }
            ShowPassMessage();
            return false;
        }
    }
    // The file is done: the play order decides what comes next, after this answer.
    Reset();
    switch (o.order) {
    case PlayOrder::RepeatOne:
        Post(C::Play);
        break;
    case PlayOrder::RepeatList:
        if (PlaylistIndex() == -1 || PlaylistIndex() >= EntryCount() - 1) {
            if (m_playlist) m_playlist->SetCursor(0);
            if (!OpenCurrentEntry()) return false;
            Post(C::Play);
        } else {
            Post(C::NextFile);
        }
        break;
    case PlayOrder::PlayOnce:
        Post(C::Stop);
        break;
    case PlayOrder::Default:
        Post(C::NextFile);
        break;
    }
    return true;
}

void CPlaybackController::Post(CommandId id) {
    QMetaObject::invokeMethod(
        this, [this, id] { Execute(id); }, Qt::QueuedConnection);
}

void CPlaybackController::StartPauseTimer() {
    m_pauseSeconds = 0;
    m_pauseTimer->start();
}

void CPlaybackController::StopPauseTimer() {
    const bool was = m_pauseTimer->isActive();
    m_pauseTimer->stop();
    m_pauseSeconds = 0;
    if (was) Q_EMIT pauseCounted(0, 0);
}

void CPlaybackController::PositionTick() {
    if (!HasFile()) return;
    const int p = m_engine->GetPosition() / 10;
    // A pass ends through the engine (its stop mark, or the channel end for a region that
    // ends with the file), never here: the timer only follows the position.
    if (!m_region.set || p < m_region.end) {
        if (!m_region.set || p >= m_region.start)
            ShowPosition(p);
        else
            m_engine->SetPosition(m_region.start * 10);
    }
    UpdateCommands();
}

void CPlaybackController::PauseTick() {
    ++m_pauseSeconds;
    const RepeatOptions o = RepeatOptions::From(m_settings);
    int length = 0;
    const bool hold = !m_anyDictation && o.pause == PauseChoice::Hold;
    if (m_anyDictation) {
        length = o.dictationPause;
    } else {
        const double region = double(m_region.end - m_region.start) / 100.0;
        switch (o.pause) {
        case PauseChoice::RegionLength:
            length = int(region);
            break;
        case PauseChoice::TwiceRegionLength:
            length = int(region * 2);
            break;
        case PauseChoice::Hold:
            length = -1;
            break;
        default:
            length = kPauseSeconds[int(o.pause)];
            break;
        }
    }
    // The choice "暂停" holds playback until the learner presses Play.
    Q_EMIT pauseCounted(m_pauseSeconds, hold ? -1 : length);
    if (hold || m_pauseSeconds < length + 1) return;
    StopPauseTimer();
    if (m_autoRepeat && m_counter <= 0) {
        if (m_sentences && m_sentences->CanNext()) m_sentences->Next();
    } else {
        DoPlay();
    }
}

void CPlaybackController::UpdateCommands() {
    // The position timer calls this ten times a second: listeners hear only of changes.
    m_commands.Update([this](CommandId id) { return IsEnabled(id); },
                      [this](CommandId id, bool on) { Q_EMIT commandEnabledChanged(id, on); });
    const State state = GetState();
    if (state != m_state) {
        m_state = state;
        Q_EMIT stateChanged(state);
    }
}

} // namespace kestrova
