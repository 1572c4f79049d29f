#include "SplitSchemes.h"

#include "common/StdioFileEx.h"
#include "common/Util.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace kestrova::splitschemes {

QString FilePath() {
    return DataFolder() + "Split/Scheme.dat";
}

SplitItems Load(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    QStringList lines;
    SplitItems items;
    if (!CStdioFileEx::ReadLinesOrCreate(path, lines)) return items;
    for (const QString& line : lines) {
        const QStringList f = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (f.isEmpty()) continue;
        SPLIT_ITEM item;
        item.name = f[0];
        if (f.size() > 1) item.noise = int(std::uint16_t(f[1].toLongLong()));
        if (f.size() > 2) item.gap = int(std::uint16_t(f[2].toLongLong()));
        items.push_back(item);
    }
    return items;
}

bool Save(const QString& path, const SplitItems& items) {
    QDir().mkpath(QFileInfo(path).path());
    QStringList lines;
    for (const SPLIT_ITEM& item : items)
        lines << QStringLiteral("%1 %2 %3").arg(item.name).arg(item.noise).arg(item.gap);
    return CStdioFileEx::WriteLines(path, lines);
}

void Apply(const QString& name, const SplitItems& saved, int& noise, int& gap) {
    if (name == QString::fromUtf8(kDefault)) {
        noise = 980;
        gap = 28;
    } else if (name == QString::fromUtf8(kNoNoise)) {
        noise = 0;
        gap = 28;
    }
    for (const SPLIT_ITEM& item : saved)
        if (item.name == name) {
            noise = item.noise;
            gap = item.gap;
        }
}

} // namespace kestrova::splitschemes
