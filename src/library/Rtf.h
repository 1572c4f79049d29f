// Our Rich Text Format reader and writer for the rich-text editors (study notes, later free
// dictation). The writer covers what the editors make: fonts, sizes, colours, bold, italic,
// underline, strike-out, alignment, bullets, paragraphs and any Unicode text (as \uN). The
// reader takes RTF from other programs too, keeps what it understands and skips the rest
// (pictures, style sheets, document information, unknown destinations). Pure functions.
#pragma once

#include <QByteArray>

class QTextDocument;

namespace kestrova::rtf {

QByteArray Write(const QTextDocument& document);
// Replaces the document's content. False when the bytes are not RTF.
bool Read(const QByteArray& bytes, QTextDocument& document);

} // namespace kestrova::rtf
