// The one-line subtitle strip under the mini window: the line being spoken, bright green on
// near black, in the subtitle font (Verdana, heavy, when none is set). Its context menu is
// the mini window's. A view of the subtitle model. GUI thread.
#pragma once

#include <QLabel>

namespace kestrova {

class CSubtitleModel;

class CMiniLrc : public QLabel {
    Q_OBJECT
public:
    CMiniLrc(CSubtitleModel& model, const QString& globalFont, QWidget* parent = nullptr);
    void ApplyFont(const QString& globalFont);

Q_SIGNALS:
    void menuRequested(const QPoint& globalPos);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
};

} // namespace kestrova
