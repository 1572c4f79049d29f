// The client area of the main frame: five pages behind a tab strip, in a fixed order.
// Later parts of the program put their views into the pages. GUI thread.
#pragma once

#include <QTabWidget>

namespace kestrova {

class CTabView : public QTabWidget {
    Q_OBJECT
public:
    enum Page { NowPlaying = 0, Dictation, HardSentences, Notes, Radio, PageCount };
    explicit CTabView(QWidget* parent = nullptr);

    // The page's container; its layout holds the page's views.
    QWidget* PageWidget(int index) const { return widget(index); }
    // Shows the page and selects its tab (out-of-range indexes are ignored).
    void SelectPage(int index);
    static QString Caption(int index);
};

} // namespace kestrova
