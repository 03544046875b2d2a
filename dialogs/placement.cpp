// The placement rules of the program's windows and their application to a
// window by its outer size.
#include "dialogs/placement.h"

#include "dialogs/window_frame.h"

#include <QMargins>
#include <QWidget>

namespace ravo {

namespace {

// The frame round the window: the window manager's word where it gives one,
// otherwise what Qt knows (nothing before the window is first shown).
QMargins FrameOf(QWidget& window)
{
    if (const std::optional<QMargins> announced = AnnouncedFrame(window))
        return *announced;
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    return QMargins(client.left() - frame.left(), client.top() - frame.top(),
                    frame.right() - client.right(), frame.bottom() - client.bottom());
}

} // namespace

QPoint CentredOnMonitor(const QRect& monitor, const QSize& outer)
{
    return QPoint(monitor.left() + (monitor.width() - outer.width()) / 2,
                  monitor.top() + (monitor.height() - outer.height()) / 2);
}

QPoint CentredByHalves(const QRect& monitor, const QSize& outer)
{
    return QPoint(monitor.left() + monitor.width() / 2 - outer.width() / 2,
                  monitor.top() + monitor.height() / 2 - outer.height() / 2);
}

QPoint BottomOnTheMiddle(const QRect& monitor, const QSize& outer)
{
    return QPoint(monitor.left() + monitor.width() / 2 - outer.width() / 2,
                  monitor.top() + monitor.height() / 2 - outer.height());
}

QPoint CentredAtAThirdOfTheFreeHeight(const QRect& monitor, const QSize& outer)
{
    return QPoint(monitor.left() + (monitor.width() - outer.width()) / 2,
                  monitor.top() + (monitor.height() - outer.height()) / 3);
}

// The client rectangle is set, not the frame position: how Qt and the window
// manager read a frame position differs between a window not yet made and
// one made but not yet shown, while the client position means the same in
// both.
void Place(QWidget& window, const QRect& monitor, PlacementRule rule)
{
    const QMargins frame = FrameOf(window);
    const QPoint corner = rule(monitor, window.size().grownBy(frame));
    window.setGeometry(QRect(corner + QPoint(frame.left(), frame.top()), window.size()));
}

} // namespace ravo
