// The options dialog "设置": the general, repeat, dictation and shortcut pages, every one
// filled from the settings before any is shown; a change enables Apply; OK and Apply store
// every page in the order general, repeat, shortcuts, dictation. GUI thread.
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

class COptionsSheet : public QDialog {
    Q_OBJECT
public:
    enum Page { General, Repeat, Shortcuts, Dictation };
    COptionsSheet(CAppSetting& settings, const AccelItems& shortcuts, QWidget* parent = nullptr);
    void ShowPage(Page page);
    CShortcutPage* ShortcutPage() const { return m_shortcuts; }
    // Stores every page (OK and Apply).
    void Apply();

Q_SIGNALS:
    // After a store: the subtitle font changed (true), and the shortcut records the page set.
    void applied(bool fontChanged, const kestrova::AccelItems& shortcuts);

private:
    void MarkChanged();
    CGeneralPage* m_general;
    CRepeatPage* m_repeat;
    CShortcutPage* m_shortcuts;
    CDictationPage* m_dictation;
    QTabWidget* m_tabs;
    QPushButton* m_apply;
};

} // namespace kestrova
