#include "SideBar.h"

#include <QStackedWidget>
#include <QVBoxLayout>

namespace kestrova {

CSideBar::CSideBar(QWidget* parent) : QDockWidget(parent), m_stack(new QStackedWidget(this)) {
    setObjectName(QStringLiteral("SideBar"));
    setFeatures(QDockWidget::DockWidgetMovable);
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    setFixedWidth(kWidth);
    for (int panel = MainPanel; panel <= RecordPanel; ++panel) {
        auto* page = new QWidget(m_stack);
        page->setObjectName(QStringLiteral("panel%1").arg(panel));
        auto* layout = new QVBoxLayout(page);
        layout->setContentsMargins(4, 4, 4, 4);
        layout->addStretch(1);
        m_stack->addWidget(page);
    }
    setWidget(m_stack);
    setWindowTitle(Caption(MainPanel));
}

QString CSideBar::Caption(int panel) {
    static const char* captions[] = {"", "主面板", "音效控制", "跟读对比"};
    return panel >= MainPanel && panel <= RecordPanel ? QString::fromUtf8(captions[panel])
                                                      : QString();
}

QWidget* CSideBar::PanelWidget(int panel) const {
    return panel >= MainPanel && panel <= RecordPanel ? m_stack->widget(panel - 1) : nullptr;
}

int CSideBar::CurrentPanel() const {
    return m_stack->currentIndex() + 1;
}

void CSideBar::ShowPanel(int panel) {
    if (panel < MainPanel || panel > RecordPanel) return;
    m_stack->setCurrentIndex(panel - 1);
    setWindowTitle(Caption(panel));
}

} // namespace kestrova
