#include "BrowseAndTranslate.h"

#include "Translation.h"
#include "common/Util.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

namespace kestrova {

CBrowseAndTranslate::CBrowseAndTranslate(const LrcItems& items, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("BrowseAndTranslate"));
    setWindowTitle(QString::fromUtf8("全文浏览与翻译"));
    resize(660, 440);
    QFont font(QStringLiteral("Verdana"));
    font.setPointSize(10);
    auto* layout = new QVBoxLayout(this);
    // Each box in a group of its own, the two sharing the height.
    auto grouped = [&](const char* title, QWidget* box, const char* name) {
        auto* group = new QGroupBox(QString::fromUtf8(title), this);
        auto* inner = new QVBoxLayout(group);
        box->setParent(group);
        box->setObjectName(QString::fromLatin1(name));
        box->setFont(font);
        inner->addWidget(box);
        layout->addWidget(group, 1);
    };
    m_fullText = new QTextEdit;
    m_fullText->setReadOnly(true);
    grouped("全文浏览", m_fullText, "fullText");
    m_translation = new QPlainTextEdit;
    grouped("译文", m_translation, "translation");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* save = new QPushButton(QString::fromUtf8("保存译文"), this);
    save->setObjectName(QStringLiteral("saveTranslation"));
    auto* cancel = new QPushButton(QString::fromUtf8("取消"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    buttons->addWidget(save);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(save, &QPushButton::clicked, this, [this] {
        if (SaveTranslation()) accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    m_fullText->setPlainText(translation::FullText(items));
    if (items.empty())
        ShowMessage(MessageKind::Warning, QString::fromUtf8("LRC文件不存在，无法全文浏览！"));
    LoadTranslation();
}

void CBrowseAndTranslate::LoadTranslation() {
    m_translation->setPlainText(translation::Load(translation::FilePath()));
    m_translation->document()->setModified(false);
}

bool CBrowseAndTranslate::SaveTranslation() {
    if (!m_translation->document()->isModified()) return true;
    if (!translation::Save(translation::FilePath(), m_translation->toPlainText())) return false;
    m_translation->document()->setModified(false);
    SetUserDataModified(true);
    return true;
}

} // namespace kestrova
