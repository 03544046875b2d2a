// The log and progress bar adapters a run writes through.
#include "app/run_views.h"

#include <QAbstractTextDocumentLayout>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStyleOptionProgressBar>
#include <QStylePainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

namespace ravo {

RunProgressBar::RunProgressBar(QWidget* parent) : QProgressBar(parent)
{
    setTextVisible(false);
}

void RunProgressBar::paintEvent(QPaintEvent* event)
{
    if (minimum() != maximum()) {
        QProgressBar::paintEvent(event);
        return;
    }
    QStyleOptionProgressBar option;
    initStyleOption(&option);
    option.minimum = 0;
    option.maximum = 1;
    option.progress = value() >= maximum() ? 1 : 0;
    QStylePainter painter(this);
    painter.drawControl(QStyle::CE_ProgressBar, option);
}

// QProgressBar repaints on the spot whenever the filled part grows, which
// during a run would be far more often than the run's own clock allows.
void RunProgressBar::setValueWithoutRepaint(int value)
{
    const bool enabled = updatesEnabled();
    setUpdatesEnabled(false);
    setValue(value);
    setUpdatesEnabled(enabled);
}

bool PaintThrottle::Due()
{
    if (sinceLastPaint_.isValid() && sinceLastPaint_.elapsed() < kIntervalMs)
        return false;
    sinceLastPaint_.start();
    return true;
}

// Lines go at the very end, after whatever the user typed there; a last line
// without its line break gets one first, so the new line stands on its own.
//
// What costs in an append is not the text but the view catching up: each
// size change of the document makes the memo lay out its bottom lines again
// to size its scroll bar, and moving the caret scrolls. So the size change
// is held back while the line goes in, and the view catches up only when it
// repaints and, after the last line of a burst, once events run again.
void MemoLog::AppendLine(const std::string& line)
{
    QString text = QString::fromLocal8Bit(line.data(), static_cast<qsizetype>(line.size())) + u'\n';
    QTextCursor cursor(memo_.document());
    cursor.movePosition(QTextCursor::End);
    if (!memo_.document()->lastBlock().text().isEmpty())
        text.prepend(u'\n');
    QAbstractTextDocumentLayout* layout = memo_.document()->documentLayout();
    const bool wasBlocked = layout->blockSignals(true);
    cursor.insertText(text);
    layout->blockSignals(wasBlocked);
    if (throttle_.Due()) {
        CatchUp();
        memo_.viewport()->repaint();
    } else if (!catchUpPending_) {
        catchUpPending_ = true;
        QTimer::singleShot(0, &memo_, [this] { CatchUp(); });
    }
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

void BarProgress::SetMinimum(int minimum)
{
    bar_.setMinimum(minimum);
}

void BarProgress::SetMaximum(int maximum)
{
    bar_.setMaximum(maximum);
}

void BarProgress::SetStep(int step)
{
    bar_.setStep(step);
}

void BarProgress::SetPosition(int position)
{
    bar_.setValueWithoutRepaint(position);
    RepaintWhenDue();
}

void BarProgress::SetVisible(bool visible)
{
    bar_.setVisible(visible);
    if (visible)
        bar_.repaint();
}

void BarProgress::RepaintWhenDue()
{
    if (bar_.isVisible() && throttle_.Due())
        bar_.repaint();
}

} // namespace ravo
