#pragma once

#include <QIcon>

namespace thornvale {

// The program's icon (a 32 x 32 and a 16 x 16 image): the main window's, every pop-up window's and,
// through the main window, the tray icon's.
QIcon ProgramIcon();

} // namespace thornvale
