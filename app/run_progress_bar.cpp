// The progress bar's drawing and its quiet value change.
#include "app/run_progress_bar.h"

#include <QStyleOptionProgressBar>
#include <QStylePainter>

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

} // namespace ravo
