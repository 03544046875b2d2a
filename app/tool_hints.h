// Hints of the tool buttons above the file list: shown when the mouse has
// rested on a button for half a second, hidden again after two and a half
// seconds. Qt's own tooltip timing is a style setting for the whole program,
// so these buttons get their own timer instead.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

class QWidget;

namespace ravo {

class ToolHints : public QObject {
public:
    static constexpr int kShowAfterMs = 500;
    static constexpr int kHideAfterMs = 2500;

    explicit ToolHints(QObject* parent);
    // The hint is the button's tool tip text.
    void Attach(QWidget& button);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowHint();
    QTimer restTimer_;
    QPointer<QWidget> hovered_;
};

} // namespace ravo
