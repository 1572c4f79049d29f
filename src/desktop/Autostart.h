// Running at logon on a Linux desktop: the XDG autostart entry Kestrova.desktop in the
// user's autostart folder, whose Exec line starts the program by its full path. No widgets.
#pragma once

#include <QString>

namespace kestrova::autostart {

// The entry's file ($XDG_CONFIG_HOME/autostart/Kestrova.desktop).
QString EntryPath();
// An argument of an Exec line quoted as desktop entries want it: in double quotes when it
// holds a reserved character, with `"`, `` ` ``, `$` and `\` escaped inside.
QString QuotedArgument(const QString& argument);
// Writes the entry for `program` (on) or removes it (off); false when that failed.
bool Set(bool on, const QString& program);

} // namespace kestrova::autostart
