// The program's text-file reader and writer for its small data files: reading recognises
// UTF-16LE/BE and UTF-8 byte-order marks, accepts UTF-8, and falls back to GB18030 for
// legacy files; lines end at CR, LF or CR LF. Writing is UTF-8 with CR LF line ends, whole
// and atomic. Thread-safe (no shared state).
#pragma once

#include <QString>
#include <QStringList>

namespace kestrova {

class CStdioFileEx {
public:
    // The lines of a file's text, line ends removed; a last empty line is not a line.
    static QStringList SplitLines(const QString& text);
    // False when the file cannot be read.
    static bool ReadLines(const QString& path, QStringList& lines);
    // The same, but a missing file is created empty (and gives no lines).
    static bool ReadLinesOrCreate(const QString& path, QStringList& lines);
    static bool ReadText(const QString& path, QString& text);
    // Writes every line followed by CR LF. False when the file cannot be written.
    static bool WriteLines(const QString& path, const QStringList& lines);
};

} // namespace kestrova
