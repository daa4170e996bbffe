#pragma once

// How the window's key and focus handlers see Qt's events: a key as the character code it types,
// a focus change as the user's own move or not.

#include <QKeyEvent>

namespace thornvale::keyinput {

// The character code of Enter, as the key-press handlers compare it.
inline constexpr int EnterCode = 13;

// The character a key event types, as the key-press handlers take it, or -1 for keys that type
// nothing (arrows, modifiers) and for Tab, which moves the focus instead of typing.
inline int characterCode(const QKeyEvent *key)
{
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        return EnterCode;
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab || key->text().isEmpty())
        return -1;
    return key->text().at(0).unicode();
}

// Focus that comes or goes because another window took over (a message box, a popup, another
// program) is no move of the user's within this window.
inline bool isWindowSwitch(Qt::FocusReason reason)
{
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason
        || reason == Qt::MenuBarFocusReason;
}

} // namespace thornvale::keyinput
