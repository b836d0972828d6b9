#include "bridge/desktop/window_placement.h"

#include <algorithm>

namespace bridge::desktop {

QRect keptOnScreen(const QRect& wanted, const QRect& available) {
  const int width = std::min(wanted.width(), available.width());
  const int height = std::min(wanted.height(), available.height());
  const int x = std::clamp(wanted.x(), available.x(), available.x() + available.width() - width);
  const int y = std::clamp(wanted.y(), available.y(), available.y() + available.height() - height);
  return QRect(x, y, width, height);
}

}  // namespace bridge::desktop
