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
        const QString words = line.mid(textStart).toString(); // shared by the line's records
        for (int i = 0; i < count; ++i) {
            auto record = std::make_unique<TLrcRecord>();
            record->time = times[i];
            record->text = words;
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
    for (auto& record : fresh) {
        const std::int64_t shifted = std::int64_t(record->time) - offsetMs / 10;
        record->time = std::uint32_t(std::clamp<std::int64_t>(shifted, 0, last));
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
    return mediaPath.left(dot) + QStringLiteral(".lrc");
}

bool WriteLrc(const QString& path, const std::vector<std::pair<std::uint32_t, QString>>& lines) {
    QStringList out;
    out.reserve(qsizetype(lines.size()));
    for (const auto& [time, text] : lines)
        out << '[' + TimeText(time) + ']' + text;
    return CStdioFileEx::WriteLines(path, out);
}

} // namespace kestrova
