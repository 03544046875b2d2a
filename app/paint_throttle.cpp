// The repaint clock of a run.
#include "app/paint_throttle.h"

namespace ravo {

bool PaintThrottle::Due()
{
    if (sinceLastPaint_.isValid() && sinceLastPaint_.elapsed() < kIntervalMs)
        return false;
    sinceLastPaint_.start();
    return true;
}

} // namespace ravo
