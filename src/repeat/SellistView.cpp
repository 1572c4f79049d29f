#include "SellistView.h"

#include "CtrlBar.h"
#include "ModifySelDlg.h"
#include "audio/MediaCore.h"
#include "common/AppSetting.h"
#include "common/Util.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kestrova {

CSellistView::CSellistView(CAppSetting& settings, QWidget* parent)
    : QWidget(parent), m_settings(settings) {
    setObjectName(QStringLiteral("SellistView"));
    m_caption = new QLabel(QString::fromUtf8(" 复读区断点列表"), this);
    m_caption->setObjectName(QStringLiteral("caption"));
    m_caption->setFrameStyle(QFrame::Panel | QFrame::Raised);
    QFont captionFont(QString::fromUtf8("宋体"));
    captionFont.setPointSize(9);
    m_caption->setFont(captionFont);
    m_list = new QTreeWidget(this);
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
        if (Dictating() || !item) return;
        const int row = m_list->indexOfTopLevelItem(item);
        m_current = row;
        SelectSentence(row);
    });
    connect(&m_splitter, &CSplitWorker::progress, this, [this](int pos, int len) {
        if (pos == 0 && len == 0)
            Q_EMIT splittingProgress(-10);
        else if (len > 0)
            Q_EMIT splittingProgress(int(double(pos) / double(len) * 100.0));
    });
    connect(&m_splitter, &CSplitWorker::finished, this, &CSellistView::OnSplitFinished);
}

CSellistView::~CSellistView() {
    m_splitter.StopSplit();
}

int CSellistView::RowCount() const {
    return m_list->topLevelItemCount();
}

QString CSellistView::SentenceFilePath() {
    return DataFolder() + "Temp/sellist.ist";
}

bool CSellistView::SelectSentence(int index) {
    if (Dictating()) return false;
    if (index < 0) {
        m_current = index;
        MarkCurrent(-1);
        return true;
    }
    if (m_items.empty() || index >= int(m_items.size())) return false;
    m_list->clearSelection();
    SetSelectedRow(index);
    m_current = index;
    MarkCurrent(index);
    m_chosen = m_items[size_t(index)];
    if (m_bar) m_bar->SetRegion(m_chosen.start, m_chosen.end);
    if (QTreeWidgetItem* item = m_list->topLevelItem(index)) m_list->scrollToItem(item);
    return true;
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

bool CSellistView::CanPrevious() const {
    return !Dictating() && m_current >= 1;
}
bool CSellistView::CanNext() const {
    return !Dictating() && m_current + 1 < int(m_items.size());
}

void CSellistView::Previous() {
    const int index = m_current - 1;
    if (index < 0) return;
    SelectSentence(index);
}

void CSellistView::Next() {
    const int index = m_current + 1;
    if (index >= int(m_items.size())) return;
    SelectSentence(index);
}

void CSellistView::RebuildRows() {
    m_list->setUpdatesEnabled(false);
    m_list->clear();
    if (m_bar) m_bar->ClearRegion();
    QList<QTreeWidgetItem*> rows;
    rows.reserve(qsizetype(m_items.size()));
    for (const SEL_ITEM& s : m_items)
        rows << new QTreeWidgetItem(QStringList{TimeText(s.start), TimeText(s.end)});
    m_list->addTopLevelItems(rows);
    if (!rows.isEmpty()) m_list->setCurrentItem(rows.first());
    m_list->setUpdatesEnabled(true);
    if (m_hooks.sentencesChanged) m_hooks.sentencesChanged();
    if (m_bar) m_bar->RefreshCommands();
}

void CSellistView::ClearSentences() {
    m_current = -1;
    m_list->clear();
    m_items.clear();
    if (m_hooks.cleared) m_hooks.cleared();
    if (m_bar) m_bar->RefreshCommands();
}

bool CSellistView::LoadSentenceFile() {
    if (RowCount() > 0) return false;
    m_list->clear();
    const bool read = sentences::LoadFile(SentenceFilePath(), m_items);
    if (!read) {
        m_items.clear();
        return false;
    }
    RebuildRows();
    return true;
}

bool CSellistView::SaveSentenceFile() {
    if (RowCount() == 0) return true;
    return CheckWrite(SentenceFilePath(), sentences::SaveFile(SentenceFilePath(), m_items));
}

void CSellistView::Changed() {
    // Merged, nudged or newly split sentences are the learner's work: written at once (a
    // crash keeps them) and packed with the file's user data.
    SaveSentenceFile();
    SetUserDataModified(true);
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
    Merge(true);
}
void CSellistView::MergeDown() {
    Merge(false);
}

void CSellistView::Merge(bool up) {
    const int s = SelectedRow();
    if (s < 0 || (up ? s == 0 : s + 1 >= Count())) return;
    if (LrcLoaded()) {
        ShowMessage(MessageKind::Warning, QString::fromUtf8("已存在LRC文件，无法合并！"));
        return;
    }
    if (up ? sentences::MergeUp(m_items, s) : sentences::MergeDown(m_items, s)) {
        RebuildRows();
        Changed();
    }
}

void CSellistView::Modify() {
    const int s = SelectedRow();
    if (s < 0 || s >= int(m_items.size()) || LrcLoaded()) return;
    CModifySelDlg dialog(m_items[size_t(s)].start, m_items[size_t(s)].end, this);
    if (dialog.exec() != QDialog::Accepted) return;
    ApplyModify(s, dialog.NewStart(), dialog.NewEnd());
}

void CSellistView::ApplyModify(int row, std::uint32_t start, std::uint32_t end) {
    switch (sentences::Modify(m_items, row, start, end)) {
    case sentences::ModifyResult::Changed:
        RebuildRows();
        Changed();
        break;
    case sentences::ModifyResult::StartNotBeforeEnd:
        ShowMessage(MessageKind::Warning,
                    QString::fromUtf8("开始点必须早于结束点，复读区未修改。"));
        break;
    case sentences::ModifyResult::OutOfRange:
        break;
    }
}

void CSellistView::AddToHardSentences() {
    const int s = SelectedRow();
    if (s < 0 || s >= int(m_items.size())) return;
    if (m_hooks.addHardSentence)
        m_hooks.addHardSentence(m_items[size_t(s)].start, m_items[size_t(s)].end, 99);
}

void CSellistView::PlaySelected() {
    m_current = SelectedRow();
    SelectSentence(m_current);
}

void CSellistView::StartSplit() {
    if (!m_bar || !m_bar->Engine().HasChannel()) return;
    SplitParams params;
    params.noise = m_settings.BackgroundNoise;
    params.gap = m_settings.SentenceDist;
    m_splitter.StartSplit(m_bar->Engine().FileName(), m_bar->Engine().GetLength(), params,
                          m_settings.UseTpan);
}

bool CSellistView::AutoSplitIfAllowed() {
    if (!m_bar || !m_items.empty() || !m_settings.UseSplit || m_settings.AudioLength == 0)
        return false;
    if (m_bar->Engine().GetLength() / 1000 > m_settings.AudioLength) return false;
    StartSplit();
    return true;
}

void CSellistView::StopSplit() {
    m_splitter.StopSplit();
}

void CSellistView::OnSplitFinished(const SentenceArray& sentences) {
    m_items = sentences;
    RebuildRows();
    Changed();
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
    const bool noLrc = !LrcLoaded();
    const int s = SelectedRow();
    menu.addAction(QString::fromUtf8("播放复读区"), this, &CSellistView::PlaySelected);
    menu.addAction(QString::fromUtf8("添加复读区到难点句库"), this,
                   &CSellistView::AddToHardSentences)
        ->setEnabled(bool(m_hooks.addHardSentence));
    menu.addAction(QString::fromUtf8("选中复读区向上合并"), this, &CSellistView::MergeUp)
        ->setEnabled(noLrc && s > 0);
    menu.addAction(QString::fromUtf8("选中复读区向下合并"), this, &CSellistView::MergeDown)
        ->setEnabled(noLrc && s + 1 < Count());
    menu.addAction(QString::fromUtf8("修改复读区"), this, &CSellistView::Modify)->setEnabled(noLrc);
    menu.exec(event->globalPos());
}

} // namespace kestrova
