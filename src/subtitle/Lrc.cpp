#include "Lrc.h"

#include "common/StdioFileEx.h"
#include "common/Util.h"

#include <QFile>
#include <algorithm>

namespace kestrova {

namespace {

bool Digits(QStringView s, int& value) {
    if (s.isEmpty()) return false;
    value = 0;
    for (QChar c : s) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c.unicode() - '0');
    }
    return true;
}

// "offset:+500" -> 500 (milliseconds). False when the tag is not an offset tag.
bool ParseOffset(QStringView tag, int& ms) {
    if (!tag.startsWith(u"offset:", Qt::CaseInsensitive)) return false;
    QStringView value = tag.mid(7).trimmed();
    bool negative = false;
    if (!value.isEmpty() && (value[0] == '+' || value[0] == '-')) {
        negative = value[0] == '-';
        value = value.mid(1);
    }
    int v = 0;
    if (value.size() > 9 || !Digits(value, v)) return false;
    ms = negative ? -v : v;
    return true;
}

} // namespace

bool CLrc::ParseTime(QStringView tag, std::uint32_t& cs) {
    const qsizetype colon = tag.indexOf(':');
    if (colon < 1 || colon > 3) return false;
    int minutes = 0, seconds = 0, fraction = 0;
    if (!Digits(tag.left(colon), minutes)) return false;
    QStringView rest = tag.mid(colon + 1);
    if (rest.size() < 2 || !Digits(rest.left(2), seconds) || seconds > 59) return false;
    rest = rest.mid(2);
    if (!rest.isEmpty()) {
        if (rest[0] != '.' && rest[0] != ':') return false;
        QStringView frac = rest.mid(1);
        if (frac.size() < 1 || frac.size() > 3 || !Digits(frac, fraction)) return false;
        if (frac.size() == 1) fraction *= 10;
        if (frac.size() == 3) fraction /= 10;
    }
    cs = std::uint32_t(minutes) * 6000u + std::uint32_t(seconds) * 100u + std::uint32_t(fraction);
    return true;
}

void CLrc::LoadText(const QString& source) {
    // Break lines before every tag that follows words: "[a]x[b]y" is two lines.
    QString text;
    text.reserve(source.size() + source.size() / 8);
    for (qsizetype i = 0; i < source.size(); ++i) {
        const QChar c = source[i];
        if (c == '[' && i > 0 && source[i - 1] != ']' && source[i - 1] != '\n' &&
            source[i - 1] != '\r')
            text += QStringLiteral("\r\n");
        text += c;
    }
    struct Pending {
        std::uint32_t time;
        QString text;
    };
    std::vector<Pending> lines;
    int offsetMs = 0;
    for (const QString& line : CStdioFileEx::SplitLines(text)) {
        if (line.isEmpty()) continue;
        std::vector<std::uint32_t> times;
        qsizetype search = 0, textStart = -1;
        while (int(times.size()) < kMaxTagsPerLine) {
            const qsizetype open = line.indexOf('[', search);
            if (open < 0) break;
            const qsizetype close = line.indexOf(']', open + 1);
            if (close < 0) break;
            search = close + 1;
            const QStringView tag = QStringView(line).mid(open + 1, close - open - 1);
            std::uint32_t cs = 0;
            int ms = 0;
            if (ParseTime(tag, cs)) {
                times.push_back(cs);
                textStart = close + 1;
            } else if (ParseOffset(tag, ms)) {
                offsetMs = ms;
            }
        }
        if (times.empty()) continue;
        const QString words = line.mid(textStart);
        for (std::uint32_t t : times)
            lines.push_back({t, words});
    }
    // A positive offset shows every line earlier, as players do; never before 0. The lines
    // are sorted once (a later line of an equal time first) and merged in front of records
    // of equal times already held: inserting one by one is quadratic on unsorted files.
    std::vector<std::unique_ptr<TLrcRecord>> fresh;
    fresh.reserve(lines.size());
    for (size_t i = lines.size(); i-- > 0;) {
        const std::int64_t shifted = std::int64_t(lines[i].time) - offsetMs / 10;
        auto record = std::make_unique<TLrcRecord>();
        record->time = std::uint32_t(std::clamp<std::int64_t>(shifted, 0, UINT32_MAX));
        record->text = std::move(lines[i].text);
        fresh.push_back(std::move(record));
    }
    auto byTime = [](const auto& a, const auto& b) { return a->time < b->time; };
    std::stable_sort(fresh.begin(), fresh.end(), byTime);
    std::vector<std::unique_ptr<TLrcRecord>> merged;
    merged.reserve(fresh.size() + m_records.size());
    std::merge(std::make_move_iterator(fresh.begin()), std::make_move_iterator(fresh.end()),
               std::make_move_iterator(m_records.begin()), std::make_move_iterator(m_records.end()),
               std::back_inserter(merged), byTime);
    m_records = std::move(merged);
}

bool CLrc::Load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 1) return false;
    QString text;
    if (!CStdioFileEx::ReadText(path, text)) return false;
    LoadText(text);
    return true;
}

void CLrc::Clear() {
    m_records.clear();
    m_current = 0;
}

QString CLrc::GetLineAt(std::uint32_t time) {
    // Records are in time order: the last one at or before the time.
    auto after = std::upper_bound(m_records.begin(), m_records.end(), time,
                                  [](std::uint32_t t, const auto& r) { return t < r->time; });
    if (after == m_records.begin()) return QString();
    m_current = int(after - m_records.begin()) - 1;
    return m_records[size_t(m_current)]->text;
}

LrcItems CLrc::Items(std::uint32_t lengthCs) const {
    LrcItems items;
    items.reserve(m_records.size());
    for (size_t i = 0; i < m_records.size(); ++i) {
        const std::uint32_t end = i + 1 < m_records.size() ? m_records[i + 1]->time : lengthCs;
        items.push_back(LRC_ITEM{m_records[i]->time, end, m_records[i]->text});
    }
    return items;
}

QString LrcPathFor(const QString& mediaPath) {
    const qsizetype dot = mediaPath.lastIndexOf('.');
    const qsizetype slash = std::max(mediaPath.lastIndexOf('/'), mediaPath.lastIndexOf('\\'));
    if (dot < 0 || dot < slash) return mediaPath + ".lrc";
    const QString ext = mediaPath.mid(dot);
    if (ext.compare(".lrc", Qt::CaseInsensitive) == 0) return mediaPath;
    QString path = mediaPath;
    return path.replace(ext, ".lrc");
}

bool WriteLrc(const QString& path, const std::vector<std::pair<std::uint32_t, QString>>& lines) {
    QStringList out;
    out.reserve(qsizetype(lines.size()));
    for (const auto& [time, text] : lines)
        out << '[' + TimeText(time) + ']' + text;
    return CStdioFileEx::WriteLines(path, out);
}

} // namespace kestrova
