#include "StatusBar.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QStyle>
#include <QToolButton>

namespace kestrova {

CStatusBar::CStatusBar(QWidget* parent)
    : QStatusBar(parent), m_progress(nullptr), m_cancel(nullptr) {
    setObjectName(QStringLiteral("StatusBar"));
    setSizeGripEnabled(true);
    const int spaces[kPaneCount] = {0, 0, 0, 0, 15, 15, 1, 1};
    for (int i = 0; i < kPaneCount; ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("pane%1").arg(i));
        m_panes[i] = label;
        if (i == 0) {
            label->setText(QString::fromUtf8("就绪"));
            addWidget(label, 1);
            continue;
        }
        label->setAlignment(Qt::AlignCenter);
        const QString sizing = i < 4 ? QStringLiteral(" SCRL ") : QString(spaces[i] + 2, ' ');
        label->setMinimumWidth(fontMetrics().horizontalAdvance(sizing));
        addPermanentWidget(label);
    }
    m_progress = new QProgressBar(m_panes[0]);
    m_progress->setObjectName(QStringLiteral("splitProgress"));
    m_progress->setRange(0, 100);
    m_progress->setTextVisible(false);
    m_progress->hide();
    m_cancel = new QToolButton(m_panes[0]);
    m_cancel->setObjectName(QStringLiteral("cancelSplitButton"));
    m_cancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    m_cancel->setIconSize(QSize(16, 16));
    m_cancel->setAutoRaise(true);
    m_cancel->setToolTip(QString::fromUtf8("取消自动断句"));
    m_cancel->hide();
    connect(m_cancel, &QToolButton::clicked, this, &CStatusBar::cancelSplitting);
    m_panes[0]->installEventFilter(this);
    ShowLockPanes();
}

QLabel* CStatusBar::Pane(int pane) const {
    return pane >= 0 && pane < kPaneCount ? m_panes[pane] : nullptr;
}

void CStatusBar::SetPaneText(int pane, const QString& text) {
    if (QLabel* label = Pane(pane)) label->setText(text);
}

void CStatusBar::FitPaneTo(int pane, const QStringList& texts) {
    QLabel* label = Pane(pane);
    if (!label) return;
    const QFontMetrics metrics = label->fontMetrics();
    QLatin1Char widest('0');
    for (char digit = '1'; digit <= '9'; ++digit)
        if (metrics.horizontalAdvance(QLatin1Char(digit)) > metrics.horizontalAdvance(widest))
            widest = QLatin1Char(digit);
    int width = 0;
    for (QString text : texts)
        width = std::max(width, metrics.horizontalAdvance(text.replace('0', widest)));
    // Room of two spaces around the text, as the panes sized by spaces have.
    label->setMinimumWidth(width + metrics.horizontalAdvance(QStringLiteral("  ")));
}

void CStatusBar::SetSplittingProgress(int percent) {
    if (percent == -10) {
        m_progress->hide();
        m_cancel->hide();
        return;
    }
    if (percent < 5) {
        m_progress->show();
        m_cancel->show();
    }
    PlaceProgress();
    m_progress->setValue(std::clamp(percent, 0, 100));
}

void CStatusBar::PlaceProgress() {
    // At the right end of the message pane: the button in the last 20 pixels, the bar in
    // the 159 before it, 2 pixels in from the top and the bottom.
    const QRect pane = m_panes[0]->rect();
    const int h = std::max(pane.height() - 4, 1);
    m_cancel->setGeometry(pane.right() - 20 + 1, 2, 20, h);
    m_progress->setGeometry(pane.right() - 20 - 159 + 1, 2, 159, h);
}

bool CStatusBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_panes[0] && event->type() == QEvent::Resize) PlaceProgress();
    return QStatusBar::eventFilter(watched, event);
}

void CStatusBar::ShowLockPanes() {
    // Lock-key states are not exposed portably by the toolkit; the panes show their names
    // greyed, as an inactive lock indicator looks.
    static const char* names[] = {"CAP", "NUM", "SCRL"};
    for (int i = 0; i < 3; ++i) {
        m_panes[i + 1]->setText(QString::fromLatin1(names[i]));
        m_panes[i + 1]->setEnabled(false);
    }
}

} // namespace kestrova
