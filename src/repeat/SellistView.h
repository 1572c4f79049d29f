// The sentence list pane (" 复读区断点列表"): the open file's sentences with their start and
// end times, the current sentence, choosing a sentence (it becomes the repeat region and
// plays), stepping, merging and nudging sentences, `sellist.ist` in Temp, and the automatic
// splitting worker whose finished list it takes over. GUI thread.
#pragma once

#include "SentenceList.h"
#include "Splitter.h"

#include <QWidget>
#include <functional>

class QLabel;
class QTreeWidget;

namespace kestrova {

class CAppSetting;
class CCtrlBar;

class CSellistView : public QWidget {
    Q_OBJECT
public:
    struct Hooks {
        std::function<bool()> lrcLoaded;        // the subtitle model holds lines
        std::function<bool()> dictationRunning; // sentence dictation in progress
        std::function<void()> sentencesChanged; // the dictation view follows the list
        std::function<void()> cleared;          // the list emptied: dictation ends
        std::function<void(std::uint32_t, std::uint32_t, int)> addHardSentence;
    };

    CSellistView(CAppSetting& settings, QWidget* parent = nullptr);
    ~CSellistView() override;

    void SetHooks(Hooks hooks) { m_hooks = std::move(hooks); }
    void SetCtrlBar(CCtrlBar* bar) { m_bar = bar; }

    SentenceArray& GetSentences() { return m_items; }
    int Count() const { return int(m_items.size()); }
    int RowCount() const;
    int GetCurrentSentence() const { return m_current; }
    bool SelectSentence(int index);
    void Previous();
    void Next();
    bool CanPrevious() const;
    bool CanNext() const;
    void RebuildRows();
    void ClearSentences();
    bool LoadSentenceFile();
    bool SaveSentenceFile(); // false when Temp/sellist.ist could not be written (told once)
    static QString SentenceFilePath();

    int SelectedRow() const;
    void SetSelectedRow(int row);
    void MergeUp();
    void MergeDown();
    // Opens the modify dialog for the selected row.
    void Modify();
    void ApplyModify(int row, std::uint32_t start, std::uint32_t end);
    void AddToHardSentences();
    void PlaySelected();

    // Splitting: the command, the rule applied when a file opens without sentences, stop.
    void StartSplit();
    bool AutoSplitIfAllowed();
    void StopSplit();
    bool IsSplitting() const { return m_splitter.IsSplitting(); }
    CSplitWorker& Splitter() { return m_splitter; }
    QTreeWidget* List() const { return m_list; }

Q_SIGNALS:
    // Percent for the status bar's splitting progress; -10 hides it.
    void splittingProgress(int percent);

protected:
    int ChromeWidth() const;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    bool LrcLoaded() const { return m_hooks.lrcLoaded && m_hooks.lrcLoaded(); }
    bool Dictating() const { return m_hooks.dictationRunning && m_hooks.dictationRunning(); }
    void MarkCurrent(int row);
    void Merge(bool up);
    void Changed();
    void OnSplitFinished(const SentenceArray& sentences);

    CAppSetting& m_settings;
    Hooks m_hooks;
    CCtrlBar* m_bar = nullptr;
    SentenceArray m_items;
    int m_current = -1;
    SEL_ITEM m_chosen;
    int m_columnWidth = 0; // the narrowest column that shows its header and a bold time
    QLabel* m_caption;
    QTreeWidget* m_list;
    CSplitWorker m_splitter;
};

} // namespace kestrova
