#include "Playlist.h"

#include "common/StdioFileEx.h"

#include <QFileInfo>
#include <algorithm>

namespace kestrova {

namespace {
int CompareNames(const QString& a, const QString& b) {
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        char16_t x = a[i].unicode(), y = b[i].unicode();
        if (x >= 'a' && x <= 'z') x = char16_t(x - 32);
        if (y >= 'a' && y <= 'z') y = char16_t(y - 32);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}
} // namespace

void CSortStringArray::SortByName(bool ascending) {
    std::stable_sort(begin(), end(), [ascending](const QString& a, const QString& b) {
        const int c = CompareNames(playlist::FileName(a), playlist::FileName(b));
        return ascending ? c < 0 : c > 0;
    });
}

namespace playlist {

QString FileName(const QString& path) {
    const qsizetype cut = std::max(path.lastIndexOf('/'), path.lastIndexOf('\\'));
    return path.mid(cut + 1);
}

QString SizeText(const QString& path) {
    // The file's size from the directory entry; opening each file would cost a system call
    // more per row of a long list.
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable()) return QStringLiteral("?");
    return QStringLiteral("%1 KB").arg(info.size() / 1024);
}

CSortStringArray Read(const QString& path) {
    CSortStringArray paths;
    QStringList lines;
    CStdioFileEx::ReadLinesOrCreate(path, lines);
    for (const QString& line : lines) {
        if (line.startsWith('#')) break;
        if (line.size() <= 3 || !QFileInfo::exists(line)) continue;
        paths << line;
    }
    return paths;
}

bool Write(const QString& path, const QStringList& paths) {
    return CStdioFileEx::WriteLines(path, paths);
}

QString WindowTitle(const QString& track, const QString& performer, const QString& path) {
    QStringList parts;
    for (QString part : {track, performer}) {
        while (part.contains("  "))
            part.replace("  ", " ");
        if (!part.trimmed().isEmpty()) parts << part;
    }
    if (parts.isEmpty()) parts << FileName(path);
    return parts.join(" - ") + QStringLiteral(" - Kestrova Professional");
}

QString BitRateText(const QString& bitsPerSecond) {
    if (bitsPerSecond.size() <= 3) return QString();
    return bitsPerSecond.left(bitsPerSecond.size() - 3) + QStringLiteral("Kbps");
}

SortState NextSortState(SortState state) {
    return state == SortState::Descending ? SortState::Ascending : SortState::Descending;
}

QString HeaderText(SortState state) {
    switch (state) {
    case SortState::Descending:
        return QString::fromUtf8("文件名 ↑");
    case SortState::Ascending:
        return QString::fromUtf8("文件名 ↓");
    case SortState::None:
        break;
    }
    return QString::fromUtf8("文件名");
}

} // namespace playlist
} // namespace kestrova
