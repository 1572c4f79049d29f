// The playlist's data: the path array (`CSortStringArray`), the `Kestrova.m3u` file, the
// row texts and the name sort. Plain functions and a plain class; GUI thread.
#pragma once

#include <QString>
#include <QStringList>

namespace kestrova {

// Full paths in list order.
class CSortStringArray : public QStringList {
public:
    using QStringList::QStringList;
    // Stable sort by file name, ASCII letters compared without case (other characters by
    // code value): the order that swapping out-of-order neighbours until no swap gives.
    void SortByName(bool ascending);
};

namespace playlist {

// The part of a path after its last separator.
QString FileName(const QString& path);
// "%d KB" (bytes / 1024), or "?" when the size cannot be read.
QString SizeText(const QString& path);
// Lines of the playlist file: a line starting with '#' ends the list, lines of three
// characters or fewer and lines naming missing files are skipped. A missing file is
// created empty.
CSortStringArray Read(const QString& path);
bool Write(const QString& path, const QStringList& paths);
// The main window's title for a playing file: "Track - Performer - Kestrova Professional",
// or the file name when the file has neither tag.
QString WindowTitle(const QString& track, const QString& performer, const QString& path);
// The bit-rate pane text: bits per second without its last three digits, then "Kbps".
QString BitRateText(const QString& bitsPerSecond);

// Column header cycle: plain -> " ↑" (descending) -> " ↓" (ascending) -> " ↑" ...
enum class SortState { None, Descending, Ascending };
SortState NextSortState(SortState state);
QString HeaderText(SortState state);

} // namespace playlist
} // namespace kestrova
