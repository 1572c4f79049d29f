// The main frame's status bar: the message pane, the caps/num/scroll indicators and four
// text panes ("pane0".."pane7"), with the splitting progress bar and its cancel button laid
// over the right end of the message pane. GUI thread.
#pragma once

#include <QStatusBar>

class QLabel;
class QProgressBar;
class QToolButton;

namespace kestrova {

class CStatusBar : public QStatusBar {
    Q_OBJECT
public:
    static constexpr int kPaneCount = 8;
    explicit CStatusBar(QWidget* parent = nullptr);

    // Panes 0..7: message, caps, num, scroll, then four text panes other parts write.
    void SetPaneText(int pane, const QString& text);
    // Keeps a pane at least as wide as the widest of `texts`, so that it does not change
    // width (and move the panes beside it) as its text changes. Each '0' in a text stands for
    // any digit and is measured as the widest digit of the pane's font.
    void FitPaneTo(int pane, const QStringList& texts);
    // -10 hides the bar and the button; a value below 5 shows them; every other value moves
    // the bar to it (range 0..100).
    void SetSplittingProgress(int percent);

Q_SIGNALS:
    void cancelSplitting();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* Pane(int pane) const;
    void PlaceProgress();
    void ShowLockPanes();
    QLabel* m_panes[kPaneCount] = {};
    QProgressBar* m_progress;
    QToolButton* m_cancel;
};

} // namespace kestrova
