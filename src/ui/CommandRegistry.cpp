#include "CommandRegistry.h"

#include <QAction>
#include <QKeySequence>

namespace kestrova {

CCommandRegistry::CCommandRegistry(QObject* parent) : QObject(parent) {
    for (const CommandInfo& c : AllCommands()) {
        auto* action = new QAction(QString::fromUtf8(c.label), parent ? parent : this);
        action->setObjectName(QString::fromLatin1(c.name));
        if (*c.shortcut) action->setShortcut(QKeySequence(QString::fromLatin1(c.shortcut)));
        if (*c.tip) action->setToolTip(QString::fromUtf8(c.tip));
        m_actions.push_back(action);
    }
}

} // namespace kestrova
