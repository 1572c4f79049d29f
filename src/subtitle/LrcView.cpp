#include "LrcView.h"

#include "common/FontText.h"
#include "common/Util.h"

#include <QFile>
#include <QLabel>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>

namespace kestrova {

CLrcView::CLrcView(const QString& globalFont, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("LrcView"));
    m_header = new QLabel(this);
    m_header->setFrameStyle(QFrame::Panel | QFrame::Raised);
    m_header->setAutoFillBackground(true);
    QFont headerFont(QString::fromUtf8("宋体"));
    headerFont.setPointSize(9);
    m_header->setFont(headerFont);
    m_box = new QTextBrowser(this);
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
        if (!ok || index < 0 || index >= int(m_items.size())) return;
        // Following stops here; the playback that the choice resumes starts it again.
        m_timer.stop();
        if (m_hooks.selectSentence) m_hooks.selectSentence(index);
    });
    m_timer.setInterval(500);
    connect(&m_timer, &QTimer::timeout, this, &CLrcView::Tick);
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
    m_header->setText(QString::fromUtf8(" 字幕文件") + m_status);
}

void CLrcView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_header->setGeometry(0, 0, width(), 22);
    m_box->setGeometry(0, 23, width(), std::max(height() - 23, 0));
}

void CLrcView::Reset() {
    m_status.clear();
    m_shown.clear();
    m_rendered.clear();
    m_renderedIndex = -1;
    m_lineStart.clear();
    m_box->clear();
    m_timer.stop();
    m_items.clear();
    UpdateHeader();
}

void CLrcView::StartTimer() {
    if (!m_timer.isActive() && !m_items.empty()) m_timer.start();
}

bool CLrcView::LoadLrc(const QString& path) {
    Reset();
    const QString unpacked = DataFolder() + "Temp/audio.lrc";
    m_path = QFile::exists(unpacked) ? unpacked : LrcPathFor(path);
    m_lrc.Clear();
    const int length = m_hooks.lengthMs ? m_hooks.lengthMs() : 0;
    const std::uint32_t lengthCs = std::uint32_t(std::max(length, 0) / 10);
    if (m_lrc.Load(m_path, lengthCs)) {
        m_items = m_lrc.Items(lengthCs);
        if (m_hooks.loaded) m_hooks.loaded(m_items);
        StartTimer();
        m_status = QString::fromUtf8("(加载成功)");
        UpdateHeader();
        return true;
    }
    // A file far larger than any subtitle file is not read at all; the learner is told why.
    switch (m_lrc.Error()) {
    case CLrc::LoadError::TooLarge:
        m_status = QString::fromUtf8("(加载失败：字幕文件超过16MB)");
        break;
    case CLrc::LoadError::TooManyLines:
        m_status = QString::fromUtf8("(加载失败：字幕超过%1行)").arg(CLrc::kMaxLines);
        break;
    default:
        m_status = QString::fromUtf8("(加载失败)");
    }
    UpdateHeader();
    m_box->clear();
    m_items.clear();
    if (m_hooks.failed) m_hooks.failed();
    if (m_hooks.miniLine) m_hooks.miniLine(QString());
    return false;
}

bool CLrcView::GetText(int index, QString& text) const {
    if (index < 0 || index >= int(m_items.size())) {
        text.clear();
        return false;
    }
    text = m_items[size_t(index)].text;
    return true;
}

void CLrcView::Tick() {
    if (m_items.empty()) return;
    const int pos = m_hooks.playingPositionMs ? m_hooks.playingPositionMs() : -1;
    const std::uint32_t time = pos >= 0 ? std::uint32_t(pos / 10) : 0;
    const QString line = m_lrc.GetLineAt(time);
    if (!line.isEmpty()) m_shown = line;
    if (m_shown != m_rendered) {
        m_rendered = m_shown;
        Render(std::min(m_lrc.GetCurrentIndex(), int(m_items.size()) - 1));
    }
    if (m_hooks.miniLine && !m_shown.isEmpty()) m_hooks.miniLine(m_shown);
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
    cursor.insertText(m_items[size_t(index)].text, link);
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

void CLrcView::Render(int index) {
    // Lines 0..index, the current one bold. Moving on only appends the new lines; going
    // back (a seek) builds the box again.
    if (index < m_renderedIndex || m_renderedIndex < 0) {
        m_box->clear();
        m_lineStart.clear();
        m_renderedIndex = -1;
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
