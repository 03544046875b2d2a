// Shortcut keys of the main window's menus, matched before the focused
// control sees the key: first the list's pop-up menu (only while the list has
// the focus), then the main menu, whatever has the focus. A matching entry
// takes the key even when it is disabled, and then does nothing. So a menu key
// means the same wherever the focus is: Del, Ctrl+A, Ctrl+Z and Ctrl+Del act on
// the file list and never reach a string field or the log.
//
// Qt would let a disabled action's key through and would let a line edit
// claim Del or Ctrl+A for itself, so the matching is done here, in an
// application-wide event filter limited to the one window.
#pragma once

#include <QList>
#include <QObject>

class QAction;
class QKeyEvent;
class QWidget;

namespace ravo {

class ShortcutRouter : public QObject {
public:
    // popupOwner: the control whose pop-up menu entries come first while it
    // (or a widget inside it) has the focus.
    ShortcutRouter(QWidget& window, QWidget& popupOwner);
    ~ShortcutRouter() override;

    void AddPopupEntries(const QList<QAction*>& entries);
    void AddMainEntries(const QList<QAction*>& entries);

    // The entry that takes this key when `target` has the focus, or null.
    QAction* Match(const QKeyEvent& key, const QWidget& target) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
    QWidget& popupOwner_;
    QList<QAction*> popupEntries_;
    QList<QAction*> mainEntries_;
};

} // namespace ravo
