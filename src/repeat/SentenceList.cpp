#include "SentenceList.h"

#include "common/IniFile.h"
#include "common/StdioFileEx.h"
#include "common/Util.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace kestrova::sentences {

bool MergeUp(SentenceArray& items, int s) {
    if (s <= 0 || s >= int(items.size())) return false;
    items[size_t(s - 1)].end = items[size_t(s)].end;
    items.erase(items.begin() + s);
    return true;
}

bool MergeDown(SentenceArray& items, int s) {
    if (s < 0 || s + 1 >= int(items.size())) return false;
    items[size_t(s)].end = items[size_t(s + 1)].end;
    items.erase(items.begin() + s + 1);
    return true;
}

ModifyResult Modify(SentenceArray& items, int s, std::uint32_t start, std::uint32_t end) {
    if (s < 0 || s >= int(items.size())) return ModifyResult::OutOfRange;
    if (start >= end) return ModifyResult::StartNotBeforeEnd;
    items[size_t(s)] = SEL_ITEM{start, end};
    if (s > 0) items[size_t(s - 1)].end = start;
    if (s + 1 < int(items.size())) items[size_t(s + 1)].start = end;
    return ModifyResult::Changed;
}

std::uint32_t Nudged(std::uint32_t old, int position) {
    if (position <= 0 || position >= 1000) return old;
    const std::int64_t value = std::int64_t(old) + position - 500;
    return std::uint32_t(std::max<std::int64_t>(value, 0));
}

SentenceArray ParseFile(const QStringList& lines, bool* anything) {
    SentenceArray items;
    bool any = false;
    for (const QString& line : lines) {
        const QStringList fields = line.split('!', Qt::SkipEmptyParts);
        if (fields.isEmpty()) continue;
        any = true;
        if (fields.size() < 2) continue;
        items.push_back(
            SEL_ITEM{std::uint32_t(ProfileInt(fields[0])), std::uint32_t(ProfileInt(fields[1]))});
    }
    if (anything) *anything = any;
    return items;
}

QByteArray FormatFile(const SentenceArray& items) {
    QByteArray out;
    out.reserve(qsizetype(items.size()) * 14);
    for (const SEL_ITEM& item : items) {
        out += QByteArray::number(item.start);
        out += '!';
        out += QByteArray::number(item.end);
        out += "\r\n";
    }
    return out;
}

bool LoadFile(const QString& path, SentenceArray& items) {
    items.clear();
    QStringList lines;
    if (!CStdioFileEx::ReadLinesOrCreate(path, lines)) return false;
    bool anything = false;
    items = ParseFile(lines, &anything);
    return anything;
}

bool SaveFile(const QString& path, const SentenceArray& items) {
    if (items.empty()) return false;
    QDir().mkpath(QFileInfo(path).absolutePath());
    return WriteWholeFile(path, FormatFile(items));
}

} // namespace kestrova::sentences
