// The options dialog's "快捷键设置" page: the commands of the shortcut set with their key
// texts and system-hotkey marks, the Ctrl/Shift/Alt boxes, the key list, "系统热键", "设置"
// (a new version of the selected row, shown at once) and "全部恢复". The frame takes the
// edited records on OK. GUI thread.
#pragma once

#include "player/Shortcuts.h"

#include <QWidget>
#include <functional>

class QCheckBox;
class QComboBox;
class QTreeWidget;

namespace kestrova {

class CShortcutPage : public QWidget {
    Q_OBJECT
public:
    explicit CShortcutPage(const AccelItems& table, QWidget* parent = nullptr);
    // The records set on the page, latest versions, in the order first set.
    const AccelItems& Edited() const { return m_edited; }
    // Shows another table (after "全部恢复") and forgets the edits.
    void Fill(const AccelItems& table);

Q_SIGNALS:
    // "全部恢复" pressed (the frame asks, restores the factory set and refills the page).
    void restoreRequested();

private:
    void RowChosen();
    void SetRow();
    ACCEL_ITEM RecordOf(std::uint16_t nameId) const;

    AccelItems m_table;
    AccelItems m_edited;
    QTreeWidget* m_list;
    QCheckBox* m_ctrl;
    QCheckBox* m_shift;
    QCheckBox* m_alt;
    QComboBox* m_key;
    QCheckBox* m_hotkey;
};

} // namespace kestrova
