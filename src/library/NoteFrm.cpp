#include "NoteFrm.h"

#include "Rtf.h"
#include "common/Util.h"

#include <QAction>
#include <QColorDialog>
#include <QDir>
#include <QFile>
#include <QFontDialog>
#include <QStyle>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextList>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace kestrova {

namespace {
// Whether the whole selection has an effect (without a selection: where typing goes).
template <typename Has> bool WholeSelection(const QTextEdit& editor, Has has) {
    const QTextCursor cursor = editor.textCursor();
    if (!cursor.hasSelection()) return has(editor.currentCharFormat());
    const int from = cursor.selectionStart(), to = cursor.selectionEnd();
    const QTextDocument& doc = *editor.document();
    for (QTextBlock block = doc.findBlock(from); block.isValid() && block.position() < to;
         block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.position() + f.length() <= from || f.position() >= to) continue;
            if (!has(f.charFormat())) return false;
        }
    return true;
}
bool Bold(const QTextCharFormat& f) {
    return f.fontWeight() >= QFont::Bold;
}
bool Italic(const QTextCharFormat& f) {
    return f.fontItalic();
}
bool Underlined(const QTextCharFormat& f) {
    return f.fontUnderline();
}
} // namespace

CNoteFrm::CNoteFrm(QWidget* parent, const QString& fileName, int saveDelayMs)
    : QWidget(parent), m_fileName(fileName) {
    setObjectName(QStringLiteral("NoteFrm"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("formatToolBar"));
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->setFixedHeight(24);
    m_editor = new QTextEdit(this);
    QFont font(QStringLiteral("Verdana"));
    font.setPointSize(10);
    m_editor->document()->setDefaultFont(font);
    m_editor->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    layout->addWidget(m_toolBar);
    layout->addWidget(m_editor, 1);
    setFocusProxy(m_editor); // the page given the keyboard gives it to the text

    auto add = [this](const char* name, QStyle::StandardPixmap icon, auto&& slot,
                      bool checkable = false) {
        QAction* a = m_toolBar->addAction(QString::fromUtf8(name));
        a->setObjectName(QString::fromUtf8(name));
        if (icon != QStyle::SP_CustomBase) a->setIcon(style()->standardIcon(icon));
        a->setCheckable(checkable);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    constexpr auto none = QStyle::SP_CustomBase;
    add("剪切", none, [this] { m_editor->cut(); });
    add("复制", none, [this] { m_editor->copy(); });
    add("粘贴", none, [this] { m_editor->paste(); });
    add("删除", none, [this] { m_editor->textCursor().removeSelectedText(); });
    m_toolBar->addSeparator();
    add("撤消", none, [this] { m_editor->undo(); });
    m_toolBar->addSeparator();
    add(
        "加粗", none, [this] { ToggleBold(); }, true);
    add(
        "倾斜", none, [this] { ToggleItalic(); }, true);
    add(
        "下划线", none, [this] { ToggleUnderline(); }, true);
    add("字体颜色", none, [this] { ChooseColour(); });
    m_toolBar->addSeparator();
    add(
        "左对齐", none, [this] { SetAlignment(Qt::AlignLeft); }, true);
    add(
        "居中", none, [this] { SetAlignment(Qt::AlignHCenter); }, true);
    add(
        "右对齐", none, [this] { SetAlignment(Qt::AlignRight); }, true);
    add(
        "项目符号", none, [this] { ToggleBullets(); }, true);

    m_autosave = new QTimer(this);
    m_autosave->setSingleShot(true);
    m_autosave->setInterval(saveDelayMs);
    connect(m_autosave, &QTimer::timeout, this, &CNoteFrm::SaveNotes);
    if (saveDelayMs > 0)
        connect(m_editor->document(), &QTextDocument::contentsChanged, this, [this] {
            if (m_editor->document()->isModified()) m_autosave->start();
        });
    connect(m_editor, &QTextEdit::cursorPositionChanged, this, &CNoteFrm::UpdateChecks);
    connect(m_editor, &QTextEdit::selectionChanged, this, &CNoteFrm::UpdateChecks);
    connect(m_editor, &QTextEdit::currentCharFormatChanged, this, &CNoteFrm::UpdateChecks);
    UpdateChecks();
}

QString CNoteFrm::FilePath() {
    return DataFolder() + "Temp/Note.rtf";
}

QString CNoteFrm::Path() const {
    return DataFolder() + "Temp/" + m_fileName;
}

bool CNoteFrm::SaveAs(const QString& path) {
    QString error;
    const bool written = WriteWholeFile(path, rtf::Write(*m_editor->document()), &error);
    // Still unsaved as the lesson's work: its own copy in Temp is written at the next save.
    return CheckWrite(path, written, error);
}

QAction* CNoteFrm::Command(const QString& name) const {
    return m_toolBar->findChild<QAction*>(name);
}

void CNoteFrm::LoadNotes() {
    m_autosave->stop();
    m_editor->clear();
    QFile file(Path());
    if (file.open(QIODevice::ReadOnly)) rtf::Read(file.readAll(), *m_editor->document());
    m_editor->document()->setModified(false);
}

bool CNoteFrm::SaveNotes() {
    m_autosave->stop();
    if (!m_editor->document()->isModified()) return true;
    QDir().mkpath(DataFolder() + "Temp");
    QString error;
    const bool written = WriteWholeFile(Path(), rtf::Write(*m_editor->document()), &error);
    // The editor stays modified after a failure, so that the next save tries again.
    if (!CheckWrite(Path(), written, error)) return false;
    m_editor->document()->setModified(false);
    SetUserDataModified(true);
    return true;
}

// Each effect goes on when not all of the selection has it, and off when all of it has.
void CNoteFrm::ToggleBold() {
    QTextCharFormat f;
    f.setFontWeight(WholeSelection(*m_editor, Bold) ? QFont::Normal : QFont::Bold);
    m_editor->mergeCurrentCharFormat(f);
    UpdateChecks();
}

void CNoteFrm::ToggleItalic() {
    QTextCharFormat f;
    f.setFontItalic(!WholeSelection(*m_editor, Italic));
    m_editor->mergeCurrentCharFormat(f);
    UpdateChecks();
}

void CNoteFrm::ToggleUnderline() {
    QTextCharFormat f;
    f.setFontUnderline(!WholeSelection(*m_editor, Underlined));
    m_editor->mergeCurrentCharFormat(f);
    UpdateChecks();
}

void CNoteFrm::SetAlignment(Qt::Alignment alignment) {
    m_editor->setAlignment(alignment);
    UpdateChecks();
}

void CNoteFrm::ToggleBullets() {
    QTextCursor cursor = m_editor->textCursor();
    if (QTextList* list = cursor.currentList()) {
        QTextBlockFormat plain = cursor.blockFormat();
        plain.setObjectIndex(-1);
        plain.setIndent(0);
        list->remove(cursor.block());
        cursor.setBlockFormat(plain);
    } else {
        cursor.createList(QTextListFormat::ListDisc);
    }
    UpdateChecks();
}

void CNoteFrm::ChooseColour() {
    const QColor colour = QColorDialog::getColor(m_editor->textColor(), this);
    if (!colour.isValid()) return;
    QTextCharFormat f;
    f.setForeground(colour);
    m_editor->mergeCurrentCharFormat(f);
}

void CNoteFrm::ChooseFont() {
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, m_editor->currentFont(), this);
    if (ok) ApplyFont(font);
}

void CNoteFrm::ApplyFont(const QFont& font) {
    // Each effect ticked in the dialog is toggled over the selection, as its button does;
    // then the face and the size are applied.
    if (font.bold()) ToggleBold();
    if (font.italic()) ToggleItalic();
    if (font.underline()) ToggleUnderline();
    if (font.strikeOut()) {
        QTextCharFormat strike;
        strike.setFontStrikeOut(
            !WholeSelection(*m_editor, [](const QTextCharFormat& f) { return f.fontStrikeOut(); }));
        m_editor->mergeCurrentCharFormat(strike);
    }
    QTextCharFormat f;
    f.setFontFamilies({font.family()});
    if (font.pointSizeF() > 0) f.setFontPointSize(font.pointSizeF());
    m_editor->mergeCurrentCharFormat(f);
    UpdateChecks();
}

void CNoteFrm::UpdateChecks() {
    auto check = [this](const char* name, bool on) {
        if (QAction* a = Command(QString::fromUtf8(name))) a->setChecked(on);
    };
    check("加粗", WholeSelection(*m_editor, Bold));
    check("倾斜", WholeSelection(*m_editor, Italic));
    check("下划线", WholeSelection(*m_editor, Underlined));
    const Qt::Alignment a = m_editor->alignment();
    check("左对齐", !(a & (Qt::AlignHCenter | Qt::AlignRight)));
    check("居中", bool(a & Qt::AlignHCenter));
    check("右对齐", bool(a & Qt::AlignRight));
    check("项目符号", m_editor->textCursor().currentList() != nullptr);
}

} // namespace kestrova
