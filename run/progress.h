// The progress bar as a run drives it: one step per listed file of a pass.
#pragma once

namespace ravo {

class ProgressIndicator {
public:
    virtual ~ProgressIndicator() = default;
    virtual void SetMinimum(int minimum) = 0;
    virtual void SetMaximum(int maximum) = 0;
    virtual void SetStep(int step) = 0;
    virtual void SetPosition(int position) = 0;
    virtual void SetVisible(bool visible) = 0;
};

// The progress of a run that no window shows.
class NoProgress : public ProgressIndicator {
public:
    void SetMinimum(int) override {}
    void SetMaximum(int) override {}
    void SetStep(int) override {}
    void SetPosition(int) override {}
    void SetVisible(bool) override {}
};

} // namespace ravo
