#include "CtrlBar.h"

#include "SellistView.h"
#include "audio/MediaCore.h"
#include "audio/SoundPlayer.h"
#include "common/AppSetting.h"
#include "common/Util.h"
#include "controls/TimeSlider.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

namespace kestrova {

namespace {
const QString kBlankPane(15, ' ');
constexpr int kJumpMs = 2000;
constexpr const char* kPauseText = "句间暂停:";
} // namespace

namespace {
// The program makes the engine and ends when there is no device; a bar made without one
// (its tests, a frame on its own) gets the engine of KESTROVA_AUDIO, or a silent one.
std::unique_ptr<CMediaCore> MakeEngine() {
    if (auto engine = CMediaCore::Create()) return engine;
    return std::make_unique<CMediaCore>(
        std::make_unique<CNullAudioOutput>(CNullAudioOutput::Mode::Realtime));
}
} // namespace

CCtrlBar::CCtrlBar(CAppSetting& settings, std::unique_ptr<CMediaCore> engine, QWidget* parent)
    : QDockWidget(QString::fromUtf8("播放控制栏"), parent), m_settings(settings),
      m_engine(engine ? std::move(engine) : MakeEngine()),
      m_prompt(std::make_unique<CSoundPlayer>()) {
    setObjectName(QStringLiteral("ControlBar"));
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetClosable);
    setAllowedAreas(Qt::TopDockWidgetArea | Qt::BottomDockWidgetArea);
    setFocusPolicy(Qt::NoFocus);

    auto* body = new QWidget(this);
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(4, 2, 4, 2);
    column->setSpacing(2);
    auto* top = new QHBoxLayout;
    m_slider = new CTimeSlider(body);
    m_slider->setObjectName(QStringLiteral("positionSlider"));
    m_slider->setRange(0, 0);
    top->addWidget(m_slider, 1);
    m_time = new QLabel(TimeText(0) + " / " + TimeText(0), body);
    m_time->setObjectName(QStringLiteral("positionText"));
    top->addWidget(m_time);
    column->addLayout(top);

    auto* row = new QHBoxLayout;
    row->setSpacing(1);
    column->addLayout(row);
    setWidget(body);
    auto add = [&](const char* text, const char* tip, Command c) {
        QToolButton* b = AddButton(QString::fromUtf8(text), QString::fromUtf8(tip), c);
        row->addWidget(b);
        return b;
    };
    auto icon = [&](QToolButton* b, QStyle::StandardPixmap pixmap) {
        b->setIcon(style()->standardIcon(pixmap));
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
        return b;
    };
    m_play = icon(add("播放", "播放", Command::Play), QStyle::SP_MediaPlay);
    m_pause = icon(add("暂停", "暂停", Command::Pause), QStyle::SP_MediaPause);
    icon(add("停止", "停止", Command::Stop), QStyle::SP_MediaStop);
    icon(add("后退", "后退 2 秒", Command::Back), QStyle::SP_MediaSeekBackward);
    icon(add("前进", "前进 2 秒", Command::Forward), QStyle::SP_MediaSeekForward);
    icon(add("上一首", "上一首", Command::PrevFile), QStyle::SP_MediaSkipBackward);
    icon(add("下一首", "下一首", Command::NextFile), QStyle::SP_MediaSkipForward);
    row->addSpacing(8);
    add("◀A", "左移开始点", Command::MoveStartLeft);
    add("A", "设置开始点", Command::SetStart);
    add("A-B", "一键式选择复读区", Command::OneKey);
    add("B", "设置结束点", Command::SetEnd);
    add("B▶", "右移结束点", Command::MoveEndRight);
    add("上一句", "复读上一句", Command::PrevSentence);
    add("下一句", "复读下一句", Command::NextSentence);
    add("清除", "清除复读区", Command::ClearRegion);
    m_autoRepeat = add("自动复读", "自动逐句复读", Command::AutoRepeat);
    m_autoRepeat->setCheckable(true);
    row->addStretch(1);
    m_mute = new QToolButton(body);
    m_mute->setObjectName(QStringLiteral("muteButton"));
    m_mute->setCheckable(true);
    m_mute->setAutoRaise(true);
    m_mute->setToolTip(QString::fromUtf8("静音"));
    row->addWidget(m_mute);
    m_volume = new QSlider(Qt::Horizontal, body);
    m_volume->setObjectName(QStringLiteral("volumeSlider"));
    m_volume->setRange(0, 100);
    m_volume->setFixedWidth(90);
    row->addWidget(m_volume);

    m_positionTimer = new QTimer(this);
    m_positionTimer->setInterval(100);
    m_clockTimer = new QTimer(this);
    m_clockTimer->setInterval(100);
    m_pauseTimer = new QTimer(this);
    m_pauseTimer->setInterval(1000);
    connect(m_positionTimer, &QTimer::timeout, this, &CCtrlBar::PositionTick);
    connect(m_clockTimer, &QTimer::timeout, this, &CCtrlBar::ClockTick);
    connect(m_pauseTimer, &QTimer::timeout, this, &CCtrlBar::PauseTick);

    // The slider reports every position while dragged and the final one on release.
    connect(m_slider, &QSlider::sliderMoved, this, &CCtrlBar::SliderMovedTo);
    connect(m_slider, &QSlider::sliderReleased, this, [this] { SliderMovedTo(m_slider->value()); });
    connect(m_volume, &QSlider::valueChanged, this, &CCtrlBar::SetVolume);
    connect(m_mute, &QToolButton::toggled, this, &CCtrlBar::MuteToggled);

    m_volume->blockSignals(true);
    m_volume->setValue(std::clamp(m_settings.Volume, 0, 100));
    m_volume->blockSignals(false);
    m_mute->blockSignals(true);
    m_mute->setChecked(m_settings.Mute);
    m_mute->blockSignals(false);
    m_mute->setIcon(style()->standardIcon(m_settings.Mute ? QStyle::SP_MediaVolumeMuted
                                                          : QStyle::SP_MediaVolume));
    m_engine->SetPlayEndHandler([this](CMediaCore::EndKind kind) {
        return OnEngineEnd(kind == CMediaCore::EndKind::StopMark ? 1 : 0);
    });
    // The engine has paused; the next Play opens the device again.
    connect(m_engine.get(), &CMediaCore::deviceLost, this, [this] {
        m_positionTimer->stop();
        m_clockTimer->stop();
        m_play->setDown(false);
        m_pause->setDown(m_engine->IsPaused());
        StopPauseTimer(); // a pause between passes would only try again without sound
        UpdateButtons();
        m_deviceLostShown = true;
        Q_EMIT paneText(0, QString::fromUtf8("声音设备已断开，按“播放”重新连接"));
    });
    UpdateButtons();
}

CCtrlBar::~CCtrlBar() {
    m_settings.PlaylistIndex = m_index == -1 ? 0 : m_index;
    m_engine->SetPlayEndHandler(nullptr);
}

QToolButton* CCtrlBar::AddButton(const QString& text, const QString& tip, Command command) {
    auto* b = new QToolButton(widget());
    b->setText(text);
    b->setToolTip(tip);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    if (command == Command::AutoRepeat) {
        connect(b, &QToolButton::clicked, this, [this] { SwitchAutoRepeat(false); });
    } else {
        connect(b, &QToolButton::clicked, this, [this, command] { Execute(command); });
    }
    m_buttons.append({b, command});
    return b;
}

bool CCtrlBar::HasFile() const {
    return m_engine->HasChannel();
}
bool CCtrlBar::PauseTimerRunning() const {
    return m_pauseTimer->isActive();
}
bool CCtrlBar::AutoRepeatOn() const {
    return m_autoRepeat->isChecked();
}
bool CCtrlBar::Muted() const {
    return m_mute->isChecked();
}
int CCtrlBar::Volume() const {
    return m_volume->value();
}

bool CCtrlBar::IsEnabled(Command c) const {
    const bool file = HasFile();
    const bool stopped = m_engine->IsStopped();
    const int count = m_paths ? int(m_paths->size()) : 0;
    switch (c) {
    case Command::Play:
        return file && !m_engine->IsPlaying();
    case Command::Pause:
        return file && !stopped && !m_engine->IsPaused();
    case Command::PlayPause:
        return file;
    case Command::Stop:
        return file && !stopped && !Dictating();
    case Command::Back:
    case Command::Forward:
    case Command::SetStart:
    case Command::SetEnd:
        return file && !stopped;
    case Command::BackToStart:
        return file && !stopped;
    case Command::OneKey:
        return file && m_engine->IsPlaying() && !Dictating();
    case Command::MoveStartLeft:
        return m_regionSet && m_start != 0;
    case Command::MoveEndRight:
        return file && m_regionSet && m_end != m_slider->maximum();
    case Command::ClearRegion:
        return file && m_regionSet && !Dictating();
    case Command::PrevFile:
        return m_index >= 1;
    case Command::NextFile:
        return m_index != -1 && m_index < count - 1;
    case Command::Mute:
    case Command::VolumeUp:
    case Command::VolumeDown:
        return true;
    case Command::AutoRepeat:
        return file && m_sellist && m_sellist->Count() >= 1 && !AnyDictation();
    case Command::PrevSentence:
        return m_sellist && m_sellist->CanPrevious();
    case Command::NextSentence:
        return m_sellist && m_sellist->CanNext();
    }
    return false;
}

void CCtrlBar::Execute(Command c) {
    if (!IsEnabled(c)) {
        UpdateButtons();
        return;
    }
    switch (c) {
    case Command::Play:
        Play();
        break;
    case Command::Pause:
        Pause();
        break;
    case Command::PlayPause:
        if (m_engine->IsPlaying())
            Pause();
        else
            Play();
        break;
    case Command::Stop:
        Stop();
        break;
    case Command::Back:
    case Command::Forward: {
        const int t = m_engine->GetPosition() + (c == Command::Back ? -kJumpMs : kJumpMs);
        const double cs = double(t) / 10.0;
        if (c == Command::Back ? std::floor(cs) >= m_start : std::floor(cs) <= m_end) {
            m_engine->SetPosition(t);
            ShowPosition(t / 10);
        }
        break;
    }
    case Command::BackToStart:
        m_engine->SetPosition(int(m_start * 10));
        break;
    case Command::SetStart:
        SetStartPoint();
        break;
    case Command::SetEnd:
        SetEndPoint();
        break;
    case Command::OneKey:
        if (m_oneKey == 0) {
            SetStartPoint();
            m_oneKey = 1;
        } else if (m_oneKey == 1) {
            SetEndPoint();
        } else {
            ClearRegion();
        }
        break;
    case Command::MoveStartLeft:
        m_start = std::max(0.0, m_start - m_settings.MoveStep);
        ShowRegion();
        ApplyStopMark();
        break;
    case Command::MoveEndRight:
        m_end = std::min(double(m_slider->maximum()), m_end + m_settings.MoveStep);
        ShowRegion();
        ApplyStopMark();
        break;
    case Command::ClearRegion:
        ClearRegion();
        break;
    case Command::PrevFile:
        StepFile(-1);
        break;
    case Command::NextFile:
        StepFile(+1);
        break;
    case Command::Mute:
        m_mute->toggle();
        break;
    case Command::VolumeUp:
        SetVolume(std::min(100, m_volume->value() + 5));
        break;
    case Command::VolumeDown:
        SetVolume(std::max(0, m_volume->value() - 5));
        break;
    case Command::AutoRepeat:
        SwitchAutoRepeat(true);
        break;
    case Command::PrevSentence:
        m_sellist->Previous();
        break;
    case Command::NextSentence:
        m_sellist->Next();
        break;
    }
    UpdateButtons();
}

bool CCtrlBar::Play() {
    if (!HasFile()) return false;
    if (!m_engine->Play(false)) {
        m_play->setDown(false);
        m_pause->setDown(false);
        UpdateButtons();
        return false;
    }
    if (!m_positionTimer->isActive()) m_positionTimer->start();
    if (!m_clockTimer->isActive()) m_clockTimer->start();
    StopPauseTimer();
    m_play->setDown(true);
    m_pause->setDown(false);
    UpdateButtons();
    if (m_deviceLostShown) {
        m_deviceLostShown = false; // the sound is back
        Q_EMIT paneText(0, QString());
        ShowPassMessage();
    }
    Q_EMIT playbackResumed();
    return true;
}

void CCtrlBar::Pause() {
    if (m_engine->IsPlaying()) {
        m_positionTimer->stop();
        m_clockTimer->stop();
        m_pause->setDown(true);
        m_play->setDown(false);
        m_engine->Pause();
        ShowPosition(m_engine->GetPosition() / 10); // where it was paused, not the last tick
    } else {
        m_pause->setDown(m_engine->IsPaused());
    }
    UpdateButtons();
}

void CCtrlBar::Stop() {
    m_engine->Stop();
    Reset();
}

void CCtrlBar::Reset() {
    if (Dictating() && m_hooks.stopDictation) m_hooks.stopDictation(false, true);
    Q_EMIT paneText(4, kBlankPane);
    Q_EMIT paneText(5, kBlankPane);
    m_positionTimer->stop();
    m_clockTimer->stop();
    StopPauseTimer();
    m_play->setDown(false);
    m_pause->setDown(false);
    ClearRegion();
    ShowPosition(0);
    if (m_sellist) m_sellist->StopSplit();
    if (m_hooks.stopDictation) m_hooks.stopDictation(false, false);
    UpdateButtons();
}

void CCtrlBar::ClearRegion() {
    if (!m_regionSet) return;
    m_autoRepeat->setChecked(false);
    m_regionSet = false;
    m_oneKey = 0;
    m_start = 0;
    m_end = m_slider->maximum();
    m_slider->ClearSelection();
    Q_EMIT paneText(4, kBlankPane);
    Q_EMIT paneText(5, kBlankPane);
    Q_EMIT paneText(0, QString());
    if (m_sellist) m_sellist->SelectSentence(-1);
    StopPauseTimer();
    ApplyStopMark();
    UpdateButtons();
    Q_EMIT playbackResumed();
}

void CCtrlBar::ShowRegion() {
    if (m_regionSet) m_slider->SetSelection(int(m_start), int(m_end));
    Q_EMIT paneText(4, TimeText(std::uint32_t(m_start)));
    Q_EMIT paneText(5, TimeText(std::uint32_t(m_end)));
}

QStringList CCtrlBar::PaneTexts(int pane) {
    const QString time = TimeText(0);
    if (pane == 4 || pane == 5) return {kBlankPane, time};
    // The clock, or the pause between passes (seconds and length of up to three digits).
    if (pane == 7) return {time + " / " + time, QString::fromUtf8(kPauseText) + "000/000"};
    return {};
}

void CCtrlBar::ShowPosition(int p) {
    // The only place that moves the slider or writes the time beside it, so that the two
    // never disagree (after a stop, the end of the file, or in the pause between passes).
    m_slider->setValue(p);
    const QString text = TimeText(std::uint32_t(m_slider->value())) + " / " +
                         TimeText(std::uint32_t(m_slider->maximum()));
    m_time->setText(text);
    // The status bar's clock shows the same, except while it counts a pause between passes.
    if (!m_pauseTimer->isActive()) Q_EMIT paneText(7, text);
}

void CCtrlBar::ApplyStopMark() {
    if (!HasFile()) return;
    const int endMs = int(m_end * 10);
    // A region that ends with the file ends through the channel's own end, which hands over
    // to the play order when the last pass is done.
    if (m_regionSet && endMs < m_engine->GetLength())
        m_engine->SetStopMark(endMs);
    else
        m_engine->SetStopMark(-1);
}

void CCtrlBar::SetStartPoint() {
    if (!m_engine->IsPlaying()) return;
    m_start = m_engine->GetPosition() / 10;
    m_regionSet = true;
    m_oneKey = 2;
    ShowRegion();
    ApplyStopMark();
}

void CCtrlBar::SetEndPoint() {
    if (!m_engine->IsPlaying()) return;
    m_end = m_engine->GetPosition() / 10;
    m_regionSet = true;
    m_oneKey = 2;
    ShowRegion();
    ApplyStopMark();
    m_engine->SetPosition(int(m_start * 10));
}

void CCtrlBar::SetRegion(std::uint32_t start, std::uint32_t end) {
    m_start = 0;
    m_end = m_engine->GetLength() / 10;
    if (start != 0) m_start = start;
    if (end != 0) m_end = end;
    m_regionSet = true;
    ShowRegion();
    ApplyStopMark();
    if (end != 0) m_engine->SetPosition(int(m_start * 10));
    m_oneKey = 2;
    m_counter = m_settings.RepeatAmount;
    if (!m_engine->IsPlaying()) Play();
    ShowPassMessage();
    UpdateButtons();
    Q_EMIT playbackResumed();
}

void CCtrlBar::ShowPassMessage() {
    // The lost device's note stays until the sound is back.
    if (m_deviceLostShown || !AutoRepeatOn() || m_settings.RepeatAmount <= 0) return;
    const int pass =
        std::clamp(m_settings.RepeatAmount - m_counter + 1, 1, m_settings.RepeatAmount);
    Q_EMIT paneText(0, QString::fromUtf8("第 %1/%2 遍").arg(pass).arg(m_settings.RepeatAmount));
}

bool CCtrlBar::OpenEntry(int index) {
    Stop();
    if (m_hooks.saveUserData && !m_hooks.saveUserData()) {
        UpdateButtons();
        return false;
    }
    m_index = index;
    if (index < 0) {
        m_engine->Free();
        if (m_hooks.effectsFileChanged) m_hooks.effectsFileChanged(false);
        Q_EMIT entryOpened(-1);
        UpdateButtons();
        return false;
    }
    if (!OpenCurrentEntry()) {
        UpdateButtons();
        return false;
    }
    Play();
    return true;
}

bool CCtrlBar::OpenCurrentEntry() {
    if (!m_paths || m_paths->isEmpty() || m_index < 0 || m_index >= m_paths->size()) return false;
    const QString entry = m_paths->at(m_index);
    QString media = entry;
    const QString loaded =
        m_hooks.loadUserData
            ? m_hooks.loadUserData(entry.endsWith(".kcw", Qt::CaseInsensitive) ? entry : QString())
            : QString();
    if (entry.endsWith(".kcw", Qt::CaseInsensitive)) media = loaded;
    if (m_sellist) m_sellist->ClearSentences();
    // The playlist marks the entry even when it fails, so the learner sees which one it was.
    const bool ok = m_engine->Load(media);
    Q_EMIT entryOpened(m_index);
    if (!ok) {
        m_slider->setRange(0, 0);
        ShowPosition(0);
        return false;
    }
    // The learner's tempo and pitch apply to every file opened.
    m_engine->SetTempo(float(m_settings.Tempo), 0, float(m_settings.Pitch));
    if (m_hooks.effectsFileChanged) m_hooks.effectsFileChanged(true);
    m_start = 0;
    m_end = m_engine->GetLength() / 10;
    m_regionSet = false;
    m_slider->setRange(0, int(m_end));
    ShowPosition(0);
    m_engine->SetAttributes(-1, m_settings.Volume, -101);
    if (m_settings.Mute) m_engine->SetMute(true);
    if (m_hooks.loadSubtitles) m_hooks.loadSubtitles(media);
    ClockTick();
    UpdateButtons();
    return true;
}

bool CCtrlBar::RestoreLastEntry(const QStringList* paths) {
    Stop();
    m_paths = paths;
    const int count = paths ? int(paths->size()) : 0;
    m_index = m_settings.PlaylistIndex >= 0 && m_settings.PlaylistIndex < count
                  ? m_settings.PlaylistIndex
                  : 0;
    const bool ok = OpenCurrentEntry();
    UpdateButtons();
    return ok;
}

void CCtrlBar::StepFile(int step) {
    // After a failed open the index stays on the failed entry: the playlist shows which
    // file it was, and the next press goes on from there.
    const int target = m_index + step;
    if (!m_paths || target < 0 || target >= m_paths->size()) return;
    OpenEntry(target);
}

void CCtrlBar::MuteToggled(bool muted) {
    m_engine->SetMute(muted);
    m_mute->setIcon(
        style()->standardIcon(muted ? QStyle::SP_MediaVolumeMuted : QStyle::SP_MediaVolume));
    m_settings.Mute = muted;
}

void CCtrlBar::SetVolume(int volume) {
    volume = std::clamp(volume, 0, 100);
    if (m_mute->isChecked()) {
        m_mute->blockSignals(true);
        m_mute->setChecked(false);
        m_mute->blockSignals(false);
        m_mute->setIcon(style()->standardIcon(QStyle::SP_MediaVolume));
        m_settings.Mute = false;
    }
    if (m_volume->value() != volume) {
        m_volume->blockSignals(true);
        m_volume->setValue(volume);
        m_volume->blockSignals(false);
    }
    m_engine->SetAttributes(-1, volume, -101);
    m_settings.Volume = volume;
}

void CCtrlBar::SliderMovedTo(int p) {
    if (!HasFile()) return;
    int shown = p;
    // At or past the region's end counts as past it: a seek to the end itself would start
    // playback on the stop mark and run on beyond the region.
    if (m_regionSet && p >= m_end) {
        if (m_settings.CancelRepeat) {
            ClearRegion();
            m_engine->SetPosition(p * 10);
        } else {
            shown = int(m_end);
        }
    } else if (m_regionSet && p < m_start) {
        if (m_settings.CancelRepeat) {
            ClearRegion();
            m_engine->SetPosition(p * 10);
        } else {
            m_engine->SetPosition(int(m_start * 10));
        }
    } else {
        m_engine->SetPosition(p * 10);
    }
    ShowPosition(shown);
}

void CCtrlBar::SwitchAutoRepeat(bool fromMenu) {
    // The button has already changed its state when clicked; the menu has not.
    const bool wasOn = fromMenu ? m_autoRepeat->isChecked() : !m_autoRepeat->isChecked();
    if (m_sellist && m_sellist->IsSplitting()) {
        m_autoRepeat->setChecked(wasOn);
        return;
    }
    if (!fromMenu && !IsEnabled(Command::AutoRepeat) && !wasOn) {
        m_autoRepeat->setChecked(false);
        return;
    }
    if (wasOn) {
        ClearRegion();
        m_autoRepeat->setChecked(false);
    } else {
        m_autoRepeat->setChecked(true);
        m_counter = m_settings.RepeatAmount;
        Q_EMIT playbackResumed();
        if (m_sellist) {
            const int current = m_sellist->GetCurrentSentence();
            m_sellist->SelectSentence(current < 0 ? 0 : current);
        }
    }
    UpdateButtons();
}

bool CCtrlBar::OnEngineEnd(int kind) {
    if (kind == 1) {
        OnRegionEnd();
        return false;
    }
    return PlayEnd();
}

void CCtrlBar::OnRegionEnd() {
    m_engine->Pause();
    if (m_settings.AudioPrompt && !m_settings.FinishAudio.isEmpty())
        m_prompt->Play(m_settings.FinishAudio);
    --m_counter;
    m_engine->SetPosition(int(m_start * 10));
    if (m_hooks.recordSourceEnded && m_hooks.recordSourceEnded()) return;
    if (!m_pauseTimer->isActive() &&
        ((Dictating() && m_settings.SentInterval != 0) || m_settings.PauseFinish)) {
        StartPauseTimer();
        PauseTick();
        return;
    }
    if (AutoRepeatOn() && m_counter <= 0 && m_sellist && m_sellist->CanNext()) {
        m_sellist->Next();
        return;
    }
    Play();
    ShowPassMessage();
}

bool CCtrlBar::PlayEnd() {
    if (m_hooks.recordSourceEnded && m_hooks.recordSourceEnded()) {
        m_engine->SetPosition(int(m_start * 10));
        Pause();
        return false;
    }
    if (m_regionSet && m_counter > 0) {
        if (m_settings.AudioPrompt && !m_settings.FinishAudio.isEmpty())
            m_prompt->Play(m_settings.FinishAudio);
        if (!AutoRepeatOn()) {
            m_engine->SetPosition(int(m_start * 10));
            Play();
            return false;
        }
        if (--m_counter > 0) {
            m_engine->SetPosition(int(m_start * 10));
            if (!m_pauseTimer->isActive() && m_settings.SentInterval != 0 &&
                (Dictating() || m_settings.PauseFinish)) {
                m_engine->Pause();
                StartPauseTimer();
            }
            ShowPassMessage();
            return false;
        }
    }
    // The file is done: the play order decides what comes next, after this answer.
    Reset();
    switch (m_settings.Order) {
    case 1:
        Post(Command::Play);
        break;
    case 2:
        if (m_index == -1 || !m_paths || m_index >= m_paths->size() - 1) {
            Reset();
            m_index = 0;
            if (!OpenCurrentEntry()) return false;
            Post(Command::Play);
        } else {
            Post(Command::NextFile);
        }
        break;
    case 3:
        Post(Command::Stop);
        break;
    default:
        Post(Command::NextFile);
        break;
    }
    return true;
}

void CCtrlBar::Post(Command command) {
    QMetaObject::invokeMethod(
        this, [this, command] { Execute(command); }, Qt::QueuedConnection);
}

void CCtrlBar::StartPauseTimer() {
    m_pauseSeconds = 0;
    m_pauseTimer->start();
}

void CCtrlBar::StopPauseTimer() {
    if (m_pauseTimer->isActive()) Q_EMIT paneText(7, QString());
    m_pauseTimer->stop();
    m_pauseSeconds = 0;
}

void CCtrlBar::PositionTick() {
    if (m_slider->isSliderDown() || !HasFile()) return;
    const int p = m_engine->GetPosition() / 10;
    // A pass ends through the engine (its stop mark, or the channel end for a region that
    // ends with the file), never here: the timer only follows the position.
    if (!m_regionSet || p < m_end) {
        if (!m_regionSet || p >= m_start)
            ShowPosition(p);
        else
            m_engine->SetPosition(int(m_start * 10));
    }
    UpdateButtons();
}

void CCtrlBar::ClockTick() {
    if (m_pauseTimer->isActive()) return;
    Q_EMIT paneText(7, TimeText(std::uint32_t(m_engine->GetPosition() / 10)) + " / " +
                           TimeText(std::uint32_t(m_engine->GetLength() / 10)));
}

void CCtrlBar::PauseTick() {
    ++m_pauseSeconds;
    int length = 0;
    const bool dictation = AnyDictation();
    const bool hold = !dictation && m_settings.PauseFinishIndex == 6;
    if (dictation) {
        length = m_settings.SentInterval;
        if (Dictating() && m_hooks.dictationCountdown) m_hooks.dictationCountdown(m_pauseSeconds);
    } else {
        static const int seconds[] = {1, 3, 5, 10};
        const int index = m_settings.PauseFinishIndex;
        const double region = (m_end - m_start) / 100.0;
        if (index >= 0 && index < 4)
            length = seconds[index];
        else if (index == 4)
            length = int(region);
        else if (index == 5)
            length = int(region * 2);
        else
            length = -1;
    }
    // The choice "暂停" holds playback until the learner presses Play.
    Q_EMIT paneText(7, QString::fromUtf8(kPauseText) + QString::number(m_pauseSeconds) +
                           (hold ? QString() : "/" + QString::number(length)));
    if (hold || m_pauseSeconds < length + 1) return;
    if (Dictating() && m_hooks.dictationCountdown) m_hooks.dictationCountdown(-1);
    StopPauseTimer();
    if (AutoRepeatOn() && m_counter <= 0) {
        if (m_sellist && m_sellist->CanNext()) m_sellist->Next();
    } else {
        Play();
        ShowPassMessage();
    }
}

void CCtrlBar::UpdateButtons() {
    // The position timer calls this ten times a second: others hear of it only on a change.
    const bool autoRepeat = AutoRepeatOn();
    std::uint64_t states = autoRepeat ? 1u : 0u;
    for (int c = 0; c <= int(Command::NextSentence); ++c)
        if (IsEnabled(Command(c))) states |= std::uint64_t(1) << (c + 1);
    for (const auto& [button, command] : m_buttons)
        button->setEnabled((states >> (int(command) + 1)) & 1u ||
                           (command == Command::AutoRepeat && autoRepeat));
    if (states == m_lastStates) return;
    m_lastStates = states;
    Q_EMIT commandStatesChanged();
}

} // namespace kestrova
