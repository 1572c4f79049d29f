// The media file types the open dialogs offer, in their fixed order.
#pragma once

#include <QString>

namespace kestrova {

QString MediaFileFilter();

} // namespace kestrova
