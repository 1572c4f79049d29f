// The font text of the subtitle font setting: one line of fourteen comma-separated fields
// (height, width, escapement, orientation, weight, italic, underline, strike-out, character
// set, output precision, clipping precision, quality, pitch-and-family, face name).
#pragma once

#include <QFont>
#include <QString>
#include <cstdint>

namespace kestrova {

struct FontDesc {
    long height = 0; // pixels; negative means character height, positive cell height
    long width = 0;
    long escapement = 0;
    long orientation = 0;
    long weight = 400; // 100..900, 400 regular, 700 bold
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::uint8_t charSet = 0;
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitchAndFamily = 0;
    QString faceName; // at most 31 characters

    bool operator==(const FontDesc&) const = default;
};

constexpr int kFaceNameMax = 31;

QString FontDescToText(const FontDesc& desc);
// False when the text does not hold thirteen numbers and a face name field.
bool FontDescFromText(const QString& text, FontDesc& desc);

// Conversions to the toolkit's font; point sizes count at 96 dots per inch, so a 12-point
// font has the height -16.
QFont FontDescToQFont(const FontDesc& desc);
FontDesc FontDescFromQFont(const QFont& font);

// Shorthands for the setting: empty text <-> no font chosen.
QString FontToText(const QFont& font);
bool FontFromText(const QString& text, QFont& font);

} // namespace kestrova
