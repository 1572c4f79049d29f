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
    m_currentWord = -1;
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

QString CSubtitleModel::TimedText(int index) const {
    if (index < 0 || index >= int(m_items.size())) return {};
    const LRC_ITEM& item = m_items[std::size_t(index)];
    return WithWordTags(item.text, item.words, item.end);
}

void CSubtitleModel::Tick() {
    if (m_items.empty()) return;
    // Paused (between passes, for one) the pane stays on the line it shows.
    const int pos = m_clock.PlayingPositionMs();
    if (pos < 0) return;
    const QString line = m_lrc.GetLineAt(std::uint32_t(pos / 10));
    if (!line.isEmpty()) m_shown = line;
    const int index = std::min(m_lrc.GetCurrentIndex(), int(m_items.size()) - 1);
    bool lineChanged = false;
    if (m_shown != m_current || (!line.isEmpty() && index != m_currentIndex &&
                                 !m_items[std::size_t(index)].words.empty())) {
        m_current = m_shown;
        m_currentIndex = index;
        lineChanged = true;
        Q_EMIT currentLineChanged(m_currentIndex);
    }
    if (!m_shown.isEmpty()) Q_EMIT lineShown(m_shown);
    // The word being spoken, and a timer quick enough to follow words where there are any.
    int word = -1;
    const LrcWords* words =
        m_currentIndex >= 0 ? &m_items[std::size_t(m_currentIndex)].words : nullptr;
    if (words) {
        const auto t = std::uint32_t(pos / 10);
        for (qsizetype i = 0; i < words->size(); ++i)
            if ((*words)[i].start <= t && t < (*words)[i].end) word = int(i);
    }
    const int interval = words && !words->empty() ? 100 : 500;
    if (m_timer.interval() != interval) m_timer.setInterval(interval);
    if (word != m_currentWord || lineChanged) {
        m_currentWord = word;
        Q_EMIT currentWordChanged(m_currentIndex, word);
    }
}

void CSubtitleModel::ChooseLine(int index) {
    if (index < 0 || index >= int(m_items.size())) return;
    // Following stops here; the playback that the choice resumes starts it again.
    m_timer.stop();
    Q_EMIT lineChosen(index);
}

} // namespace kestrova
