// Where a window asked for lands: within the screen's available area, so
// that a page cannot lose its own window off screen.
#pragma once

#include <QRect>

namespace bridge::desktop {

// `wanted` shrunk to fit `available` and then moved inside it.
QRect keptOnScreen(const QRect& wanted, const QRect& available);

}  // namespace bridge::desktop
