// The icons of the editor's sign list.
#pragma once

#include <QImage>

#include "strat.h"

namespace stratedit {

// A white square of `size` pixels showing the sign: stretched over the whole
// square, or (with `realSize`) one block at its true size for `dpi`, its
// corner at (`inset`, `inset`) and cut by the square's edges.
QImage SignIconImage(IStratSign* sign, int size, bool realSize, int inset, double dpi);

}  // namespace stratedit
