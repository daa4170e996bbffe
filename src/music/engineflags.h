#pragma once

// The flags the module hands the browser engine through QTWEBENGINE_CHROMIUM_FLAGS, which the
// engine reads once, when its first view starts.

#include <QByteArray>
#include <QByteArrayView>

namespace thornvale {

// flags with flag appended, each flag already there kept; the engine lets the last of two equal
// switches win, so an earlier value of the same switch gives way.
QByteArray withEngineFlag(QByteArrayView flags, QByteArrayView flag);

// Sets what the module asks of the engine before its first view, once per process:
// - its own logging quiet: a page can make it write lines to stderr at will (a battery query per
//   reload, several per certificate error), outside the program's refusal budget; only fatal
//   messages are left;
// - the sandboxed file systems off (webkitRequestFileSystem, navigator.storage.getDirectory), in
//   pages and workers alike: a page fills them without asking, and no script of ours reaches a
//   worker to hide them.
// Has effect only before the first view.
void setEngineFlags();

} // namespace thornvale
