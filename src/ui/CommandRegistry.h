// One QAction per command id, made once with the command's label, default key and tooltip.
// Menus, the toolbar and every other surface share these actions; whoever handles a command
// connects to its action's triggered signal.
#pragma once

#include "player/Commands.h"

#include <QObject>
#include <vector>

class QAction;

namespace kestrova {

class CCommandRegistry : public QObject {
    Q_OBJECT
public:
    explicit CCommandRegistry(QObject* parent = nullptr);
    QAction* Action(CommandId id) const { return m_actions[std::size_t(id)]; }

private:
    std::vector<QAction*> m_actions;
};

} // namespace kestrova
