// The program's own icon set: line drawings on a 24-pixel grid, one ink and one accent colour,
// drawn from SVG at whatever size a button asks for (sharp on high-density screens too).
// Used by the toolbars, the control bar, the mini window, the radio page, the tray and the
// side bar's picture. GUI thread.
#pragma once

#include <QIcon>
#include <QStringList>

namespace kestrova {

// The icon `name` of the set ("play", "open", …); a null icon for a name the set lacks.
QIcon AppIcon(const QString& name);
// The product's picture: the window, the tray and the side bar show it.
QIcon ProductIcon();
// Every name of the set.
QStringList AppIconNames();

} // namespace kestrova
