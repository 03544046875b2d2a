// Routing of the main window's shortcut keys to its menu entries.
#include "app/shortcut_router.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
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

QAction* ShortcutRouter::Match(const QKeyEvent& key, const QWidget& target) const
{
    const QKeyCombination pressed = CombinationOf(key);
    if (&target == &popupOwner_ || popupOwner_.isAncestorOf(&target)) {
        if (QAction* entry = FindEntry(popupEntries_, pressed))
            return entry;
    }
    return FindEntry(mainEntries_, pressed);
}

// A ShortcutOverride for one of our keys is accepted so that neither Qt's
// shortcut map nor the control acts on it; the key press that follows is
// consumed here and triggers the entry when it is enabled.
bool ShortcutRouter::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride)
        return false;
    auto* target = qobject_cast<QWidget*>(watched);
    if (target == nullptr || target->window() != &window_)
        return false;
    QAction* entry = Match(*static_cast<QKeyEvent*>(event), *target);
    if (entry == nullptr)
        return false;
    event->accept();
    if (type == QEvent::KeyPress && entry->isEnabled())
        entry->trigger();
    return true;
}

} // namespace ravo
