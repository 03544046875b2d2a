// The clock that lets a run's views repaint: a run processes no events, so the
// log and the bar repaint themselves on the spot, but no more than about
// thirty times a second.
#pragma once

#include <QElapsedTimer>

#include <functional>
#include <vector>

namespace ravo {

// Lets the log and the bar repaint at most once per interval between events.
// During a run each view holds back what changed until a repaint; since a
// repaint of one view also draws whatever else of the window is waiting,
// every view is brought up to date before any of them repaints, so that each
// repaint shows the same moment of the run.
class PaintThrottle {
public:
    static constexpr qint64 kIntervalMs = 33;
    bool Due();
    void AddView(std::function<void()> bringUpToDate) { views_.push_back(std::move(bringUpToDate)); }
    void BringUpToDate()
    {
        for (const auto& bring : views_)
            bring();
    }

private:
    QElapsedTimer sinceLastPaint_;
    std::vector<std::function<void()>> views_;
};

} // namespace ravo
