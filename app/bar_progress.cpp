// ProgressBar1 as the run's progress indicator.
#include "app/bar_progress.h"

#include "app/paint_throttle.h"
#include "app/run_progress_bar.h"

namespace ravo {

BarProgress::BarProgress(RunProgressBar& bar, PaintThrottle& throttle) : bar_(bar), throttle_(throttle)
{
    throttle_.AddView([this] { ShowPosition(); });
}

// Whatever else changes on the bar comes after the position set before it.
void BarProgress::SetMinimum(int minimum)
{
    ShowPosition();
    bar_.setMinimum(minimum);
}

void BarProgress::SetMaximum(int maximum)
{
    ShowPosition();
    bar_.setMaximum(maximum);
}

// The bar moves by positions only, so the step has nothing to move.
void BarProgress::SetStep(int)
{
}

void BarProgress::SetPosition(int position)
{
    position_ = position;
    if (!inRun_)
        ShowPosition();
    RepaintWhenDue();
}

void BarProgress::BeginRun()
{
    inRun_ = true;
}

void BarProgress::EndRun()
{
    inRun_ = false;
    ShowPosition();
}

void BarProgress::ShowPosition()
{
    if (!position_)
        return;
    bar_.setValueWithoutRepaint(*position_);
    position_.reset();
}

void BarProgress::SetVisible(bool visible)
{
    ShowPosition();
    bar_.setVisible(visible);
    if (visible)
        Repaint();
}

void BarProgress::RepaintWhenDue()
{
    if (bar_.isVisible() && throttle_.Due())
        Repaint();
}

void BarProgress::Repaint()
{
    throttle_.BringUpToDate();
    bar_.repaint();
}

} // namespace ravo
