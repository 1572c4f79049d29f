#include "Translation.h"

#include "common/TextDecode.h"
#include "common/Util.h"

#include <QFile>

namespace kestrova::translation {

QString FilePath() {
    return DataFolder() + "Temp/translate.dat";
}

QString Load(const QString& path, bool* found) {
    QFile file(path);
    if (found) *found = false;
    if (!file.open(QIODevice::ReadOnly)) return {};
    if (found) *found = true;
    // Lines end at LF; what CR and LF end a line is dropped. (The small data files' own
    // reader takes a lone CR as a break, which would double every line of this format.)
    const QString text = DecodeText(file.readAll());
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast(); // after the last LF
    for (QString& line : lines)
        while (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    return lines.join(QLatin1Char('\n'));
}

bool Save(const QString& path, const QString& text) {
    QString out;
    for (QString line : text.split(QLatin1Char('\n'))) {
        while (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        out += line + QStringLiteral("\r\r\n");
    }
    QString why;
    return CheckWrite(path, WriteWholeFile(path, out.toUtf8(), &why), why);
}

QString FullText(const LrcItems& items) {
    QString text;
    for (const LRC_ITEM& item : items)
        text += item.text + QStringLiteral("\n\n");
    return text;
}

} // namespace kestrova::translation
