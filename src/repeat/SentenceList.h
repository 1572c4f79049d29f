// The sentences of the open file as time spans in centiseconds (`SEL_ITEM`), with the
// editing rules of the sentence list (merge, modify) and the `sellist.ist` file format
// ("start!end" lines). A plain model: the sentence list view owns one. GUI thread.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

namespace kestrova {

struct SEL_ITEM {
    std::uint32_t start = 0;
    std::uint32_t end = 0;
    bool operator==(const SEL_ITEM&) const = default;
};
using SentenceArray = std::vector<SEL_ITEM>;

namespace sentences {

// sentence s-1 takes sentence s's end; s goes. False (nothing changed) for the first row or
// an index outside the list.
bool MergeUp(SentenceArray& items, int s);
// sentence s takes sentence s+1's end; s+1 goes. False for the last row or outside.
bool MergeDown(SentenceArray& items, int s);

enum class ModifyResult { Changed, OutOfRange, StartNotBeforeEnd };
// Sentence s becomes (start, end); its neighbours follow so that the list stays joined.
ModifyResult Modify(SentenceArray& items, int s, std::uint32_t start, std::uint32_t end);
// The value an up-down control of the modify dialog gives from the old value: positions 0
// and 1000 keep it, others move it by position - 500 centiseconds, never below 0.
std::uint32_t Nudged(std::uint32_t old, int position);

// Reads a sentence file: fields split at '!' (empty pieces skipped), leading-digit numbers,
// lines with fewer than two fields skipped. `anything` tells whether a line had a field.
SentenceArray ParseFile(const QStringList& lines, bool* anything = nullptr);
QByteArray FormatFile(const SentenceArray& items);
// Loads `path`, creating it empty when missing. False when nothing was read.
bool LoadFile(const QString& path, SentenceArray& items);
// Writes the list whole and atomically; an empty list leaves the file as it was.
bool SaveFile(const QString& path, const SentenceArray& items);

} // namespace sentences
} // namespace kestrova
