// The progress a run reports, shown on the main window's bar.
#pragma once

#include <optional>

#include "run/progress.h"

namespace ravo {

class PaintThrottle;
class RunProgressBar;

// ProgressBar1 as the run's progress. During a run a new position reaches the
// bar only when a view repaints, or when the run ends: setting a bar's value
// costs far more than storing a number, and a run sets it once per file.
class BarProgress : public ProgressIndicator {
public:
    BarProgress(RunProgressBar& bar, PaintThrottle& throttle);
    void SetMinimum(int minimum) override;
    void SetMaximum(int maximum) override;
    void SetStep(int step) override;
    void SetPosition(int position) override;
    void SetVisible(bool visible) override;
    void BeginRun();
    void EndRun();

private:
    void ShowPosition();
    void RepaintWhenDue();
    void Repaint();
    RunProgressBar& bar_;
    PaintThrottle& throttle_;
    bool inRun_ = false;
    // A position of the run not yet given to the bar.
    std::optional<int> position_;
};

} // namespace ravo
