#include "shell/programicon.h"

#include <QString>

// The resources sit in a static library; nothing references their initializer, so the linker would
// drop it unless it is called by name. Q_INIT_RESOURCE must be used outside any namespace.
static void initShellResources()
{
    Q_INIT_RESOURCE(shell);
}

namespace thornvale {

QIcon ProgramIcon()
{
    static const bool initialised = [] {
        initShellResources();
        return true;
    }();
    Q_UNUSED(initialised);

    // Renders of resources/thornvale.svg made at build time, like the icons installed for the
    // desktop, so the window and the menu entry show the same picture.
    QIcon icon;
    icon.addFile(QStringLiteral(":/thornvale/icon32.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/thornvale/icon16.png"), QSize(16, 16));
    return icon;
}

} // namespace thornvale
