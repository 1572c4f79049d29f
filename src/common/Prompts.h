// The one way the program's parts ask the learner a Yes/No question or tell them something.
// The main window gives message boxes; tests give their own answers and record what was
// said. No widgets here.
#pragma once

#include "Util.h"

#include <QString>

namespace kestrova {

class IPrompts {
public:
    virtual ~IPrompts() = default;
    virtual bool Ask(const QString& question) = 0;
    virtual void Tell(MessageKind kind, const QString& text) = 0;
};

} // namespace kestrova
