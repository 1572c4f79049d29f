#include "ShortcutPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

namespace kestrova {

CShortcutPage::CShortcutPage(const AccelItems& table, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ShortcutPage"));
    auto* grid = new QGridLayout(this);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("shortcutList"));
    m_list->setColumnCount(3);
    m_list->setHeaderLabels({QString::fromUtf8("操作命令"), QString::fromUtf8("快捷键"),
                             QString::fromUtf8("系统热键")});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setColumnWidth(0, 125);
    m_list->setColumnWidth(1, 125);
    m_list->setColumnWidth(2, 70);
    m_list->headerItem()->setTextAlignment(2, Qt::AlignCenter);
    grid->addWidget(m_list, 0, 0, 7, 1);
    m_ctrl = new QCheckBox(QStringLiteral("Ctrl"), this);
    m_ctrl->setObjectName(QStringLiteral("ctrlCheck"));
    m_shift = new QCheckBox(QStringLiteral("Shift"), this);
    m_shift->setObjectName(QStringLiteral("shiftCheck"));
    m_alt = new QCheckBox(QStringLiteral("Alt"), this);
    m_alt->setObjectName(QStringLiteral("altCheck"));
    m_key = new QComboBox(this);
    m_key->setObjectName(QStringLiteral("keyList"));
    for (const shortcuts::KeyName& k : shortcuts::KeyNames())
        m_key->addItem(QString::fromLatin1(k.name));
    m_hotkey = new QCheckBox(QString::fromUtf8("系统热键"), this);
    m_hotkey->setObjectName(QStringLiteral("hotkeyCheck"));
    auto* set = new QPushButton(QString::fromUtf8("设置"), this);
    set->setObjectName(QStringLiteral("setButton"));
    auto* restore = new QPushButton(QString::fromUtf8("全部恢复"), this);
    restore->setObjectName(QStringLiteral("restoreButton"));
    grid->addWidget(m_ctrl, 0, 1);
    grid->addWidget(m_shift, 1, 1);
    grid->addWidget(m_alt, 2, 1);
    grid->addWidget(new QLabel(QString::fromUtf8("键："), this), 3, 1);
    grid->addWidget(m_key, 4, 1);
    grid->addWidget(m_hotkey, 5, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(set);
    buttons->addWidget(restore);
    grid->addLayout(buttons, 6, 1);
    connect(m_list, &QTreeWidget::currentItemChanged, this, &CShortcutPage::RowChosen);
    connect(set, &QPushButton::clicked, this, &CShortcutPage::SetRow);
    connect(restore, &QPushButton::clicked, this, &CShortcutPage::restoreRequested);
    Fill(table);
}

void CShortcutPage::Fill(const AccelItems& table) {
    m_table = table;
    m_edited.clear();
    m_list->clear();
    for (const shortcuts::Entry& e : shortcuts::Set()) {
        const ACCEL_ITEM record = RecordOf(e.nameId);
        auto* row = new QTreeWidgetItem(
            QStringList{QString::fromUtf8(e.name).remove(QLatin1Char('\t')), record.keyText,
                        record.systemHotkey ? QString::fromUtf8("√") : QString()});
        row->setData(0, Qt::UserRole, e.nameId);
        row->setTextAlignment(2, Qt::AlignCenter);
        m_list->addTopLevelItem(row);
    }
}

ACCEL_ITEM CShortcutPage::RecordOf(std::uint16_t nameId) const {
    for (const AccelItems* list : {&m_edited, &m_table})
        for (const ACCEL_ITEM& item : *list)
            if (item.nameId == nameId) return item;
    // A command without a record yet gets one with its own number.
    ACCEL_ITEM item;
    item.nameId = nameId;
    if (const shortcuts::Entry* e = shortcuts::EntryOf(nameId))
        item.command = shortcuts::CommandNumber(e->command);
    return item;
}

void CShortcutPage::RowChosen() {
    const QTreeWidgetItem* row = m_list->currentItem();
    if (!row) return;
    const ACCEL_ITEM item = RecordOf(std::uint16_t(row->data(0, Qt::UserRole).toUInt()));
    m_ctrl->setChecked(item.modifiers & shortcuts::kCtrl);
    m_alt->setChecked(item.modifiers & shortcuts::kAlt);
    m_shift->setChecked(item.modifiers & shortcuts::kShift);
    m_hotkey->setChecked(item.systemHotkey);
    if (item.modifiers & shortcuts::kVirtualKey) {
        const auto& names = shortcuts::KeyNames();
        for (std::size_t i = 0; i < names.size(); ++i)
            if (names[i].code == item.key) m_key->setCurrentIndex(int(i));
    }
}

void CShortcutPage::SetRow() {
    QTreeWidgetItem* row = m_list->currentItem();
    if (!row) return;
    const auto nameId = std::uint16_t(row->data(0, Qt::UserRole).toUInt());
    const ACCEL_ITEM item =
        shortcuts::WithKeys(RecordOf(nameId), m_ctrl->isChecked(), m_alt->isChecked(),
                            m_shift->isChecked(), m_key->currentIndex(), m_hotkey->isChecked());
    // A row set twice keeps its second setting.
    shortcuts::Replace(m_edited, {item});
    row->setText(1, item.keyText);
    row->setText(2, item.systemHotkey ? QString::fromUtf8("√") : QString());
}

} // namespace kestrova
