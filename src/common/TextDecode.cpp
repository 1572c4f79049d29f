#include "TextDecode.h"

#include <QStringDecoder>

namespace kestrova {

QString DecodeText(const QByteArray& bytes) {
    auto decodeWith = [](QStringConverter::Encoding enc, QByteArrayView data) {
        QStringDecoder decoder(enc, QStringConverter::Flag::Stateless);
        return QString(decoder(data));
    };
    if (bytes.startsWith("\xFF\xFE"))
        return decodeWith(QStringConverter::Utf16LE, QByteArrayView(bytes).sliced(2));
    if (bytes.startsWith("\xFE\xFF"))
        return decodeWith(QStringConverter::Utf16BE, QByteArrayView(bytes).sliced(2));
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return decodeWith(QStringConverter::Utf8, QByteArrayView(bytes).sliced(3));

    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError()) return text;
    QStringDecoder gb("GB18030", QStringConverter::Flag::Stateless);
    if (gb.isValid()) return QString(gb(bytes));
    return QString::fromLatin1(bytes);
}

QByteArray EncodeText(const QString& text) {
    return text.toUtf8();
}

} // namespace kestrova
