// What a run sees of the main window: the log and the progress bar behind the
// engine's small interfaces. A run processes no events, so both repaint
// themselves on the spot, but no more than about thirty times a second.
#pragma once

#include <QElapsedTimer>
#include <QProgressBar>

#include <functional>
#include <optional>
#include <vector>

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

// Memo3 as the run's log. Outside a run a line goes in at once. During a run
// the lines are collected and go in together whenever the log repaints, at
// most once per interval, so that an append costs the same however long the
// log already is and the document changes once per frame, not once per line.
// Every repaint shows every line appended so far, and the end of the run puts
// in the rest.
class MemoLog : public OperationLog {
public:
    MemoLog(QPlainTextEdit& memo, PaintThrottle& throttle);
    void AppendLine(const std::string& line) override;
    void BeginRun();
    void EndRun();

private:
    // Puts the collected lines at the end of the document in one insertion.
    void InsertCollected();
    // Brings the view up to the text: scroll range, caret after the last
    // line, scrolled to it.
    void CatchUp();
    void CatchUpLater();
    void ShowCollected();

    QPlainTextEdit& memo_;
    PaintThrottle& throttle_;
    bool inRun_ = false;
    // Lines of the run not yet in the document, each followed by a newline.
    QString collected_;
    bool catchUpPending_ = false;
};

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
