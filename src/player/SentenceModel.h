// The open file's sentences as a list model: the spans (centiseconds), the current sentence,
// choosing one (it becomes the repeat region through `sentenceChosen`), stepping, the editing
// rules (merge, modify, moving one boundary), `sellist.ist` in Temp, and the automatic
// splitting worker whose finished list it takes over. Views (the sentence list, later the
// waveform) observe it; the playback controller follows `sentenceChosen`. While sentence
// dictation runs the model is locked: the learner's choices are refused and only the
// dictation's own `Choose` goes through. No widgets. GUI thread.
#pragma once

#include "repeat/SentenceList.h"
#include "repeat/Splitter.h"

#include <QAbstractListModel>

namespace kestrova {

class CSentenceModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role { StartRole = Qt::UserRole + 1, EndRole, CurrentRole };

    explicit CSentenceModel(QObject* parent = nullptr);
    ~CSentenceModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    const SentenceArray& Sentences() const { return m_items; }
    int Count() const { return int(m_items.size()); }
    SEL_ITEM At(int i) const { return m_items.at(std::size_t(i)); }
    int Current() const { return m_current; }

    // The learner's choice: refused while locked or outside the list; -1 leaves no sentence
    // current. A chosen sentence becomes the repeat region and plays.
    bool SelectSentence(int index);
    // The dictation's own choice, taken while the model is locked.
    bool Choose(int index);
    void Previous();
    void Next();
    bool CanPrevious() const;
    bool CanNext() const;

    // Replaces the whole list (subtitles loaded, a sentence file read, a split finished).
    void SetSentences(const SentenceArray& items);
    // Empties the list without telling the dictation that it changed (a file goes).
    void Clear();
    bool LoadSentenceFile();
    bool SaveSentenceFile(); // false when Temp/sellist.ist could not be written (told once)
    static QString SentenceFilePath();

    // Editing; each change is the learner's work (written at once and marked). Refused with a
    // message while subtitle lines give the sentences.
    bool Merge(int row, bool up);
    void Modify(int row, std::uint32_t start, std::uint32_t end);
    // Adds a span as a sentence of its own, in order of its start; false when it is empty
    // or already in the list.
    bool AddSentence(std::uint32_t start, std::uint32_t end);
    // Moves the boundary between sentence `row` - 1 and `row` to `at` (centiseconds), kept
    // inside both sentences.
    bool MoveBoundary(int row, std::uint32_t at);
    // Takes the last boundary move back (Ctrl+Z on the list); the moves since the list was
    // last replaced or had rows added are remembered.
    bool UndoBoundary();
    bool CanUndoBoundary() const { return !m_undo.empty(); }

    // Sentence dictation runs: the learner's choices are refused.
    void SetLocked(bool locked);
    bool Locked() const { return m_locked; }
    // Subtitle lines give the sentences: merging and modifying are refused.
    void SetFixed(bool fixed) { m_fixed = fixed; }
    bool Fixed() const { return m_fixed; }

    void StartSplit(const QString& path, int lengthMs, const SplitParams& params,
                    bool highPriority);
    void StopSplit() { m_splitter.StopSplit(); }
    bool IsSplitting() const { return m_splitter.IsSplitting(); }

Q_SIGNALS:
    void currentChanged(int index);
    void sentenceChosen(std::uint32_t start, std::uint32_t end);
    // The list was replaced (the dictation follows it); `cleared`: it was emptied.
    void sentencesChanged();
    void cleared();
    // Percent for the splitting progress; -10 hides it.
    void splittingProgress(int percent);
    // An edge of the current sentence moved: its new span.
    void boundaryMoved(std::uint32_t start, std::uint32_t end);
    // A list choice or change to be seen (the view scrolls to and highlights the row).
    void rowChosen(int row);

private:
    void SetCurrent(int index);
    void SetBoundary(int row, std::uint32_t at);
    void Changed();
    bool Select(int index);

    SentenceArray m_items;
    std::vector<std::pair<int, std::uint32_t>> m_undo; // row, where its boundary was
    int m_current = -1;
    bool m_locked = false;
    bool m_fixed = false;
    CSplitWorker m_splitter;
};

} // namespace kestrova
