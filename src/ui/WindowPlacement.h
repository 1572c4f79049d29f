// The main window's placement as the profile keeps it: "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d" =
// flags, show state, minimised x/y, maximised x/y, normal rectangle left/top/right/bottom.
#pragma once

#include <QRect>
#include <QString>
#include <optional>

class QWidget;

namespace kestrova {

struct WindowPlacement {
    // Show states and the restore-to-maximised flag of the classic placement record.
    static constexpr unsigned kShowNormal = 1;
    static constexpr unsigned kShowMinimized = 2;
    static constexpr unsigned kShowMaximized = 3;
    static constexpr unsigned kShow = 5;
    static constexpr unsigned kRestoreToMaximized = 2;

    unsigned flags = 0;
    unsigned showCmd = kShowNormal;
    QPoint minPosition{-1, -1};
    QPoint maxPosition{-1, -1};
    QRect normal; // left, top, right, bottom as stored

    QString ToText() const;
    // Empty unless all ten numbers are read.
    static std::optional<WindowPlacement> FromText(const QString& text);

    // The placement of a window about to close: a minimised window is stored as "show" so
    // that the next start shows it normally (or maximised when it would restore so).
    static WindowPlacement Of(const QWidget& window);
    // Places the window; its show state is the stored one unless the request is not
    // show-normal. Shows the window.
    void ApplyTo(QWidget& window, unsigned requestedShow = kShowNormal) const;
};

} // namespace kestrova
