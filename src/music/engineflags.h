#pragma once

// The flags the module hands the browser engine through QTWEBENGINE_CHROMIUM_FLAGS, which the
// engine reads once, when its first view starts.

#include <QByteArray>
#include <QByteArrayView>

namespace thornvale {

// flags with flag appended, each flag already there kept; the engine lets the last of two equal
// switches win, so an earlier value of the same switch gives way.
QByteArray withEngineFlag(QByteArrayView flags, QByteArrayView flag);

// Quiets the engine's own logging: a page can make it write lines to stderr at will (a battery
// query per reload, several per certificate error), outside the program's refusal budget. Only
// fatal messages are left. Has effect only before the first view.
void silenceEngineLog();

} // namespace thornvale
