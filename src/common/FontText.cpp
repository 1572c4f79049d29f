#include "FontText.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace kestrova {

QString FontDescToText(const FontDesc& d) {
    return QStringLiteral("%1,%2,%3,%4,%5,%6,%7,%8,%9,%10,%11,%12,%13,%14")
        .arg(d.height)
        .arg(d.width)
        .arg(d.escapement)
        .arg(d.orientation)
        .arg(d.weight)
        .arg(unsigned(d.italic))
        .arg(unsigned(d.underline))
        .arg(unsigned(d.strikeOut))
        .arg(unsigned(d.charSet))
        .arg(unsigned(d.outPrecision))
        .arg(unsigned(d.clipPrecision))
        .arg(unsigned(d.quality))
        .arg(unsigned(d.pitchAndFamily))
        .arg(d.faceName.left(kFaceNameMax));
}

bool FontDescFromText(const QString& text, FontDesc& d) {
    // Thirteen numbers, then the face name is everything after the thirteenth comma.
    long numbers[13];
    qsizetype pos = 0;
    for (long& number : numbers) {
        const qsizetype comma = text.indexOf(',', pos);
        if (comma < 0) return false;
        bool ok = false;
        number = text.mid(pos, comma - pos).trimmed().toLong(&ok);
        if (!ok) return false;
        pos = comma + 1;
    }
    FontDesc out;
    out.height = numbers[0];
    out.width = numbers[1];
    out.escapement = numbers[2];
    out.orientation = numbers[3];
    out.weight = numbers[4];
    std::uint8_t* bytes[] = {&out.italic,  &out.underline,     &out.strikeOut,
                             &out.charSet, &out.outPrecision,  &out.clipPrecision,
                             &out.quality, &out.pitchAndFamily};
    for (int i = 0; i < 8; ++i)
        *bytes[i] = static_cast<std::uint8_t>(numbers[5 + i]);
    out.faceName = text.mid(pos).left(kFaceNameMax);
    d = out;
    return true;
}

QFont FontDescToQFont(const FontDesc& d) {
    QFont font(d.faceName);
    const long pixels = std::labs(d.height);
    if (pixels > 0) font.setPixelSize(int(pixels));
    font.setWeight(QFont::Weight(std::clamp<long>(d.weight ? d.weight : 400, 100, 900)));
    font.setItalic(d.italic != 0);
    font.setUnderline(d.underline != 0);
    font.setStrikeOut(d.strikeOut != 0);
    return font;
}

FontDesc FontDescFromQFont(const QFont& font) {
    FontDesc d;
    if (font.pixelSize() > 0)
        d.height = -font.pixelSize();
    else
        d.height = -std::lround(font.pointSizeF() * 96.0 / 72.0);
    d.weight = font.weight();
    d.italic = font.italic();
    d.underline = font.underline();
    d.strikeOut = font.strikeOut();
    d.faceName = font.family().left(kFaceNameMax);
    return d;
}

QString FontToText(const QFont& font) {
    return FontDescToText(FontDescFromQFont(font));
}

bool FontFromText(const QString& text, QFont& font) {
    FontDesc d;
    if (!FontDescFromText(text, d)) return false;
    font = FontDescToQFont(d);
    return true;
}

} // namespace kestrova
