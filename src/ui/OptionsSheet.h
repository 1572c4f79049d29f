// The options dialog "设置": the general, repeat, splitting, dictation and shortcut pages,
// every one filled from the settings before any is shown; a change enables Apply; OK and
// Apply store every page in the order general, repeat, shortcuts, dictation, splitting
// (after the splitting page's numbers are found valid). GUI thread.
#pragma once

#include "player/Shortcuts.h"

#include <QDialog>
#include <functional>

class QPushButton;
class QTabWidget;

namespace kestrova {

class CAppSetting;
class CDictationPage;
class CGeneralPage;
class CRepeatPage;
class CShortcutPage;
class CSplitOptionsPage;

class COptionsSheet : public QDialog {
    Q_OBJECT
public:
    enum Page { General, Repeat, Splitting, Dictation, Shortcuts };
    COptionsSheet(CAppSetting& settings, const AccelItems& shortcuts, QWidget* parent = nullptr);
    void ShowPage(Page page);
    CShortcutPage* ShortcutPage() const { return m_shortcuts; }
    // Stores every page (OK and Apply); false when a number of the splitting page is out of
    // its range (its page is shown and nothing is stored).
    bool Apply();

Q_SIGNALS:
    // After a store: the subtitle font changed (true), and the shortcut records the page set.
    void applied(bool fontChanged, const kestrova::AccelItems& shortcuts);

private:
    void MarkChanged();
    CGeneralPage* m_general;
    CRepeatPage* m_repeat;
    CShortcutPage* m_shortcuts;
    CSplitOptionsPage* m_split;
    CDictationPage* m_dictation;
    QTabWidget* m_tabs;
    QPushButton* m_apply;
};

} // namespace kestrova
