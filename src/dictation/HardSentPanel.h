// The "难点句库" page: the hard sentences of the open file with their difficulty, kept in
// Temp/hardSent.dat; a double-click plays one. The item last added or played becomes the
// table's current row. The library exports to flashcard programs: a tab-separated file
// with one sound clip per sentence beside it. GUI thread.
#pragma once

#include "DictationHost.h"
#include "HardSentences.h"
#include "common/WorkPiece.h"

#include <QWidget>
#include <optional>
#include <utility>

class QTreeWidget;

namespace kestrova {

class CHardSentPanel : public QWidget, public IWorkPiece {
    Q_OBJECT
public:
    explicit CHardSentPanel(QWidget* parent = nullptr);
    void SetSource(ISentenceSource* source) { m_source = source; }
    // Sentence dictation runs: a double-click plays nothing.
    void SetLocked(bool locked) { m_locked = locked; }
    static QString FilePath();

    void Add(std::uint32_t start, std::uint32_t end, int errorCount);
    void Load();
    bool Save(); // false when the file could not be written (told once)
    bool WritePiece() override { return Save(); }
    void ReloadPiece() override { Load(); }
    const HardItems& GetItems() const { return m_items; }
    std::vector<std::uint32_t> Starts() const;
    void PlayRow(int row);
    // The library as a tab-separated file (sentence text, its clip as "[sound:name]", start,
    // end, difficulty) with a header flashcard programs read, and each sentence of `media`
    // cut as a clip beside it, named after the file. Returns the rows written; -1 when the
    // file cannot be written. `failed` gets the rows whose clip could not be cut.
    int ExportFlashcards(const QString& media, const QString& tsvPath, int* failed = nullptr);

Q_SIGNALS:
    void itemsChanged();
    // "导出为闪卡..." chosen from the table's menu.
    void exportRequested();

private:
    void Rebuild();
    void ShowLast();
    ISentenceSource* m_source = nullptr;
    bool m_locked = false;
    HardItems m_items;
    // Start and end of the item last added or last double-clicked (played); none since the
    // library was loaded.
    std::optional<std::pair<std::uint32_t, std::uint32_t>> m_last;
    QTreeWidget* m_table;
};

} // namespace kestrova
