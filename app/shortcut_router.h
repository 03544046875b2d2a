// Shortcut keys of the main window's menus, matched before the focused
// control sees the key: first the list's pop-up menu (only while the list has
// the focus), then the main menu, whatever has the focus. A matching entry
// takes the key even when it is disabled, and then does nothing. So a menu key
// means the same wherever the focus is: Del, Ctrl+A, Ctrl+Z and Ctrl+Del act on
// the file list and never reach a string field or the log.
//
// A button's underlined letter with Alt presses the button, before a menu
// of the main menu bar with the same letter: the run button "Prové&zt
// nahrazení" beside the menu "&Zobrazit", which stays reachable with F10 or
// Alt and the arrow keys. F10 alone does what a lone Alt does: it puts the
// menu bar into keyboard mode, its first menu highlighted.
//
// A disabled window, or one that a modal box blocks, runs none of its
// commands: its keys are dropped here, whatever they would have matched.
//
// Qt would let a disabled action's key through, would let a line edit claim
// Del or Ctrl+A for itself and would only move the focus on a letter that a
// button and a menu share, so the matching is done here, in an
// application-wide event filter limited to the one window.
#pragma once

#include <QList>
#include <QObject>

class QAbstractButton;
class QAction;
class QKeyEvent;
class QMenuBar;
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
    // Buttons whose underlined letter, with Alt, presses them.
    void AddButtons(const QList<QAbstractButton*>& buttons);
    // The menu bar F10 puts into keyboard mode.
    void SetMenuBar(QMenuBar& menuBar);

    // The entry that takes this key when `target` has the focus, or null.
    QAction* Match(const QKeyEvent& key, const QWidget& target) const;
    // The button whose letter this is, or null.
    QAbstractButton* MatchButton(const QKeyEvent& key) const;
    // Whether the window runs commands now: enabled, and no modal box up.
    bool TakesCommands() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool pressButton(QEvent& event, QAbstractButton& button);
    bool enterMenuBar(QEvent& event, QWidget& target);

    QWidget& window_;
    QWidget& popupOwner_;
    QList<QAction*> popupEntries_;
    QList<QAction*> mainEntries_;
    QList<QAbstractButton*> buttons_;
    QMenuBar* menuBar_ = nullptr;
};

} // namespace ravo
