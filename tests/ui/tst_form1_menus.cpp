// Every menu item of the real window, through the path the program takes: the link items and
// "주소접속" into the browser launch (recorded here), the songs into the music strip (a recording
// engine in place of the browser module), "트레이" into the notification area (trayer, under
// Xvfb). Closing the window takes the tray icon and every pop-up with it. The list's popup opens
// from the keyboard too, announced to screen readers (the X11 accessibility bridge is there).

#include <QAccessible>
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QUrl>

#include "form1fixture.h"
#include "music/musicengine.h"

using thornvale::Form1;
using namespace uitest;

namespace {

// Plays nothing: records what the strip asked for, and stands in for two open pop-ups.
class RecordingEngine final : public thornvale::MusicEngine {
public:
    QWidget *createBrowser(QWidget *pic1, const QIcon &) override
    {
        auto *browser = new QWidget(pic1);
        browser->setObjectName(QStringLiteral("WB"));
        browser->setFocusPolicy(Qt::StrongFocus);
        browser->show();
        ++browsers;
        return browser;
    }
    void navigate(QWidget *, const QUrl &address) override { played << address.toString(); }
    QList<QWidget *> popups() const override { return m_popups; }
    void closePopups() override
    {
        qDeleteAll(m_popups);
        m_popups.clear();
    }
    void openPopups(int count)
    {
        for (int i = 0; i < count; ++i) {
            auto *popup = new QWidget;
            popup->show();
            m_popups << popup;
        }
    }

    int browsers = 0;
    QStringList played;

private:
    QList<QWidget *> m_popups;
};

QString q16(const std::u16string &s)
{
    return thornvale::toQString(s);
}

} // namespace

class TestForm1Menus : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();
    void links_data();
    void links();
    void openCharacterPage();
    void songsAndTabOrder();
    void trayAndClose();
    void keyboardOpensPopup_data();
    void keyboardOpensPopup();

private:
    Fixture m_fx;
    RecordingEngine m_engine;
    QStringList m_opened;
    QProcess m_trayer;
};

void TestForm1Menus::initTestCase()
{
    const QString trayer = QStandardPaths::findExecutable(QStringLiteral("trayer"));
    QVERIFY2(!trayer.isEmpty(), "trayer is needed for a notification area");
    m_trayer.start(trayer,
        { QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--widthtype"),
            QStringLiteral("request") });
    QVERIFY(m_trayer.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 20000);
}

void TestForm1Menus::init()
{
    QVERIFY(m_fx.start());
    Form1 &form = *m_fx.form;
    m_opened.clear();
    m_engine.played.clear();
    m_engine.browsers = 0;
    form.setBrowserLauncher([this](const QString &address) { m_opened << address; });
    form.setMusicEngine(&m_engine);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
}

void TestForm1Menus::cleanup()
{
    m_engine.closePopups();
    m_fx.reset();
}

void TestForm1Menus::cleanupTestCase()
{
    m_trayer.terminate();
    m_trayer.waitForFinished();
}

void TestForm1Menus::links_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("caption");

    const thornvale::SiteConfig &config = thornvale::SiteConfig::compiledIn();
    for (int i = 0; i < 3; ++i) {
        const auto &download = config.downloads[std::size_t(i)];
        const QString name = QStringLiteral("Down%1").arg(i + 1);
        QTest::newRow(qPrintable(name)) << name << q16(download.url) << q16(download.caption);
    }
    QTest::newRow("inven") << "inven" << q16(config.invenUrl) << QStringLiteral("토른인벤");
    QTest::newRow("gong") << "gong" << q16(config.gongUrl) << QStringLiteral("토른공홈");
    QTest::newRow("naver") << "naver" << q16(config.naverUrl) << QStringLiteral("네이버?");
}

void TestForm1Menus::links()
{
    QFETCH(QString, name);
    QFETCH(QString, address);
    QFETCH(QString, caption);

    QAction *action = m_fx.form->findChild<QAction *>(name);
    QVERIFY(action);
    QCOMPARE(action->text(), caption);
    if (name.startsWith(QLatin1String("Down"))) {
        static const QRegularExpression form(
            QStringLiteral(R"(^.+/index\.php\?a=down&file_name=[^&]+\.exe&file_saved=0\.\d{8}_\d{10}$)"));
        QVERIFY2(form.match(address).hasMatch(), qPrintable(address));
    }
    // Every click is one more launch.
    m_fx.triggerAction(name);
    m_fx.triggerAction(name);
    QCOMPARE(m_opened, QStringList({ address, address }));
}

void TestForm1Menus::openCharacterPage()
{
    Form1 &form = *m_fx.form;
    // No row selected: nothing to open.
    m_fx.triggerAction("gourl");
    QVERIFY(m_opened.isEmpty());

    QSignalSpy finished(&form, &Form1::searchFinished);
    m_fx.ui->txtName->setText(QStringLiteral("토른"));
    QTest::keyClick(m_fx.ui->txtName, Qt::Key_Return);
    QVERIFY(finished.wait(30000));
    m_fx.selectRow(3);
    m_fx.triggerAction("gourl");
    QCOMPARE(m_opened, QStringList { m_fx.cell(3, 6) });

    // A row without an address opens nothing and says so in the failure box.
    thornvale::ResultModel *list = m_fx.model();
    list->append(thornvale::toU16(QString::number(list->count())));
    list->setLastCell(thornvale::ResultRow::Nickname, u"주소없음");
    m_fx.selectRow(list->count() - 1);
    m_fx.triggerAction("gourl");
    QCOMPARE(m_opened, QStringList { m_fx.cell(3, 6) });
    QMessageBox *box = openMessageBox();
    QVERIFY(box);
    QCOMPARE(box->text(), QStringLiteral("캐릭터 주소가 없습니다."));
    QCOMPARE(box->icon(), QMessageBox::Warning);
    QCOMPARE(box->windowTitle(), QStringLiteral(" ")); // blank, as every failure box
    QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
    box->done(QMessageBox::Ok);
}

void TestForm1Menus::songsAndTabOrder()
{
    const thornvale::SiteConfig &config = thornvale::SiteConfig::compiledIn();
    m_fx.triggerAction("gayo");
    m_fx.triggerAction("pop");
    m_fx.triggerAction("club");
    QCOMPARE(m_engine.played,
        QStringList({ QUrl(q16(config.musicUrls[0])).toString(), QUrl(q16(config.musicUrls[1])).toString(),
            QUrl(q16(config.musicUrls[2])).toString() }));
    QCOMPARE(m_engine.browsers, 1);

    // The browser takes pic1's place in the tab chain.
    const QStringList names { QStringLiteral("txtName"), QStringLiteral("LV"), QStringLiteral("WB"),
        QStringLiteral("txtAdd"), QStringLiteral("Command1"), QStringLiteral("Command2"),
        QStringLiteral("txtnick"), QStringLiteral("Command3") };
    QStringList chain;
    QWidget *w = m_fx.ui->txtName;
    do {
        if (names.contains(w->objectName()) && !chain.contains(w->objectName()))
            chain << w->objectName();
        w = w->nextInFocusChain();
    } while (w != m_fx.ui->txtName);
    QCOMPARE(chain, names);
}

void TestForm1Menus::trayAndClose()
{
    Form1 &form = *m_fx.form;
    auto visibleIcons = [&form] {
        int n = 0;
        for (const QSystemTrayIcon *icon : form.findChildren<QSystemTrayIcon *>())
            n += icon->isVisible();
        return n;
    };
    m_fx.triggerAction("menu2");
    QVERIFY(!form.isVisible());
    QCOMPARE(visibleIcons(), 1);

    m_engine.openPopups(2);
    const QList<QPointer<QWidget>> popups { m_engine.popups().at(0), m_engine.popups().at(1) };
    form.show();
    QVERIFY(form.close());
    QCOMPARE(visibleIcons(), 0);
    for (const QPointer<QWidget> &popup : popups)
        QVERIFY(popup.isNull());
}

namespace {

// The accessibility focus events while it lives: what a screen reader is told.
class AccessibleFocusLog final {
public:
    AccessibleFocusLog()
    {
        s_events.clear();
        s_previous = QAccessible::installUpdateHandler([](QAccessibleEvent *event) {
            if (event->type() == QAccessible::Focus)
                s_events.append({ event->object(), event->child() });
        });
    }
    ~AccessibleFocusLog() { QAccessible::installUpdateHandler(s_previous); }
    Q_DISABLE_COPY_MOVE(AccessibleFocusLog)

    static inline QList<QPair<QObject *, int>> s_events;

private:
    static inline QAccessible::UpdateHandler s_previous = nullptr;
};

} // namespace

// The keyboard's ways to the list's popup: the menu key (a Keyboard context-menu event) and
// Shift+F10. The mouse's right button has none.
void TestForm1Menus::keyboardOpensPopup_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("row"); // -1: nothing selected
    QTest::addColumn<bool>("opens");

    QTest::newRow("menu key") << "menu key" << 4 << true;
    QTest::newRow("Shift+F10, a row scrolled into view") << "Shift+F10" << 22 << true;
    QTest::newRow("menu key, no row selected") << "menu key" << -1 << false;
    QTest::newRow("right button's context menu") << "mouse" << 4 << false;
}

void TestForm1Menus::keyboardOpensPopup()
{
    QFETCH(QString, how);
    QFETCH(int, row);
    QFETCH(bool, opens);

    Form1 &form = *m_fx.form;
    QSignalSpy finished(&form, &Form1::searchFinished);
    m_fx.ui->txtName->setText(QStringLiteral("토른"));
    QTest::keyClick(m_fx.ui->txtName, Qt::Key_Return);
    QVERIFY(finished.wait(30000));
    QTreeView *list = m_fx.ui->LV;
    list->clearSelection();
    if (row >= 0)
        m_fx.selectRow(row);
    list->setFocus();

    const AccessibleFocusLog focus;
    if (how == QLatin1String("Shift+F10")) {
        QTest::keyClick(list, Qt::Key_F10, Qt::ShiftModifier);
    } else {
        const auto reason
            = how == QLatin1String("mouse") ? QContextMenuEvent::Mouse : QContextMenuEvent::Keyboard;
        QContextMenuEvent menuKey(reason, QPoint(5, 5), list->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(list, &menuKey);
    }
    QMenu *menu = m_fx.ui->menu34;
    if (!opens) {
        QVERIFY(!menu->isVisible());
        return;
    }
    QTRY_VERIFY(menu->isVisible());
    const QRect rowRect = list->visualRect(list->model()->index(row, 0));
    QVERIFY(list->viewport()->rect().contains(rowRect));
    QCOMPARE(menu->pos(), list->viewport()->mapToGlobal(rowRect.bottomLeft()));
    QCOMPARE(menu->accessibleName(), QStringLiteral("메에뉴"));
    QCOMPARE(menu->activeAction(), m_fx.ui->gourl);
    QCOMPARE(menu->activeAction()->text(), QStringLiteral("주소접속"));
    // Only a session with the accessibility bus switched on carries the events (ctest's
    // tst_form1_menus_a11y).
    if (qEnvironmentVariableIsSet("THORNVALE_TEST_A11Y")) {
        QVERIFY(QAccessible::isActive());
        QVERIFY(AccessibleFocusLog::s_events.contains(qMakePair(static_cast<QObject *>(menu), 0)));
    }
    menu->hide();
}

QTEST_MAIN(TestForm1Menus)
#include "tst_form1_menus.moc"
