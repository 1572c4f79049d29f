#include "StudySession.h"

#include "EffectsController.h"
#include "PlaylistModel.h"
#include "RecordController.h"
#include "SentenceModel.h"
#include "WaveformModel.h"
#include "audio/MediaCore.h"
#include "common/AppSetting.h"
#include "dictation/DictationSession.h"

namespace kestrova {

namespace {
using C = CommandId;
// The session's own commands.
constexpr CommandId kCommands[] = {
    C::Split, C::CancelSplit, C::ImportLrc,        C::ExportCourseware,
    C::Notes, C::MediaInfo,   C::SentenceDictation};
} // namespace

CStudySession::CStudySession(CAppSetting& settings, std::unique_ptr<CMediaCore> engine,
                             QObject* parent)
    : QObject(parent), m_settings(settings), m_playlist(std::make_unique<CPlaylistModel>()),
      m_sentences(std::make_unique<CSentenceModel>()),
      m_userData(std::make_unique<CUserData>(settings)),
      m_controller(std::make_unique<CPlaybackController>(settings, std::move(engine))),
      m_subtitles(std::make_unique<CSubtitleModel>(*static_cast<IPlaybackClock*>(this))),
      m_dictation(std::make_unique<CDictationSession>()),
      m_effects(std::make_unique<CEffectsController>(settings, *m_controller)),
      m_recorder(std::make_unique<CRecordController>(settings, *m_controller, *m_sentences)),
      m_waveform(std::make_unique<CWaveformModel>(*m_controller, *m_sentences)),
      m_commands(kCommands) {
    m_dictation->SetSource(this);
    connect(m_dictation.get(), &CDictationSession::runningChanged, this,
            &CStudySession::FollowDictation);
    m_controller->SetSentences(m_sentences.get());
    m_controller->SetPlaylist(m_playlist.get());
    m_controller->SetEntryStore(this);
    // The sentence list is a piece of the learner's work; packing lets go of the media file.
    m_userData->AddPiece(this, CUserData::Phase::WhenModified);
    connect(m_userData.get(), &CUserData::releaseRequested, this, [this] { Engine().Free(); });
    // A released list leaves no sentences and no subtitles behind.
    connect(m_controller.get(), &CPlaybackController::playlistReleased, this, [this] {
        m_sentences->Clear();
        m_subtitles->Reset();
        m_waveform->Reset();
    });
    // The waveform of an opened file, from its user data or a pass of its own.
    connect(m_controller.get(), &CPlaybackController::fileOpened, m_waveform.get(),
            &CWaveformModel::Load);
    connect(m_controller.get(), &CPlaybackController::fileReleased, m_waveform.get(),
            &CWaveformModel::Reset);

    // An opened file's subtitles give its sentences; without them the saved sentences, or
    // a split, do. While subtitle lines give them, the sentences cannot be merged or moved.
    connect(m_controller.get(), &CPlaybackController::fileOpened, m_subtitles.get(),
            &CSubtitleModel::Load);
    connect(m_subtitles.get(), &CSubtitleModel::loaded, this, [this](const LrcItems& items) {
        SentenceArray sentences;
        sentences.reserve(items.size());
        for (const LRC_ITEM& item : items)
            sentences.push_back(SEL_ITEM{item.start, item.end});
        m_sentences->SetFixed(true);
        m_sentences->SetSentences(sentences);
    });
    connect(m_subtitles.get(), &CSubtitleModel::cleared, this,
            [this] { m_sentences->SetFixed(false); });
    connect(m_subtitles.get(), &CSubtitleModel::failed, this, [this] {
        if (!m_sentences->LoadSentenceFile()) AutoSplitIfAllowed();
    });
    connect(m_subtitles.get(), &CSubtitleModel::lineChosen, m_sentences.get(),
            &CSentenceModel::SelectSentence);
    // A line click stops the following; whatever resumes playback (Play, a sentence
    // chosen, the region cleared, automatic repeat on) starts it again.
    connect(m_controller.get(), &CPlaybackController::playbackResumed, m_subtitles.get(),
            &CSubtitleModel::StartFollowing);

    // The session's commands follow the open file and the splitting.
    connect(m_controller.get(), &CPlaybackController::stateChanged, this,
            &CStudySession::UpdateCommands);
    connect(m_controller.get(), &CPlaybackController::entryOpened, this,
            &CStudySession::UpdateCommands);
    connect(m_controller.get(), &CPlaybackController::fileReleased, this,
            &CStudySession::UpdateCommands);
    connect(m_sentences.get(), &CSentenceModel::splittingProgress, this,
            &CStudySession::UpdateCommands);
    connect(m_controller.get(), &CPlaybackController::regionChanged, this,
            &CStudySession::UpdateCommands);
    connect(m_subtitles.get(), &CSubtitleModel::cleared, this, &CStudySession::UpdateCommands);
    connect(m_subtitles.get(), &CSubtitleModel::loaded, this, &CStudySession::UpdateCommands);
    UpdateCommands();
}

bool CStudySession::Handles(CommandId id) {
    return CCommandStates(kCommands).Holds(id);
}

bool CStudySession::IsEnabled(CommandId id) const {
    const bool fileOpen = m_controller->Engine().HasChannel();
    switch (id) {
    case C::CancelSplit:
        return m_sentences->IsSplitting();
    case C::SaveRegion:
        // Subtitle lines give the sentences: they are not added to.
        return fileOpen && m_controller->GetRegion().set && !m_sentences->Fixed();
    case C::MediaInfo:
        return m_controller->PlaylistIndex() >= 0;
    case C::Split:
    case C::ImportLrc:
    case C::ExportCourseware:
    case C::Notes:
    case C::SentenceDictation:
        return fileOpen;
    default:
        return false;
    }
}

void CStudySession::UpdateCommands() {
    m_commands.Update([this](CommandId id) { return IsEnabled(id); },
                      [this](CommandId id, bool on) { Q_EMIT commandEnabledChanged(id, on); });
}

CStudySession::~CStudySession() {
    m_sentences->StopSplit();
    m_dictation->disconnect(this);
}

int CStudySession::SentenceCount() const {
    return m_sentences->Count();
}
std::uint32_t CStudySession::SentenceStart(int i) const {
    return m_sentences->At(i).start;
}
std::uint32_t CStudySession::SentenceEnd(int i) const {
    return m_sentences->At(i).end;
}
int CStudySession::CurrentSentence() const {
    return m_sentences->Current();
}
bool CStudySession::PlaySentence(int i, bool own) {
    return own ? m_sentences->Choose(i) : m_sentences->SelectSentence(i);
}
QString CStudySession::Reference(int i) const {
    return m_subtitles->Text(i);
}
QString CStudySession::TimedReference(int i) const {
    return m_subtitles->TimedText(i);
}
bool CStudySession::HasSubtitles() const {
    return m_subtitles->HasLines();
}
bool CStudySession::IsSplitting() const {
    return m_sentences->IsSplitting();
}
void CStudySession::StopAutoRepeat() {
    if (m_controller->AutoRepeatOn()) m_controller->Execute(CommandId::AutoRepeat);
}
void CStudySession::StopPlayback() {
    m_controller->Execute(CommandId::Stop);
}
void CStudySession::StartPlayback() {
    m_controller->Execute(CommandId::Play);
}
QString CStudySession::MediaPath() const {
    return m_controller->CurrentEntry();
}
bool CStudySession::ReloadSubtitles(const QString& media) {
    return m_subtitles->Load(media);
}

int CStudySession::PlayingPositionMs() const {
    const CMediaCore& engine = m_controller->Engine();
    return engine.IsPlaying() ? engine.GetPosition() : -1;
}
int CStudySession::LengthMs() const {
    const CMediaCore& engine = m_controller->Engine();
    return engine.HasChannel() ? engine.GetLength() : 0;
}

CMediaCore& CStudySession::Engine() {
    return m_controller->Engine();
}

bool CStudySession::SaveBeforeLeaving() {
    SaveUserData();
    return !m_userData->WorkAtRisk();
}

QString CStudySession::LoadEntry(const QString& entry) {
    m_userData->SetCurrentEntry(entry);
    return m_userData->LoadUserData(entry.endsWith(".kcw", Qt::CaseInsensitive) ? entry
                                                                                : QString());
}

void CStudySession::EntryReleased() {
    m_userData->SetCurrentEntry(QString());
}

bool CStudySession::WritePiece() {
    return m_sentences->SaveSentenceFile();
}

void CStudySession::SaveUserData() {
    m_userData->SaveUserData();
}

void CStudySession::StartSplit() {
    CMediaCore& engine = Engine();
    if (!engine.HasChannel()) return;
    SplitParams params;
    params.noise = m_settings.BackgroundNoise;
    params.automatic = m_settings.AutoNoise;
    params.gap = m_settings.SentenceDist;
    m_sentences->StartSplit(engine.FileName(), engine.GetLength(), params, m_settings.UseTpan);
}

bool CStudySession::AutoSplitIfAllowed() {
    if (!Engine().HasChannel() || m_sentences->Count() > 0 || !m_settings.UseSplit ||
        m_settings.AudioLength == 0)
        return false;
    if (Engine().GetLength() / 1000 > m_settings.AudioLength) return false;
    StartSplit();
    return true;
}

void CStudySession::SaveRegion() {
    if (!IsEnabled(C::SaveRegion)) return;
    const Region region = m_controller->GetRegion();
    m_sentences->AddSentence(std::uint32_t(region.start), std::uint32_t(region.end));
}

void CStudySession::CancelSplit() {
    m_sentences->StopSplit();
    Q_EMIT splitCancelled();
}

bool CStudySession::SentenceDictationRunning() const {
    return m_dictation->Running();
}

void CStudySession::SetDictationMode(bool on) {
    m_dictationMode = on;
    FollowDictation();
}

void CStudySession::FollowDictation() {
    const bool sentence = m_dictation->Running();
    m_sentences->SetLocked(sentence);
    m_controller->SetDictating(sentence, m_dictationMode);
}

} // namespace kestrova
