#include "LrcView.h"

#include "SubtitleModel.h"
#include "common/FontText.h"

#include <QLabel>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>

namespace kestrova {

CLrcView::CLrcView(CSubtitleModel& model, const QString& globalFont, QWidget* parent)
    : QWidget(parent), m_model(model) {
    setObjectName(QStringLiteral("LrcView"));
    m_header = new QLabel(this);
    m_header->setFrameStyle(QFrame::Panel | QFrame::Raised);
    m_header->setAutoFillBackground(true);
    QFont headerFont(QString::fromUtf8("宋体"));
    headerFont.setPointSize(9);
    m_header->setFont(headerFont);
    m_box = new QTextBrowser(this);
    m_box->setObjectName(QStringLiteral("subtitleBox"));
    m_box->document()->setUndoRedoEnabled(false); // shown text, never edited
    m_box->setOpenLinks(false);
    m_box->setOpenExternalLinks(false);
    m_box->setReadOnly(true);
    m_box->viewport()->setCursor(Qt::ArrowCursor);
    m_box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    connect(m_box, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
        // The link names its own line, so a repeated text plays the line clicked.
        bool ok = false;
        const int index = url.fragment().toInt(&ok);
        if (ok) m_model.ChooseLine(index);
    });
    connect(&m_model, &CSubtitleModel::cleared, this, &CLrcView::Clear);
    connect(&m_model, &CSubtitleModel::failed, this, &CLrcView::Clear);
    connect(&m_model, &CSubtitleModel::statusChanged, this, &CLrcView::UpdateHeader);
    connect(&m_model, &CSubtitleModel::currentLineChanged, this, &CLrcView::Render);
    connect(&m_model, &CSubtitleModel::currentWordChanged, this, &CLrcView::HighlightWord);
    ApplyFont(globalFont);
    UpdateHeader();
}

QFont CLrcView::SubtitleFont(const QString& globalFont) {
    QFont font;
    if (globalFont.isEmpty() || !FontFromText(globalFont, font)) {
        font = QFont(QStringLiteral("Verdana"));
        font.setPointSize(10);
    }
    return font;
}

void CLrcView::ApplyFont(const QString& globalFont) {
    m_box->document()->setDefaultFont(SubtitleFont(globalFont));
    const int shown = m_renderedIndex;
    m_renderedIndex = -1;
    if (shown >= 0) Render(shown);
}

void CLrcView::UpdateHeader() {
    m_header->setText(QString::fromUtf8(" 字幕文件") + m_model.Status());
}

void CLrcView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_header->setGeometry(0, 0, width(), 22);
    m_box->setGeometry(0, 23, width(), std::max(height() - 23, 0));
}

void CLrcView::Clear() {
    m_renderedIndex = -1;
    m_markFrom = -1;
    m_lineStart.clear();
    m_box->clear();
}

void CLrcView::AppendLine(QTextCursor& cursor, int index) {
    cursor.movePosition(QTextCursor::End);
    if (!m_lineStart.empty()) cursor.insertBlock();
    QTextBlockFormat block;
    block.setAlignment(Qt::AlignHCenter);
    block.setLeftMargin(10);
    block.setRightMargin(10);
    block.setBottomMargin(cursor.document()->defaultFont().pointSizeF());
    cursor.setBlockFormat(block);
    m_lineStart.push_back(cursor.position());
    QTextCharFormat link;
    link.setAnchor(true);
    link.setAnchorHref(QStringLiteral("#%1").arg(index));
    link.setForeground(palette().color(QPalette::Link));
    cursor.insertText(m_model.Text(index), link);
}

void CLrcView::SetBold(int index, bool bold) {
    if (index < 0 || index >= int(m_lineStart.size())) return;
    QTextCursor cursor(m_box->document());
    cursor.setPosition(m_lineStart[size_t(index)]);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    QTextCharFormat f;
    f.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    cursor.mergeCharFormat(f);
}

void CLrcView::MarkSpan(int from, int length, bool on) {
    QTextCursor cursor(m_box->document());
    cursor.setPosition(from);
    cursor.setPosition(from + length, QTextCursor::KeepAnchor);
    QTextCharFormat f;
    f.setBackground(on ? palette().brush(QPalette::Highlight) : QBrush(Qt::transparent));
    f.setForeground(palette().brush(on ? QPalette::HighlightedText : QPalette::Link));
    cursor.mergeCharFormat(f);
}

void CLrcView::HighlightWord(int line, int word) {
    if (m_markFrom >= 0) MarkSpan(m_markFrom, m_markLength, false);
    m_markFrom = -1;
    if (line < 0 || line != m_renderedIndex || line >= int(m_lineStart.size()) || word < 0) return;
    const LrcItems& items = m_model.Items();
    if (line >= int(items.size()) || word >= int(items[std::size_t(line)].words.size())) return;
    const LrcWord& w = items[std::size_t(line)].words[word];
    m_markFrom = m_lineStart[std::size_t(line)] + w.from;
    m_markLength = w.length;
    MarkSpan(m_markFrom, m_markLength, true);
}

void CLrcView::Render(int index) {
    if (index < 0) return;
    // Lines 0..index, the current one bold. Moving on only appends the new lines; going
    // back (a seek) builds the box again.
    if (index < m_renderedIndex || m_renderedIndex < 0) {
        m_box->clear();
        m_lineStart.clear();
        m_renderedIndex = -1;
        m_markFrom = -1;
    }
    SetBold(m_renderedIndex, false);
    // One edit block: the document is laid out once for all the new lines, not once a line.
    QTextCursor cursor(m_box->document());
    cursor.beginEditBlock();
    for (int i = m_renderedIndex + 1; i <= index; ++i)
        AppendLine(cursor, i);
    cursor.endEditBlock();
    m_renderedIndex = index;
    SetBold(index, true);
    m_box->verticalScrollBar()->setValue(m_box->verticalScrollBar()->maximum());
}

} // namespace kestrova
