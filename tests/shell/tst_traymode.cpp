#include "shell/programicon.h"
#include "shell/traymode.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QLabel>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <memory>

using namespace thornvale;
using namespace Qt::StringLiterals;

namespace {

// Qt draws the tray icon and its balloon as widgets of its own on X11; the tests click and read
// them as a user would.
QList<QWidget *> topLevelsOfClass(const char *className)
{
    QList<QWidget *> found;
    const QList<QWidget *> all = QApplication::topLevelWidgets();
    for (QWidget *w : all) {
        if (qstrcmp(w->metaObject()->className(), className) == 0)
            found.append(w);
    }
    return found;
}

QWidget *visibleBalloon()
{
    const QList<QWidget *> balloons = topLevelsOfClass("QBalloonTip");
    for (QWidget *w : balloons) {
        if (w->isVisible())
            return w;
    }
    return nullptr;
}

QStringList labelTexts(QWidget *w)
{
    QStringList texts;
    const QList<QLabel *> labels = w->findChildren<QLabel *>();
    for (QLabel *label : labels) {
        if (!label->text().isEmpty())
            texts.append(label->text());
    }
    return texts;
}

QImage image16(const QIcon &icon)
{
    return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
}

// The main window's stand-in: a window with the program's icon and the invisible `P`.
struct MainWindow {
    QWidget window;
    QWidget *P = new QWidget(&window);
    MainWindow()
    {
        window.setWindowIcon(ProgramIcon());
        window.resize(200, 100);
        P->setGeometry(408, 16, 20, 22);
        P->hide();
    }
};

} // namespace

class TestTrayMode final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Every test meets the stand-in window shown, with tray mode for it; startTrayHost as well,
    // which runs in its place in the order and needs neither.
    void init()
    {
        m_main = std::make_unique<MainWindow>();
        m_main->window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_main->window));
        m_tray = std::make_unique<TrayMode>(&m_main->window, m_main->P);
    }

    void cleanup()
    {
        m_tray.reset();
        m_main.reset();
    }

    // Runs first, before any notification area exists on this display.
    void noNotificationAreaKeepsWindowShown()
    {
        QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
        MainWindow &main = *m_main;
        TrayMode &tray = *m_tray;
        QSignalSpy refused(&tray, &TrayMode::unavailable);
        QTest::ignoreMessage(
            QtWarningMsg, "thornvale: no notification area on this desktop; tray mode is not available");
        tray.enter();
        QCOMPARE(refused.size(), 1);
        QVERIFY(main.window.isVisible());
        QVERIFY(!tray.iconShown());
        QVERIFY(tray.findChildren<QSystemTrayIcon *>().isEmpty());
        tray.removeIcon();
        QVERIFY(main.window.isVisible());
    }

    void startTrayHost()
    {
        const QString trayer = QStandardPaths::findExecutable(u"trayer"_s);
        if (trayer.isEmpty())
            QSKIP("trayer is not installed: no notification area to test against");
        m_trayer.setProgram(trayer);
        m_trayer.setArguments({ u"--edge"_s, u"top"_s, u"--widthtype"_s, u"request"_s });
        m_trayer.start();
        QVERIFY(m_trayer.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 20000);
    }

    void trayCycle()
    {
        requireTrayHost();
        MainWindow &main = *m_main;
        TrayMode &tray = *m_tray;
        QSignalSpy restored(&tray, &TrayMode::restored);

        tray.enter();
        QVERIFY(main.window.isHidden());
        QVERIFY(tray.iconShown());
        QList<QSystemTrayIcon *> icons = tray.findChildren<QSystemTrayIcon *>();
        QCOMPARE(icons.size(), 1);
        QVERIFY(icons.first()->isVisible());
        QCOMPARE(image16(icons.first()->icon()), image16(ProgramIcon()));
        QVERIFY(icons.first()->toolTip().isEmpty());

        // One balloon, the message only: no title.
        QWidget *balloon = nullptr;
        QTRY_VERIFY((balloon = visibleBalloon()) != nullptr);
        QCOMPARE(labelTexts(balloon), QStringList { u"트레이모드가 시전되었습니다."_s });
        balloon->hide();

        Q_EMIT icons.first()->activated(QSystemTrayIcon::Trigger);
        QVERIFY(main.window.isVisible());
        QCOMPARE(restored.size(), 1);
        QCOMPARE(tray.findChildren<QSystemTrayIcon *>().size(), 1);
        QVERIFY(icons.first()->isVisible());

        // Back into the tray: the first icon serves again, with no second balloon.
        tray.enter();
        QVERIFY(main.window.isHidden());
        QCOMPARE(tray.findChildren<QSystemTrayIcon *>(), icons);
        QVERIFY(tray.iconShown());
        QCOMPARE(visibleBalloon(), nullptr);

        tray.removeIcon();
        QVERIFY(!tray.iconShown());
        QVERIFY(tray.findChildren<QSystemTrayIcon *>().isEmpty());
        QTRY_VERIFY(topLevelsOfClass("QSystemTrayIconSys").isEmpty());
    }

    // Clicks on the icon in the notification area itself.
    void clicksOnTheIcon_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<bool>("shows");
        QTest::newRow("left button") << Qt::LeftButton << true;
        QTest::newRow("right button: nothing") << Qt::RightButton << false;
        QTest::newRow("middle button: nothing") << Qt::MiddleButton << false;
    }
    void clicksOnTheIcon()
    {
        QFETCH(Qt::MouseButton, button);
        QFETCH(bool, shows);
        requireTrayHost();
        MainWindow &main = *m_main;
        TrayMode &tray = *m_tray;
        tray.enter();
        QVERIFY(tray.iconShown());

        QList<QWidget *> embedded;
        QTRY_COMPARE((embedded = topLevelsOfClass("QSystemTrayIconSys")).size(), 1);
        QTRY_VERIFY(embedded.first()->isVisible());
        QTest::mouseClick(embedded.first(), button);
        QCOMPARE(main.window.isVisible(), shows);

        QTest::mouseDClick(embedded.first(), Qt::LeftButton);
        QVERIFY(main.window.isVisible());
        tray.removeIcon();
    }

    // The receiver form of the notification: X in twips at the screen's factor.
    void mouseMoveNotifications_data()
    {
        QTest::addColumn<double>("xTwips");
        QTest::addColumn<double>("twipsPerPixel");
        QTest::addColumn<bool>("shows");
        QTest::newRow("left release, 96 dpi") << 7710.0 << 15.0 << true;
        QTest::newRow("left release, 120 dpi") << 6168.0 << 12.0 << true;
        QTest::newRow("left press") << 7695.0 << 15.0 << false;
        QTest::newRow("right release") << 7755.0 << 15.0 << false;
    }
    void mouseMoveNotifications()
    {
        QFETCH(double, xTwips);
        QFETCH(double, twipsPerPixel);
        QFETCH(bool, shows);
        requireTrayHost();
        MainWindow &main = *m_main;
        TrayMode &tray = *m_tray;
        tray.enter();
        QVERIFY(main.window.isHidden());
        tray.mouseMove(xTwips, twipsPerPixel);
        QCOMPARE(main.window.isVisible(), shows);
        tray.removeIcon();
    }

    // Nothing but the main window ends the program: not the balloon going away while the window
    // is in the tray, and not the icon's own window staying when the main window closes.
    void onlyTheMainWindowEndsTheProgram()
    {
        requireTrayHost();
        MainWindow &main = *m_main;
        TrayMode &tray = *m_tray;
        QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);

        bool balloonClosed = false;
        QTimer::singleShot(0, &tray, &TrayMode::enter);
        QTimer::singleShot(0, qApp, [&] {
            if (QWidget *balloon = visibleBalloon())
                balloonClosed = balloon->close();
        });
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(1); });
        QCoreApplication::exec();
        QVERIFY(balloonClosed);
        QCOMPARE(lastClosed.size(), 0);
        QVERIFY(tray.iconShown());
        QVERIFY(main.window.isHidden());

        tray.mouseMove(514 * 15.0, 15.0);
        QVERIFY(main.window.isVisible());
        QTimer bound; // only fires when the program failed to end
        bound.setSingleShot(true);
        connect(&bound, &QTimer::timeout, qApp, [] { QCoreApplication::exit(1); });
        bound.start(20000);
        QTimer::singleShot(0, &main.window, [&] {
            tray.removeIcon();
            main.window.close();
        });
        QCoreApplication::exec();
        bound.stop();
        QCOMPARE(lastClosed.size(), 1);
    }

    // Qt's D-Bus tray, the one desktops with a StatusNotifierWatcher get. Qt looks for the watcher
    // once per process, so under-sni-watcher.sh starts one before this binary and says so.
    void statusNotifierItem()
    {
        if (qEnvironmentVariableIntValue("THORNVALE_TEST_SNI_WATCHER") != 1)
            QSKIP("no StatusNotifierWatcher: shell.tst_traymode_sni runs this");
        QVERIFY(QSystemTrayIcon::isSystemTrayAvailable());
        MainWindow &main = *m_main;
        TrayMode &tray = *m_tray;
        QSignalSpy restored(&tray, &TrayMode::restored);
        tray.enter();
        QVERIFY(main.window.isHidden());

        QDBusInterface watcher(u"org.kde.StatusNotifierWatcher"_s, u"/StatusNotifierWatcher"_s,
            u"org.kde.StatusNotifierWatcher"_s);
        QStringList items;
        QTRY_COMPARE((items = watcher.property("RegisteredStatusNotifierItems").toStringList()).size(), 1);
        const QString service = items.first().section(u'/', 0, 0);
        const QString path = u'/' + items.first().section(u'/', 1);
        // Qt registers the item on a connection of its own, so the name is checked by its process.
        QCOMPARE(QDBusConnection::sessionBus().interface()->servicePid(service).value(),
            uint(QCoreApplication::applicationPid()));

        // A left click as the panel reports it. Not a blocking call: the item answers from this
        // thread's event loop.
        QDBusMessage activate
            = QDBusMessage::createMethodCall(service, path, u"org.kde.StatusNotifierItem"_s, u"Activate"_s);
        activate << 40 << 10;
        const QDBusPendingCall call = QDBusConnection::sessionBus().asyncCall(activate);
        QTRY_VERIFY(call.isFinished());
        QVERIFY2(!call.isError(), qPrintable(call.error().message()));
        QCOMPARE(restored.size(), 1);
        QVERIFY(main.window.isVisible());

        tray.removeIcon();
        QTRY_VERIFY(watcher.property("RegisteredStatusNotifierItems").toStringList().isEmpty());
    }

    void cleanupTestCase()
    {
        if (m_trayer.state() != QProcess::NotRunning) {
            m_trayer.terminate();
            m_trayer.waitForFinished();
        }
    }

private:
    void requireTrayHost()
    {
        if (!QSystemTrayIcon::isSystemTrayAvailable())
            QSKIP("no notification area");
    }

    QProcess m_trayer;
    std::unique_ptr<MainWindow> m_main;
    std::unique_ptr<TrayMode> m_tray;
};

QTEST_MAIN(TestTrayMode)
#include "tst_traymode.moc"
