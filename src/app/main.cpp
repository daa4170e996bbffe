#include <QApplication>
#include <QIcon>

#include "config/siteconfig.h"
#include "shell/programicon.h"
#include "ui/form1.h"
#include "ui/qtkorean.h"

int main(int argc, char *argv[])
{
    // No Qt::AA_ShareOpenGLContexts here although the music strip's browser needs a shared GL
    // context: said now, it makes Qt start a GL driver with the application object, and every run
    // pays for it in memory and start-up time. The music module makes that context itself on the
    // first music choice.
    QApplication app(argc, argv);
    // The class of the X11 WM_CLASS, which the desktop entry's StartupWMClass names.
    QApplication::setApplicationName(QStringLiteral("thornvale"));
    // On Wayland the window's app_id: a desktop matches the window to its entry and icon by the
    // entry's file name, which is also the AppStream component id.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.thornvale.Thornvale"));
    QApplication::setOrganizationName(QStringLiteral("Thornvale"));
    if (!thornvale::InstallQtKorean())
        qWarning(
            "thornvale: Qt's Korean translation (qtbase_ko) is not installed; its buttons read in English");
    // Every window without an icon of its own (the main window, message boxes) shows this one.
    QApplication::setWindowIcon(thornvale::ProgramIcon());
    // The main window decides when the program ends (its closeEvent), not the last window closed:
    // the closed-service message is the only window when the service is closed.
    QApplication::setQuitOnLastWindowClosed(false);

    thornvale::Form1 window(thornvale::SiteConfig::compiledIn());
    QObject::connect(&window, &thornvale::Form1::loadFinished, &app, [&window](bool open) {
        if (open)
            window.show();
        else
            QCoreApplication::quit();
    });
    window.load();
    return QApplication::exec();
}
