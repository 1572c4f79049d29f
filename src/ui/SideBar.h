// The side bar: a dock of fixed width holding three panels (main panel, sound effects,
// follow-read comparison), at most one of them visible. Later parts fill the panels.
// GUI thread.
#pragma once

#include <QDockWidget>

class QStackedWidget;

namespace kestrova {

class CSideBar : public QDockWidget {
    Q_OBJECT
public:
    enum Panel { None = 0, MainPanel = 1, EffectPanel = 2, RecordPanel = 3 };
    static constexpr int kWidth = 174;

    explicit CSideBar(QWidget* parent = nullptr);
    // The container of panel 1..3.
    QWidget* PanelWidget(int panel) const;
    // Panel shown inside the bar (1..3); whether the bar itself shows is separate.
    int CurrentPanel() const;
    void ShowPanel(int panel);
    static QString Caption(int panel);

private:
    QStackedWidget* m_stack;
};

} // namespace kestrova
