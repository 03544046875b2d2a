// The log and progress bar adapters a run writes through.
#include "app/run_views.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStyleOptionProgressBar>
#include <QStylePainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

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

bool PaintThrottle::Due()
{
    if (sinceLastPaint_.isValid() && sinceLastPaint_.elapsed() < kIntervalMs)
        return false;
    sinceLastPaint_.start();
    return true;
}

// Lines go at the very end, after whatever the user typed there; a last line
// without its line break gets one first, so the new line stands on its own.
void MemoLog::AppendLine(const std::string& line)
{
    QString text = QString::fromLocal8Bit(line.data(), static_cast<qsizetype>(line.size())) + u'\n';
    QTextCursor cursor(memo_.document());
    cursor.movePosition(QTextCursor::End);
    if (!memo_.document()->lastBlock().text().isEmpty())
        text.prepend(u'\n');
    cursor.insertText(text);
    memo_.setTextCursor(cursor);
    if (throttle_.Due()) {
        memo_.verticalScrollBar()->setValue(memo_.verticalScrollBar()->maximum());
        memo_.viewport()->repaint();
    }
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
    bar_.setValue(position);
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
