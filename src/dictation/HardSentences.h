// The hard-sentence library's data: rows of (number, start, end, difficulty, time added) in
// the order they were added, the add rule (a sentence is recognised by its start's time text;
// adding it again lowers its difficulty), and the "hardSent.dat" format ("!" fields).
// A plain model; GUI thread.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

namespace kestrova {

struct HARD_ITEM {
    QString number; // row number given when it was added
    std::uint32_t start = 0;
    std::uint32_t end = 0;
    QString difficulty; // text: 100 - errors, lowered at every further addition
    QString added;      // local date and time text
    bool operator==(const HARD_ITEM&) const = default;
};
using HardItems = std::vector<HARD_ITEM>;

namespace hardsentences {

// Adds a sentence or lowers the difficulty of the row with the same start. Returns the row.
int Add(HardItems& items, std::uint32_t start, std::uint32_t end, int errorCount,
        const QString& now);
// Lines of "number!start!end!difficulty!added"; empty fields are skipped (the rest move up);
// lines with fewer than three fields are skipped.
HardItems Parse(const QStringList& lines);
QStringList Format(const HardItems& items);
bool Load(const QString& path, HardItems& items);
// An empty library writes nothing (the old file stays).
bool Save(const QString& path, const HardItems& items);
// The local date and time in the locale's long form.
QString NowText();

} // namespace hardsentences
} // namespace kestrova
