// Not a test: puts the real window through a search and a detail view against an in-process
// site-sim, then saves what the screen shows. Run under Xvfb to refresh docs/screenshot.png.

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>
#include <QTreeView>

#include <cstdio>

#include "net/qtbridge.h"
#include "site-sim/sitesim.h"
#include "ui/form1.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fputs("usage: form1_screenshot <output.png>\n", stderr);
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);

    sitesim::Server site;
    if (!site.start())
        return 1;
    thornvale::SiteConfig config = thornvale::SiteConfig::compiledIn();
    config.searchBase = thornvale::toU16(QString::fromStdString(site.baseUrl()));
    config.characterBase = thornvale::toU16(QString::fromStdString(site.characterBase()));
    config.statusUrl = thornvale::toU16(QString::fromStdString(site.statusUrl()));

    thornvale::Form1 form(config);
    QObject::connect(&form, &thornvale::Form1::loadFinished, &form, [&form](bool open) {
        if (!open) {
            QCoreApplication::exit(1);
            return;
        }
        form.show();
        form.txtName->setText(QStringLiteral("토른"));
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QCoreApplication::sendEvent(form.txtName, &enter);
    });
    QObject::connect(&form, &thornvale::Form1::searchFinished, &form, [&form] {
        form.LV->selectionModel()->select(
            form.LV->model()->index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        form.cmdcmd->trigger();
    });
    QObject::connect(&form, &thornvale::Form1::detailFinished, &form, [&form, output] {
        // Give the window manager-less server a moment to paint everything before the grab.
        QTimer::singleShot(800, &form, [&form, output] {
            const QPixmap shot = form.screen()->grabWindow(0);
            QCoreApplication::exit(shot.save(output) ? 0 : 1);
        });
    });
    form.load();
    return QApplication::exec();
}
