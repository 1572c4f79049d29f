// The subtitle pane: a header (" 字幕文件" and the load status) over a read-only box that
// follows playback twice a second, showing every line up to the current one (bold, newest
// at the bottom). Each line is a link; clicking it plays that line's own sentence. The view
// owns the LRC model and the `LRC_ITEM` list. Parts it works with are reached through hooks
// the main frame wires. GUI thread.
#pragma once

#include "Lrc.h"

#include <QTimer>
#include <QWidget>
#include <functional>

class QLabel;
class QTextBrowser;
class QTextCursor;

namespace kestrova {

class CLrcView : public QWidget {
    Q_OBJECT
public:
    struct Hooks {
        std::function<int()> playingPositionMs; // -1 when not playing
        std::function<int()> lengthMs;
        // A load succeeded: the sentences become the lines' spans.
        std::function<void(const LrcItems&)> loaded;
        // A load failed: the saved sentences or splitting take over.
        std::function<void()> failed;
        std::function<void(int index)> selectSentence;
        std::function<void(const QString&)> miniLine; // the mini window's subtitle line
    };

    explicit CLrcView(const QString& globalFont, QWidget* parent = nullptr);
    void SetHooks(Hooks hooks) { m_hooks = std::move(hooks); }

    // Finds (Temp/audio.lrc first, else the path with its extension made ".lrc"), reads and
    // distributes an LRC file. False when none could be read.
    bool LoadLrc(const QString& path);
    bool GetText(int index, QString& text) const;
    const LrcItems& GetItems() const { return m_items; }
    bool HasLines() const { return !m_items.empty(); }
    void StartTimer();
    void Reset();
    void ApplyFont(const QString& globalFont);
    QString Status() const { return m_status; }
    QString LastPath() const { return m_path; }
    // The follow timer's work (public so that it can be driven directly).
    void Tick();
    bool TimerRunning() const { return m_timer.isActive(); }
    QTextBrowser* Box() const { return m_box; }
    // Indexes of the lines shown and of the bold one.
    int ShownUpTo() const { return m_renderedIndex; }

    static QFont SubtitleFont(const QString& globalFont);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Render(int index);
    void AppendLine(QTextCursor& cursor, int index);
    void SetBold(int index, bool bold);
    void UpdateHeader();
    CLrc m_lrc;
    LrcItems m_items;
    Hooks m_hooks;
    QString m_path;
    QString m_status;
    QString m_shown;
    QString m_rendered;
    int m_renderedIndex = -1;
    std::vector<int> m_lineStart; // document position where each shown line begins
    QTimer m_timer;
    QLabel* m_header;
    QTextBrowser* m_box;
};

} // namespace kestrova
