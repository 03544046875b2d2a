// What a run sees of the main window: the log and the progress bar behind the
// engine's small interfaces. A run processes no events, so both repaint
// themselves on the spot, but no more than about thirty times a second.
#pragma once

#include <QElapsedTimer>
#include <QProgressBar>

#include "engine/replacement_pass.h"

class QPlainTextEdit;

namespace ravo {

// ProgressBar1. Keeps the step the run sets, and shows a range of one value
// (0..0 with one listed file) as an ordinary bar, where Qt would show a busy
// animation.
class RunProgressBar : public QProgressBar {
    Q_OBJECT
public:
    explicit RunProgressBar(QWidget* parent = nullptr);
    int step() const { return step_; }
    void setStep(int step) { step_ = step; }
    // The value, shown at the next repaint rather than at once.
    void setValueWithoutRepaint(int value);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int step_ = 1;
};

// Lets the log and the bar repaint at most once per interval between events.
class PaintThrottle {
public:
    static constexpr qint64 kIntervalMs = 33;
    bool Due();

private:
    QElapsedTimer sinceLastPaint_;
};

class MemoLog : public OperationLog {
public:
    MemoLog(QPlainTextEdit& memo, PaintThrottle& throttle) : memo_(memo), throttle_(throttle) {}
    void AppendLine(const std::string& line) override;

private:
    // Brings the view up to the text: scroll range, caret after the last
    // line, scrolled to it.
    void CatchUp();

    QPlainTextEdit& memo_;
    PaintThrottle& throttle_;
    bool catchUpPending_ = false;
};

class BarProgress : public ProgressIndicator {
public:
    BarProgress(RunProgressBar& bar, PaintThrottle& throttle) : bar_(bar), throttle_(throttle) {}
    void SetMinimum(int minimum) override;
    void SetMaximum(int maximum) override;
    void SetStep(int step) override;
    void SetPosition(int position) override;
    void SetVisible(bool visible) override;

private:
    void RepaintWhenDue();
    RunProgressBar& bar_;
    PaintThrottle& throttle_;
};

} // namespace ravo
