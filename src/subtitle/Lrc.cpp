#include "Lrc.h"

#include "common/StdioFileEx.h"
#include "common/TextDecode.h"
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

QString CLrc::TakeWordTags(QStringView in, LrcWords& words) {
    words.clear();
    if (!in.contains(u'<')) return in.toString();
    QString out;
    out.reserve(in.size());
    bool tagged = false;
    bool timing = false; // a tag was seen: what follows is its word
    std::uint32_t time = 0;
    int from = -1; // where the word being read begins in `out` (-1: no letter yet)
    // The word being read ends at the next tag (an empty one only ends the word before).
    auto endWord = [&](std::uint32_t endTime) {
        if (timing && from >= 0) {
            int end = int(out.size());
            while (end > from && out[end - 1].isSpace())
                --end;
            words.push_back({time, LrcWord::kLineEnd, from, end - from});
        }
        if (!words.empty() && words.back().end == LrcWord::kLineEnd) words.back().end = endTime;
    };
    const qsizetype n = in.size();
    qsizetype i = 0;
    while (i < n) {
        if (in[i] == u'<') {
            const qsizetype close = in.indexOf(u'>', i + 1);
            std::uint32_t cs = 0;
            if (close > i && ParseTime(in.mid(i + 1, close - i - 1), cs)) {
                endWord(cs);
                tagged = timing = true;
                time = cs;
                from = -1;
                i = close + 1;
                // The spaces on both sides of a removed tag become one.
                if (out.isEmpty() || out.back().isSpace())
                    while (i < n && in[i].isSpace())
                        ++i;
                continue;
            }
        }
        if (timing && from < 0 && !in[i].isSpace()) from = int(out.size());
        out.append(in[i]);
        ++i;
    }
    if (!tagged) return in.toString();
    endWord(LrcWord::kLineEnd);
    // Trimmed at both ends; the spans follow the text.
    qsizetype lead = 0;
    while (lead < out.size() && out[lead].isSpace())
        ++lead;
    out = out.trimmed();
    for (LrcWord& w : words) {
        w.from = std::max(0, w.from - int(lead));
        w.length = std::clamp(w.length, 0, int(out.size()) - w.from);
    }
    return out;
}

void CLrc::LoadText(const QString& source, std::uint32_t mediaLengthCs) {
    // One pass over the text, lines as views into it: nothing is copied but the words of
    // lines that carry a time, so a file of nothing but brackets costs no more than a real
    // one of the same size.
    std::vector<std::unique_ptr<TLrcRecord>> fresh;
    int offsetMs = 0;
    auto scanLine = [&](QStringView line) {
        if (line.isEmpty()) return;
        std::uint32_t times[kMaxTagsPerLine];
        int count = 0;
        qsizetype search = 0, textStart = -1;
        while (count < kMaxTagsPerLine) {
            const qsizetype open = line.indexOf(u'[', search);
            if (open < 0) break;
            const qsizetype close = line.indexOf(u']', open + 1);
            if (close < 0) break;
            search = close + 1;
            const QStringView tag = line.mid(open + 1, close - open - 1);
            std::uint32_t cs = 0;
            int ms = 0;
            if (ParseTime(tag, cs)) {
                times[count++] = cs;
                textStart = close + 1;
            } else if (ParseOffset(tag, ms)) {
                offsetMs = ms;
            }
        }
        if (count == 0) return;
        LrcWords wordTimes;
        // Shared by the line's records.
        const QString words = TakeWordTags(line.mid(textStart), wordTimes);
        for (int i = 0; i < count; ++i) {
            auto record = std::make_unique<TLrcRecord>();
            record->time = times[i];
            record->text = words;
            record->words = wordTimes;
            fresh.push_back(std::move(record));
        }
    };
    // Lines end at CR and LF, and before every tag that follows words: "[a]x[b]y" is two
    // lines, "[a][b]x" one line with two tags.
    const qsizetype n = source.size();
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = source[i];
        if (c == '\r' || c == '\n') {
            scanLine(QStringView(source).mid(lineStart, i - lineStart));
            lineStart = i + 1;
        } else if (c == '[' && i > lineStart && source[i - 1] != ']') {
            scanLine(QStringView(source).mid(lineStart, i - lineStart));
            lineStart = i;
        }
    }
    scanLine(QStringView(source).mid(lineStart));

    // A positive offset shows every line earlier, as players do; never before 0. An offset
    // beyond a day is a broken tag and counts for nothing; any other moves the lines at most
    // by the media's length, so that no line lands hours after the end.
    if (offsetMs > kMaxOffsetMs || offsetMs < -kMaxOffsetMs) offsetMs = 0;
    if (mediaLengthCs > 0) {
        const std::int64_t bound = std::int64_t(mediaLengthCs) * 10;
        offsetMs = int(std::clamp<std::int64_t>(offsetMs, -bound, bound));
    }
    // A shifted line never lands past the media's end either (nor a sentence end before its
    // start).
    const std::int64_t last =
        mediaLengthCs > 0 && offsetMs != 0 ? std::int64_t(mediaLengthCs) : std::int64_t(UINT32_MAX);
    auto shift = [&](std::uint32_t t) {
        return std::uint32_t(std::clamp<std::int64_t>(std::int64_t(t) - offsetMs / 10, 0, last));
    };
    // The records of one line follow each other and share their words: those are shifted
    // once, and shared again.
    const LrcWord* shared = nullptr;
    LrcWords shifted;
    for (auto& record : fresh) {
        record->time = shift(record->time);
        if (offsetMs == 0 || record->words.isEmpty()) continue;
        if (record->words.constData() != shared) {
            shared = record->words.constData();
            shifted = record->words;
            for (LrcWord& w : shifted) {
                w.start = shift(w.start);
                if (w.end != LrcWord::kLineEnd) w.end = shift(w.end);
            }
        }
        record->words = shifted;
    }
    // The lines are sorted once (a later line of an equal time first) and merged in front of
    // records of equal times already held: inserting one by one is quadratic on unsorted
    // files.
    std::reverse(fresh.begin(), fresh.end());
    auto byTime = [](const auto& a, const auto& b) { return a->time < b->time; };
    std::stable_sort(fresh.begin(), fresh.end(), byTime);
    std::vector<std::unique_ptr<TLrcRecord>> merged;
    merged.reserve(fresh.size() + m_records.size());
    std::merge(std::make_move_iterator(fresh.begin()), std::make_move_iterator(fresh.end()),
               std::make_move_iterator(m_records.begin()), std::make_move_iterator(m_records.end()),
               std::back_inserter(merged), byTime);
    m_records = std::move(merged);
}

bool CLrc::Load(const QString& path, std::uint32_t mediaLengthCs) {
    m_error = LoadError::Unreadable;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    // The size is checked before anything is read, and the read itself stops past the bound
    // (a file may grow, or report no size at all).
    if (file.size() > kMaxFileBytes) {
        m_error = LoadError::TooLarge;
        return false;
    }
    QByteArray bytes;
    bytes.reserve(qsizetype(file.size()));
    char chunk[1 << 16];
    qint64 n = 0;
    while (bytes.size() <= kMaxFileBytes && (n = file.read(chunk, sizeof chunk)) > 0)
        bytes.append(chunk, qsizetype(n));
    if (n < 0) return false;
    if (bytes.size() > kMaxFileBytes) {
        m_error = LoadError::TooLarge;
        return false;
    }
    if (bytes.isEmpty()) {
        m_error = LoadError::Empty;
        return false;
    }
    file.close();
    const QString text = DecodeText(bytes);
    bytes = QByteArray();
    CLrc fresh;
    fresh.LoadText(text, mediaLengthCs);
    if (fresh.m_records.size() > kMaxLines) {
        m_error = LoadError::TooManyLines;
        return false;
    }
    if (m_records.empty())
        m_records = std::move(fresh.m_records);
    else
        LoadText(text, mediaLengthCs);
    m_error = LoadError::None;
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
        items.push_back(LRC_ITEM{m_records[i]->time, end, m_records[i]->text, m_records[i]->words});
    }
    return items;
}

QString LrcPathFor(const QString& mediaPath) {
    const qsizetype dot = mediaPath.lastIndexOf('.');
    const qsizetype slash = std::max(mediaPath.lastIndexOf('/'), mediaPath.lastIndexOf('\\'));
    if (dot < 0 || dot < slash) return mediaPath + ".lrc";
    const QString ext = mediaPath.mid(dot);
    if (ext.compare(".lrc", Qt::CaseInsensitive) == 0) return mediaPath;
    return mediaPath.left(dot) + QStringLiteral(".lrc");
}

QString WithWordTags(const QString& text, const LrcWords& words, std::uint32_t lineEnd) {
    QString out;
    int at = 0;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const LrcWord& w = words[i];
        if (w.from < at || w.from > text.size()) continue; // spans out of order: no tag
        out += text.mid(at, w.from - at) + '<' + TimeText(w.start) + '>';
        out += text.mid(w.from, w.length);
        at = w.from + w.length;
        const std::uint32_t next = i + 1 < words.size() ? words[i + 1].start : lineEnd;
        if (w.end < next) out += '<' + TimeText(w.end) + '>';
    }
    return out + text.mid(at);
}

bool WriteLrc(const QString& path, const std::vector<std::pair<std::uint32_t, QString>>& lines) {
    QStringList out;
    out.reserve(qsizetype(lines.size()));
    for (const auto& [time, text] : lines)
        out << '[' + TimeText(time) + ']' + text;
    return CStdioFileEx::WriteLines(path, out);
}

} // namespace kestrova
