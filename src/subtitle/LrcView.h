// The subtitle pane: a header (" 字幕文件" and the load status) over a read-only box that
// follows playback twice a second, showing every line up to the current one (bold, newest
// at the bottom; in a word-timed line the word being spoken in the highlight colour). Each line is
// a link; clicking it plays that line's own sentence. A view of the subtitle model. GUI thread.
#pragma once

#include <QWidget>
#include <vector>

class QLabel;
class QTextBrowser;
class QTextCursor;

namespace kestrova {

class CSubtitleModel;

class CLrcView : public QWidget {
    Q_OBJECT
public:
    CLrcView(CSubtitleModel& model, const QString& globalFont, QWidget* parent = nullptr);

    CSubtitleModel& Model() { return m_model; }
    void ApplyFont(const QString& globalFont);

    static QFont SubtitleFont(const QString& globalFont);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Render(int index);
    void AppendLine(QTextCursor& cursor, int index);
    void SetBold(int index, bool bold);
    void HighlightWord(int line, int word);
    void MarkSpan(int from, int length, bool on);
    void UpdateHeader();
    void Clear();
    CSubtitleModel& m_model;
    int m_renderedIndex = -1;     // lines 0..this are shown, this one bold
    std::vector<int> m_lineStart; // document position where each shown line begins
    int m_markFrom = -1;          // the highlighted word's span in the document
    int m_markLength = 0;
    QLabel* m_header;
    QTextBrowser* m_box;
};

} // namespace kestrova
