// Routing of the main window's shortcut keys to its menu entries.
#include "app/shortcut_router.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QWidget>

namespace ravo {
namespace {

// The keypad and keyboard-group bits do not make a different key: Del on the
// keypad is still Del.
QKeyCombination CombinationOf(const QKeyEvent& key)
{
    const Qt::KeyboardModifiers modifiers =
        key.modifiers() & ~(Qt::KeypadModifier | Qt::GroupSwitchModifier);
    return QKeyCombination(modifiers, static_cast<Qt::Key>(key.key()));
}

QAction* FindEntry(const QList<QAction*>& entries, QKeyCombination pressed)
{
    for (QAction* entry : entries) {
        const QKeySequence shortcut = entry->shortcut();
        if (shortcut.count() == 1 && shortcut[0] == pressed)
            return entry;
    }
    return nullptr;
}

} // namespace

ShortcutRouter::ShortcutRouter(QWidget& window, QWidget& popupOwner)
    : QObject(&window), window_(window), popupOwner_(popupOwner)
{
    qApp->installEventFilter(this);
}

ShortcutRouter::~ShortcutRouter()
{
    qApp->removeEventFilter(this);
}

void ShortcutRouter::AddPopupEntries(const QList<QAction*>& entries)
{
    popupEntries_ += entries;
}

void ShortcutRouter::AddMainEntries(const QList<QAction*>& entries)
{
    mainEntries_ += entries;
}

void ShortcutRouter::AddButtons(const QList<QAbstractButton*>& buttons)
{
    buttons_ += buttons;
}

void ShortcutRouter::SetMenuBar(QMenuBar& menuBar)
{
    menuBar_ = &menuBar;
}

QAction* ShortcutRouter::Match(const QKeyEvent& key, const QWidget& target) const
{
    const QKeyCombination pressed = CombinationOf(key);
    if (&target == &popupOwner_ || popupOwner_.isAncestorOf(&target)) {
        if (QAction* entry = FindEntry(popupEntries_, pressed))
            return entry;
    }
    return FindEntry(mainEntries_, pressed);
}

QAbstractButton* ShortcutRouter::MatchButton(const QKeyEvent& key) const
{
    const QKeyCombination pressed = CombinationOf(key);
    for (QAbstractButton* button : buttons_) {
        const QKeySequence letter = QKeySequence::mnemonic(button->text());
        if (letter.count() == 1 && letter[0] == pressed)
            return button;
    }
    return nullptr;
}

bool ShortcutRouter::TakesCommands() const
{
    const QWidget* modal = QApplication::activeModalWidget();
    return window_.isEnabled() && (modal == nullptr || modal->window() == &window_);
}

// A ShortcutOverride for one of our keys is accepted so that neither Qt's
// shortcut map nor the control acts on it; the key press that follows is
// consumed here and presses the button, enters the menu bar, or triggers the
// entry when it is enabled.
bool ShortcutRouter::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride)
        return false;
    auto* target = qobject_cast<QWidget*>(watched);
    if (target == nullptr || target->window() != &window_)
        return false;
    const auto& key = *static_cast<QKeyEvent*>(event);
    if (!TakesCommands()) {
        event->accept();
        return true;
    }
    if (QAbstractButton* button = MatchButton(key))
        return pressButton(*event, *button);
    if (menuBar_ != nullptr && CombinationOf(key) == QKeyCombination(Qt::Key_F10))
        return enterMenuBar(*event, *target);
    QAction* entry = Match(key, *target);
    if (entry == nullptr)
        return false;
    event->accept();
    if (type == QEvent::KeyPress && entry->isEnabled())
        entry->trigger();
    return true;
}

// As the button's letter does: the focus to it, then a click.
bool ShortcutRouter::pressButton(QEvent& event, QAbstractButton& button)
{
    event.accept();
    if (event.type() == QEvent::KeyPress && button.isEnabled() && button.isVisible()) {
        button.setFocus(Qt::ShortcutFocusReason);
        button.animateClick();
    }
    return true;
}

// The menu bar enters keyboard mode on a lone Alt: the override of an Alt
// press, then its release. F10 hands it that pair.
bool ShortcutRouter::enterMenuBar(QEvent& event, QWidget& target)
{
    event.accept();
    if (event.type() == QEvent::KeyPress && menuBar_->isEnabled() && menuBar_->isVisible()) {
        QKeyEvent altPressed(QEvent::ShortcutOverride, Qt::Key_Alt, Qt::NoModifier);
        QCoreApplication::sendEvent(&window_, &altPressed);
        QKeyEvent altReleased(QEvent::KeyRelease, Qt::Key_Alt, Qt::AltModifier);
        QCoreApplication::sendEvent(&target, &altReleased);
    }
    return true;
}

} // namespace ravo
