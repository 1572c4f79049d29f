#include "TabView.h"

#include <QVBoxLayout>

namespace kestrova {

CTabView::CTabView(QWidget* parent) : QTabWidget(parent) {
    setDocumentMode(false);
    for (int i = 0; i < PageCount; ++i) {
        auto* page = new QWidget(this);
        page->setObjectName(QStringLiteral("page%1").arg(i));
        auto* layout = new QVBoxLayout(page);
        layout->setContentsMargins(0, 0, 0, 0);
        addTab(page, Caption(i));
    }
}

QString CTabView::Caption(int index) {
    static const char* captions[] = {"正在播放", "逆向听写", "难点句库", "学习笔记", "网络电台"};
    return index >= 0 && index < PageCount ? QString::fromUtf8(captions[index]) : QString();
}

void CTabView::SelectPage(int index) {
    if (index >= 0 && index < count()) setCurrentIndex(index);
}

} // namespace kestrova
