// Where the program's windows go on the screen. Each rule takes the monitor
// and the window's outer size, frame and title bar included as the window
// manager draws them, and gives the outer top-left corner; every division
// truncates towards zero. The client sizes stay those the windows were
// designed with: only their position follows the frame.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace ravo {

// (W - w) / 2, (H - h) / 2: the main window, the message form, the error box.
QPoint CentredOnMonitor(const QRect& monitor, const QSize& outer);

// W / 2 - w / 2, H / 2 - h / 2, each half truncated on its own, so an odd
// size lands a pixel further left or up than the exact centre: the help
// window.
QPoint CentredByHalves(const QRect& monitor, const QSize& outer);

// W / 2 - w / 2, H / 2 - h: the bottom edge on the monitor's horizontal
// middle, the whole height above it: the backup-and-run dialog.
QPoint BottomOnTheMiddle(const QRect& monitor, const QSize& outer);

// (W - w) / 2, (H - h) / 3: centred across, a third of the free height from
// the top: the open-file dialog.
QPoint CentredAtAThirdOfTheFreeHeight(const QRect& monitor, const QSize& outer);

using PlacementRule = QPoint (*)(const QRect& monitor, const QSize& outer);

// Moves the window, without resizing it, so that its outer top-left corner
// lands where the rule puts a window of its outer size on the monitor. Works
// before the window is shown, so it appears in its place from the first
// frame.
void Place(QWidget& window, const QRect& monitor, PlacementRule rule);

} // namespace ravo
