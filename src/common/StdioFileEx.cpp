#include "StdioFileEx.h"

#include "common/TextDecode.h"
#include "common/Util.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kestrova {

QStringList CStdioFileEx::SplitLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != '\r' && c != '\n') continue;
        lines << text.mid(start, i - start);
        if (c == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < n) lines << text.mid(start);
    return lines;
}

bool CStdioFileEx::ReadText(const QString& path, QString& text) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    text = DecodeText(file.readAll());
    return true;
}

bool CStdioFileEx::ReadLines(const QString& path, QStringList& lines) {
    QString text;
    if (!ReadText(path, text)) return false;
    lines = SplitLines(text);
    return true;
}

bool CStdioFileEx::ReadLinesOrCreate(const QString& path, QStringList& lines) {
    lines.clear();
    if (!QFile::exists(path)) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (file.open(QIODevice::WriteOnly)) file.close();
        return true;
    }
    return ReadLines(path, lines);
}

bool CStdioFileEx::WriteLines(const QString& path, const QStringList& lines) {
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    return WriteWholeFile(path, EncodeText(text));
}

} // namespace kestrova
