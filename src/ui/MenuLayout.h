// The menu bar and the main toolbar, laid out from command ids over the one action of each
// command, and the program's icon. Which command does what is wired elsewhere. GUI thread.
#pragma once

#include "player/Commands.h"

#include <QList>
#include <QPair>
#include <QStringList>

class QMenuBar;
class QToolBar;

namespace kestrova {

class CCommandRegistry;

// Each menu's title with the texts of its items and submenus, in order.
using MenuItemTexts = QList<QPair<QString, QStringList>>;

// Fills the menu bar; commands without a handler yet are shown disabled.
MenuItemTexts BuildMenuBar(QMenuBar& bar, const CCommandRegistry& commands);
void BuildToolBar(QToolBar& toolBar, const CCommandRegistry& commands);
// "听写工具栏": the dictation commands over the dictation page.
void BuildDictationBar(QToolBar& toolBar, const CCommandRegistry& commands);
// The classic editing keys beside the ones the menu shows (Ctrl+Insert copies, and so on).
void AddEditingKeys(const CCommandRegistry& commands);

} // namespace kestrova
