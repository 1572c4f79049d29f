#include "SellistView.h"

#include "ModifySelDlg.h"
#include "common/AppSetting.h"
#include "common/Util.h"
#include "player/SentenceModel.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kestrova {

CSellistView::CSellistView(CAppSetting& settings, CSentenceModel& model, QWidget* parent)
    : QWidget(parent), m_settings(settings), m_model(model) {
    setObjectName(QStringLiteral("SellistView"));
    m_caption = new QLabel(QString::fromUtf8(" 复读区断点列表"), this);
    m_caption->setObjectName(QStringLiteral("caption"));
    m_caption->setFrameStyle(QFrame::Panel | QFrame::Raised);
    QFont captionFont(QString::fromUtf8("宋体"));
    captionFont.setPointSize(9);
    m_caption->setFont(captionFont);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("sentenceList"));
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({QString::fromUtf8("复读开始点"), QString::fromUtf8("复读结束点")});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setUniformRowHeights(true);
    // A column is 47 % of the view but never narrower than its header or a time of the bold
    // current row needs, and the view is never narrower than the width that gives that.
    QFont bold = m_list->font();
    bold.setBold(true);
    const int margin = m_list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_list);
    m_columnWidth = QFontMetrics(bold).horizontalAdvance(TimeText(0)) + 2 * (margin + 1);
    for (int c = 0; c < m_list->columnCount(); ++c)
        m_columnWidth = std::max(m_columnWidth, m_list->header()->sectionSizeHint(c));
    setMinimumWidth(2 * m_columnWidth + 2 + ChromeWidth());
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (item) m_model.SelectSentence(m_list->indexOfTopLevelItem(item));
    });
    connect(&m_model, &QAbstractItemModel::modelReset, this, &CSellistView::Rebuild);
    connect(&m_model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& from, const QModelIndex& to) {
                for (int r = from.row(); r <= to.row(); ++r)
                    if (QTreeWidgetItem* item = m_list->topLevelItem(r)) {
                        const SEL_ITEM s = m_model.At(r);
                        item->setText(0, TimeText(s.start));
                        item->setText(1, TimeText(s.end));
                    }
            });
    connect(&m_model, &CSentenceModel::currentChanged, this, &CSellistView::MarkCurrent);
    connect(&m_model, &CSentenceModel::rowChosen, this, &CSellistView::ShowChosen);
    Rebuild();
}

void CSellistView::ShowChosen(int row) {
    m_list->clearSelection();
    SetSelectedRow(row);
    if (QTreeWidgetItem* item = m_list->topLevelItem(row)) m_list->scrollToItem(item);
}

void CSellistView::MarkCurrent(int row) {
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_list->topLevelItem(i);
        QFont f = item->font(0);
        const bool mark = i == row;
        if (f.bold() == mark) continue;
        f.setBold(mark);
        item->setFont(0, f);
        item->setFont(1, f);
    }
}

void CSellistView::Rebuild() {
    m_list->setUpdatesEnabled(false);
    m_list->clear();
    QList<QTreeWidgetItem*> rows;
    rows.reserve(qsizetype(m_model.Count()));
    for (const SEL_ITEM& s : m_model.Sentences())
        rows << new QTreeWidgetItem(QStringList{TimeText(s.start), TimeText(s.end)});
    m_list->addTopLevelItems(rows);
    if (!rows.isEmpty()) m_list->setCurrentItem(rows.first());
    m_list->setUpdatesEnabled(true);
    MarkCurrent(m_model.Current());
}

int CSellistView::SelectedRow() const {
    const auto selected = m_list->selectedItems();
    return selected.isEmpty() ? -1 : m_list->indexOfTopLevelItem(selected.first());
}

void CSellistView::SetSelectedRow(int row) {
    if (QTreeWidgetItem* item = m_list->topLevelItem(row)) {
        m_list->setCurrentItem(item);
        item->setSelected(true);
    }
}

void CSellistView::MergeUp() {
    m_model.Merge(SelectedRow(), true);
}
void CSellistView::MergeDown() {
    m_model.Merge(SelectedRow(), false);
}

void CSellistView::Modify() {
    const int s = SelectedRow();
    if (s < 0 || s >= m_model.Count() || m_model.Fixed()) return;
    const SEL_ITEM item = m_model.At(s);
    CModifySelDlg dialog(item.start, item.end, this);
    if (dialog.exec() != QDialog::Accepted) return;
    m_model.Modify(s, dialog.NewStart(), dialog.NewEnd());
}

void CSellistView::PlaySelected() {
    m_model.SelectSentence(SelectedRow());
}

// What the list needs beside its columns: the vertical scroll bar and the frame.
int CSellistView::ChromeWidth() const {
    return m_list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_list) +
           2 * m_list->frameWidth();
}

void CSellistView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int w = width(), h = height();
    m_caption->setGeometry(0, 0, w, 22);
    m_list->setGeometry(0, 23, std::max(w - 2, 0), std::max(h - 24, 0));
    // Both columns fit beside the vertical scroll bar, so no horizontal one is needed.
    const int room = (w - 2 - ChromeWidth()) / 2;
    const int column = std::max(std::min(w * 47 / 100, room), m_columnWidth);
    m_list->setColumnWidth(0, column);
    m_list->setColumnWidth(1, column);
    if (w > 0 && h > 0) {
        m_settings.MLSplitWidth = w;
        m_settings.MUSplitHigh = h;
    }
}

void CSellistView::contextMenuEvent(QContextMenuEvent* event) {
    const QPoint inList = m_list->viewport()->mapFrom(this, event->pos());
    if (!m_list->viewport()->rect().contains(inList) || SelectedRow() < 0) return;
    QMenu menu(this);
    const bool noLrc = !m_model.Fixed();
    const int s = SelectedRow();
    menu.addAction(QString::fromUtf8("播放复读区"), this, &CSellistView::PlaySelected);
    menu.addAction(QString::fromUtf8("添加复读区到难点句库"), this, [this, s] {
        const SEL_ITEM item = m_model.At(s);
        Q_EMIT addToHardSentences(item.start, item.end);
    });
    menu.addAction(QString::fromUtf8("选中复读区向上合并"), this, &CSellistView::MergeUp)
        ->setEnabled(noLrc && s > 0);
    menu.addAction(QString::fromUtf8("选中复读区向下合并"), this, &CSellistView::MergeDown)
        ->setEnabled(noLrc && s + 1 < m_model.Count());
    menu.addAction(QString::fromUtf8("修改复读区"), this, &CSellistView::Modify)->setEnabled(noLrc);
    menu.exec(event->globalPos());
}

} // namespace kestrova
