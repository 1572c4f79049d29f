// LRC subtitles: the model of one file (`CLrc`, records in time order), its reader, the
// timed line list (`LRC_ITEM`) the rest of the program uses, the LRC path of a media file,
// and the writer. Plain classes; GUI thread (the model is not shared).
#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

namespace kestrova {

struct TLrcRecord {
    std::uint32_t time = 0; // centiseconds
    QString text;           // the words after the line's last time tag, as they stand
};

struct LRC_ITEM {
    std::uint32_t start = 0;
    std::uint32_t end = 0;
    QString text;
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

private:
    std::vector<std::unique_ptr<TLrcRecord>> m_records;
    int m_current = 0;
    LoadError m_error = LoadError::None;
};

// The media path with its file name's extension replaced by ".lrc" (added when it has none);
// the folders on the way keep their names, dots and all.
QString LrcPathFor(const QString& mediaPath);
// One "[time text]text" line per item, CR LF ends, UTF-8. False when it cannot be written.
bool WriteLrc(const QString& path, const std::vector<std::pair<std::uint32_t, QString>>& lines);

} // namespace kestrova
