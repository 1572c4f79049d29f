#include "HardSentPanel.h"

#include "DictationSession.h"
#include "audio/Clip.h"
#include "common/Util.h"

#include <QFileInfo>
#include <QMenu>

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
    m_table->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_table, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (m_items.empty()) return;
        QMenu menu(this);
        connect(menu.addAction(QString::fromUtf8("导出为闪卡...")), &QAction::triggered, this,
                &CHardSentPanel::exportRequested);
        menu.exec(m_table->viewport()->mapToGlobal(at));
    });
}

int CHardSentPanel::ExportFlashcards(const QString& media, const QString& tsvPath, int* failed) {
    const QFileInfo tsv(tsvPath);
    QStringList lines{QStringLiteral("#separator:tab"), QStringLiteral("#html:false"),
                      QString::fromUtf8("#columns:句子\t音频\t开始\t结束\t难度")};
    int missing = 0;
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        const HARD_ITEM& item = m_items[i];
        QString text;
        if (m_source)
            for (int s = 0; s < m_source->SentenceCount(); ++s)
                if (m_source->SentenceStart(s) == item.start) text = m_source->Reference(s);
        // A tab or a line break inside the text would end its field.
        text.replace(QLatin1Char('\t'), QLatin1Char(' '))
            .replace(QLatin1Char('\n'), QLatin1Char(' '));
        text.remove(QLatin1Char('\r'));
        const QString clip =
            CutClip(media, std::int64_t(item.start) * 10, std::int64_t(item.end) * 10,
                    tsv.absolutePath() + '/' + tsv.completeBaseName() +
                        QStringLiteral("_%1").arg(i + 1, 2, 10, QLatin1Char('0')));
        if (clip.isEmpty()) ++missing;
        lines << QStringList{text,
                             clip.isEmpty()
                                 ? QString()
                                 : QStringLiteral("[sound:%1]").arg(QFileInfo(clip).fileName()),
                             TimeText(item.start), TimeText(item.end), item.difficulty}
                     .join(QLatin1Char('\t'));
    }
    if (failed) *failed = missing;
    QString why;
    const QString body = lines.join(QStringLiteral("\n")) + QLatin1Char('\n');
    if (!CheckWrite(tsvPath, WriteWholeFile(tsvPath, body.toUtf8(), &why), why)) return -1;
    return int(m_items.size());
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
