#include "HardSentPanel.h"

#include "DictationSession.h"
#include "common/Util.h"

#include <QTreeWidget>
#include <QVBoxLayout>

namespace kestrova {

CHardSentPanel::CHardSentPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("HardSentPanel"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_table = new QTreeWidget(this);
    m_table->setObjectName(QStringLiteral("hardSentenceTable"));
    m_table->setRootIsDecorated(false);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setHeaderLabels({QString::fromUtf8("句序"), QString::fromUtf8("复读开始点"),
                              QString::fromUtf8("复读结束点"), QString::fromUtf8("难易度"),
                              QString::fromUtf8("添加时间")});
    const int widths[] = {50, 90, 90, 60, 130};
    for (int i = 0; i < 5; ++i)
        m_table->setColumnWidth(i, widths[i]);
    layout->addWidget(m_table);
    connect(m_table, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { PlayRow(m_table->indexOfTopLevelItem(item)); });
}

QString CHardSentPanel::FilePath() {
    return DataFolder() + "Temp/hardSent.dat";
}

void CHardSentPanel::Rebuild() {
    m_table->clear();
    for (const HARD_ITEM& item : m_items)
        m_table->addTopLevelItem(new QTreeWidgetItem(QStringList{
            item.number, TimeText(item.start), TimeText(item.end), item.difficulty, item.added}));
    ShowLast();
    Q_EMIT itemsChanged();
}

void CHardSentPanel::ShowLast() {
    if (!m_last) return;
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].start == m_last->first && m_items[i].end == m_last->second) {
            m_table->setCurrentItem(m_table->topLevelItem(int(i)));
            return;
        }
}

void CHardSentPanel::Add(std::uint32_t start, std::uint32_t end, int errorCount) {
    SetUserDataModified(true);
    const size_t before = m_items.size();
    hardsentences::Add(m_items, start, end, errorCount, hardsentences::NowText());
    if (m_items.size() > before) m_last = {start, end}; // a new row, not a lowered one
    Rebuild();
    Save(); // at once, so that a crash keeps it
}

void CHardSentPanel::Load() {
    m_last.reset(); // another file's library
    hardsentences::Load(FilePath(), m_items);
    Rebuild();
}

bool CHardSentPanel::Save() {
    if (m_items.empty()) return true;
    return CheckWrite(FilePath(), hardsentences::Save(FilePath(), m_items));
}

void CHardSentPanel::PlayRow(int row) {
    if (m_locked || row < 0 || row >= int(m_items.size())) return;
    m_last = {m_items[size_t(row)].start, m_items[size_t(row)].end};
    ShowLast();
    if (!m_source) return;
    for (int i = 0; i < m_source->SentenceCount(); ++i)
        if (m_source->SentenceStart(i) == m_items[size_t(row)].start)
            m_source->PlaySentence(i, false);
}

std::vector<std::uint32_t> CHardSentPanel::Starts() const {
    std::vector<std::uint32_t> starts;
    for (const HARD_ITEM& item : m_items)
        starts.push_back(item.start);
    return starts;
}

} // namespace kestrova
