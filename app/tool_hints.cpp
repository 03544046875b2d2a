// Timed hints of the tool buttons.
#include "app/tool_hints.h"

#include <QCursor>
#include <QEvent>
#include <QToolTip>
#include <QWidget>

namespace ravo {

ToolHints::ToolHints(QObject* parent) : QObject(parent)
{
    restTimer_.setSingleShot(true);
    restTimer_.setInterval(kShowAfterMs);
    connect(&restTimer_, &QTimer::timeout, this, &ToolHints::ShowHint);
}

void ToolHints::Attach(QWidget& button)
{
    button.installEventFilter(this);
}

bool ToolHints::eventFilter(QObject* watched, QEvent* event)
{
    auto* button = static_cast<QWidget*>(watched);
    switch (event->type()) {
    case QEvent::Enter:
        hovered_ = button;
        restTimer_.start();
        break;
    case QEvent::Leave:
    case QEvent::Hide:
    case QEvent::MouseButtonPress:
        if (hovered_ == button) {
            restTimer_.stop();
            hovered_.clear();
            QToolTip::hideText();
        }
        break;
    case QEvent::ToolTip:
        return true; // Qt's own timing would show the hint a second time
    default:
        break;
    }
    return false;
}

void ToolHints::ShowHint()
{
    if (hovered_ && hovered_->isVisible())
        QToolTip::showText(QCursor::pos(), hovered_->toolTip(), hovered_, QRect(), kHideAfterMs);
}

} // namespace ravo
