// The "难点句库" page: the hard sentences of the open file with their difficulty, kept in
// Temp/hardSent.dat; a double-click plays one. GUI thread.
#pragma once

#include "HardSentences.h"

#include <QWidget>
#include <functional>
#include <optional>
#include <utility>

class QTreeWidget;

namespace kestrova {

class CHardSentPanel : public QWidget {
    Q_OBJECT
public:
    struct Hooks {
        std::function<int()> sentenceCount;
        std::function<std::uint32_t(int)> sentenceStart;
        std::function<bool(int)> selectSentence;
    };
    explicit CHardSentPanel(QWidget* parent = nullptr);
    void SetHooks(Hooks hooks) { m_hooks = std::move(hooks); }
    static QString FilePath();

    void Add(std::uint32_t start, std::uint32_t end, int errorCount);
    void Load();
    bool Save(); // false when the file could not be written (told once)
    const HardItems& GetItems() const { return m_items; }
    void PlayRow(int row);
    // Start and end of the item last added or last double-clicked (played); none since the
    // library was loaded.
    std::optional<std::pair<std::uint32_t, std::uint32_t>> LastItem() const { return m_last; }
    QTreeWidget* Table() const { return m_table; }

Q_SIGNALS:
    void itemsChanged();

private:
    void Rebuild();
    Hooks m_hooks;
    HardItems m_items;
    std::optional<std::pair<std::uint32_t, std::uint32_t>> m_last;
    QTreeWidget* m_table;
};

} // namespace kestrova
