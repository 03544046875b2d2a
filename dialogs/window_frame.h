// The frame a window manager puts round a top-level window, asked of the
// window manager itself, so that a window can be placed by its outer size
// before it is shown. Qt learns the frame only once the window is framed,
// too late for a window that is placed as it appears.
#pragma once

#include <QMargins>
#include <optional>

class QWidget;

namespace ravo {

// The frame round `window` as the window manager announces it for a window
// on screen, or estimates it for one about to be shown, in the window's
// device-independent pixels. Nothing when no window manager answers: none
// runs, it cannot estimate, or the display is not an X11 one.
std::optional<QMargins> AnnouncedFrame(QWidget& window);

} // namespace ravo
