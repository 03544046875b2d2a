// The main window's progress bar, as a run draws it.
#pragma once

#include <QProgressBar>

namespace ravo {

// ProgressBar1. Shows a range of one value (0..0 with one listed file) as an
// ordinary bar, where Qt would show a busy animation.
class RunProgressBar : public QProgressBar {
    Q_OBJECT
public:
    explicit RunProgressBar(QWidget* parent = nullptr);
    // The value, shown at the next repaint rather than at once.
    void setValueWithoutRepaint(int value);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace ravo
