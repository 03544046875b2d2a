// The operation log a run appends its lines to.
#pragma once

#include <QString>

#include "run/run_log.h"

class QPlainTextEdit;

namespace ravo {

class PaintThrottle;

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

} // namespace ravo
