#include "SubtitleModel.h"

#include "common/Util.h"

#include <QFile>

namespace kestrova {

CSubtitleModel::CSubtitleModel(const IPlaybackClock& clock, QObject* parent)
    : QObject(parent), m_clock(clock) {
    m_timer.setInterval(500);
    connect(&m_timer, &QTimer::timeout, this, &CSubtitleModel::Tick);
}

void CSubtitleModel::Reset() {
    m_status.clear();
    m_shown.clear();
    m_current.clear();
    m_currentIndex = -1;
    m_timer.stop();
    m_items.clear();
    Q_EMIT cleared();
    Q_EMIT statusChanged(m_status);
}

void CSubtitleModel::StartFollowing() {
    if (m_items.empty()) return;
    if (!m_timer.isActive()) m_timer.start();
    Tick(); // the line of where playback resumes, not half a second later
}

bool CSubtitleModel::Load(const QString& media) {
    Reset();
    const QString unpacked = DataFolder() + "Temp/audio.lrc";
    m_path = QFile::exists(unpacked) ? unpacked : LrcPathFor(media);
    m_lrc.Clear();
    const std::uint32_t lengthCs = std::uint32_t(std::max(m_clock.LengthMs(), 0) / 10);
    if (m_lrc.Load(m_path, lengthCs)) {
        m_items = m_lrc.Items(lengthCs);
        Q_EMIT loaded(m_items);
        StartFollowing();
        m_status = QString::fromUtf8("(加载成功)");
        Q_EMIT statusChanged(m_status);
        return true;
    }
    // A file far larger than any subtitle file is not read at all; the learner is told why.
    switch (m_lrc.Error()) {
    case CLrc::LoadError::TooLarge:
        m_status = QString::fromUtf8("(加载失败：字幕文件超过16MB)");
        break;
    case CLrc::LoadError::TooManyLines:
        m_status = QString::fromUtf8("(加载失败：字幕超过%1行)").arg(CLrc::kMaxLines);
        break;
    default:
        m_status = QString::fromUtf8("(加载失败)");
    }
    Q_EMIT statusChanged(m_status);
    m_items.clear();
    Q_EMIT failed();
    Q_EMIT lineShown(QString());
    return false;
}

QString CSubtitleModel::Text(int index) const {
    if (index < 0 || index >= int(m_items.size())) return {};
    return m_items[std::size_t(index)].text;
}

void CSubtitleModel::Tick() {
    if (m_items.empty()) return;
    // Paused (between passes, for one) the pane stays on the line it shows.
    const int pos = m_clock.PlayingPositionMs();
    if (pos < 0) return;
    const QString line = m_lrc.GetLineAt(std::uint32_t(pos / 10));
    if (!line.isEmpty()) m_shown = line;
    if (m_shown != m_current) {
        m_current = m_shown;
        m_currentIndex = std::min(m_lrc.GetCurrentIndex(), int(m_items.size()) - 1);
        Q_EMIT currentLineChanged(m_currentIndex);
    }
    if (!m_shown.isEmpty()) Q_EMIT lineShown(m_shown);
}

void CSubtitleModel::ChooseLine(int index) {
    if (index < 0 || index >= int(m_items.size())) return;
    // Following stops here; the playback that the choice resumes starts it again.
    m_timer.stop();
    Q_EMIT lineChosen(index);
}

} // namespace kestrova
