// Decoding the bytes of the program's text files: byte-order marks for UTF-16LE/BE and
// UTF-8, otherwise UTF-8 when the bytes are valid UTF-8, else GB18030 (a superset of the
// code page that older lesson and data files were written in). Thread-safe.
#pragma once

#include <QByteArray>
#include <QString>

namespace kestrova {

QString DecodeText(const QByteArray& bytes);
// Bytes of text in the system encoding (UTF-8) for writing.
QByteArray EncodeText(const QString& text);

} // namespace kestrova
