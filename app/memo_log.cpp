// Memo3 as the operation log: lines appended at once outside a run, collected
// per repaint during one.
#include "app/memo_log.h"

#include <QAbstractTextDocumentLayout>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include "app/paint_throttle.h"

namespace ravo {

MemoLog::MemoLog(QPlainTextEdit& memo, PaintThrottle& throttle) : memo_(memo), throttle_(throttle)
{
    throttle_.AddView([this] { ShowCollected(); });
}

// Lines go at the very end, after whatever the user typed there; a last line
// without its line break gets one first, so the new line stands on its own.
void MemoLog::AppendLine(const std::string& line)
{
    collected_ += QString::fromLocal8Bit(line.data(), static_cast<qsizetype>(line.size()));
    collected_ += u'\n';
    if (!inRun_) {
        InsertCollected();
        CatchUpLater();
    } else if (throttle_.Due()) {
        throttle_.BringUpToDate();
        memo_.viewport()->repaint();
    }
}

void MemoLog::ShowCollected()
{
    if (collected_.isEmpty())
        return;
    InsertCollected();
    CatchUp();
}

void MemoLog::BeginRun()
{
    inRun_ = true;
}

// However the run ended, the log holds all its lines before anything else
// (an error box, say) is shown.
void MemoLog::EndRun()
{
    inRun_ = false;
    if (!collected_.isEmpty()) {
        InsertCollected();
        CatchUpLater();
    }
}

// What costs in an insertion is not the text but the view catching up: each
// size change of the document makes the memo lay out its bottom lines again
// to size its scroll bar, and moving the caret scrolls. So the size change
// is held back while the text goes in, and the view catches up only when it
// repaints and, after the last line of a burst, once events run again.
void MemoLog::InsertCollected()
{
    QTextCursor cursor(memo_.document());
    cursor.movePosition(QTextCursor::End);
    if (!memo_.document()->lastBlock().text().isEmpty())
        collected_.prepend(u'\n');
    QAbstractTextDocumentLayout* layout = memo_.document()->documentLayout();
    const bool wasBlocked = layout->blockSignals(true);
    cursor.insertText(collected_);
    layout->blockSignals(wasBlocked);
    collected_.clear();
}

void MemoLog::CatchUpLater()
{
    if (catchUpPending_)
        return;
    catchUpPending_ = true;
    QTimer::singleShot(0, &memo_, [this] { CatchUp(); });
}

void MemoLog::CatchUp()
{
    catchUpPending_ = false;
    QAbstractTextDocumentLayout* layout = memo_.document()->documentLayout();
    // What the held-back signals would have told the memo.
    emit layout->documentSizeChanged(layout->documentSize());
    emit layout->update();
    QTextCursor cursor(memo_.document());
    cursor.movePosition(QTextCursor::End);
    memo_.setTextCursor(cursor);
    memo_.verticalScrollBar()->setValue(memo_.verticalScrollBar()->maximum());
}

} // namespace ravo
