// LRC subtitles: the model of one file (`CLrc`, records in time order), its reader, the
// timed line list (`LRC_ITEM`) the rest of the program uses, the LRC path of a media file,
// and the writer. Word-timed lines ("[00:01.00]<00:01.20>One <00:01.60>two") are read into
// their clean text and the times of their words. Plain classes; GUI thread (the model is not
// shared).
#pragma once

#include <QList>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

namespace kestrova {

// A timed word of a line (the text from one word tag to the next): when it is spoken, until
// when (the next tag's time; kLineEnd while the line's own end ends it), and where it stands
// in the line's clean text.
struct LrcWord {
    static constexpr std::uint32_t kLineEnd = UINT32_MAX;
    std::uint32_t start = 0; // centiseconds
    std::uint32_t end = kLineEnd;
    int from = 0;
    int length = 0;
    bool operator==(const LrcWord&) const = default;
};
// Shared, not copied, by the records of a line with several time tags.
using LrcWords = QList<LrcWord>;

struct TLrcRecord {
    std::uint32_t time = 0; // centiseconds
    // The words after the line's last time tag: as they stand, or, in a word-timed line,
    // without the word tags, the spaces around each collapsed to one, trimmed.
    QString text;
    LrcWords words; // empty for a line without word tags
};

struct LRC_ITEM {
    std::uint32_t start = 0;
    std::uint32_t end = 0;
    QString text;
    LrcWords words;
    bool operator==(const LRC_ITEM&) const = default;
};
using LrcItems = std::vector<LRC_ITEM>;

class CLrc {
public:
    static constexpr int kMaxTagsPerLine = 20;
    // No real subtitle file comes near this; a larger one is refused unread.
    static constexpr qint64 kMaxFileBytes = qint64(16) << 20;
    // An offset tag further than this is no offset but a broken file, and is ignored.
    static constexpr int kMaxOffsetMs = 24 * 60 * 60 * 1000;

    // Nor near this many timed lines (one every two seconds for eleven hours); a file with
    // more is refused, since the views hold every line.
    static constexpr std::size_t kMaxLines = 20000;

    enum class LoadError { None, Unreadable, Empty, TooLarge, TooManyLines };

    // Reads a file into the records (records held stay). False when the file cannot be read,
    // is empty, is larger than kMaxFileBytes or has more than kMaxLines timed lines (Error()
    // tells which; no record is added then); true otherwise, also
    // when no line had a time tag. `mediaLengthCs`, when known (not 0), bounds the file's
    // offset tag. Time and memory are linear in the file's size whatever it holds.
    bool Load(const QString& path, std::uint32_t mediaLengthCs = 0);
    // The same over text already decoded.
    void LoadText(const QString& text, std::uint32_t mediaLengthCs = 0);
    LoadError Error() const { return m_error; }
    void Clear();
    // Text of the last record at or before `time`; moves the current index there. Empty,
    // index unchanged, when no record qualifies.
    QString GetLineAt(std::uint32_t time);
    int GetCurrentIndex() const { return m_current; }
    const std::vector<std::unique_ptr<TLrcRecord>>& Records() const { return m_records; }
    // The timed lines: each record ends where the next begins, the last at `lengthCs`.
    LrcItems Items(std::uint32_t lengthCs) const;

    // A time tag's value: "[m:ss.xx]" with one to three minute digits, two second digits,
    // and "." or ":" before one, two or three fraction digits (tenths, hundredths,
    // milliseconds truncated), or no fraction at all. `tag` is the text between brackets.
    static bool ParseTime(QStringView tag, std::uint32_t& cs);
    // A line's text without its word tags ("<m:ss.xx>", the time forms of ParseTime) and
    // the words they time. A "<" that begins no valid tag stays text; a text without a
    // valid tag comes back as it stands, with no words.
    static QString TakeWordTags(QStringView text, LrcWords& words);

private:
    std::vector<std::unique_ptr<TLrcRecord>> m_records;
    int m_current = 0;
    LoadError m_error = LoadError::None;
};

// The media path with its file name's extension replaced by ".lrc" (added when it has none);
// the folders on the way keep their names, dots and all.
QString LrcPathFor(const QString& mediaPath);
// A clean text with the tags of its words put back before each word (and after a word that
// ends before the next word's start or the line's end).
QString WithWordTags(const QString& text, const LrcWords& words, std::uint32_t lineEnd);
// One "[time text]text" line per item, CR LF ends, UTF-8. False when it cannot be written.
bool WriteLrc(const QString& path, const std::vector<std::pair<std::uint32_t, QString>>& lines);

} // namespace kestrova
