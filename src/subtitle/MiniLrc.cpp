#include "MiniLrc.h"

#include "SubtitleModel.h"
#include "common/FontText.h"

#include <QContextMenuEvent>

namespace kestrova {

CMiniLrc::CMiniLrc(CSubtitleModel& model, const QString& globalFont, QWidget* parent)
    : QLabel(parent) {
    setObjectName(QStringLiteral("MiniLrc"));
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(20, 20, 20));
    colours.setColor(QPalette::WindowText, QColor(0, 255, 0));
    setPalette(colours);
    setTextFormat(Qt::PlainText);
    setContentsMargins(4, 0, 4, 0);
    ApplyFont(globalFont);
    setText(model.CurrentLine() >= 0 ? model.Text(model.CurrentLine()) : QString());
    connect(&model, &CSubtitleModel::lineShown, this, &QLabel::setText);
    connect(&model, &CSubtitleModel::cleared, this, &QLabel::clear);
}

void CMiniLrc::ApplyFont(const QString& globalFont) {
    QFont font;
    if (globalFont.isEmpty() || !FontFromText(globalFont, font)) {
        font = QFont(QStringLiteral("Verdana"));
        font.setPixelSize(14);
        font.setWeight(QFont::Black);
    }
    setFont(font);
    setFixedHeight(QFontMetrics(font).height() + 6);
}

void CMiniLrc::contextMenuEvent(QContextMenuEvent* event) {
    Q_EMIT menuRequested(event->globalPos());
}

} // namespace kestrova
