#include "OptionsSheet.h"

#include "GeneralPage.h"
#include "ShortcutPage.h"
#include "dictation/DictationPage.h"
#include "repeat/RepeatPage.h"
#include "repeat/SplitOptionsPage.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace kestrova {

COptionsSheet::COptionsSheet(CAppSetting& settings, const AccelItems& shortcuts, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("OptionsSheet"));
    setWindowTitle(QString::fromUtf8("设置"));
    auto* layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    m_general = new CGeneralPage(settings, m_tabs);
    m_repeat = new CRepeatPage(settings, m_tabs);
    m_split = new CSplitOptionsPage(settings, m_tabs);
    m_dictation = new CDictationPage(settings, m_tabs);
    m_shortcuts = new CShortcutPage(shortcuts, m_tabs);
    m_tabs->addTab(m_general, QString::fromUtf8("常规选项"));
    m_tabs->addTab(m_repeat, QString::fromUtf8("复读设置"));
    m_tabs->addTab(m_split, QString::fromUtf8("断句设置"));
    m_tabs->addTab(m_dictation, QString::fromUtf8("听写设置"));
    m_tabs->addTab(m_shortcuts, QString::fromUtf8("快捷键设置"));
    layout->addWidget(m_tabs);
    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    m_apply = buttons->button(QDialogButtonBox::Apply);
    m_apply->setObjectName(QStringLiteral("applyButton"));
    m_apply->setEnabled(false);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (Apply()) accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_apply, &QPushButton::clicked, this, &COptionsSheet::Apply);
    // Any change on any page enables Apply.
    connect(m_general, &CGeneralPage::changed, this, &COptionsSheet::MarkChanged);
    connect(m_split, &CSplitOptionsPage::changed, this, &COptionsSheet::MarkChanged);
    for (QWidget* page : {static_cast<QWidget*>(m_repeat), static_cast<QWidget*>(m_dictation),
                          static_cast<QWidget*>(m_shortcuts)}) {
        for (auto* b : page->findChildren<QAbstractButton*>())
            connect(b, &QAbstractButton::clicked, this, &COptionsSheet::MarkChanged);
        for (auto* c : page->findChildren<QComboBox*>())
            connect(c, &QComboBox::activated, this, &COptionsSheet::MarkChanged);
        for (auto* s : page->findChildren<QAbstractSlider*>())
            connect(s, &QAbstractSlider::sliderMoved, this, &COptionsSheet::MarkChanged);
        for (auto* s : page->findChildren<QSpinBox*>())
            connect(s, &QSpinBox::valueChanged, this, &COptionsSheet::MarkChanged);
        for (auto* e : page->findChildren<QLineEdit*>())
            connect(e, &QLineEdit::textEdited, this, &COptionsSheet::MarkChanged);
    }
}

void COptionsSheet::ShowPage(Page page) {
    m_tabs->setCurrentIndex(int(page));
}

void COptionsSheet::MarkChanged() {
    m_apply->setEnabled(true);
}

bool COptionsSheet::Apply() {
    if (!m_split->Validate()) {
        ShowPage(Splitting);
        return false;
    }
    m_apply->setEnabled(false);
    const bool fontChanged = m_general->Store();
    m_repeat->Store();
    const AccelItems edited = m_shortcuts->Edited();
    m_dictation->Store();
    m_split->Store();
    Q_EMIT applied(fontChanged, edited);
    return true;
}

} // namespace kestrova
