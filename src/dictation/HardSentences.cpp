#include "HardSentences.h"

#include "common/IniFile.h"
#include "common/StdioFileEx.h"
#include "common/Util.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLocale>

namespace kestrova::hardsentences {

int Add(HardItems& items, std::uint32_t start, std::uint32_t end, int errorCount,
        const QString& now) {
    const QString key = TimeText(start);
    for (size_t i = 0; i < items.size(); ++i) {
        if (TimeText(items[i].start) == key) {
            items[i].difficulty = QString::number(ProfileInt(items[i].difficulty) - errorCount);
            return int(i);
        }
    }
    items.push_back(HARD_ITEM{QString::number(items.size() + 1), start, end,
                              QString::number(100 - errorCount), now});
    return int(items.size()) - 1;
}

HardItems Parse(const QStringList& lines) {
    HardItems items;
    for (const QString& line : lines) {
        const QStringList fields = line.split('!', Qt::SkipEmptyParts);
        if (fields.size() < 3) continue;
        HARD_ITEM item;
        item.number = fields[0];
        item.start = std::uint32_t(ProfileInt(fields[1]));
        item.end = std::uint32_t(ProfileInt(fields[2]));
        item.difficulty = fields.value(3);
        item.added = fields.value(4);
        items.push_back(item);
    }
    return items;
}

QStringList Format(const HardItems& items) {
    QStringList lines;
    for (const HARD_ITEM& i : items)
        lines << QStringLiteral("%1!%2!%3!%4!%5")
                     .arg(i.number)
                     .arg(i.start)
                     .arg(i.end)
                     .arg(i.difficulty, i.added);
    return lines;
}

bool Load(const QString& path, HardItems& items) {
    items.clear();
    QStringList lines;
    if (!CStdioFileEx::ReadLines(path, lines)) return false;
    items = Parse(lines);
    return true;
}

bool Save(const QString& path, const HardItems& items) {
    if (items.empty()) return false;
    QDir().mkpath(QFileInfo(path).absolutePath());
    return CStdioFileEx::WriteLines(path, Format(items));
}

QString NowText() {
    return QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
}

} // namespace kestrova::hardsentences
