#include <QApplication>
#include <QIcon>

#include "search/siteconfig.h"
#include "shell/programicon.h"
#include "ui/form1.h"

int main(int argc, char *argv[])
{
    // The music strip's embedded browser shares OpenGL contexts with the widgets; this has to be
    // said before the application object exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("thornvale"));
    QApplication::setOrganizationName(QStringLiteral("Thornvale"));
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
