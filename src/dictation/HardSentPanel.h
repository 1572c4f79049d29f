// The "难点句库" page: the hard sentences of the open file with their difficulty, kept in
// Temp/hardSent.dat; a double-click plays one. The item last added or played becomes the
// table's current row. GUI thread.
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

Q_SIGNALS:
    void itemsChanged();

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
