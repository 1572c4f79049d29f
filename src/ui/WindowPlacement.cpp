#include "WindowPlacement.h"

#include <QStringList>
#include <QWidget>

namespace kestrova {

QString WindowPlacement::ToText() const {
    return QStringLiteral("%1,%2,%3,%4,%5,%6,%7,%8,%9,%10")
        .arg(flags)
        .arg(showCmd)
        .arg(minPosition.x())
        .arg(minPosition.y())
        .arg(maxPosition.x())
        .arg(maxPosition.y())
        .arg(normal.left())
        .arg(normal.top())
        .arg(normal.left() + normal.width())
        .arg(normal.top() + normal.height());
}

std::optional<WindowPlacement> WindowPlacement::FromText(const QString& text) {
    const QStringList parts = text.split(',');
    if (parts.size() < 10) return std::nullopt;
    long long n[10];
    for (int i = 0; i < 10; ++i) {
        bool ok = false;
        n[i] = parts[i].trimmed().toLongLong(&ok);
        if (!ok) return std::nullopt;
    }
    WindowPlacement p;
    p.flags = unsigned(n[0]);
    p.showCmd = unsigned(n[1]);
    p.minPosition = QPoint(int(n[2]), int(n[3]));
    p.maxPosition = QPoint(int(n[4]), int(n[5]));
    p.normal = QRect(QPoint(int(n[6]), int(n[7])), QSize(int(n[8] - n[6]), int(n[9] - n[7])));
    return p;
}

WindowPlacement WindowPlacement::Of(const QWidget& window) {
    WindowPlacement p;
    const QRect normal =
        window.normalGeometry().isValid() ? window.normalGeometry() : window.geometry();
    p.normal = normal;
    const bool maximized = window.windowState() & Qt::WindowMaximized;
    if (window.isMinimized()) {
        p.flags = maximized ? kRestoreToMaximized : 0;
        p.showCmd = maximized ? kShowMaximized : kShow;
    } else {
        p.showCmd = maximized ? kShowMaximized : kShowNormal;
    }
    return p;
}

void WindowPlacement::ApplyTo(QWidget& window, unsigned requestedShow) const {
    if (normal.width() > 0 && normal.height() > 0) window.setGeometry(normal);
    const unsigned show = requestedShow == kShowNormal ? showCmd : requestedShow;
    if (show == kShowMaximized)
        window.showMaximized();
    else if (show == kShowMinimized)
        window.showMinimized();
    else
        window.showNormal();
}

} // namespace kestrova
